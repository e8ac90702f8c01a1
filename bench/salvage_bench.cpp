// The damaged corpus and the figures of the salvage reading: files of every
// format made by the test writers, each damaged three ways with a fixed
// seed (one byte changed, 16 bytes zeroed, 512 bytes cut out of the
// middle), listed with every option the ordinary way and with salvage, and
// held against the undamaged file's listing. Lines are counted as a
// multiset, headings left out (a salvaged section repeats its heading):
//   lost       the lines of the undamaged listing the ordinary one lacks;
//   recovered  the share of those the salvaged lines bring back;
//   false      salvaged lines the undamaged listing does not hold;
//   beyond     salvaged lines that fill no gap of the ordinary listing: the
//              false ones, and true ones the ordinary listing shows already
//              (as a damaged reading may show a text of the file in the
//              wrong place).
// Also the time of each reading, and whether the ordinary listing stays a
// prefix of the salvage listing byte for byte.
//
//   vaveze_salvage_bench [COPIES [FOLDER]]
//
// COPIES damaged copies of each file for each kind of damage (default 100);
// with FOLDER the corpus is written there as well.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/bench_files.h"
#include "core/listing/extraction.h"
#include "core/listing/listing.h"
#include "tests/dos/dos_writer.h"

namespace {

using namespace vaveze;
using Clock = std::chrono::steady_clock;

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

private:
    std::uint64_t state_;
};

enum class Damage { Byte, Zeros, Cut };
constexpr Damage kDamages[] = {Damage::Byte, Damage::Zeros, Damage::Cut};

const char* NameOf(Damage damage)
{
    switch (damage) {
    case Damage::Byte: return "one byte changed";
    case Damage::Zeros: return "16 bytes zeroed";
    case Damage::Cut: return "512 bytes cut out";
    }
    return "";
}

std::string Damaged(const std::string& bytes, Damage damage, Random& rng)
{
    std::string out = bytes;
    switch (damage) {
    case Damage::Byte: {
        const std::size_t at = rng.Below(out.size());
        out[at] = static_cast<char>(static_cast<unsigned char>(out[at]) ^ (1 + rng.Below(255)));
        break;
    }
    case Damage::Zeros:
        std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(rng.Below(out.size() - 16)), 16, '\0');
        break;
    case Damage::Cut: {
        // The middle half of the file.
        const std::size_t at = out.size() / 4 + rng.Below(out.size() / 2 - 512);
        out.erase(at, 512);
        break;
    }
    }
    return out;
}

// A listing's lines but its headings; the lines after the salvaged ones
// start are counted apart.
class Lines final : public LineSink {
public:
    void Clear() override { *this = Lines(); }
    void SetKind(LineKind kind, std::int32_t) override { heading_ = kind == LineKind::Heading; }
    void StartSalvaged() override { salvaging_ = true; }
    [[nodiscard]] bool Append(std::string_view line) override
    {
        All += line;
        All += '\n';
        if (!heading_)
            (salvaging_ ? Salvaged : Ordinary).emplace_back(line);
        return true;
    }
    std::vector<std::string> Ordinary;
    std::vector<std::string> Salvaged;
    std::string All;  // every line, headings too

private:
    bool heading_ = false;
    bool salvaging_ = false;
};

constexpr ListingOptions kEverything{true, true, true, true};

struct Read {
    Lines Listed;
    Lines WithoutSalvage;
    double Seconds = 0;
    bool Complete = false;
};

// Counts what it is given, so that the time of a reading is the reader's and
// the listing's, not that of keeping every line as the measures need it.
class Counted final : public LineSink {
public:
    void Clear() override { Bytes = 0; }
    [[nodiscard]] bool Append(std::string_view line) override
    {
        Bytes += line.size() + 1;
        return true;
    }
    std::size_t Bytes = 0;
};

