// Reading the window flow's scenario table, and checking what a driver saw.
#include "scenarios.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "core/listing/csvtable.h"
#include "core/session/texts.h"
#include "core/session/session.h"
#include "core/text/cp932.h"

namespace vaveze::testing {
namespace {

namespace fs = std::filesystem;

std::string InDir(std::string text, const fs::path& dir)
{
    const std::string folder = PathUtf8(dir);
    for (std::size_t at = text.find("{dir}"); at != std::string::npos; at = text.find("{dir}", at + folder.size()))
        text.replace(at, 5, folder);
    return text;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ListingOptions OptionsOf(const std::array<bool, 3>& boxes) { return {boxes[0], boxes[1], boxes[2]}; }

// {"table": [sources]}: the table of every line of the sources, in the
// listing's encoding.
std::string TableOf(const fs::path& dir, const Json& sources, const ListingOptions& options)
{
    std::string bytes;
    CsvTable table(
        [&bytes](std::string_view more) {
            bytes.append(more);
            return 0;
        },
        false);
    for (const Json& source : sources) {
        const fs::path path = dir / fs::path(Utf16(source.get<std::string>()));
        Session session;
        table.StartFile(path);
        if (session.Open(path).Listed())
            (void)session.List(options, table);
    }
    (void)table.Finish();
    return bytes;
}

// {"listing": source}: the listing of `source` with the boxes as they are,
// as the pane shows it or as its bytes are saved.
std::u16string PaneOf(const fs::path& source, const ListingOptions& options)
{
    Session session;
    (void)session.Open(source);
    return session.ListForPane(options).Text();
}

std::string BytesOf(const fs::path& source, const ListingOptions& options)
{
    Session session;
    (void)session.Open(source);
    return session.PaneToBytes(session.ListForPane(options).Text()).Bytes;
}

template <typename T>
void ExpectEach(const Json& expected, const std::vector<T>& seen, const char* what)
{
    ::testing::Message all;
    for (std::size_t i = 0; i < seen.size(); ++i)
        all << (i == 0 ? "" : " | ") << seen[i];
    ASSERT_EQ(expected.size(), seen.size()) << what << "s: " << all;
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(expected[i].get<T>(), seen[i]) << what << " " << i << ": " << seen[i];
}

}  // namespace

std::string TestNameOf(const Scenario& scenario)
{
    std::string name;
    for (const char c : scenario.Name)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

std::vector<Scenario> LoadScenarios(const fs::path& table)
{
    std::ifstream in(table);
    const Json whole = Json::parse(in);
    std::vector<Scenario> scenarios;
    for (const Json& row : whole.at("scenarios"))
        scenarios.push_back({row.at("name").get<std::string>(), row.value("files", Json::object()),
                             row.at("steps").get<std::vector<Json>>(), row.value("replayed", false),
                             row.value("pane limit", std::size_t{0})});
    return scenarios;
}

void MakeFiles(const Json& files, const fs::path& dir, const fs::path& samples)
{
    for (const auto& [name, how] : files.items()) {
        const fs::path path = dir / fs::path(std::u8string(name.begin(), name.end()));
        fs::create_directories(how.value("folder", false) ? path : path.parent_path());
        if (how.value("folder", false))
            continue;
        std::string bytes = how.contains("sample") ? ReadBytes(samples / how.at("sample").get<std::string>())
                                                    : how.at("text").get<std::string>();
        if (how.contains("first"))
            bytes.resize(how.at("first").get<std::size_t>());
        if (how.contains("zero")) {  // a damaged place: [offset, length]
            const std::size_t at = how.at("zero")[0].get<std::size_t>();
            bytes.replace(at, how.at("zero")[1].get<std::size_t>(), how.at("zero")[1].get<std::size_t>(), '\0');
        }
        std::ofstream(path, std::ios::binary) << bytes;
    }
}

window::Reply ReplyNamed(const std::string& name)
{
    using window::Reply;
    static const std::pair<const char*, Reply> kNames[] = {
        {"yes", Reply::Yes},   {"no", Reply::No},           {"cancel", Reply::Cancel},       {"save", Reply::Save},
        {"don't save", Reply::DontSave}, {"save edits", Reply::SaveEdits}, {"save whole", Reply::SaveWhole}};
    for (const auto& [known, reply] : kNames)
        if (name == known)
            return reply;
    ADD_FAILURE() << "unknown answer " << name;
    return Reply::Cancel;
}

std::string HitRow(const std::string& file, std::size_t line, std::u16string_view text, std::size_t position,
                   std::size_t length)
{
    std::u16string marked(text);
    marked.insert(position + length, u"]");
    marked.insert(position, u"[");
    return file + ":" + std::to_string(line) + ":" + TypedUtf8(marked);
}

std::string MarkName(int mark)
{
    static const char* const kNames[] = {"none", "listed", "saved", "partial", "problem"};
    return mark >= 0 && mark < 5 ? kNames[mark] : "?";
}

std::u16string Utf16(const std::string& utf8) { return Utf8ToUtf16(utf8); }

std::string Utf8(const std::u16string& utf16) { return TypedUtf8(utf16); }

void CheckExpectations(const Json& expect, const Observed& seen, const fs::path& dir)
{
    const ListingOptions options = OptionsOf(seen.Boxes);
    for (const auto& [key, value] : expect.items()) {
        SCOPED_TRACE("expect " + key);
        if (key == "status") {
            EXPECT_EQ(seen.Status, InDir(value.get<std::string>(), dir)) << "status: " << seen.Status;
        } else if (key == "status starts") {
            EXPECT_TRUE(seen.Status.starts_with(InDir(value.get<std::string>(), dir))) << seen.Status;
        } else if (key == "notice") {
            EXPECT_EQ(seen.Notice, InDir(value.get<std::string>(), dir)) << "notice: " << seen.Notice;
        } else if (key == "path") {
            EXPECT_EQ(seen.Path, PathUtf8(dir / fs::path(Utf16(value.get<std::string>()))));
        } else if (key == "boxes") {
            EXPECT_EQ(seen.Boxes, (value.get<std::array<bool, 3>>()));
        } else if (key == "list shown") {
            EXPECT_EQ(seen.ListShown, value.get<bool>());
        } else if (key == "rows") {
            ExpectEach(value, seen.Rows, "row");
        } else if (key == "folders") {
            ExpectEach(value, seen.Folders, "folder");
        } else if (key == "marks") {
            ExpectEach(value, seen.Marks, "mark");
        } else if (key == "tooltips hold") {
            ASSERT_EQ(value.size(), seen.Tooltips.size());
            for (std::size_t i = 0; i < seen.Tooltips.size(); ++i)
                EXPECT_NE(seen.Tooltips[i].find(InDir(value[i].get<std::string>(), dir)), std::string::npos)
                    << seen.Tooltips[i];
        } else if (key == "hidden") {
            ExpectEach(value, seen.Hidden, "hidden");
        } else if (key == "selected") {
            EXPECT_EQ(seen.Selected, value.get<std::size_t>());
        } else if (key == "pane") {
            EXPECT_TRUE(seen.Pane == PaneOf(dir / value.at("listing").get<std::string>(), options))
                << Utf8(seen.Pane).substr(0, 200);
        } else if (key == "pane holds") {
            EXPECT_NE(seen.Pane.find(Utf16(value.get<std::string>())), std::u16string::npos);
        } else if (key == "pane lines") {
            EXPECT_EQ(static_cast<std::size_t>(std::count(seen.Pane.begin(), seen.Pane.end(), u'\n')) + 1,
                      value.get<std::size_t>());
        } else if (key == "notice offer") {
            EXPECT_EQ(seen.NoticeOffer, value.get<std::string>());
        } else if (key == "find field") {
            EXPECT_EQ(seen.FindField, value.get<std::string>());
        } else if (key == "offered") {
            ASSERT_EQ(value.size(), seen.Offered.size());
            for (std::size_t i = 0; i < value.size(); ++i)
                ExpectEach(value[i], seen.Offered[i], "button");
        } else if (key == "pane selection") {
            EXPECT_EQ(Utf8(seen.PaneSelection), value.get<std::string>());
        } else if (key == "hits") {
            ExpectEach(value, seen.Hits, "hit");
        } else if (key == "pane line") {
            EXPECT_EQ(seen.PaneLine, value.get<std::size_t>());
        } else if (key == "edited") {
            EXPECT_EQ(seen.Edited, value.get<bool>());
        } else if (key == "closed") {
            EXPECT_EQ(seen.Closed, value.get<bool>());
        } else if (key == "saving all") {
            EXPECT_EQ(seen.SavingAll, value.get<bool>());
        } else if (key == "asked") {
            // The question about the pane's edits by what replaces them.
            ASSERT_EQ(value.size(), seen.Questions.size());
            for (std::size_t i = 0; i < value.size(); ++i) {
                const std::string asked = value[i].get<std::string>();
                const std::string text = asked == "edits lost: relist" ? EditsLostQuestion(EditsAt::Relist)
                                         : asked == "edits lost: open" ? EditsLostQuestion(EditsAt::Open)
                                         : asked == "edits lost: close" ? EditsLostQuestion(EditsAt::SaveBeforeClose)
                                                                        : InDir(asked, dir);
                EXPECT_EQ(seen.Questions[i], text) << "question: " << seen.Questions[i];
            }
        } else if (key == "told") {
            ExpectEach(value, seen.Told, "message");
        } else if (key == "proposed") {
            ExpectEach(value, seen.Proposed, "proposed name");
        } else if (key == "beeps") {
            EXPECT_EQ(seen.Beeps, value.get<int>());
        } else if (key == "files") {
            for (const auto& [name, holds] : value.items()) {
                const fs::path path = dir / fs::path(Utf16(name));
                if (holds.is_null())
                    EXPECT_FALSE(fs::exists(path)) << name;
                else if (holds.is_string())
                    EXPECT_EQ(ReadBytes(path), holds.get<std::string>()) << name;
                else if (holds.contains("table"))
                    EXPECT_EQ(ReadBytes(path), TableOf(dir, holds.at("table"), options)) << name;
                else
                    EXPECT_TRUE(ReadBytes(path) == BytesOf(dir / holds.at("listing").get<std::string>(), options))
                        << name;
            }
        } else {
            ADD_FAILURE() << "unknown expectation " << key;
        }
    }
}

}  // namespace vaveze::testing
