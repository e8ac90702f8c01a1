// Runs the built vaveze-list as a user or a script would: the native tool,
// or the one named by VAVEZE_LIST (make test-web runs these cases over the
// Node tool, build-web/vaveze-list.mjs).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <termios.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/listing/extraction.h"
#include "core/listing/listing.h"
#include "core/readers/dos/zvkunit.h"
#include "core/readers/win/zvwunit.h"
#include "core/text/cp932.h"
#include "tests/dos/dos_writer.h"
#include "tests/win/zvw_writer.h"
#include "tests/temp_folder.h"

extern char** environ;

namespace vaveze {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ToolPath()
{
    const char* other = std::getenv("VAVEZE_LIST");
    return other != nullptr && *other != '\0' ? other : VAVEZE_LIST_PATH;
}

class CliTest : public testing::Test {
protected:
    std::string Write(const std::string& name, std::string_view bytes) { return folder_.Write(name, bytes).string(); }

    // Standard output goes to `out` when it is given, and is then not read;
    // standard input comes from `in` when it is given.
    Outcome Execute(std::vector<std::string> args, std::vector<std::string> env = {}, std::string out = {},
                    std::string in = {})
    {
        const bool readOut = out.empty();
        if (readOut)
            out = (dir_ / "stdout").string();
        Outcome run = Spawn(std::move(args), std::move(env), [&](posix_spawn_file_actions_t& actions) {
            posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (!in.empty())
                posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        });
        run.out = readOut ? Slurp(out) : std::string();
        return run;
    }

    // Standard output is `writeEnd` (a pipe's, a terminal's), whose other
    // end `readEnd` is read until the tool has closed it.
    Outcome ExecuteOnto(std::vector<std::string> args, int writeEnd, int readEnd, std::vector<std::string> env = {})
    {
        std::string out;
        Outcome run = Spawn(std::move(args), std::move(env), [&](posix_spawn_file_actions_t& actions) {
            posix_spawn_file_actions_adddup2(&actions, writeEnd, 1);
        }, [&] {
            ::close(writeEnd);
            char buffer[4096];
            for (ssize_t n; (n = ::read(readEnd, buffer, sizeof buffer)) > 0;)
                out.append(buffer, static_cast<std::size_t>(n));
        });
        ::close(readEnd);
        run.out = std::move(out);
        return run;
    }

