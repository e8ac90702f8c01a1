// Runs the built vaveze-list as a user or a script would.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/listing.h"
#include "readers/dos/zvkunit.h"
#include "readers/win/zvwunit.h"

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
    EXPECT_NE(run.err.find("could not be read to its end"), std::string::npos);

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

}  // namespace
}  // namespace vaveze
