// Writes the benchmark files into the folder given, or only the archive of
// 2,000 drawings that searches run on:
//   vaveze_make_bench_files build-bench/bench-files
//   vaveze_make_bench_files --archive build-bench/bench-files/archive
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "bench/bench_files.h"

int main(int argc, char** argv)
{
    const bool archive = argc == 3 && std::string_view(argv[1]) == "--archive";
    if (argc != 2 && !archive) {
        std::fprintf(stderr, "usage: %s [--archive] FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const std::string folder = argv[argc - 1];
        return (archive ? vaveze::bench::WriteArchive(folder) : vaveze::bench::WriteBenchFiles(folder)) ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
