// Seed corpora for the fuzz targets, written by the project's own test-file
// writers: every variant they can produce, and files cut at the boundaries
// between their parts, so the fuzzer starts from inputs that reach deep into
// each reader.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vaveze::fuzz {

struct Seed {
    std::string Name;
    std::string Bytes;
};

// Collects the seeds of one corpus.
class SeedSet {
public:
    void Add(std::string name, std::string bytes) { seeds_.push_back({std::move(name), std::move(bytes)}); }

    // The whole file, and its prefix ending at each given offset (offsets
    // outside the file are passed over).
    void AddWithCuts(const std::string& name, const std::string& bytes, const std::vector<std::size_t>& cuts)
    {
        Add(name, bytes);
        for (const std::size_t cut : cuts)
            if (cut < bytes.size())
                Add(name + "-cut" + std::to_string(cut), bytes.substr(0, cut));
    }

    [[nodiscard]] const std::vector<Seed>& Seeds() const { return seeds_; }

private:
    std::vector<Seed> seeds_;
};

void AddZvcSeeds(SeedSet& seeds);
void AddZvkSeeds(SeedSet& seeds);
void AddZvwSeeds(SeedSet& seeds);
void AddZvsSeeds(SeedSet& seeds);
void AddTextSeeds(SeedSet& seeds);
// The seeds of the four readers, each as a salvage input (see
// fuzz_salvage.cpp), whole and with a run cut out of its middle.
void AddSalvageSeeds(SeedSet& seeds);

}  // namespace vaveze::fuzz
