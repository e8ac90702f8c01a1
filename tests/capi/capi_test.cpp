// The C interface's boundary, through the shared library's exported
// functions: bad arguments, recognition by name and magic, cut files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "vaveze.h"

namespace {

const std::string kSamples = VAVEZE_SAMPLES_DIR "/";

std::string ReadSample(const char* name)
{
    std::ifstream in(kSamples + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// One call's listing, freed at the end of the scope.
struct Listing {
    vaveze_listing* Handle = nullptr;
    int Status;

    Listing(const std::string& name, const std::string& bytes, unsigned flags = 0)
        : Status(vaveze_list_bytes(bytes.data(), bytes.size(), name.c_str(), flags, &Handle)) {}
    Listing(const std::string& path, unsigned flags) : Status(vaveze_list_file(path.c_str(), flags, &Handle)) {}
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;
    ~Listing() { vaveze_free(Handle); }

    std::vector<std::string> Lines(bool utf8 = false) const
    {
        std::vector<std::string> lines;
        const char* text = nullptr;
        size_t length = 0;
        for (size_t i = 0; i < vaveze_listing_count(Handle); ++i)
            if ((utf8 ? vaveze_listing_line_utf8 : vaveze_listing_line)(Handle, i, &text, &length) == VAVEZE_OK)
                lines.emplace_back(text, length);
        return lines;
    }
};

TEST(CapiTest, BadArgumentsGiveArgumentErrorAndNoListing)
{
    const std::string plan = ReadSample("plan.zvw");
    const std::string path = kSamples + "plan.zvw";
    vaveze_listing* listing = nullptr;
    for (const int status : {
             vaveze_list_file(nullptr, 0, &listing),
             vaveze_list_file(path.c_str(), 0x8, &listing),
             vaveze_list_bytes(plan.data(), plan.size(), nullptr, 0, &listing),
             vaveze_list_bytes(nullptr, 1, "a.zvw", 0, &listing),
             vaveze_list_bytes(plan.data(), plan.size(), "a.zvw", 0x100, &listing),
             vaveze_list_file(path.c_str(), 0, nullptr),
         }) {
        EXPECT_EQ(status, VAVEZE_ERROR_ARGUMENT);
        EXPECT_EQ(listing, nullptr);
    }
    // A NULL listing, a line past the end, no place for the line.
    const Listing whole("a.zvw", plan);
    const size_t count = vaveze_listing_count(whole.Handle);
    const char* text = nullptr;
    EXPECT_EQ(vaveze_listing_status(nullptr), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_count(nullptr), 0u);
    EXPECT_EQ(vaveze_listing_line(nullptr, 0, &text, nullptr), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_line(whole.Handle, count, &text, nullptr), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_line_utf8(whole.Handle, size_t(-1), &text, nullptr), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_line(whole.Handle, 0, nullptr, nullptr), VAVEZE_ERROR_ARGUMENT);
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
        {"plan.txt", zvw, VAVEZE_NOT_RECOGNISED, 0, VAVEZE_REASON_UNKNOWN_EXTENSION, VAVEZE_WARNING_NONE},
        {"plan.zvw", zvs, VAVEZE_NOT_RECOGNISED, 0, VAVEZE_REASON_WRONG_MAGIC, VAVEZE_WARNING_NOT_ZVW},
        {"plan.zvs", zvw, VAVEZE_NOT_RECOGNISED, 0, VAVEZE_REASON_WRONG_MAGIC, VAVEZE_WARNING_NOT_ZVS},
        {"plan.zvc", zvw, VAVEZE_NOT_RECOGNISED, 0, VAVEZE_REASON_WRONG_MAGIC, VAVEZE_WARNING_NONE},
        {"plan.zvk", "", VAVEZE_NOT_RECOGNISED, 0, VAVEZE_REASON_WRONG_MAGIC, VAVEZE_WARNING_NONE},
    };
    for (const auto& c : cases) {
        const Listing listing(c.Name, c.Bytes);
        EXPECT_EQ(listing.Status, c.Status) << c.Name;
        EXPECT_EQ(vaveze_listing_status(listing.Handle), c.Status) << c.Name;
        EXPECT_EQ(vaveze_listing_format(listing.Handle), c.Format) << c.Name;
        EXPECT_EQ(vaveze_listing_reason(listing.Handle), c.Reason) << c.Name;
        EXPECT_EQ(vaveze_listing_warning(listing.Handle), c.Warning) << c.Name;
        EXPECT_EQ(vaveze_listing_count(listing.Handle) > 0, c.Status == VAVEZE_OK) << c.Name;
        EXPECT_EQ(*vaveze_listing_message(listing.Handle) == '\0', c.Status == VAVEZE_OK) << c.Name;
    }
    const Listing missing(kSamples + "none.zvw", 0);
    EXPECT_EQ(missing.Status, VAVEZE_NOT_RECOGNISED);
    EXPECT_EQ(vaveze_listing_reason(missing.Handle), VAVEZE_REASON_NO_FILE);
    const Listing folder(kSamples, 0);
    EXPECT_EQ(vaveze_listing_reason(folder.Handle), VAVEZE_REASON_NOT_A_FILE);
}

TEST(CapiTest, CutFileIsPartialWithReasonAndOffset)
{
    const std::string plan = ReadSample("plan.zvw");
    const size_t whole = Listing("plan.zvw", plan, VAVEZE_BLOCKS).Lines().size();
    for (const size_t size : {size_t{12}, size_t{3000}, size_t{17000}}) {
        const Listing cut("plan.zvw", plan.substr(0, size), VAVEZE_BLOCKS);
        EXPECT_EQ(cut.Status, VAVEZE_PARTIAL) << size;
        EXPECT_EQ(vaveze_listing_reason(cut.Handle), VAVEZE_REASON_ENDS_EARLY) << size;
        EXPECT_EQ(vaveze_listing_offset(cut.Handle), size) << size;
        EXPECT_NE(*vaveze_listing_message(cut.Handle), '\0') << size;
        EXPECT_LE(vaveze_listing_count(cut.Handle), whole) << size;
    }
}

TEST(CapiTest, FileAndBytesGiveTheSameLines)
{
    const unsigned all = VAVEZE_HEADER | VAVEZE_DIMENSIONS | VAVEZE_BLOCKS;
    const Listing file(kSamples + "plan.zvw", all);
    const Listing bytes("plan.zvw", ReadSample("plan.zvw"), all);
    EXPECT_EQ(file.Status, VAVEZE_OK);
    EXPECT_EQ(file.Lines(), bytes.Lines());
    EXPECT_EQ(file.Lines(true), bytes.Lines(true));
    EXPECT_EQ(file.Lines().size(), vaveze_listing_count(file.Handle));
    EXPECT_STREQ(vaveze_version(), VAVEZE_VERSION_STRING);
}

}  // namespace
