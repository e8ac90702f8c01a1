// The list of hits as the flow keeps it: what each file's search adds, how
// far the search has come, and the lines it keeps however common the text.
#include <string>

#include <gtest/gtest.h>

#include "core/window/hitlist.h"

namespace vaveze::window {
namespace {

// A file searched with `hits` lines of `bytes`, the match at `position`.
SearchedFile Searched(std::size_t index, std::size_t hits, const std::string& bytes = "\x97\x81\x8E\xBA",
                      std::size_t position = 0)
{
    SearchedFile file;
    file.Index = index;
    file.Hits = hits;
    for (std::size_t line = 1; line <= hits; ++line)
        file.Lines.push_back({line, LineKind::Text, kNoBlock, bytes, position, 2});
    return file;
}

FileList Files(std::size_t count)
{
    std::vector<Source> sources(count);
    for (std::size_t i = 0; i < count; ++i)
        sources[i].Path = "f" + std::to_string(i) + ".zvw";
    return FileList(std::move(sources));
}

TEST(HitList, CountsEveryHitAndKeepsTheFirstOnesAsThePaneShowsThem)
{
    struct Case {
        const char* what;
        std::vector<std::size_t> hitsPerFile;
        bool stopAfter;  // 中止 once the files are taken
        SearchProgress expected;
    };
    const Case cases[] = {
        {"none found", {0, 0}, false, {false, false, 2, 2, 0, 0, 0}},
        {"some files hold it", {2, 0, 1}, false, {false, false, 3, 3, 2, 3, 3}},
        {"more than the list keeps", {kMostHitsKept, 5}, false,
         {false, false, 2, 2, 2, kMostHitsKept + 5, kMostHitsKept}},
        {"stopped after two of three", {1, 1}, true, {false, true, 2, 3, 2, 2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t files = c.stopAfter ? c.hitsPerFile.size() + 1 : c.hitsPerFile.size();
        HitList list;
        list.Start(Files(files), u"浴室", {}, false);
        for (std::size_t i = 0; i < c.hitsPerFile.size(); ++i) {
            ASSERT_EQ(list.NextToRead(), i);
            list.Take(Searched(i, c.hitsPerFile[i]));
        }
        if (c.stopAfter)
            list.Stop();
        const SearchProgress p = list.Progress();
        EXPECT_EQ(p.Running, c.expected.Running);
        EXPECT_EQ(p.Stopped, c.expected.Stopped);
        EXPECT_EQ(p.Done, c.expected.Done);
        EXPECT_EQ(p.Count, c.expected.Count);
        EXPECT_EQ(p.Holding, c.expected.Holding);
        EXPECT_EQ(p.Hits, c.expected.Hits);
        EXPECT_EQ(p.Kept, c.expected.Kept);
        EXPECT_EQ(list.Hits().size(), c.expected.Kept);
        EXPECT_FALSE(list.NextToRead());
    }
}

// Control bytes, CR, LF and quotes in a line stay what the pane shows: one
// row, the match where the pane has it.
TEST(HitList, ALineWithControlBytesIsTheLineThePaneShows)
{
    const std::string bytes = "a\r\n\"\x01\x97\x81\x8E\xBA";
    HitList list;
    list.Start(Files(1), u"浴室", {}, false);
    list.Take(Searched(0, 1, bytes, 5));
    ASSERT_EQ(list.Hits().size(), 1U);
    const Hit& hit = list.Hits()[0];
    EXPECT_EQ(hit.Text, u"a\uF70D\uF70A\"\uF701浴室");
    EXPECT_EQ(hit.Text.substr(hit.Position, hit.Length), u"浴室");
}

}  // namespace
}  // namespace vaveze::window
