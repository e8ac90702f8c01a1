// What Node must be asked for itself when the tool runs as WebAssembly under
// it (everything else is platform_posix.cpp's, on Node's file system): the
// runtime starts the program with an environment of its own (LANG=C.UTF-8,
// USER=web_user) and answers isatty with true for every stream.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/platform.h"

extern char** environ;

namespace {

// Node's environment, each "NAME=value" ended by a NUL, into `buffer` when
// its `size` bytes are enough; the bytes it takes, a last NUL included.
EM_JS(int, NodeEnvironment, (char* buffer, int size), {
    const end = String.fromCharCode(0);
    let text = "";
    for (const name of Object.keys(process.env)) text += name + "=" + process.env[name] + end;
    const needed = lengthBytesUTF8(text) + 1;
    if (needed <= size) stringToUTF8(text, buffer, size);
    return needed;
});

// What a standard stream is: 0 a terminal, 1 a pipe or socket, 2 a regular
// file, 3 anything else. fstat and tty.isatty leave the descriptor as it
// is, where process.stdout would make a pipe non-blocking. Loading Node's
// tty module takes some 10 ms, so only a character device other than the
// null device is asked whether it is a terminal.
EM_JS(int, NodeStreamKind, (int fd), {
    const fs = require("fs");
    let status;
    try {
        status = fs.fstatSync(fd);
    } catch (error) {
        return 3;
    }
    if (status.isFIFO() || status.isSocket()) return 1;
    if (status.isFile()) return 2;
    if (!status.isCharacterDevice()) return 3;
    try {
        const nothing = fs.statSync("/dev/null");
        if (nothing.dev === status.dev && nothing.ino === status.ino) return 3;
    } catch (error) {
        // no null device of that name: ask
    }
    return require("tty").isatty(fd) ? 0 : 3;
});

// Right after the C library has set up the runtime's environment (its
// constructor runs at priority 100) and before any object of the program:
// the process's environment replaces it, so that the locale and LANGUAGE
// are the user's.
__attribute__((constructor(101))) void AdoptNodeEnvironment()
{
    std::string entries(static_cast<std::size_t>(NodeEnvironment(nullptr, 0)), '\0');
    if (NodeEnvironment(entries.data(), static_cast<int>(entries.size())) > static_cast<int>(entries.size()))
        return;  // changed in between: cannot happen, as nothing runs meanwhile
    std::vector<std::string> runtimes;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
        runtimes.emplace_back(std::string_view(*entry).substr(0, std::string_view(*entry).find('=')));
    for (const std::string& name : runtimes)
        ::unsetenv(name.c_str());
    for (std::string_view rest(entries.c_str(), entries.size() - 1); !rest.empty();) {
        const std::string entry(rest.substr(0, rest.find('\0')));
        rest.remove_prefix(std::min(rest.size(), entry.size() + 1));
        if (const std::size_t equals = entry.find('='); equals != 0 && equals != std::string::npos)
            ::setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
    }
}

}  // namespace

namespace vaveze::platform {

StreamKind StreamKindOf(Stream stream)
{
    switch (NodeStreamKind(stream == Stream::Output ? 1 : 2)) {
    case 0:
        return StreamKind::Terminal;
    case 1:
        return StreamKind::Pipe;
    case 2:
        return StreamKind::File;
    default:
        return StreamKind::Other;
    }
}

bool IsTerminal(Stream stream) { return StreamKindOf(stream) == StreamKind::Terminal; }

}  // namespace vaveze::platform