    // Standard input a pipe that holds `input` (at most a pipe's buffer),
    // as `cat FILE | tool ARGS`.
    Outcome ExecuteFromPipe(std::vector<std::string> args, std::string_view input)
    {
        int ends[2];
        EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        EXPECT_EQ(::write(ends[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
        ::close(ends[1]);
        const std::string out = (dir_ / "stdout").string();
        Outcome run = Spawn(std::move(args), {}, [&](posix_spawn_file_actions_t& actions) {
            posix_spawn_file_actions_adddup2(&actions, ends[0], 0);
            posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        });
        ::close(ends[0]);
        run.out = Slurp(out);
        return run;
    }

    // Standard output a pipe, as `tool ARGS | cat`, in the environment given.
    Outcome ExecuteIntoPipe(std::vector<std::string> args, std::vector<std::string> env = {})
    {
        int ends[2];
        EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        return ExecuteOnto(std::move(args), ends[1], ends[0], std::move(env));
    }

    template <class Redirect, class WhileRunning = void (*)()>
    Outcome Spawn(std::vector<std::string> args, std::vector<std::string> env, Redirect redirect,
                  WhileRunning whileRunning = [] {})
    {
        args.insert(args.begin(), ToolPath());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        const std::string err = (dir_ / "stderr").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        redirect(actions);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        Outcome run;
        // The variables given replace those of the same name.
        const auto given = [&](std::string_view entry) {
            return std::any_of(env.begin(), env.end(), [&](const std::string& e) {
                return entry.substr(0, entry.find('=') + 1) == std::string_view(e).substr(0, e.find('=') + 1);
            });
        };
        std::vector<char*> envp;
        for (char** e = environ; *e != nullptr; ++e)
            if (!given(*e))
                envp.push_back(*e);
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
            whileRunning();
            int wstatus = 0;
            ::waitpid(pid, &wstatus, 0);
            run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
        }
        posix_spawn_file_actions_destroy(&actions);
        run.err = Slurp(err);
        return run;
    }

    TempFolder folder_;
    const fs::path& dir_ = folder_.Path();
    const std::string heading_ = std::string(kHeadingText) + "\r\n";
};

TEST_F(CliTest, UsageErrors)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"--bogus", "x.zvw"}, {"-j", "0", "x.zvw"}, {"--output-dir", "d", "x.zvw"}, {"x.zvw", "-j"},
             // JSON is UTF-8 on standard output, instead of names; standard input has no folder to save in.
             {"--json", "--sjis", "x.zvw"}, {"--utf8", "--json", "x.zvw"}, {"--json", "--save", "x.zvw"},
             {"--failed", "--json", "x.zvw"}, {"--save", "x.zvw", "-"}, {"-平面図.zvw"},
             // --grep needs a text; -l and -c need --grep and exclude each other and what writes listings.
             {"--grep", "", "x.zvw"}, {"-l", "x.zvw"}, {"--grep=a", "-lc", "x.zvw"}, {"--grep", "a", "--save", "x.zvw"},
             {"--grep", "a", "-c", "--json", "x.zvw"},
             // One table goes to one place, and holds listings only.
             {"--csv", "t.csv", "--save", "x.zvw"}, {"--csv", "-", "--json", "x.zvw"}, {"--csv=-", "--grep", "a", "x.zvw"}}) {
        const Outcome run = Execute(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.empty());
        // The problem, one line of usage and where to look further.
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 3) << run.err;
        EXPECT_NE(run.err.find("Usage:"), std::string::npos);
        EXPECT_NE(run.err.find("--help"), std::string::npos);
    }
    // An unknown short option is named by its whole argument, never half a character.
    EXPECT_NE(Execute({"-r平面図.zvw"}).err.find("unknown option '-r平面図.zvw'\n"), std::string::npos);
    const Outcome help = Execute({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--dimensions"), std::string::npos);
    const Outcome version = Execute({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("1.2.0"), std::string::npos);
}

TEST_F(CliTest, UnrecognisedFilesWriteNothingToStandardOutput)
{
    const Outcome missing = Execute({(dir_ / "missing.zvw").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_FALSE(missing.err.empty());

    const Outcome wrongZvw = Execute({Write("wrong.zvw", "not a drawing")});
    EXPECT_EQ(wrongZvw.status, 1);
    EXPECT_TRUE(wrongZvw.out.empty());
    EXPECT_EQ(wrongZvw.err,
              "vaveze-list: " + (dir_ / "wrong.zvw").string() + ": not a ZVW drawing file: it does not start as one\n");

    const Outcome wrongZvs = Execute({Write("wrong.zvs", "not a symbol")});
    EXPECT_EQ(wrongZvs.status, 1);
    EXPECT_NE(wrongZvs.err.find(": not a ZVS symbol file: it does not start as one\n"), std::string::npos);

    for (const char* name : {"wrong.zvc", "wrong.zvk", "plan.txt", "noext"}) {
        const Outcome run = Execute({Write(name, "ZvwData.")});
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_TRUE(run.out.empty()) << name;
    }
    for (const auto& [path, reason] : std::vector<std::pair<std::string, std::string>>{
             {Write("empty.zvc", ""), ": is empty\n"}, {"/dev/null", "/dev/null: is not a regular file"}}) {
        const Outcome run = Execute({path});
        EXPECT_EQ(run.status, 1) << path;
        EXPECT_TRUE(run.out.empty()) << path;
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    }
}

TEST_F(CliTest, CutOffFileIsListedAsFarAsReadWithStatusThree)
{
    const std::string path = Write("cut.zvw", std::string(kZvwMagic) + "\xDC");
    const Outcome run = Execute({path});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, heading_);
    EXPECT_NE(run.err.find("cut.zvw: the file ends at byte 9 inside a file header"), std::string::npos);

    const Outcome header = Execute({"--header", path});
    EXPECT_EQ(header.out, std::string(kHeadingHeader) + "\r\n" + heading_);

    // The same bytes as a backup are listed alike.
    EXPECT_EQ(Execute({Write("cut.BK1", std::string(kZvwMagic) + "\xDC")}).out, heading_);
}

// --salvage: past the damaged place, the texts found follow what was read,
// as lines and as JSON, and the message says how many; the status is the
// ordinary reading's.
TEST_F(CliTest, SalvageListsTheTextsBeyondADamagedPlaceAfterTheRest)
{
    winwriter::ZvwDocument doc;
    doc.Version = 420;
    for (const char* text : {"T1", "T2", "T3", "T4", "T5"})
        doc.Entities.Add(winwriter::MakeMoji(text));
    std::string bytes = winwriter::WriteZvw(doc);
    // T3's tag (behind its attributes, numbers and empty first string) made
    // a class name longer than any: the reading stops there.
    const std::size_t tag = bytes.find("\x02T3") - 1 - (15 + 4 * 8 + 4 + 4 * 8) - 2;
    bytes.replace(tag, 6, "\xFF\xFF\x01\x00\xFF\x7F", 6);
    const std::string path = Write("damaged.zvw", bytes);

    const Outcome plain = Execute({path});
    const Outcome salvaged = Execute({"--salvage", path});
    EXPECT_EQ(plain.status, 3);
    EXPECT_EQ(salvaged.status, 3);
    EXPECT_EQ(salvaged.out, plain.out + heading_ + "T4\r\nT5\r\n");
    EXPECT_NE(salvaged.err.find("damaged.zvw: a declared count or size that cannot be right for this file, at byte " +
                                GroupThousands(tag + 4) + " in the entity list, what was read is listed; 2 lines "
                                "salvaged beyond 1 damaged place"),
              std::string::npos) << salvaged.err;

    const Outcome json = Execute({"--json", "--salvage", path});
    const std::string start = "{\"path\":\"" + path + "\",";
    EXPECT_NE(json.out.find(start + "\"line\":3,\"kind\":\"text\",\"block\":null,\"salvaged\":false,\"text\":\"T2\""),
              std::string::npos) << json.out;
    EXPECT_NE(json.out.find(start + "\"line\":5,\"kind\":\"text\",\"block\":null,\"salvaged\":true,\"text\":\"T4\""),
              std::string::npos) << json.out;
    EXPECT_TRUE(json.out.ends_with(start + "\"skipped\":{\"reason\":\"impossible_size\",\"from\":" +
                                   std::to_string(tag) + ",\"to\":" + std::to_string(bytes.find("\x02T4") - 86) +
                                   "}}\n")) << json.out;
    EXPECT_EQ(Execute({"--json", path}).out.find("salvaged"), std::string::npos);
    EXPECT_EQ(Execute({"--grep", "T5", path}).status, 2);
    EXPECT_EQ(Execute({"--grep", "T5", "--salvage", path}).out, "6:T5\r\n");
}

// The tool's guard, through the core's fault hook: memory that runs out
// while a file is read is that file's alone; any other fault, on whichever
// job, stops the run with its message and status 5.
TEST_F(CliTest, AFaultStopsTheRunWithItsMessageAndMemoryForOneFileIsThatFilesAlone)
{
    std::vector<std::string> files;
    for (const char* name : {"a.zvw", "b.zvw", "c.zvw", "d.zvw"})
        files.push_back(Write(name, std::string(kZvwMagic) + "\xDC"));
    const struct {
        const char* Fault;  // VAVEZE_TEST_FAULT: the kind, and how many fault points pass first
        const char* Jobs;
        int Status;
        const char* Says;
        std::size_t Listed;  // files listed to standard output
    } cases[] = {
        {"memory", "1", 1, "a.zvw: not enough memory to read it", 3},  // opening the first file
        {"memory:1", "1", 5, "vaveze-list: There is not enough memory to do this.", 0},  // listing it
        {"internal:2", "4", 5, "vaveze-list: An internal error stopped this (", 0},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"-q", "-j", c.Jobs};
        args.insert(args.end(), files.begin(), files.end());
        const Outcome run = Execute(args, {std::string("VAVEZE_TEST_FAULT=") + c.Fault});
        EXPECT_EQ(run.status, c.Status) << c.Fault;
        EXPECT_NE(run.err.find(c.Says), std::string::npos) << c.Fault << ": " << run.err;
        if (c.Listed != 0) {
            std::size_t headings = 0;
            for (std::size_t at = run.out.find(heading_); at != std::string::npos; at = run.out.find(heading_, at + 1))
                ++headings;
            EXPECT_EQ(headings, c.Listed) << c.Fault;
        }
    }
}

TEST_F(CliTest, Utf8OutputUsesLineFeeds)
{
    const Outcome run = Execute({"--utf8", Write("cut.zvw", std::string(kZvwMagic))});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "■文字情報\n");
}

// A terminal gets UTF-8 whatever the locale; a pipe UTF-8 when the locale
// is UTF-8 (LC_ALL, else LC_CTYPE, else LANG) and Shift-JIS otherwise; a
// file the listing as the window saves it; --utf8 and --sjis force either.
// The Node tool must ask Node what its standard output is: its runtime
// calls every stream a terminal.
TEST_F(CliTest, EncodingFollowsWhatStandardOutputIsAndTheLocale)
{
    const std::string path = Write("cut.zvw", std::string(kZvwMagic));
    const std::string utf8 = "■文字情報\n";
    const auto locale = [](const char* all, const char* ctype, const char* lang) {
        return std::vector<std::string>{std::string("LC_ALL=") + all, std::string("LC_CTYPE=") + ctype,
                                        std::string("LANG=") + lang};
    };
    const auto onTerminal = [&](std::vector<std::string> args) {
        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        EXPECT_GE(terminal, 0);
        EXPECT_EQ(::grantpt(terminal), 0);
        EXPECT_EQ(::unlockpt(terminal), 0);
        const int side = ::open(::ptsname(terminal), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios raw{};  // bytes as written: no CR added before LF
        ::tcgetattr(side, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(side, TCSANOW, &raw);
        return ExecuteOnto(std::move(args), side, terminal, locale("", "", "C")).out;
    };
    EXPECT_EQ(onTerminal({path}), utf8);
    EXPECT_EQ(onTerminal({"--sjis", path}), heading_);
    struct Case {
        std::vector<std::string> Locale;
        std::vector<std::string> Args;
        std::string Expected;
    };
    for (const Case& c : std::vector<Case>{
             {locale("", "", "C.UTF-8"), {path}, utf8},
             {locale("", "ja_JP.utf8", "C"), {path}, utf8},
             {locale("C", "", "C.UTF-8"), {path}, heading_},
             {locale("", "", "ja_JP.eucJP"), {path}, heading_},
             {locale("", "", ""), {path}, heading_},
             {locale("", "", "C.UTF-8"), {"--sjis", path}, heading_},
             {locale("", "", "C"), {"--utf8", path}, utf8}}) {
        EXPECT_EQ(ExecuteIntoPipe(c.Args, c.Locale).out, c.Expected) << c.Locale[0] << c.Locale[1] << c.Locale[2];
    }
    // A redirect to a file is the window's save, whatever the locale.
    EXPECT_EQ(Execute({path}, locale("", "", "C.UTF-8")).out, heading_);
    EXPECT_EQ(Execute({"--utf8", path}, locale("", "", "C")).out, utf8);
}

TEST_F(CliTest, SaveWritesBesideEachSourceAndReportsTheWorstStatus)
{
    const std::string a = Write("plan.old.zvw", std::string(kZvwMagic));
    const std::string b = Write("plan", "unknown");
    const std::string c = Write("sym.ZVK", std::string(kZvkMagic));
    // An existing listing is replaced.
    Write("plan.old.txt", "previous contents");
    const Outcome run = Execute({"--save", "--header", a, b, c});
    EXPECT_EQ(run.status, 1);  // not recognised outweighs listed in part
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(Slurp(dir_ / "plan.old.txt"), std::string(kHeadingHeader) + "\r\n" + heading_);
    EXPECT_EQ(Slurp(dir_ / "sym.txt"), std::string(kHeadingHeader) + "\r\n" + heading_);
    EXPECT_FALSE(fs::exists(dir_ / "plan.txt"));  // not recognised: nothing written
    // One report line per file, then the summary.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 4);
}

TEST_F(CliTest, SaveIntoAnUnwritableFolderKeepsTheExistingFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root can write anywhere";
    const std::string path = Write("plan.zvw", std::string(kZvwMagic));
    Write("plan.txt", "keep me");
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    const Outcome run = Execute({"--save", path});
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(Slurp(dir_ / "plan.txt"), "keep me");
}

TEST_F(CliTest, FailedSaveLeavesNoTemporaryFileBehind)
{
    // A folder where the listing should go cannot be replaced, even by root.
    const std::string path = Write("plan.zvw", std::string(kZvwMagic));
    fs::create_directories(dir_ / "plan.txt");
    const Outcome run = Execute({"--save", path});
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(fs::is_directory(dir_ / "plan.txt"));
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename().string().find("plan.txt."), std::string::npos) << entry.path();
}

// The drawing of the worked example: empty memo, group 0 named G0 with layers
// L0 and L1, texts T1 and T2, one dimension 100, one block B holding BT.
std::string WorkedExampleDrawing(std::int32_t version)
{
    using namespace winwriter;
    ZvwDocument doc;
    doc.Version = version;
    doc.Group(0).Name = "G0";
    doc.Layer(0, 0).Name = "L0";
    doc.Layer(0, 1).Name = "L1";
    doc.Entities.Add(MakeSen(0, 0, 1, 1)).Add(MakeMoji("T1", "first")).Add(MakeSunpo("100")).Add(MakeMoji("T2"));
    EntityList block;
    block.Add(MakeMoji("BT"));
    doc.BlockDefs.Defs.push_back(MakeBlockDef("B", block));
    return WriteZvw(doc);
}

std::string CrLf(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& line : lines)
        out += line + "\r\n";
    return out;
}

TEST_F(CliTest, WorkedExampleUnderEveryCombinationOfOptions)
{
    const std::string h(kHeadingHeader), t(kHeadingText), b(kHeadingBlock), mark(kBlockMark);
    for (const std::int32_t version : {220, 419, 420, 700}) {
        const std::string path = Write("example.zvw", WorkedExampleDrawing(version));
        const auto list = [&](std::vector<std::string> args) {
            args.push_back(path);
            const Outcome run = Execute(args);
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_TRUE(run.err.empty()) << run.err;
            return run.out;
        };
        SCOPED_TRACE(version);
        EXPECT_EQ(list({"--header", "--dimensions", "--blocks"}),
                  CrLf({h, "G0", "L0,L1", t, "T1", "T2", "100", b, mark + "B", "BT"}));
        EXPECT_EQ(list({}), CrLf({t, "T1", "T2"}));
        EXPECT_EQ(list({"--blocks"}), CrLf({t, "T1", "T2", b, mark + "B", "BT"}));
        EXPECT_EQ(list({"--dimensions"}), CrLf({t, "T1", "T2", "100"}));
        EXPECT_EQ(list({"--header"}), CrLf({h, "G0", "L0,L1", t, "T1", "T2"}));
        EXPECT_EQ(list({"--blocks", "--header"}), CrLf({h, "G0", "L0,L1", t, "T1", "T2", b, mark + "B", "BT"}));
        EXPECT_EQ(list({"--utf8", "--blocks"}), "■文字情報\nT1\nT2\n■ブロック内文字情報\n◆B\nBT\n");
    }
}

// In UTF-8 a text's control characters (which survive the listing's filter
// as the second byte of a broken pair) and DEL show as their pictures, so
// each text is one line that grep reads as text; Shift-JIS keeps the bytes.
TEST_F(CliTest, ControlCharactersShowAsTheirPicturesInUtf8)
{
    using namespace winwriter;
    const std::string text("A\x82\x0A" "B\x81\x00" "C\x7F\x82\x09" "D\x82\x1B", 13);
    ZvsDocument zvs;
    zvs.Entities.Add(MakeMoji(text)).Add(MakeMoji("T2"));
    const std::string path = Write("controls.zvs", WriteZvs(zvs));
    const std::string pictured = "A\uFFFD\u240AB\uFFFD\u2400C\u2421\uFFFD\tD\uFFFD\u241B";
    EXPECT_EQ(Execute({"--utf8", "-H", path}).out,
              path + ":■文字情報\n" + path + ":" + pictured + "\n" + path + ":T2\n");
    EXPECT_EQ(ExecuteIntoPipe({path}, {"LC_ALL=C.UTF-8"}).out, "■文字情報\n" + pictured + "\nT2\n");
    EXPECT_EQ(Execute({path}).out, CrLf({std::string(kHeadingText), text, "T2"}));
    EXPECT_EQ(Execute({"--json", path}).out,
              "{\"path\":\"" + path + "\",\"line\":1,\"kind\":\"heading\",\"block\":null,\"text\":\"■文字情報\","
              "\"bytes\":\"81a195b68e9a8fee95f1\"}\n"
              "{\"path\":\"" + path + "\",\"line\":2,\"kind\":\"text\",\"block\":null,"
              "\"text\":\"A\uFFFD\\nB\uFFFD\\u0000C\x7F\uFFFD\\tD\uFFFD\\u001b\",\"bytes\":\"41820a4281004"
              "37f820944821b\"}\n"
              "{\"path\":\"" + path + "\",\"line\":3,\"kind\":\"text\",\"block\":null,\"text\":\"T2\","
              "\"bytes\":\"5432\"}\n");
}

TEST_F(CliTest, ListsEveryFormatAndItsBackups)
{
    using namespace winwriter;
    ZvsDocument zvs;
    zvs.Entities.Add(MakeMoji("S")).Add(MakeSunpo("D"));
    const std::string zvsBytes = WriteZvs(zvs);

    doswriter::ZvcDocument zvc = doswriter::NewZvc(false);
    doswriter::AddZvcText(zvc, "C1");
    doswriter::AddZvcText(zvc, "\x93\xFA\x96\x7B");
    zvc.GroupNames[1] = "grp";
    zvc.LayerNames[16] = "lay";
    doswriter::SyncZvcHeader(zvc);
    const std::string zvcBytes = doswriter::WriteZvc(zvc);

    doswriter::ZvkDocument zvk = doswriter::NewZvk();
    doswriter::AddZvkText(zvk, "K1");
    doswriter::SyncZvkHeader(zvk);
    const std::string zvkBytes = doswriter::WriteZvk(zvk);

    const std::string t(kHeadingText);
    for (const char* ext : {".zvs", ".bak"})
        EXPECT_EQ(Execute({"--dimensions", "--header", Write(std::string("s") + ext, zvsBytes)}).out,
                  CrLf({t, "S", "D"}));
    for (const char* ext : {".zvc", ".zv$"}) {
        const Outcome run = Execute({"--header", Write(std::string("c") + ext, zvcBytes)});
        EXPECT_EQ(run.status, 0);
        const std::string out = run.out;
        EXPECT_NE(out.find(CrLf({"grp", "lay", t, "C1", "\x93\xFA\x96\x7B"})), std::string::npos) << ext;
        EXPECT_EQ(out.find(kHeadingHeader), 0u);
    }
    for (const char* ext : {".zvk", ".Bk2"})
        EXPECT_EQ(Execute({Write(std::string("k") + ext, zvkBytes)}).out, CrLf({t, "K1"}));
}

// UTF-8 as the tool shows it: control characters (but TAB) as their pictures.
std::string Pictured(const std::string& utf8)
{
    std::string out;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
            const char32_t picture = byte == 0x7F ? 0x2421 : 0x2400 + byte;
            out += {'\xE2', static_cast<char>(0x80 | (picture >> 6 & 0x3F)), static_cast<char>(0x80 | (picture & 0x3F))};
        } else {
            out += c;
        }
    }
    return out;
}

