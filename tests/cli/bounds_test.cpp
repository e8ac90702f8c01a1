// vaveze-list on inputs aimed at the worst case of each reader: whatever a
// file declares, the tool's peak resident memory stays within
// 64 MiB + 32 bytes per byte of the file, read the ordinary way or with
// salvage. (Sanitizer builds shadow every
// byte they allocate, so the figure means nothing there.)
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "fuzz/worst_cases.h"
#include "tests/temp_folder.h"

extern char** environ;

namespace vaveze {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct Measured {
    int Status = -1;
    long PeakKiB = 0;
};

// Lists `file` with every option on into /dev/null, with salvage or not.
Measured ListEverything(const fs::path& file, bool salvage)
{
    std::string tool = VAVEZE_LIST_PATH;
    std::string header = "--header", dimensions = "--dimensions", blocks = "--blocks", path = file.string();
    std::string salvaging = salvage ? "--salvage" : "--blocks";
    char* argv[] = {tool.data(), header.data(), dimensions.data(), blocks.data(), salvaging.data(), path.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Measured m;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) == 0) {
        int wstatus = 0;
        struct rusage usage {};
        if (::wait4(pid, &wstatus, 0, &usage) == pid) {
            m.Status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
            m.PeakKiB = usage.ru_maxrss;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return m;
}

class MemoryBound : public testing::TestWithParam<std::size_t> {};

TEST_P(MemoryBound, HoldsOnEveryWorstCase)
{
    if (kSanitized)
        GTEST_SKIP() << "peak memory is not comparable under a sanitizer";
    const TempFolder folder;
    std::vector<fuzz::WorstCase> cases;
    fuzz::AddWinWorstCases(cases, GetParam());
    fuzz::AddDosWorstCases(cases, GetParam());
    for (const fuzz::WorstCase& c : cases) {
        const fs::path file = folder.Write(c.Name, c.Bytes);
        for (const bool salvage : {false, true}) {
            const Measured m = ListEverything(file, salvage);
            EXPECT_TRUE(m.Status == 0 || m.Status == 3) << c.Name << " exit " << m.Status;
            const long boundKiB = 64 * 1024 + static_cast<long>(32 * c.Bytes.size() / 1024);
            EXPECT_LE(m.PeakKiB, boundKiB) << c.Name << " of " << c.Bytes.size() << " bytes"
                                           << (salvage ? ", with salvage" : "");
        }
        fs::remove(file);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, MemoryBound, testing::Values(std::size_t{100} << 10, std::size_t{1} << 20));

}  // namespace
}  // namespace vaveze
