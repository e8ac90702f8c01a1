// What a window program starts with: its command line, and where the first
// open dialog starts.
#include "core/window/startup.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/session/texts.h"
#include "tests/temp_folder.h"

namespace vaveze::window {
namespace {

namespace fs = std::filesystem;

TEST(WindowCommandLine, HelpAndVersionAnswerAndAfterTwoDashesEveryArgumentIsAFile)
{
    struct Line {
        std::vector<std::string> Arguments;
        StartRequest::Kind What;
        std::vector<std::string> Files;
    };
    const Line lines[] = {
        {{}, StartRequest::Kind::Window, {}},
        {{"plan.zvw"}, StartRequest::Kind::Window, {"plan.zvw"}},
        {{"--help"}, StartRequest::Kind::Help, {}},
        {{"plan.zvw", "--version"}, StartRequest::Kind::Version, {}},
        {{"--", "--help", "--"}, StartRequest::Kind::Window, {"--help", "--"}},
        {{"-", "--helpful"}, StartRequest::Kind::Window, {"-", "--helpful"}},
    };
    for (const Line& line : lines) {
        const StartRequest request = ReadCommandLine(line.Arguments);
        EXPECT_EQ(request.What, line.What) << ::testing::PrintToString(line.Arguments);
        EXPECT_EQ(request.Files, line.Files) << ::testing::PrintToString(line.Arguments);
    }
    EXPECT_EQ(StartAnswer(StartRequest::Kind::Help), WindowUsage("vaveze"));
    EXPECT_EQ(StartAnswer(StartRequest::Kind::Version), "vaveze (VAveze) " VAVEZE_VERSION "\n");
}

// The open dialog starts in the program's own folder only where it was
// unpacked by hand; an installed or freshly built program starts it in the
// user's documents, and so does one whose folder the user may not write to.
TEST(FirstOpenFolder, BesideAnUnpackedProgramOnly)
{
    const TempFolder folder;
    const fs::path unpacked = folder.Path() / "unpacked";
    const fs::path build = folder.Path() / "build";
    fs::create_directories(unpacked);
    fs::create_directories(build / "app");
    std::ofstream(build / "CMakeCache.txt") << "";
    const fs::path documents = folder.Path() / "documents";
    const std::pair<ProgramPlace, fs::path> rows[] = {
        {{unpacked, true, documents}, unpacked},
        {{unpacked, false, documents}, documents},
        {{build, true, documents}, documents},
        {{build / "app", true, documents}, documents},
        {{"/usr/bin", true, documents}, documents},
        {{"/usr/local/bin", true, documents}, documents},
        {{"/opt/vaveze/bin", true, documents}, documents},
        {{folder.Path() / "gone", true, documents}, documents},
        {{{}, true, documents}, documents},
    };
    for (const auto& [place, expected] : rows)
        EXPECT_EQ(FirstOpenFolder(place), expected) << place.Folder;
}

}  // namespace
}  // namespace vaveze::window