// Many texts of every length around the word sizes, blank ones, ones with
// control bytes, and ones that with their line end (and path) outgrow the
// output's 64 KiB block, so that lines meet the block's end at every offset;
// then a small file. Each form of output holds exactly the lines the listing
// gives line by line; so does the first file listed alone (whose tables,
// with their strings, are left to the exit).
TEST_F(CliTest, OutputHoldsTheListingLineByLineAcrossBlocks)
{
    using namespace winwriter;
    const std::string pattern = "\x82\xA0 AB\x81\r\n\x8B\x8F\x8A\xD4\x01xyz\x82\x0A";
    ZvsDocument zvs;
    for (std::size_t i = 0; i < 24000; ++i)
        zvs.Entities.Add(MakeMoji(pattern.substr(i % pattern.size(), i % 37)));
    for (const std::size_t length : {65535, 65534, 65531, 65400})
        zvs.Entities.Add(MakeMoji(std::string(length, 'L'))).Add(MakeMoji(std::string(length, '\r')))
            .Add(MakeMoji(std::string(length / 2, 'A') + "\r\n" + std::string(length / 2 - 1, 'B')));
    for (const char* blank : {"", " ", "\r\n", "\x01 "})
        zvs.Entities.Add(MakeMoji(blank));
    const std::vector<std::pair<std::string, std::string>> files = {{"many.zvs", WriteZvs(zvs)},
                                                                    {"small.zvs", WriteZvs(ZvsDocument{})}};
    std::vector<std::string> paths;
    std::vector<std::string> listings[3];  // plain, with paths, UTF-8 with paths
    for (const auto& [name, bytes] : files) {
        paths.push_back(Write(name, bytes));
        const auto readers = std::make_unique<Readers>();
        VectorSink lines;
        EXPECT_TRUE(ListFormat(DetectAndParseBytes(*readers, name, bytes).Kind, *readers, {}, lines));
        for (auto& listing : listings)
            listing.emplace_back();
        for (const std::string& line : lines.Lines) {
            listings[0].back() += line + "\r\n";
            listings[1].back() += paths.back() + ":" + line + "\r\n";
            listings[2].back() += paths.back() + ":" + Pictured(Cp932ToUtf8(line)) + "\n";
        }
    }
    // Compared without printing megabytes when they differ.
    const auto same = [](const Outcome& run, const std::string& expected) {
        const auto at = std::mismatch(run.out.begin(), run.out.end(), expected.begin(), expected.end());
        return testing::AssertionResult(run.status == 0 && run.out == expected)
               << "status " << run.status << ", sizes " << run.out.size() << ", " << expected.size()
               << "; first difference at " << (at.first - run.out.begin());
    };
    EXPECT_TRUE(same(Execute({"-h", paths[0], paths[1]}), listings[0][0] + listings[0][1]));
    EXPECT_TRUE(same(Execute({"-h", paths[0]}), listings[0][0]));
    EXPECT_TRUE(same(Execute({paths[0], paths[1]}), listings[1][0] + listings[1][1]));
    EXPECT_TRUE(same(Execute({"--utf8", paths[0], paths[1]}), listings[2][0] + listings[2][1]));
    EXPECT_EQ(Execute({"-q", "--save", paths[0], paths[1]}).status, 0);
    EXPECT_EQ(Slurp(dir_ / "many.txt"), listings[0][0]);
    EXPECT_EQ(Slurp(dir_ / "small.txt"), listings[0][1]);

    // Standard output that fails ends the run at once, whichever the form:
    // one message, status 4, no summary, nothing more listed. A reader that
    // went away ends it without a word: by SIGPIPE (the native tool), else
    // (ignored, inherited; Node always ignores it) with status 4.
    const std::vector<std::string> batch = {paths[0], paths[0], paths[1]};
    if (fs::exists("/dev/full")) {
        for (const char* form : {"--sjis", "--utf8", "--json"}) {
            std::vector<std::string> args = batch;
            args.insert(args.begin(), form);
            const Outcome full = Execute(args, {}, "/dev/full");
            EXPECT_EQ(full.status, 4) << form;
            EXPECT_EQ(full.err, "vaveze-list: standard output: No space left on device\n") << form;
        }
    }
    for (const auto disposition : {SIG_DFL, SIG_IGN}) {
        const auto previous = ::signal(SIGPIPE, disposition);
        int ends[2];
        ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        const Outcome closed = Spawn(batch, {}, [&](posix_spawn_file_actions_t& actions) {
            posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
        }, [&] {
            ::close(ends[0]);
            ::close(ends[1]);
        });
        ::signal(SIGPIPE, previous);
        EXPECT_TRUE(closed.status == 4 || (disposition == SIG_DFL && closed.status == 128 + SIGPIPE)) << closed.status;
        EXPECT_EQ(closed.err, "");
    }
}

