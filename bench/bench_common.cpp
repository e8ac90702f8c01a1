#include "bench/bench_common.h"

#include <malloc.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <stdexcept>

#include "core/readers/fileaccess.h"

namespace vaveze::bench {

std::string TakeFolderArgument(int& argc, char** argv)
{
    constexpr std::string_view kFlag = "--files=";
    std::string folder;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, kFlag.size()) == kFlag)
            folder = std::string(arg.substr(kFlag.size()));
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return folder;
}

std::string LoadFile(const std::string& path)
{
    const FileRead file = ReadFileBytes(path);
    if (file.Problem != FileProblem::None)
        throw std::runtime_error("cannot read " + path + " (run vaveze_make_bench_files first)");
    return std::string(file.Bytes.view());
}

void StreamedBytesSink::HandOn()
{
    benchmark::DoNotOptimize(buffer_.data());
    benchmark::ClobberMemory();
    total_ += buffer_.size();
    buffer_.clear();
}

void ReturnFreedMemory() { ::malloc_trim(0); }

}  // namespace vaveze::bench
