// Writes the seed corpora of the fuzz targets into a folder, one subfolder
// per target: make_seeds OUTPUT_FOLDER.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "fuzz/seeds.h"

namespace {

bool WriteCorpus(const std::filesystem::path& folder, const vaveze::fuzz::SeedSet& seeds)
{
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder, ec);
    if (ec)
        return false;
    for (const auto& seed : seeds.Seeds()) {
        std::ofstream out(folder / seed.Name, std::ios::binary | std::ios::trunc);
        out.write(seed.Bytes.data(), static_cast<std::streamsize>(seed.Bytes.size()));
        if (!out)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUTPUT_FOLDER\n");
        return 2;
    }
    const std::filesystem::path root(argv[1]);
    struct Corpus {
        const char* Name;
        void (*Fill)(vaveze::fuzz::SeedSet&);
    };
    const Corpus corpora[] = {
        {"zvw", vaveze::fuzz::AddZvwSeeds}, {"zvs", vaveze::fuzz::AddZvsSeeds}, {"zvc", vaveze::fuzz::AddZvcSeeds},
        {"zvk", vaveze::fuzz::AddZvkSeeds}, {"text", vaveze::fuzz::AddTextSeeds},
        {"salvage", vaveze::fuzz::AddSalvageSeeds},
    };
    for (const Corpus& corpus : corpora) {
        vaveze::fuzz::SeedSet seeds;
        corpus.Fill(seeds);
        if (!WriteCorpus(root / corpus.Name, seeds)) {
            std::fprintf(stderr, "make_seeds: cannot write %s\n", (root / corpus.Name).c_str());
            return 1;
        }
        std::printf("make_seeds: %zu %s seeds\n", seeds.Seeds().size(), corpus.Name);
    }
    return 0;
}