// A tree as archives hold them: nested folders, a drawing and its backup,
// a symbol file in upper case, a drawing cut off, other files, a FIFO and a
// link back up the tree. Returns the lines -r --utf8 lists, in walk order.
std::string MakeTree(const fs::path& root, const std::string& drawing)
{
    fs::create_directories(root / "a" / "B");
    const auto put = [&](const fs::path& rel, std::string_view bytes) {
        std::ofstream(root / rel, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    put("a/plan.zvw", drawing);
    put("a/plan.bak", drawing);
    put("a/B/sym.ZVK", std::string(kZvkMagic));
    put("a/notes.txt", "not a drawing");
    put("cut.zvw", std::string(kZvwMagic) + "\xDC");
    ::mkfifo((root / "a" / "pipe.zvw").c_str(), 0644);
    fs::create_directory_symlink("..", root / "a" / "loop");
    const std::string r = root.string() + "/";
    return r + "a/B/sym.ZVK:■文字情報\n" + r + "a/plan.bak:■文字情報\n" + r + "a/plan.bak:T1\n" + r + "a/plan.bak:T2\n" +
           r + "a/plan.zvw:■文字情報\n" + r + "a/plan.zvw:T1\n" + r + "a/plan.zvw:T2\n" + r + "cut.zvw:■文字情報\n";
}

TEST_F(CliTest, RecursiveListingInWalkOrderWithPathsAndTheSameBytesOnAnyNumberOfJobs)
{
    const fs::path root = dir_ / "tree";
    const std::string expected = MakeTree(root, WorkedExampleDrawing(420));
    const Outcome run = Execute({"-r", "--utf8", root.string() + "/"});
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.status, 1);  // the FIFO, not recognised, outweighs the files cut off
    EXPECT_NE(run.err.find(root.string() + "/a/pipe.zvw: is not a regular file"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(root.string() + "/cut.zvw: the file ends at byte 9 inside a file header, what was read is listed"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("vaveze-list: 5 files: 2 complete, 2 partial, 1 not recognised, 0 failed to write\n"),
              std::string::npos) << run.err;

    const Outcome one = Execute({"-r", "-j", "1", root.string()});
    const Outcome four = Execute({"-r", "-j4", root.string()});
    EXPECT_EQ(one.out, four.out);
    EXPECT_EQ(one.err, four.err);
    EXPECT_NE(one.out.find(root.string() + "/a/plan.zvw:T1\r\n"), std::string::npos);
    EXPECT_EQ(Execute({"-r", "-h", "-j3", "--utf8", root.string()}).out,
              "■文字情報\n■文字情報\nT1\nT2\n■文字情報\nT1\nT2\n■文字情報\n");

    // A single file gets its path only when asked; in Shift-JIS a character
    // code page 932 lacks becomes "?".
    fs::create_directories(dir_ / "図😀");
    const std::string plan = (dir_ / "図😀" / "p.zvw").string();
    fs::copy_file(root / "a" / "plan.zvw", plan);
    EXPECT_EQ(Execute({plan}).out, CrLf({std::string(kHeadingText), "T1", "T2"}));
    EXPECT_EQ(Execute({"-H", plan}).out.substr(0, dir_.string().size() + 13),
              dir_.string() + "/\x90\x7D?/p.zvw:\x81\xA1");
}

TEST_F(CliTest, SaveUnderAnOutputFolderSettlesNamesAndLeavesSourcesAlone)
{
    const fs::path root = dir_ / "tree";
    (void)MakeTree(root, WorkedExampleDrawing(420));
    const std::string single = Write("single.zvs", "ZvsData");
    const Outcome run = Execute({"--save", "-r", "--output-dir", (dir_ / "out").string(), root.string(), single});
    EXPECT_EQ(run.status, 1);
    const std::string listing = CrLf({std::string(kHeadingText), "T1", "T2"});
    EXPECT_EQ(Slurp(dir_ / "out" / "a" / "plan.txt"), listing);
    EXPECT_EQ(Slurp(dir_ / "out" / "a" / "plan.bak.txt"), listing);  // plan.txt went to the drawing
    EXPECT_EQ(Slurp(dir_ / "out" / "a" / "B" / "sym.txt"), heading_);
    EXPECT_EQ(Slurp(dir_ / "out" / "cut.txt"), heading_);
    EXPECT_TRUE(fs::exists(dir_ / "out" / "single.txt"));
    EXPECT_FALSE(fs::exists(root / "a" / "plan.txt"));
    EXPECT_NE(run.err.find("plan.bak: listed in " + (dir_ / "out" / "a" / "plan.bak.txt").string() + " (3 lines)\n"),
              std::string::npos) << run.err;
    EXPECT_NE(run.err.find("cut.txt (1 line); the file ends at byte 9"), std::string::npos) << run.err;

    // Beside the sources, a backup never replaces its drawing's listing
    // either, whatever order they come in; -q keeps only the problems.
    const Outcome quiet = Execute({"--save", "-q", (root / "a" / "plan.bak").string(), (root / "a" / "plan.zvw").string()});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_TRUE(fs::exists(root / "a" / "plan.txt") && fs::exists(root / "a" / "plan.bak.txt"));
    EXPECT_EQ(quiet.err, "vaveze-list: 2 files: 2 complete, 0 partial, 0 not recognised, 0 failed to write\n");
}

TEST_F(CliTest, BatchStatusBySeverityAndMessagesInJapanese)
{
    const std::string cut = Write("cut.zvw", std::string(kZvwMagic) + "\xDC");
    const std::string missing = (dir_ / "missing.zvw").string();
    const std::string folder = dir_.string();
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    for (const Case& c : std::vector<Case>{{{cut, missing}, 1},
                                           {{missing, cut}, 1},
                                           {{cut, cut}, 3},
                                           {{"--save", "--output-dir", cut, cut, missing}, 4}}) {
        EXPECT_EQ(Execute(c.args).status, c.status) << c.args.back();
    }

    const std::vector<std::string> ja = {"LANGUAGE=ja", "LC_ALL=C.UTF-8"};
    const Outcome run = Execute({missing, folder, cut}, ja);
    EXPECT_NE(run.err.find("vaveze-list: " + missing + ": ファイルがありません\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("vaveze-list: " + folder + ": フォルダーです。フォルダー内のファイルを出力するには -r を指定してください\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(cut + ": ファイルが 9 バイト目、ファイルヘッダの途中で終わっています。"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("3 ファイル: 完全 0、一部のみ 1、認識できず 2"), std::string::npos) << run.err;
    EXPECT_NE(Execute({"--bogus"}, ja).err.find("使い方: vaveze-list"), std::string::npos);
    EXPECT_NE(Execute({"--bogus"}, {"LC_ALL=C"}).err.find("Usage: vaveze-list"), std::string::npos);
}

// The hexadecimal form of bytes, as --json writes them.
std::string Hex(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes)
        out += {kDigits[static_cast<unsigned char>(c) >> 4], kDigits[static_cast<unsigned char>(c) & 0xF]};
    return out;
}

// --json: one object per line of the listing with its kind, its block (null
// outside the block section), its text and its exact bytes; the same on any
// number of jobs.
TEST_F(CliTest, JsonLinesHoldEachLineWithItsKindBlockTextAndBytes)
{
    const std::string path = Write("example.zvw", WorkedExampleDrawing(420));
    const std::string h(kHeadingHeader), t(kHeadingText), b(kHeadingBlock), mark(kBlockMark);
    struct Line {
        const char* Kind;
        const char* Block;
        std::string Bytes;
    };
    std::string expected;
    int number = 0;
    for (const Line& line : std::vector<Line>{{"heading", "null", h},
                                              {"layer_group", "null", "G0"},
                                              {"layers", "null", "L0,L1"},
                                              {"heading", "null", t},
                                              {"text", "null", "T1"},
                                              {"text", "null", "T2"},
                                              {"dimension_text", "null", "100"},
                                              {"heading", "null", b},
                                              {"block_name", "0", mark + "B"},
                                              {"block_text", "0", "BT"}}) {
        expected += "{\"path\":\"" + path + "\",\"line\":" + std::to_string(++number) + ",\"kind\":\"" + line.Kind +
                    "\",\"block\":" + line.Block + ",\"text\":\"" + Cp932ToUtf8(line.Bytes) + "\",\"bytes\":\"" +
                    Hex(line.Bytes) + "\"}\n";
    }
    const Outcome run = Execute({"--json", "--header", "--dimensions", "--blocks", path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, expected);

    const fs::path root = dir_ / "tree";
    (void)MakeTree(root, WorkedExampleDrawing(420));
    const Outcome one = Execute({"--json", "-r", "-j1", root.string()});
    EXPECT_EQ(one.out, Execute({"--json", "-r", "-j3", root.string()}).out);
    EXPECT_EQ(std::count(one.out.begin(), one.out.end(), '\n'), 8);
    EXPECT_NE(one.out.find("{\"path\":\"" + root.string() + "/a/plan.zvw\",\"line\":3,\"kind\":\"text\""),
              std::string::npos) << one.out;
}

// A backup's listing never replaces its drawing's: it goes to its whole
// name, whether the drawing is saved in the same run or another.
TEST_F(CliTest, BackupsSaveUnderTheirWholeNameInEveryRun)
{
    const std::string plan = Write("plan.zvw", WorkedExampleDrawing(420));
    const std::string backup = Write("plan.bak", std::string(kZvwMagic));
    const std::string other = Write("sym.zv$", std::string(kZvwMagic));
    EXPECT_EQ(Execute({"--save", plan}).status, 0);
    const Outcome run = Execute({"--save", backup, other});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(Slurp(dir_ / "plan.txt"), CrLf({std::string(kHeadingText), "T1", "T2"}));
    EXPECT_EQ(Slurp(dir_ / "plan.bak.txt"), heading_);
    EXPECT_EQ(Slurp(dir_ / "sym.zv$.txt"), heading_);
    EXPECT_FALSE(fs::exists(dir_ / "sym.txt"));
    EXPECT_EQ(run.err.find("is taken"), std::string::npos) << run.err;
}

// -s keeps only the summary (and the status), --no-summary leaves it out;
// --failed writes the names of the files not fully listed instead of any
// listing, with the status as without it, also under -s and beside --save;
// a folder named without -r says how to list it.
TEST_F(CliTest, QuieterBatchesAndTheNamesOfFilesNotFullyListed)
{
    const std::string plan = Write("plan.zvw", WorkedExampleDrawing(420));
    const std::string cut = Write("cut.zvw", std::string(kZvwMagic) + "\xDC");
    const std::string missing = (dir_ / "missing.zvw").string();
    const std::string folder = (dir_ / "sub").string();
    fs::create_directories(folder);
    const std::vector<std::string> files = {plan, cut, missing, folder};
    const std::string summary = "vaveze-list: 4 files: 1 complete, 1 partial, 2 not recognised, 0 failed to write\n";
    const std::string names = cut + "\n" + missing + "\n" + folder + "\n";
    const auto with = [&](std::vector<std::string> options) {
        options.insert(options.end(), files.begin(), files.end());
        const Outcome run = Execute(options);
        EXPECT_EQ(run.status, 1);
        return run;
    };
    const Outcome all = with({});
    EXPECT_EQ(all.err, "vaveze-list: " + cut + ": the file ends at byte 9 inside a file header, what was read is listed\n"
                       "vaveze-list: " + missing + ": no such file\n"
                       "vaveze-list: " + folder + ": is a folder; use -r to list the files of a folder\n" + summary);
    const Outcome silent = with({"-s"});
    EXPECT_EQ(silent.out, all.out);
    EXPECT_EQ(silent.err, summary);
    const Outcome failed = with({"--failed"});
    EXPECT_EQ(failed.out, names);
    EXPECT_NE(failed.err.find(cut + ": the file ends at byte 9 inside a file header\n"), std::string::npos) << failed.err;
    const Outcome both = with({"--no-messages", "--failed"});
    EXPECT_EQ(both.out, names);
    EXPECT_EQ(both.err, summary);
    // For cron: only the problems, or nothing at all but a failed write.
    EXPECT_EQ(with({"-q", "--no-summary"}).err, all.err.substr(0, all.err.size() - summary.size()));
    EXPECT_EQ(with({"-s", "--no-summary"}).err, "");

    const Outcome whole = Execute({"--failed", plan});
    EXPECT_EQ(whole.status, 0);
    EXPECT_TRUE(whole.out.empty() && whole.err.empty());
    const Outcome saved = Execute({"--failed", "--save", "-s", plan, cut});
    EXPECT_EQ(saved.status, 3);
    EXPECT_EQ(saved.out, cut + "\n");
    EXPECT_EQ(Slurp(dir_ / "cut.txt"), heading_);
}

// "-" is a drawing read from standard input, its format decided by its first
// bytes; it is named "-" wherever a name is shown; a second "-" finds it read.
TEST_F(CliTest, DashReadsADrawingFromStandardInput)
{
    const std::string drawing = WorkedExampleDrawing(420);
    const std::string plan = Write("plan.zvw", drawing);
    const Outcome piped = ExecuteFromPipe({"-"}, drawing);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, Execute({plan}).out);
    EXPECT_TRUE(piped.err.empty()) << piped.err;

    const std::string in = Write("in", drawing);
    EXPECT_EQ(Execute({"--utf8", "-", plan}, {}, {}, in).out,
              "-:■文字情報\n-:T1\n-:T2\n" + plan + ":■文字情報\n" + plan + ":T1\n" + plan + ":T2\n");
    EXPECT_EQ(Execute({"--json", "-"}, {}, {}, in).out.substr(0, 37), "{\"path\":\"-\",\"line\":1,\"kind\":\"heading\"");
    const Outcome twice = Execute({"-", "-"}, {}, {}, in);
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.err.find("vaveze-list: -: is empty\n"), std::string::npos) << twice.err;
    for (const auto& [bytes, status, message] : std::vector<std::tuple<std::string, int, std::string>>{
             {std::string(kZvwMagic) + "\xDC", 3, "-: the file ends at byte 9 inside a file header, what was read is listed\n"},
             {"not a drawing", 1, "-: not a ZVW, ZVS, ZVC or ZVK file: it starts as none of them\n"}}) {
        const Outcome run = Execute({"-"}, {}, {}, Write("in", bytes));
        EXPECT_EQ(run.status, status);
        EXPECT_EQ(run.err, "vaveze-list: " + message);
    }
}

// --grep prints the lines that hold the text as grep -n does, with the
// listings' prefixes and encoding (a text's control bytes as in the
// listing), -l the files' names, -c their counts, --json the lines' objects;
// the text is found as UTF-8 and as Shift-JIS bytes; grep's exit statuses,
// files not listed whole counting as trouble.
TEST_F(CliTest, GrepFindsTheLinesThatHoldATextAsGrepDoes)
{
    const fs::path root = dir_ / "tree";
    (void)MakeTree(root, WorkedExampleDrawing(420));
    const std::string r = root.string() + "/";
    const std::string plan = r + "a/plan.zvw";
    using namespace winwriter;
    ZvsDocument zvs;
    zvs.Entities.Add(MakeMoji("\x97\x81\x8E\xBA")).Add(MakeMoji("A\x82\x0A" "B\"b\","));
    const std::string bath = Write("bath.zvs", WriteZvs(zvs));
    struct Case {
        std::vector<std::string> Args;
        int Status;
        std::string Out;
    };
    for (const Case& c : std::vector<Case>{
             {{"--grep", "t", plan}, 0, "2:T1\r\n3:T2\r\n"},
             {{"--grep", "T2", "-H", plan}, 0, plan + ":3:T2\r\n"},
             {{"--grep", "t3", plan}, 1, ""},
             {{"--grep", "T1", "-s", "--utf8", "-r", root.string()}, 2, r + "a/plan.bak:2:T1\n" + r + "a/plan.zvw:2:T1\n"},
             {{"--grep", "t", "-l", "-s", "-r", root.string()}, 2, r + "a/plan.bak\n" + r + "a/plan.zvw\n"},
             {{"--grep", "t1", "-c", plan, bath}, 0, plan + ":1\n" + bath + ":0\n"},
             {{"--grep", "T2", "--json", plan}, 0, "{\"path\":\"" + plan + "\",\"line\":3,\"kind\":\"text\",\"block\":null,"
                                                "\"text\":\"T2\",\"bytes\":\"5432\"}\n"},
             {{"--grep", "b\"", "--sjis", bath}, 0, "3:A\x82\x0A" "B\"b\",\r\n"},
             {{"--grep", "B", "--utf8", bath}, 0, "3:A\uFFFD\u240AB\"b\",\n"},
             {{"--grep", "浴室", "--utf8", bath}, 0, "2:浴室\n"},
             // Bytes that are not UTF-8 are Shift-JIS, whatever the locale;
             // Node hands its programs arguments decoded from UTF-8 only.
             {{"--grep", "\x97\x81\x8E\xBA", "--utf8", bath}, 0, "2:浴室\n"}}) {
        if (c.Args[1][0] == '\x97' && std::getenv("VAVEZE_LIST") != nullptr)
            continue;
        const Outcome run = Execute(c.Args, {"LC_ALL=C"});
        EXPECT_EQ(run.status, c.Status) << c.Args[1] << c.Args[2] << run.err;
        EXPECT_EQ(run.out, c.Out) << c.Args[1] << c.Args[2];
    }
    const Outcome told = Execute({"--grep", "T", "-r", root.string()});
    EXPECT_NE(told.err.find(r + "cut.zvw: the file ends at byte 9 inside a file header, what was read is searched\n"),
              std::string::npos) << told.err;
    EXPECT_NE(told.err.find(r + "a/pipe.zvw: is not a regular file"), std::string::npos) << told.err;
}

// --csv: one table of every file's lines, quoted as RFC 4180 quotes, texts
// that look like formulas behind an apostrophe, each text's bytes (or in
// UTF-8 its control pictures) otherwise as listed; the file replaced only
// once complete, and kept when the table cannot be written.
TEST_F(CliTest, CsvWritesOneTableOfEveryLineOfEveryFile)
{
    using namespace winwriter;
    ZvwDocument doc;
    doc.Entities.Add(MakeMoji("=1+2")).Add(MakeMoji("say \"hi\", ok")).Add(MakeMoji("A\x82\x0A" "B")).Add(MakeMoji("-5"));
    EntityList block;
    block.Add(MakeMoji("@x"));
    doc.BlockDefs.Defs.push_back(MakeBlockDef("B", block));
    const std::string plan = Write("plan.zvw", WriteZvw(doc));
    const std::string cut = Write("cut.zvw", std::string(kZvwMagic) + "\xDC");
    const std::string t(kHeadingText);
    const std::string sjis = "file,line,kind,block,text\r\n" + plan + ",1,heading,," + t + "\r\n" + plan +
                             ",2,text,,'=1+2\r\n" + plan + ",3,text,,\"say \"\"hi\"\", ok\"\r\n" + plan +
                             ",4,text,,\"A\x82\x0A" "B\"\r\n" + plan + ",5,text,,'-5\r\n" + plan + ",6,heading,," +
                             std::string(kHeadingBlock) + "\r\n" + plan + ",7,block_name,0," + std::string(kBlockMark) +
                             "B\r\n" + plan + ",8,block_text,0,'@x\r\n" + cut + ",1,heading,," + t + "\r\n";
    const std::string table = (dir_ / "table.csv").string();
    Write("table.csv", "an older table");
    const Outcome run = Execute({"--csv", table, "--blocks", plan, cut});
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(Slurp(table), sjis);

    const Outcome utf8 = Execute({"--csv", "-", "--utf8", "-s", plan});
    EXPECT_EQ(utf8.status, 0);
    EXPECT_EQ(utf8.out, "\xEF\xBB\xBF" "file,line,kind,block,text\r\n" + plan + ",1,heading,,■文字情報\r\n" + plan +
                            ",2,text,,'=1+2\r\n" + plan + ",3,text,,\"say \"\"hi\"\", ok\"\r\n" + plan +
                            ",4,text,,A\uFFFD\u240AB\r\n" + plan + ",5,text,,'-5\r\n");

    // A folder where the table should go cannot be replaced: nothing is
    // left behind, and the status says so.
    fs::create_directories(dir_ / "folder.csv");
    const Outcome refused = Execute({"--csv", (dir_ / "folder.csv").string(), plan});
    EXPECT_EQ(refused.status, 4);
    EXPECT_NE(refused.err.find("folder.csv: the table could not be written: "), std::string::npos) << refused.err;
    EXPECT_TRUE(fs::is_directory(dir_ / "folder.csv"));
}

}  // namespace
}  // namespace vaveze
