// The C interface's boundary, through the shared library's exported
// functions: bad arguments, recognition by name and magic and why a file
// was not, cut files, documents listed with any options, line kinds, the
// whole listing's bytes and its save.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "tests/temp_folder.h"
#include "vaveze.h"

namespace {

namespace fs = std::filesystem;
constexpr unsigned kAll = VAVEZE_HEADER | VAVEZE_DIMENSIONS | VAVEZE_BLOCKS;

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
    Listing(const vaveze_document* document, unsigned flags)
        : Status(vaveze_document_list(document, flags, &Handle)) {}
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

    std::string Bytes(int encoding) const
    {
        const char* bytes = nullptr;
        size_t size = 0;
        EXPECT_EQ(vaveze_listing_bytes(Handle, encoding, &bytes, &size), VAVEZE_OK);
        return {bytes, size};
    }
};

// One file opened as a document, freed at the end of the scope.
struct Document {
    vaveze_document* Handle = nullptr;
    int Status;

    explicit Document(const std::string& path) : Status(vaveze_open_file(path.c_str(), &Handle)) {}
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    ~Document() { vaveze_document_free(Handle); }
};

// A file's bytes; "" for a folder or no file.
std::string Slurp(const fs::path& path)
{
    if (!fs::is_regular_file(path))
        return {};
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The values of the enum `name` as the installed header declares them, by
// their names: what a caller can be handed, read from the header itself so
// that a value added there is walked here too.
std::map<int, std::string> DeclaredValues(const std::string& name)
{
    std::ifstream in(VAVEZE_HEADER_PATH, std::ios::binary);
    const std::string header{std::istreambuf_iterator<char>(in), {}};
    const std::regex whole("typedef enum " + name + " \\{([^}]*)\\} " + name + ";");
    std::smatch body;
    EXPECT_TRUE(std::regex_search(header, body, whole)) << name;
    const std::string values = body[1];
    std::map<int, std::string> declared;
    const std::regex value("(VAVEZE_[A-Z0-9_]+) = (-?[0-9]+)");
    for (auto it = std::sregex_iterator(values.begin(), values.end(), value); it != std::sregex_iterator(); ++it)
        declared.emplace(std::stoi((*it)[2]), (*it)[1]);
    return declared;
}

TEST(CapiTest, EveryStatusAndReasonHasATextOfItsOwn)
{
    const struct {
        const char* Enum;
        const char* (*TextOf)(int);
    } enums[] = {{"vaveze_status", vaveze_status_text}, {"vaveze_reason", vaveze_reason_text}};
    for (const auto& e : enums) {
        const std::map<int, std::string> declared = DeclaredValues(e.Enum);
        ASSERT_GE(declared.size(), 5u) << e.Enum;
        const std::string unknown = e.TextOf(declared.rbegin()->first + 1);
        EXPECT_EQ(e.TextOf(declared.begin()->first - 1), unknown) << e.Enum;
        std::map<std::string, std::string> named;  // text -> the value's name
        for (int value = declared.begin()->first; value <= declared.rbegin()->first; ++value) {
            const std::string text = e.TextOf(value);
            const auto name = declared.find(value);
            if (name == declared.end()) {
                EXPECT_EQ(text, unknown) << e.Enum << ' ' << value;
                continue;
            }
            EXPECT_NE(text, unknown) << name->second;
            EXPECT_TRUE(named.emplace(text, name->second).second) << name->second << " reads as " << named[text];
        }
    }
    EXPECT_NE(std::string(vaveze_status_text(VAVEZE_ERROR_WRITE)).find("saved"), std::string::npos);
}

TEST(CapiTest, BadArgumentsGiveArgumentErrorAndNoListing)
{
    const std::string plan = ReadSample("plan.zvw");
    const std::string path = kSamples + "plan.zvw";
    const Document document(path);
    vaveze_listing* listing = nullptr;
    vaveze_document* opened = nullptr;
    for (const int status : {
             vaveze_list_file(nullptr, 0, &listing),
             vaveze_list_file(path.c_str(), 0x10, &listing),
             vaveze_list_bytes(plan.data(), plan.size(), nullptr, 0, &listing),
             vaveze_list_bytes(nullptr, 1, "a.zvw", 0, &listing),
             vaveze_list_bytes(plan.data(), plan.size(), "a.zvw", 0x100, &listing),
             vaveze_list_file(path.c_str(), 0, nullptr),
             vaveze_document_list(nullptr, 0, &listing),
             vaveze_document_list(document.Handle, 0x10, &listing),
             vaveze_open_file(nullptr, &opened),
             vaveze_open_bytes(nullptr, 1, "a.zvw", &opened),
             vaveze_open_bytes(plan.data(), plan.size(), nullptr, &opened),
             vaveze_open_file(path.c_str(), nullptr),
         }) {
        EXPECT_EQ(status, VAVEZE_ERROR_ARGUMENT);
        EXPECT_EQ(listing, nullptr);
        EXPECT_EQ(opened, nullptr);
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
    EXPECT_EQ(vaveze_listing_line_kind(whole.Handle, count), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_line_kind(nullptr, 0), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_line_block(whole.Handle, count), -1);
    int block = 7;
    EXPECT_EQ(vaveze_listing_line_block_number(whole.Handle, count, &block), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_line_block_number(nullptr, 0, &block), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_line_block_number(whole.Handle, 0, nullptr), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(block, 7);
    size_t size = 0;
    EXPECT_EQ(vaveze_listing_bytes(whole.Handle, 2, &text, &size), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_bytes(nullptr, VAVEZE_ENCODING_UTF8, &text, &size), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_bytes(whole.Handle, VAVEZE_ENCODING_UTF8, nullptr, &size), VAVEZE_ERROR_ARGUMENT);
    int error = -1;
    EXPECT_EQ(vaveze_listing_save(nullptr, "a.txt", &error), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(vaveze_listing_save(whole.Handle, nullptr, nullptr), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_document_status(nullptr), VAVEZE_ERROR_ARGUMENT);
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
        {"plan.zvk", "", VAVEZE_NOT_RECOGNISED, 0, VAVEZE_REASON_EMPTY, VAVEZE_WARNING_NONE},
        {"plan.zvw", "", VAVEZE_NOT_RECOGNISED, 0, VAVEZE_REASON_EMPTY, VAVEZE_WARNING_NOT_ZVW},
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
}

TEST(CapiTest, FilesThatCannotBeReadSayWhy)
{
    const vaveze::TempFolder folder;
    const fs::path fifo = folder.Path() / "pipe.zvw";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path locked = folder.Write("locked.zvw", ReadSample("plan.zvw"));
    fs::permissions(locked, fs::perms::none);
    const bool root = ::geteuid() == 0;  // reads any file
    const struct {
        std::string Path;
        int Reason;
    } cases[] = {
        {(folder.Path() / "none.zvw").string(), VAVEZE_REASON_NO_FILE},
        {(folder.Path() / "no" / "plan.zvw").string(), VAVEZE_REASON_NO_FILE},
        {folder.Path().string(), VAVEZE_REASON_FOLDER},
        {fifo.string(), VAVEZE_REASON_NOT_A_FILE},
        {"/dev/null", VAVEZE_REASON_NOT_A_FILE},
        {folder.Write("empty.zvw", "").string(), VAVEZE_REASON_EMPTY},
        {folder.Write("plan.zvc", ReadSample("plan.zvw")).string(), VAVEZE_REASON_WRONG_MAGIC},
        {folder.Write("plan.dat", ReadSample("plan.zvw")).string(), VAVEZE_REASON_UNKNOWN_EXTENSION},
        {locked.string(), root ? VAVEZE_REASON_NONE : VAVEZE_REASON_NO_PERMISSION},
    };
    for (const auto& c : cases) {
        // The document and the listing of one call say the same.
        const Document document(c.Path);
        const Listing listing(c.Path, 0);
        EXPECT_EQ(vaveze_document_reason(document.Handle), c.Reason) << c.Path;
        EXPECT_EQ(vaveze_listing_reason(listing.Handle), c.Reason) << c.Path;
        const int status = c.Reason == VAVEZE_REASON_NONE ? VAVEZE_OK : VAVEZE_NOT_RECOGNISED;
        EXPECT_EQ(document.Status, status) << c.Path;
        EXPECT_EQ(listing.Status, status) << c.Path;
        EXPECT_STREQ(vaveze_document_message(document.Handle), vaveze_listing_message(listing.Handle)) << c.Path;
        EXPECT_EQ(*vaveze_listing_message(listing.Handle) == '\0', status == VAVEZE_OK) << c.Path;
        EXPECT_STRNE(vaveze_reason_text(c.Reason), vaveze_reason_text(999)) << c.Path;
    }
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

// VAVEZE_SALVAGE: the ordinary lines first and as ever, then the salvaged
// ones, each line saying which it is, and the places passed over; the same
// from a document, which a listing without the flag shows as ever.
TEST(CapiTest, SalvageAddsItsLinesAfterTheOthersAndSaysWhereItPassedOver)
{
    std::string damaged = ReadSample("plan.zvw");
    damaged.erase(12000, 7);  // a run out of the header: the entity lists are read out of step
    const Listing ordinary("plan.zvw", damaged, kAll);
    const Listing salvaged("plan.zvw", damaged, kAll | VAVEZE_SALVAGE);
    ASSERT_EQ(ordinary.Status, VAVEZE_PARTIAL);
    EXPECT_EQ(salvaged.Status, VAVEZE_PARTIAL);
    EXPECT_EQ(vaveze_listing_offset(salvaged.Handle), vaveze_listing_offset(ordinary.Handle));
    const size_t first = vaveze_listing_count(ordinary.Handle);
    const std::vector<std::string> lines = salvaged.Lines();
    ASSERT_GT(lines.size(), first + 1);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(first)),
              ordinary.Lines());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(vaveze_listing_line_salvaged(salvaged.Handle, i), i < first ? 0 : 1) << i;
        EXPECT_EQ(vaveze_listing_line_salvaged(ordinary.Handle, i), i < first ? 0 : VAVEZE_ERROR_ARGUMENT) << i;
    }
    EXPECT_EQ(vaveze_listing_line_kind(salvaged.Handle, first), VAVEZE_LINE_HEADING);  // repeated
    EXPECT_EQ(vaveze_listing_line_salvaged(salvaged.Handle, lines.size()), VAVEZE_ERROR_ARGUMENT);

    EXPECT_EQ(vaveze_listing_skipped_count(ordinary.Handle), 0u);
    ASSERT_GE(vaveze_listing_skipped_count(salvaged.Handle), 1u);
    int reason = 0;
    vaveze_offset from = 0, to = 0;
    EXPECT_EQ(vaveze_listing_skipped(salvaged.Handle, 0, &reason, &from, &to), VAVEZE_OK);
    EXPECT_NE(reason, VAVEZE_REASON_NONE);
    EXPECT_LT(from, to);
    EXPECT_LE(to, damaged.size());
    EXPECT_EQ(vaveze_listing_skipped(salvaged.Handle, vaveze_listing_skipped_count(salvaged.Handle), &reason, &from,
                                     &to),
              VAVEZE_ERROR_ARGUMENT);

    vaveze_document* document = nullptr;
    ASSERT_EQ(vaveze_open_bytes(damaged.data(), damaged.size(), "plan.zvw", &document), VAVEZE_PARTIAL);
    EXPECT_EQ(Listing(document, kAll).Lines(), ordinary.Lines());
    EXPECT_EQ(Listing(document, kAll | VAVEZE_SALVAGE).Lines(), lines);
    vaveze_document_free(document);
}

TEST(CapiTest, OneDocumentListsAsEachCallWithEveryOption)
{
    for (const char* sample : {"plan.zvw", "symbol.zvs", "drawing.zvc", "symbol.zvk"}) {
        auto document = std::make_unique<Document>(kSamples + sample);
        ASSERT_EQ(document->Status, VAVEZE_OK) << sample;
        EXPECT_EQ(vaveze_document_format(document->Handle), vaveze_listing_format(Listing(sample, ReadSample(sample)).Handle));
        std::vector<std::unique_ptr<Listing>> listings;
        for (unsigned flags = 0; flags <= kAll; ++flags)
            listings.push_back(std::make_unique<Listing>(document->Handle, flags));
        document.reset();  // the listings outlive it
        for (unsigned flags = 0; flags <= kAll; ++flags) {
            const Listing file(kSamples + sample, flags);
            const Listing bytes(sample, ReadSample(sample), flags);
            EXPECT_EQ(listings[flags]->Lines(), file.Lines()) << sample << flags;
            EXPECT_EQ(listings[flags]->Lines(true), file.Lines(true)) << sample << flags;
            EXPECT_EQ(bytes.Lines(), file.Lines()) << sample << flags;
        }
    }
    EXPECT_STREQ(vaveze_version(), VAVEZE_VERSION_STRING);
    EXPECT_EQ(vaveze_version_number(), VAVEZE_VERSION_NUMBER);
    EXPECT_EQ(VAVEZE_VERSION_NUMBER,
              VAVEZE_VERSION_MAJOR * 10000 + VAVEZE_VERSION_MINOR * 100 + VAVEZE_VERSION_PATCH);
}

// The sample drawing with its text "ソファ" changed to read as the heading
// of the texts does.
std::string DrawingWithHeadingText()
{
    std::string plan = ReadSample("plan.zvw");
    const std::string sofa = "\x83\x5C\x83\x74\x83\x40", heading = "\x81\xA1\x95\xB6\x8E\x9A\x8F\xEE\x95\xF1";
    const size_t at = plan.find(char(sofa.size()) + sofa);
    EXPECT_NE(at, std::string::npos);
    return plan.replace(at, sofa.size() + 1, char(heading.size()) + heading);
}

TEST(CapiTest, EveryLineKnowsItsKindAndBlock)
{
    const Listing listing("plan.zvw", DrawingWithHeadingText());
    const std::vector<std::string> lines = listing.Lines();
    const auto last = std::find(lines.begin() + 1, lines.end(), lines.front());
    ASSERT_NE(last, lines.end()) << "the text reads as the heading";
    EXPECT_EQ(vaveze_listing_line_kind(listing.Handle, 0), VAVEZE_LINE_HEADING);
    EXPECT_EQ(vaveze_listing_line_kind(listing.Handle, size_t(last - lines.begin())), VAVEZE_LINE_TEXT);

    // Every kind of ZVW, each block's lines under its number.
    const Listing all(kSamples + "plan.zvw", kAll);
    std::vector<int> kinds, blocks;
    for (size_t i = 0; i < vaveze_listing_count(all.Handle); ++i) {
        const int kind = vaveze_listing_line_kind(all.Handle, i);
        if (kinds.empty() || kinds.back() != kind)
            kinds.push_back(kind);
        const int block = vaveze_listing_line_block(all.Handle, i);
        EXPECT_EQ(block >= 0, kind >= VAVEZE_LINE_BLOCK_NAME) << i;
        int number = 0;
        EXPECT_EQ(vaveze_listing_line_block_number(all.Handle, i, &number), VAVEZE_OK) << i;
        EXPECT_EQ(number, block >= 0 ? block : VAVEZE_NO_BLOCK) << i;
        if (kind == VAVEZE_LINE_BLOCK_NAME)
            blocks.push_back(block);
    }
    EXPECT_EQ(kinds, (std::vector<int>{VAVEZE_LINE_HEADING, VAVEZE_LINE_HEADER_TEXT, VAVEZE_LINE_LAYER_GROUP,
                                       VAVEZE_LINE_LAYERS, VAVEZE_LINE_LAYER_GROUP, VAVEZE_LINE_LAYERS,
                                       VAVEZE_LINE_COLORS, VAVEZE_LINE_LINE_TYPES, VAVEZE_LINE_HEADING,
                                       VAVEZE_LINE_TEXT, VAVEZE_LINE_DIMENSION_TEXT, VAVEZE_LINE_HEADING,
                                       VAVEZE_LINE_BLOCK_NAME, VAVEZE_LINE_BLOCK_TEXT,
                                       VAVEZE_LINE_BLOCK_DIMENSION_TEXT, VAVEZE_LINE_BLOCK_NAME,
                                       VAVEZE_LINE_BLOCK_TEXT}));
    for (size_t i = 0; i < blocks.size(); ++i)
        EXPECT_EQ(blocks[i], int(i));

    // All at once as line by line; from any line.
    const size_t count = vaveze_listing_count(all.Handle);
    for (const size_t first : {size_t{0}, count / 2, count}) {
        std::vector<int> someKinds(count - first), someBlocks(count - first);
        ASSERT_EQ(vaveze_listing_line_kinds(all.Handle, first, count - first, someKinds.data(), someBlocks.data()),
                  VAVEZE_OK);
        for (size_t i = first; i < count; ++i) {
            EXPECT_EQ(someKinds[i - first], vaveze_listing_line_kind(all.Handle, i)) << i;
            EXPECT_EQ(someBlocks[i - first], vaveze_listing_line_block(all.Handle, i)) << i;
        }
    }
    EXPECT_EQ(vaveze_listing_line_kinds(all.Handle, 1, count, nullptr, nullptr), VAVEZE_ERROR_ARGUMENT);
    EXPECT_EQ(vaveze_listing_line_kinds(all.Handle, size_t(-1), 2, nullptr, nullptr), VAVEZE_ERROR_ARGUMENT);
}

TEST(CapiTest, WholeBytesAndSaveAreTheLinesAsTheToolWritesThem)
{
    const Listing listing(kSamples + "plan.zvw", kAll);
    std::string sjis, utf8;
    for (const std::string& line : listing.Lines())
        sjis += line + "\r\n";
    for (const std::string& line : listing.Lines(true))
        utf8 += line + "\n";
    EXPECT_EQ(listing.Bytes(VAVEZE_ENCODING_SHIFT_JIS), sjis);
    EXPECT_EQ(listing.Bytes(VAVEZE_ENCODING_UTF8), utf8);
    const char* first = nullptr;
    const char* again = nullptr;
    size_t size = 0;
    ASSERT_EQ(vaveze_listing_bytes(listing.Handle, VAVEZE_ENCODING_UTF8, &first, &size), VAVEZE_OK);
    ASSERT_EQ(vaveze_listing_bytes(listing.Handle, VAVEZE_ENCODING_UTF8, &again, &size), VAVEZE_OK);
    EXPECT_EQ(first, again);  // made once, owned by the listing
    EXPECT_EQ(first[size], '\0');

    const vaveze::TempFolder folder;
    const fs::path kept = folder.Write("kept.txt", "old");
    fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directory(folder.Path() / "folder.txt");
    const Listing unknown("plan.dat", ReadSample("plan.zvw"));
    const struct {
        const Listing& From;
        fs::path Path;
        int Status, Error;
        std::string Saved;  // what the path holds after
    } cases[] = {
        {listing, folder.Path() / "new.txt", VAVEZE_OK, 0, sjis},
        {listing, kept, VAVEZE_OK, 0, sjis},
        {listing, folder.Path() / "no" / "plan.txt", VAVEZE_ERROR_WRITE, ENOENT, ""},
        {listing, folder.Path() / "folder.txt", VAVEZE_ERROR_WRITE, EISDIR, ""},
        {unknown, folder.Path() / "unknown.txt", VAVEZE_ERROR_ARGUMENT, 0, ""},
    };
    for (const auto& c : cases) {
        int error = -1;
        EXPECT_EQ(vaveze_listing_save(c.From.Handle, c.Path.c_str(), &error), c.Status) << c.Path;
        EXPECT_EQ(error, c.Error) << c.Path;
        EXPECT_EQ(Slurp(c.Path), c.Saved) << c.Path;
    }
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    // new.txt, kept.txt and folder.txt: no temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 3);
}

}  // namespace
