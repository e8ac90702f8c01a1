// Where the Windows tool sends its output, for each kind of standard output
// and each way it was started.
#include <gtest/gtest.h>

#include "cli/outputroute.h"

namespace vaveze::cli {
namespace {

TEST(OutputRoute, ConsolePipeFileAndNoConsole)
{
    struct Case {
        const char* Name;
        StreamKind Output;
        std::size_t Processes;
        OutputRoute Route;
    };
    const Case cases[] = {
        {"in Command Prompt", StreamKind::Console, 2, OutputRoute::Characters},
        {"in PowerShell started from Command Prompt", StreamKind::Console, 3, OutputRoute::Characters},
        {"double-clicked, or a drawing dropped on it", StreamKind::Console, 1, OutputRoute::NoConsole},
        {"piped to another program", StreamKind::Pipe, 2, OutputRoute::Bytes},
        {"redirected to a file", StreamKind::File, 2, OutputRoute::Bytes},
        {"to NUL", StreamKind::Other, 2, OutputRoute::Bytes},
        {"redirected to a file, in a console of its own", StreamKind::File, 1, OutputRoute::Bytes},
        {"a pipe from a program without a console", StreamKind::Pipe, 0, OutputRoute::Bytes},
        {"detached, with no standard output", StreamKind::Other, 0, OutputRoute::Bytes},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RouteOutput(c.Output, c.Processes), c.Route) << c.Name;
}

}  // namespace
}  // namespace vaveze::cli