Read ReadAs(const std::string& name, const std::string& bytes, ReadMode mode)
{
    Read read;
    {
        Readers readers;
        Counted counted;
        const auto start = Clock::now();
        const Detection detection = DetectAndParseBytes(readers, name, bytes, RecordsKept::TextsOnly, mode);
        (void)ListFormat(detection.Kind, readers, kEverything, counted);
        read.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    Readers readers;
    const Detection detection = DetectAndParseBytes(readers, name, bytes, RecordsKept::TextsOnly, mode);
    (void)ListFormat(detection.Kind, readers, kEverything, read.Listed);
    read.Complete = detection.Kind != FormatKind::None && detection.Outcome.Complete();
    ListingOptions ordinary = kEverything;
    ordinary.Salvage = false;
    (void)ListFormat(detection.Kind, readers, ordinary, read.WithoutSalvage);
    return read;
}

using Multiset = std::unordered_map<std::string, long>;

Multiset Count(const std::vector<std::string>& lines)
{
    Multiset counted;
    for (const std::string& line : lines)
        ++counted[line];
    return counted;
}

struct Tally {
    long Copies = 0;
    long Partial = 0;  // copies the ordinary reading did not read to their end
    long Lost = 0;
    long Recovered = 0;
    long Salvaged = 0;
    long False = 0;
    long Beyond = 0;
    long PrefixBroken = 0;

    void Add(const Tally& other)
    {
        Copies += other.Copies, Partial += other.Partial, Lost += other.Lost, Recovered += other.Recovered;
        Salvaged += other.Salvaged, False += other.False, Beyond += other.Beyond, PrefixBroken += other.PrefixBroken;
    }
};

// One damaged copy against its undamaged listing.
Tally Measure(const Multiset& whole, const std::string& name, const std::string& damaged)
{
    Tally tally;
    tally.Copies = 1;
    const Read ordinary = ReadAs(name, damaged, ReadMode::Ordinary);
    const Read salvage = ReadAs(name, damaged, ReadMode::Salvage);
    tally.Partial = ordinary.Complete ? 0 : 1;
    // Without the option nothing changes; with it, the ordinary lines come first.
    if (salvage.WithoutSalvage.All != ordinary.Listed.All || !salvage.Listed.All.starts_with(ordinary.Listed.All))
        tally.PrefixBroken = 1;
    Multiset gaps = whole;
    for (const std::string& line : ordinary.Listed.Ordinary)
        if (auto it = gaps.find(line); it != gaps.end() && it->second > 0)
            --it->second;
    for (const auto& [line, n] : gaps)
        tally.Lost += n;
    Multiset held = whole;
    for (const std::string& line : salvage.Listed.Salvaged) {
        ++tally.Salvaged;
        if (auto it = held.find(line); it != held.end() && it->second > 0)
            --it->second;
        else
            ++tally.False;
        if (auto it = gaps.find(line); it != gaps.end() && it->second > 0) {
            --it->second;
            ++tally.Recovered;
        } else {
            ++tally.Beyond;
        }
    }
    return tally;
}

struct Source {
    std::string Format;  // "ZVW", ...
    std::string Name;
    std::string Bytes;
    bool Large = false;
};

std::vector<Source> Sources()
{
    using namespace vaveze::bench;
    std::vector<Source> sources;
    sources.push_back({"ZVW", "drawing.zvw", MakeDrawing(1, true), true});
    sources.push_back({"ZVS", "symbol.zvs", MakeSymbol(1), true});
    sources.push_back({"ZVC", "drawing.zvc", MakeDosDrawing(5000, 11), true});
    sources.push_back({"ZVK", "symbol.zvk", MakeDosSymbol(2000, 21), true});
    for (int i = 1; i <= 3; ++i) {
        const std::string n = std::to_string(i);
        sources.push_back({"ZVW", "small-" + n + ".zvw", MakeSmallDrawing(i), false});
        sources.push_back({"ZVS", "small-" + n + ".zvs", MakeSmallSymbol(i), false});
        sources.push_back({"ZVC", "small-" + n + ".zvc", MakeDosDrawing(120, 11 + static_cast<unsigned>(i)), false});
        sources.push_back({"ZVK", "small-" + n + ".zvk", MakeDosSymbol(80, 21 + static_cast<unsigned>(i)), false});
    }
    return sources;
}

double Percent(long part, long whole) { return whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole); }

void PrintRow(const std::string& what, const Tally& t)
{
    std::printf("| %s | %ld | %ld | %ld | %ld (%.1f %%) | %ld | %ld (%.2f %%) | %ld (%.2f %%) | %ld |\n", what.c_str(),
                t.Copies, t.Partial, t.Lost, t.Recovered, Percent(t.Recovered, t.Lost), t.Salvaged, t.False,
                Percent(t.False, t.Salvaged), t.Beyond, Percent(t.Beyond, t.Salvaged), t.PrefixBroken);
}

// The least of `runs` times of `read`, in milliseconds.
double Fastest(int runs, const std::function<double()>& read)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, read());
    return best * 1000;
}

}  // namespace

