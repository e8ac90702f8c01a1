// Seeds of the salvage target: every reader's seed behind the two bytes that
// pick its format and what is kept, whole and with a run of bytes cut out of
// its middle, the damage the salvage reading is for.
#include "fuzz/seeds.h"

namespace vaveze::fuzz {

void AddSalvageSeeds(SeedSet& seeds)
{
    const struct {
        char Format;  // its remainder of four picks the format
        void (*Fill)(SeedSet&);
    } readers[] = {{'\x00', AddZvwSeeds}, {'\x01', AddZvsSeeds}, {'\x02', AddZvcSeeds}, {'\x03', AddZvkSeeds}};
    for (const auto& reader : readers) {
        SeedSet own;
        reader.Fill(own);
        for (const Seed& seed : own.Seeds()) {
            const std::string head{reader.Format, static_cast<char>(seed.Bytes.size() % 2)};
            seeds.Add(seed.Name, head + seed.Bytes);
            if (seed.Bytes.size() > 64) {
                std::string cut = seed.Bytes;
                cut.erase(cut.size() / 2, 1 + cut.size() % 29);
                seeds.Add(seed.Name + "-gap", head + cut);
            }
        }
    }
}

}  // namespace vaveze::fuzz
