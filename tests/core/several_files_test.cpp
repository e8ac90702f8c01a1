// What the windows share for several files that their own tests do not
// reach: the rule of find over a pane's text and of its field's first text,
// and for a front that reads and writes the files itself (the page) the
// order of a folder it walked and "save every listing".
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>

#include "core/session/batchsave.h"
#include "core/session/find.h"
#include "core/session/session.h"
#include "core/session/walk.h"
#include "tests/temp_folder.h"

namespace vaveze {
namespace {

namespace fs = std::filesystem;

TEST(FindInText, LatinLettersWithoutCaseOtherTextAsItIsAndRoundTheEnds)
{
    // 0: "Plan ＡＢ", 8: "plan ａｂ", 16: "浴室"
    const std::u16string text = u"Plan \uFF21\uFF22\nplan \uFF41\uFF42\n浴室";
    constexpr auto F = FindDirection::Forward;
    constexpr auto B = FindDirection::Backward;
    const struct {
        std::u16string_view Needle;
        std::size_t From;
        FindDirection Direction;
        std::optional<std::size_t> At;
        bool Wrapped;
    } cases[] = {
        {u"plan", 0, F, 0, false},     {u"PLAN", 1, F, 8, false},  {u"plan", 9, F, 0, true},
        {u"\uFF41\uFF42", 0, F, 5, false},  // full-width letters without case
        {u"plan", 8, B, 0, false},     {u"plan", 0, B, 8, true},   {u"浴室", 100, B, 16, false},
        {u"浴室", 17, F, 16, true},    {u"\uFF22\npl", 0, F, 6, false},  // as the pane's lines join
        {u"浴", 0, F, 16, false},      {u"浴場", 0, F, std::nullopt, false}, {u"", 0, F, std::nullopt, false},
        {u"浴室浴室", 0, B, std::nullopt, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const std::optional<TextMatch> match = FindInText(text, c.Needle, c.From, c.Direction);
        const std::string where = "case " + std::to_string(i);
        ASSERT_EQ(match.has_value(), c.At.has_value()) << where;
        if (!match)
            continue;
        EXPECT_EQ(match->Position, *c.At) << where;
        EXPECT_EQ(match->Length, c.Needle.size()) << where;
        EXPECT_EQ(match->Wrapped, c.Wrapped) << where;
    }
}

// Ctrl+F's field in every front: a selection within one line, else the
// filter's text, else the last query.
TEST(FindFieldStart, TheSelectionWithinALineElseTheFilterElseTheLastQuery)
{
    const std::u16string longest(kLongestFindSelection, u'x');
    const struct {
        std::u16string Selection;
        std::u16string_view Filter;
        std::u16string_view Expected;
    } cases[] = {
        {u"浴室", u"会議室", u"浴室"},      {u"", u"会議室", u"会議室"},         {u"", u"", u"前回"},
        {u"浴\n室", u"", u"前回"},          {u"浴\r\n室", u"会議室", u"会議室"}, {u"浴\v室", u"", u"前回"},
        {u"浴\u2029室", u"", u"前回"},      {longest, u"", longest},             {longest + u'x', u"", u"前回"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindFieldStart(c.Selection, c.Filter, u"前回"), c.Expected) << c.Selection.size();
}

// The page lists the bytes it read and writes each listing where the
// targets say; a write of its own that fails is counted as such.
TEST(FileList, MarksAProblemFirstThenAPartialListingThenASave)
{
    constexpr auto Read = SaveState::NotSaved;
    const struct {
        FileState State;
        SaveState Save;
        FileMark Mark;
    } cases[] = {
        {FileState::NotRead, Read, FileMark::None},
        {FileState::Listed, Read, FileMark::Listed},
        {FileState::Listed, SaveState::Saved, FileMark::Saved},
        {FileState::Partial, SaveState::Saved, FileMark::Partial},
        {FileState::Partial, SaveState::NotWritten, FileMark::Problem},
        {FileState::NotRecognised, Read, FileMark::Problem},
    };
    for (const auto& c : cases) {
        ListedFile file;
        file.State = c.State;
        file.Save = c.Save;
        EXPECT_EQ(MarkOf(file), c.Mark) << static_cast<int>(c.State) << " " << static_cast<int>(c.Save);
    }
}

TEST(InWalkOrder, PutsWhatAFrontWalkedAsTheFileSystemsWalkHasIt)
{
    // Upper case before lower, a folder's files where its name sorts, UTF-8
    // bytes (浴 after every Latin letter), other files left out.
    const char* const files[] = {"b.zvw", "B.zvw", "a.zvw", "a/x.zvc", "a b/y.zvk", "浴室/z.zvw", "a/notes.txt", "a.bak"};
    const TempFolder folder;
    std::vector<Source> found;
    for (const char* name : files) {
        const fs::path relative = fs::path(reinterpret_cast<const char8_t*>(name));
        fs::create_directories((folder.Path() / relative).parent_path());
        std::ofstream(folder.Path() / relative) << "x";
        found.insert(found.begin(), {relative, relative, 0, {}, {}});
    }
    found.push_back({"unread", "unread", 0, "no permission", {}});
    fs::create_directory(folder.Path() / "unread");
    std::vector<fs::path> walked;
    for (const Source& source : CollectSources({folder.Path()}, true))
        walked.push_back(source.Relative);
    std::vector<fs::path> ordered;
    for (const Source& source : InWalkOrder(found))
        ordered.push_back(source.Relative);
    walked.insert(walked.end() - 1, "unread");  // a folder read here; the front could not
    EXPECT_EQ(ordered, walked);
    EXPECT_EQ(ordered.front(), "B.zvw");
    EXPECT_EQ(ordered.size(), 8U);
}

TEST(BatchSave, ListsBytesAFrontReadUnderTheToolsNamesAndCountsItsFailedWrites)
{
    std::ifstream in(fs::path(VAVEZE_SAMPLES_DIR) / "plan.zvw", std::ios::binary);
    const std::string plan{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    FileList list({{"site/plan.bak", "site/plan.bak", 0, {}, {}},
                   {"site/plan.zvw", "site/plan.zvw", 0, {}, {}},
                   {"site/fake.zvk", "site/fake.zvk", 0, {}, {}}});
    const ListingOptions options{true, true, true};
    BatchSave batch(list, options);
    ASSERT_EQ(batch.Targets().size(), 3U);
    EXPECT_EQ(batch.Targets()[0].Path, fs::path("site/plan.bak.txt"));
    EXPECT_EQ(batch.Targets()[1].Path, fs::path("site/plan.txt"));

    Session session;
    (void)session.OpenBytes(plan, "plan.zvw");
    VectorSink lines;
    ASSERT_TRUE(session.List(options, lines));
    std::string expected;
    for (const std::string& line : lines.Lines)
        expected += line + "\r\n";

    std::string listing;
    EXPECT_EQ(batch.ListNext(plan, listing), 0U);
    EXPECT_EQ(listing, expected);
    EXPECT_EQ(batch.ListNext(plan, listing), 1U);
    batch.NotWritten(1, "no room");
    EXPECT_EQ(batch.ListNext("not a drawing", listing), 2U);
    EXPECT_TRUE(listing.empty());
    EXPECT_TRUE(batch.Finished());
    EXPECT_FALSE(batch.Stopped());

    EXPECT_EQ(list[0].Save, SaveState::Saved);
    EXPECT_EQ(list[0].SavedLines, lines.Lines.size());
    EXPECT_EQ(list[1].WriteFailure, "no room");
    EXPECT_EQ(list[2].State, FileState::NotRecognised);
    const BatchSummary summary = batch.Summary();
    EXPECT_EQ(summary.Saved, 1U);
    EXPECT_EQ(summary.NotWritten, 1U);
    EXPECT_EQ(summary.NotRecognised, 1U);
    EXPECT_EQ(summary.SavedInPart + summary.NotReached, 0U);
}

}  // namespace
}  // namespace vaveze
