// Runs the built vaveze-list as a user or a script would.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/listing/listing.h"
#include "core/readers/dos/zvkunit.h"
#include "core/readers/win/zvwunit.h"
#include "tests/dos/dos_writer.h"
#include "tests/win/zvw_writer.h"

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

class CliTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("vaveze-cli-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, std::string_view bytes)
    {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    Outcome Execute(std::vector<std::string> args)
    {
        args.insert(args.begin(), VAVEZE_LIST_PATH);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        const std::string out = (dir_ / "stdout").string();
        const std::string err = (dir_ / "stderr").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        Outcome run;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
            int wstatus = 0;
            ::waitpid(pid, &wstatus, 0);
            run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
        }
        posix_spawn_file_actions_destroy(&actions);
        run.out = Slurp(out);
        run.err = Slurp(err);
        return run;
    }

    fs::path dir_;
    const std::string heading_ = std::string(kHeadingText) + "\r\n";
};

TEST_F(CliTest, UsageErrors)
{
    for (const auto& args : std::vector<std::vector<std::string>>{{}, {"--bogus", "x.zvw"}, {"a.zvw", "b.zvw"}}) {
        const Outcome run = Execute(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find("Usage:"), std::string::npos);
    }
    const Outcome help = Execute({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--dimensions"), std::string::npos);
    const Outcome version = Execute({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("1.01"), std::string::npos);
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
    EXPECT_EQ(wrongZvw.err, "このファイルは、Zv_cad for Windows(Ver2.20～)図面ファイルではありません。\n");

    const Outcome wrongZvs = Execute({Write("wrong.zvs", "not a symbol")});
    EXPECT_EQ(wrongZvs.status, 1);
    EXPECT_EQ(wrongZvs.err, "このファイルは、Zv_cad for Windows 図形ファイルではありません。\n");

    for (const char* name : {"wrong.zvc", "wrong.zvk", "plan.txt", "noext"}) {
        const Outcome run = Execute({Write(name, "ZvwData.")});
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_TRUE(run.out.empty()) << name;
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

TEST_F(CliTest, Utf8OutputUsesLineFeeds)
{
    const Outcome run = Execute({"--utf8", Write("cut.zvw", std::string(kZvwMagic))});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "■文字情報\n");
}

TEST_F(CliTest, SaveWritesBesideEachSourceAndReportsTheWorstStatus)
{
    const std::string a = Write("plan.old.zvw", std::string(kZvwMagic));
    const std::string b = Write("plan", "unknown");
    const std::string c = Write("sym.ZVK", std::string(kZvkMagic));
    // An existing listing is replaced.
    Write("plan.old.txt", "previous contents");
    const Outcome run = Execute({"--save", "--header", a, b, c});
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(Slurp(dir_ / "plan.old.txt"), std::string(kHeadingHeader) + "\r\n" + heading_);
    EXPECT_EQ(Slurp(dir_ / "sym.txt"), std::string(kHeadingHeader) + "\r\n" + heading_);
    EXPECT_FALSE(fs::exists(dir_ / "plan.txt"));  // not recognised: nothing written
    // One report line per file.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 3);
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

}  // namespace
}  // namespace vaveze
