// The C interface's boundary: bad arguments, recognition by name and magic,
// and cut files, all through the shared library's exported functions.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "vaveze.h"

namespace {

std::string ReadSample(const char* name)
{
    std::ifstream in(std::string(VAVEZE_SAMPLES_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A listing freed at the end of the scope.
struct Listing {
    vaveze_listing* Handle = nullptr;
    int Status = VAVEZE_ERROR_INTERNAL;

    ~Listing() { vaveze_free(Handle); }

    std::vector<std::string> Lines(bool utf8 = false) const
    {
        std::vector<std::string> lines;
        for (size_t i = 0; i < vaveze_listing_count(Handle); ++i) {
            const char* text = nullptr;
            size_t length = 0;
            EXPECT_EQ((utf8 ? vaveze_listing_line_utf8 : vaveze_listing_line)(Handle, i, &text, &length), VAVEZE_OK);
            lines.emplace_back(text, length);
        }
        return lines;
    }
};

Listing ListBytes(const std::string& name, const std::string& bytes, unsigned flags = 0)
{
    Listing listing;
    listing.Status = vaveze_list_bytes(bytes.data(), bytes.size(), name.c_str(), flags, &listing.Handle);
    return listing;
}

TEST(CapiTest, BadArgumentsGiveArgumentErrorAndNoListing)
{
    const std::string plan = ReadSample("plan.zvw");
    const std::string path = std::string(VAVEZE_SAMPLES_DIR) + "/plan.zvw";
    vaveze_listing* listing = nullptr;
    const struct {
        const char* What;
        int Status;
    } cases[] = {
        {"no path", vaveze_list_file(nullptr, 0, &listing)},
        {"unknown flag", vaveze_list_file(path.c_str(), 0x8, &listing)},
        {"no name", vaveze_list_bytes(plan.data(), plan.size(), nullptr, 0, &listing)},
        {"no bytes", vaveze_list_bytes(nullptr, 1, "a.zvw", 0, &listing)},
        {"unknown flag, bytes", vaveze_list_bytes(plan.data(), plan.size(), "a.zvw", 0x100, &listing)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.Status, VAVEZE_ERROR_ARGUMENT) << c.What;
        EXPECT_EQ(listing, nullptr) << c.What;
    }
    EXPECT_EQ(vaveze_list_file(path.c_str(), 0, nullptr), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_list_bytes(plan.data(), plan.size(), "a.zvw", 0, nullptr), VAVEZE_ERROR_ARGUMENT);

    // A NULL listing and a line past the end.
    const char* text = "untouched";
    EXPECT_EQ(vaveze_listing_status(nullptr), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_count(nullptr), 0u);
    EXPECT_EQ(vaveze_listing_line(nullptr, 0, &text, nullptr), VAVEZE_ERROR_ARGUMENT);
    const Listing whole = ListBytes("a.zvw", plan);
    const size_t count = vaveze_listing_count(whole.Handle);
    EXPECT_EQ(vaveze_listing_line(whole.Handle, count, &text, nullptr), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_line_utf8(whole.Handle, static_cast<size_t>(-1), &text, nullptr), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_line(whole.Handle, 0, nullptr, nullptr), VAVEZE_ERROR_ARGUMENT);
    vaveze_free(nullptr);
}

TEST(CapiTest, NameAndMagicDecideTheFormat)
{
    const std::string zvw = ReadSample("plan.zvw");
    const std::string zvs = ReadSample("symbol.zvs");
    const struct {
        const char* Name;
        const std::string& Bytes;
        int Status, Format, Reason, Warning;
    } cases[] = {
        {"dir/PLAN.ZVW", zvw, VAVEZE_OK, VAVEZE_FORMAT_ZVW, VAVEZE_REASON_NONE, VAVEZE_WARNING_NONE},
        {"plan.bk1", zvs, VAVEZE_OK, VAVEZE_FORMAT_ZVS, VAVEZE_REASON_NONE, VAVEZE_WARNING_NONE},
        {"plan.txt", zvw, VAVEZE_NOT_RECOGNISED, VAVEZE_FORMAT_NONE, VAVEZE_REASON_UNKNOWN_EXTENSION,
         VAVEZE_WARNING_NONE},
        {"plan.zvw", zvs, VAVEZE_NOT_RECOGNISED, VAVEZE_FORMAT_NONE, VAVEZE_REASON_WRONG_MAGIC,
         VAVEZE_WARNING_NOT_ZVW},
        {"plan.zvs", zvw, VAVEZE_NOT_RECOGNISED, VAVEZE_FORMAT_NONE, VAVEZE_REASON_WRONG_MAGIC,
         VAVEZE_WARNING_NOT_ZVS},
        {"plan.zvc", zvw, VAVEZE_NOT_RECOGNISED, VAVEZE_FORMAT_NONE, VAVEZE_REASON_WRONG_MAGIC,
         VAVEZE_WARNING_NONE},
    };
    for (const auto& c : cases) {
        const Listing listing = ListBytes(c.Name, c.Bytes);
        ASSERT_NE(listing.Handle, nullptr) << c.Name;
        EXPECT_EQ(listing.Status, c.Status) << c.Name;
        EXPECT_EQ(vaveze_listing_status(listing.Handle), c.Status) << c.Name;
        EXPECT_EQ(vaveze_listing_format(listing.Handle), c.Format) << c.Name;
        EXPECT_EQ(vaveze_listing_reason(listing.Handle), c.Reason) << c.Name;
        EXPECT_EQ(vaveze_listing_warning(listing.Handle), c.Warning) << c.Name;
        EXPECT_EQ(vaveze_listing_count(listing.Handle) > 0, c.Status == VAVEZE_OK) << c.Name;
        EXPECT_EQ(*vaveze_listing_message(listing.Handle) == '\0', c.Status == VAVEZE_OK) << c.Name;
    }
}

TEST(CapiTest, CutFileIsPartialWithReasonAndOffset)
{
    const std::string plan = ReadSample("plan.zvw");
    const std::vector<std::string> whole = ListBytes("plan.zvw", plan, VAVEZE_BLOCKS).Lines();
    for (const size_t size : {size_t{12}, size_t{3000}, size_t{17000}}) {
        const Listing cut = ListBytes("plan.zvw", plan.substr(0, size), VAVEZE_BLOCKS);
        EXPECT_EQ(cut.Status, VAVEZE_PARTIAL) << size;
        EXPECT_EQ(vaveze_listing_reason(cut.Handle), VAVEZE_REASON_ENDS_EARLY) << size;
        EXPECT_EQ(vaveze_listing_offset(cut.Handle), size) << size;
        EXPECT_NE(*vaveze_listing_message(cut.Handle), '\0') << size;
        EXPECT_LE(vaveze_listing_count(cut.Handle), whole.size()) << size;
    }
}

TEST(CapiTest, FileAndBytesGiveTheSameLinesInBothEncodings)
{
    const std::string path = std::string(VAVEZE_SAMPLES_DIR) + "/plan.zvw";
    Listing file;
    file.Status = vaveze_list_file(path.c_str(), VAVEZE_HEADER | VAVEZE_DIMENSIONS | VAVEZE_BLOCKS, &file.Handle);
    const Listing bytes = ListBytes("plan.zvw", ReadSample("plan.zvw"), VAVEZE_HEADER | VAVEZE_DIMENSIONS | VAVEZE_BLOCKS);
    EXPECT_EQ(file.Status, VAVEZE_OK);
    EXPECT_EQ(file.Lines(), bytes.Lines());
    EXPECT_EQ(file.Lines(true), bytes.Lines(true));
    EXPECT_EQ(file.Lines().size(), file.Lines(true).size());
    EXPECT_NE(file.Lines(), file.Lines(true));  // the sample holds Japanese texts

    Listing missing;
    missing.Status = vaveze_list_file((path + ".none.zvw").c_str(), 0, &missing.Handle);
    EXPECT_EQ(missing.Status, VAVEZE_NOT_RECOGNISED);
    EXPECT_EQ(vaveze_listing_reason(missing.Handle), VAVEZE_REASON_NO_FILE);
}

TEST(CapiTest, EveryCodeHasAText)
{
    EXPECT_STREQ(vaveze_version(), VAVEZE_VERSION_STRING);
    for (int code = -5; code < 25; ++code) {
        EXPECT_NE(vaveze_status_text(code), nullptr);
        EXPECT_NE(vaveze_reason_text(code), nullptr);
        EXPECT_NE(vaveze_format_name(code), nullptr);
        EXPECT_NE(vaveze_warning_text(code), nullptr);
    }
    EXPECT_STREQ(vaveze_format_name(VAVEZE_FORMAT_ZVK), "ZVK");
    EXPECT_NE(*vaveze_warning_text(VAVEZE_WARNING_NOT_ZVS), '\0');
}

}  // namespace