int main(int argc, char** argv)
{
    const int copies = argc > 1 ? std::atoi(argv[1]) : 100;
    const std::string folder = argc > 2 ? argv[2] : "";
    const std::vector<Source> sources = Sources();

    std::map<std::pair<std::string, int>, Tally> byFormatAndDamage;
    std::map<std::string, Tally> byFormat;
    std::map<int, Tally> byDamage;
    Tally all;
    Tally readInPart;  // the copies the ordinary reading stopped short in
    struct Times {
        double Ordinary = 0, Salvage = 0;  // milliseconds, summed
        int Copies = 0;
    };
    std::map<std::string, Times> damagedTimes;  // of the large files' copies read in part
    Random rng(20240605);
    for (const Source& source : sources) {
        const Read whole = ReadAs(source.Name, source.Bytes, ReadMode::Ordinary);
        const Multiset counted = Count(whole.Listed.Ordinary);
        if (!folder.empty())
            (void)doswriter::SaveFile(folder + "/" + source.Name, source.Bytes);
        for (const Damage damage : kDamages) {
            for (int c = 0; c < copies; ++c) {
                const std::string damaged = Damaged(source.Bytes, damage, rng);
                if (!folder.empty()) {
                    char name[64];
                    std::snprintf(name, sizeof name, "-%d-%03d", static_cast<int>(damage), c);
                    const auto dot = source.Name.rfind('.');
                    (void)doswriter::SaveFile(folder + "/" + source.Name.substr(0, dot) + name + source.Name.substr(dot),
                                              damaged);
                }
                const Tally tally = Measure(counted, source.Name, damaged);
                if (std::getenv("SALVAGE_BENCH_SHOW") != nullptr && (tally.Lost - tally.Recovered > 2 || tally.False > 0))
                    std::fprintf(stderr, "%s %s copy %d: lost %ld recovered %ld false %ld\n", source.Name.c_str(),
                                 NameOf(damage), c, tally.Lost, tally.Recovered, tally.False);
                byFormatAndDamage[{source.Format, static_cast<int>(damage)}].Add(tally);
                byFormat[source.Format].Add(tally);
                byDamage[static_cast<int>(damage)].Add(tally);
                all.Add(tally);
                if (tally.Partial != 0)
                    readInPart.Add(tally);
                if (source.Large && tally.Partial != 0) {
                    Times& times = damagedTimes[source.Format];
                    times.Ordinary += Fastest(3, [&] { return ReadAs(source.Name, damaged, ReadMode::Ordinary).Seconds; });
                    times.Salvage += Fastest(3, [&] { return ReadAs(source.Name, damaged, ReadMode::Salvage).Seconds; });
                    ++times.Copies;
                }
            }
        }
    }

    std::printf("| Format, damage | copies | read in part | lines lost | recovered | salvaged | false | beyond the gaps | "
                "prefix broken |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const auto& [key, tally] : byFormatAndDamage)
        PrintRow(key.first + ", " + NameOf(kDamages[key.second]), tally);
    for (const auto& [format, tally] : byFormat)
        PrintRow("**" + format + "**", tally);
    for (const auto& [damage, tally] : byDamage)
        PrintRow(std::string("**") + NameOf(kDamages[damage]) + "**", tally);
    PrintRow("**all**", all);
    PrintRow("**all read in part**", readInPart);

    std::printf("\n| Format | undamaged: ordinary | undamaged: salvage | × | damaged, read in part (mean): ordinary | "
                "salvage | × the undamaged ordinary | × the damaged ordinary |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Source& source : sources) {
        if (!source.Large)
            continue;
        const double ordinary = Fastest(15, [&] { return ReadAs(source.Name, source.Bytes, ReadMode::Ordinary).Seconds; });
        const double salvage = Fastest(15, [&] { return ReadAs(source.Name, source.Bytes, ReadMode::Salvage).Seconds; });
        const Times& times = damagedTimes[source.Format];
        const double damagedOrdinary = times.Copies == 0 ? 0 : times.Ordinary / times.Copies;
        const double damagedSalvage = times.Copies == 0 ? 0 : times.Salvage / times.Copies;
        std::printf("| %s (%zu bytes) | %.2f ms | %.2f ms | %.2f | %.2f ms | %.2f ms | %.2f | %.2f |\n", source.Format.c_str(),
                    source.Bytes.size(), ordinary, salvage, salvage / ordinary, damagedOrdinary, damagedSalvage,
                    damagedSalvage / ordinary, damagedOrdinary > 0 ? damagedSalvage / damagedOrdinary : 0.0);
    }
    return all.PrefixBroken == 0 ? 0 : 1;
}
