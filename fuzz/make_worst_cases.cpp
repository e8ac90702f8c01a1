// Writes the worst-case inputs into a folder:
//   make_worst_cases OUTPUT_FOLDER [SIZE_IN_KIB]   (default 8192)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "fuzz/worst_cases.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_worst_cases OUTPUT_FOLDER [SIZE_IN_KIB]\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    const long kib = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 8192;
    if (kib < 64) {
        std::fprintf(stderr, "make_worst_cases: the size must be at least 64 KiB\n");
        return 2;
    }
    const std::size_t size = static_cast<std::size_t>(kib) * 1024;

    std::vector<vaveze::fuzz::WorstCase> cases;
    vaveze::fuzz::AddWinWorstCases(cases, size);
    vaveze::fuzz::AddDosWorstCases(cases, size);

    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const auto& c : cases) {
        std::ofstream out(folder / c.Name, std::ios::binary | std::ios::trunc);
        out.write(c.Bytes.data(), static_cast<std::streamsize>(c.Bytes.size()));
        if (!out) {
            std::fprintf(stderr, "make_worst_cases: cannot write %s\n", (folder / c.Name).c_str());
            return 1;
        }
        std::printf("%s %zu\n", c.Name.c_str(), c.Bytes.size());
    }
    return 0;
}
