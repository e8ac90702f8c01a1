// A user's session: what opening files does to the file chosen, the file
// shown and the kept parse, why a file is not listed, and the words for it.
#include "core/session/session.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/session/encoding.h"
#include "core/session/texts.h"
#include "core/session/walk.h"
#include "tests/temp_folder.h"

namespace vaveze {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = VAVEZE_SAMPLES_DIR;

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Lines(const Session& session, const ListingOptions& options)
{
    VectorSink sink;
    EXPECT_TRUE(session.List(options, sink));
    return sink.Lines;
}

TEST(Session, AFileNotListedKeepsTheParseTheFileShownAndWhereItsListingIsSaved)
{
    const TempFolder folder;
    const fs::path plan = folder.Write("plan.zvw", Read(kSamples / "plan.zvw"));
    const fs::path other = folder.Write("other.zvw", "not a drawing");
    Session session;
    EXPECT_TRUE(session.ProposedSavePath().empty());

    ASSERT_TRUE(session.Open(plan).Listed());
    const std::vector<std::string> plain = Lines(session, {});
    const std::vector<std::string> all = Lines(session, {true, true, true});
    EXPECT_GT(all.size(), plain.size());
    // Listed again with other options from what was read, not from the file.
    fs::remove(plan);
    EXPECT_EQ(Lines(session, {true, true, true}), all);

    const OpenResult& failed = session.Open(other);
    EXPECT_FALSE(failed.Listed());
    EXPECT_EQ(failed.Warning, WarningKind::NotZvw);
    EXPECT_EQ(session.Chosen().Path, other);
    EXPECT_EQ(session.Shown().Path, plan);
    EXPECT_EQ(Lines(session, {}), plain);
    EXPECT_EQ(session.ProposedSavePath(), folder.Write("plan.txt", "").parent_path() / "plan.txt");
    EXPECT_EQ(PaneNotice(session.Chosen(), session.Shown()),
              "「other.zvw」は抽出できませんでした（ZVW 図面ファイルではありません (先頭が ZVW "
              "図面ファイルのものではありません)）。 表示は「plan.zvw」のままです。");

    // Bytes open as a file would, by their name's extension.
    const std::string zvk = Read(kSamples / "symbol.zvk");
    EXPECT_EQ(session.OpenBytes(zvk, "symbol.bak").Kind, FormatKind::Zvk);
    EXPECT_EQ(session.Shown().Path, "symbol.bak");
    const OpenResult& cut = session.OpenBytes(std::string_view(zvk).substr(0, 300), "cut.zvk");
    EXPECT_TRUE(cut.Partial());
    EXPECT_NE(PaneNotice(session.Chosen(), session.Shown()).find("「cut.zvk」は最後まで読めませんでした"),
              std::string::npos);

    session.Close();
    EXPECT_FALSE(session.HasListing());
    EXPECT_TRUE(Lines(session, {true, true, true}).empty());
}

TEST(Session, EveryReasonAFileIsNotListedHasWordsInBothLanguages)
{
    const TempFolder folder;
    fs::create_directory(folder.Write("x", "").parent_path() / "folder.zvw");
    const struct {
        std::string Name;
        std::string Bytes;  // written unless the name is a folder's or missing
        NotListedReason Reason;
        const char* English;
        const char* Japanese;
    } cases[] = {
        {"missing.zvc", "", NotListedReason::NoFile, "no such file", "ファイルがありません"},
        {"folder.zvw", "", NotListedReason::Folder, "is a folder", "フォルダーです"},
        {"empty.zvk", "", NotListedReason::Empty, "is empty", "空のファイルです"},
        {"a.zvw", "x", NotListedReason::NotZvw, "not a ZVW drawing file", "ZVW 図面ファイルではありません"},
        {"a.ZVS", "x", NotListedReason::NotZvs, "not a ZVS symbol file", "ZVS 図形ファイルではありません"},
        {"a.zvc", "x", NotListedReason::NotZvc, "not a ZVC drawing file", "ZVC 図面ファイルではありません"},
        {"a.zvk", "x", NotListedReason::NotZvk, "not a ZVK symbol file", "ZVK 図形ファイルではありません"},
        {"a.bk1", "x", NotListedReason::NotAnyFormat, "not a backup", "いずれのファイルのバックアップでもありません"},
        {"a.txt", "x", NotListedReason::UnknownName, "not a drawing or symbol file", "図面ファイルでも図形ファイルでも"},
    };
    for (const auto& c : cases) {
        fs::path path = folder.Write("x", "").parent_path() / c.Name;
        if (c.Reason == NotListedReason::Empty || !c.Bytes.empty())
            path = folder.Write(c.Name, c.Bytes);
        Session session;
        const OpenResult& result = session.Open(path);
        EXPECT_EQ(result.Reason, c.Reason) << c.Name;
        EXPECT_NE(NotListedReasonText(result, Language::English).find(c.English), std::string::npos) << c.Name;
        EXPECT_NE(NotListedReasonText(result, Language::Japanese).find(c.Japanese), std::string::npos) << c.Name;
    }
    // A folder a walk could not read is told as a file that could not be.
    const Source locked{"locked", "locked", 0, "Permission denied", std::make_error_code(std::errc::permission_denied)};
    EXPECT_EQ(NotListedReasonText(NotWalked(locked), Language::Japanese), "読み取る権限がありません");
    const Source failing{"failing", "failing", 0, "Input/output error", std::make_error_code(std::errc::io_error)};
    EXPECT_EQ(NotListedReasonText(NotWalked(failing), Language::English), "could not be read: Input/output error");
}

TEST(Session, StopsAndStatusesSayWhereAndWhy)
{
    ParseOutcome cut{StopReason::EndsEarly, 3000, "text record"};
    EXPECT_EQ(StopText(cut, Language::English), "the file ends at byte 3,000 inside a text record");
    EXPECT_EQ(StopText(cut, Language::Japanese), "ファイルが 3,000 バイト目、文字レコードの途中で終わっています");
    ParseOutcome version{StopReason::UnsupportedVersion, 8, "file header"};
    EXPECT_EQ(StopText(version, Language::Japanese), "対応していないバージョンです (8 バイト目、ファイルヘッダ)");
    EXPECT_EQ(StopText({}, Language::Japanese), "");

    OpenResult listed;
    listed.Path = "dir/plan.zvw";
    listed.Kind = FormatKind::Zvw;
    EXPECT_EQ(ListedStatus(listed, 100507, false), "ZVW 図面ファイル「plan.zvw」から 100,507 行を抽出しました。");
    listed.Outcome = cut;
    EXPECT_EQ(ListedStatus(listed, 1, true),
              "ZVW 図面ファイル「plan.zvw」から 1 行を抽出しました。 ファイルを最後まで読めなかったため（ファイルが "
              "3,000 バイト目、文字レコードの途中で終わっています）、読めたところまでを表示しています。 "
              "表示できる文字数の上限に達したため、途中で打ち切りました。");
    EXPECT_EQ(UnencodableMessage(U"\U0001F600\u0001"),
              "次の文字は Shift-JIS にないため、保存できません。\n「\U0001F600」(U+1F600)、U+0001\n"
              "これらの文字を書き換えてから、もう一度保存してください。");
    EXPECT_STREQ(Text(WindowText::BlocksBox), "ブロック情報を含む　（※ZVC/ZVKの場合は無関係）");
}

// The tool's output: UTF-8 on a terminal whatever the locale, to a pipe as
// the locale says (never on Windows), Shift-JIS to files and anything else,
// unless --utf8 or --sjis forces either; always UTF-8 to a Windows console,
// which takes characters.
TEST(Session, OutputEncodingByWhatTheStreamIsTheLocaleAndWhatWasAsked)
{
    const auto utf8 = TextEncoding::Utf8;
    const auto sjis = TextEncoding::ShiftJis;
    for (const auto& [locale, isUtf8] : std::vector<std::pair<LocaleVariables, bool>>{
             {{}, false},
             {{"", "", "C.UTF-8"}, true},
             {{"", "", "ja_JP.utf8"}, true},
             {{"", "", "de_DE.Utf-8@euro"}, true},
             {{"ja_JP.UTF-8", "C", "C"}, true},
             {{"C", "", "ja_JP.UTF-8"}, false},
             {{"", "ja_JP.UTF-8", "C"}, true},
             {{"", "POSIX", "C.UTF-8"}, false},
             {{"", "", "ja_JP.eucJP"}, false},
             {{"", "", "ja_JP.SJIS"}, false},
             {{"", "", "ja_JP"}, false},
             {{"", "", "C.UTF-16"}, false},
             {{"", "", "C.UTF-8x"}, false}}) {
        const std::string name = std::string(locale.LcAll) + "/" + std::string(locale.LcCtype) + "/" +
                                 std::string(locale.Lang);
        EXPECT_EQ(IsUtf8Locale(locale), isUtf8) << name;
        const TextEncoding pipe = isUtf8 ? utf8 : sjis;
        for (const auto& [asked, stream, system, expected] :
             std::vector<std::tuple<std::optional<TextEncoding>, StreamKind, OutputSystem, TextEncoding>>{
                 {std::nullopt, StreamKind::Terminal, OutputSystem::Posix, utf8},
                 {std::nullopt, StreamKind::Pipe, OutputSystem::Posix, pipe},
                 {std::nullopt, StreamKind::Pipe, OutputSystem::Windows, sjis},
                 {std::nullopt, StreamKind::File, OutputSystem::Posix, sjis},
                 {std::nullopt, StreamKind::File, OutputSystem::Windows, sjis},
                 {std::nullopt, StreamKind::Other, OutputSystem::Posix, sjis},
                 {sjis, StreamKind::Terminal, OutputSystem::Posix, sjis},
                 {sjis, StreamKind::Pipe, OutputSystem::Posix, sjis},
                 {utf8, StreamKind::Pipe, OutputSystem::Windows, utf8},
                 {utf8, StreamKind::File, OutputSystem::Posix, utf8},
                 {std::nullopt, StreamKind::Console, OutputSystem::Windows, utf8},
                 {sjis, StreamKind::Console, OutputSystem::Windows, utf8}}) {
            EXPECT_EQ(OutputEncoding(asked, locale, stream, system), expected)
                << name << ", stream " << static_cast<int>(stream) << ", system " << static_cast<int>(system);
        }
    }
}

}  // namespace
}  // namespace vaveze
