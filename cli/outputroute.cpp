#include "cli/outputroute.h"

namespace vaveze::cli {

OutputRoute RouteOutput(StreamKind output, std::size_t processesOnConsole)
{
    switch (output) {
    case StreamKind::Console:
        // A console window that only this run has closes as soon as the
        // run ends, before anyone could read it.
        return processesOnConsole == 1 ? OutputRoute::NoConsole : OutputRoute::Characters;
    case StreamKind::Terminal:  // not on Windows
    case StreamKind::Pipe:
    case StreamKind::File:
    case StreamKind::Other:
        break;
    }
    return OutputRoute::Bytes;
}

}  // namespace vaveze::cli
