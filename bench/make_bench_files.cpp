// Writes the benchmark files into the folder given as the only argument:
//   vaveze_make_bench_files build-bench/bench-files
#include <cstdio>
#include <exception>

#include "bench/bench_files.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    try {
        return vaveze::bench::WriteBenchFiles(argv[1]) ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
