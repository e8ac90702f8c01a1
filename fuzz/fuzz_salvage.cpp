// Fuzz target: the salvage reading. The first byte picks the format by its
// remainder of four (ZVW, ZVS, ZVC, ZVK), the next whether every record is
// kept or the texts alone; the rest is the file. It is read the ordinary way
// and with salvage: listed without the salvaged lines the two must agree,
// and with them the ordinary lines must come first. No listed line may be
// empty, and the salvage reading must keep within its budget of work, which
// is linear in the file's size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "core/listing/extraction.h"
#include "fuzz/fuzz_listing_check.h"

namespace {

using namespace vaveze;

// The lines and digest of a listing up to where its salvaged lines start.
class SalvageSink final : public LineSink {
public:
    void Clear() override { *this = SalvageSink(); }
    void StartSalvaged() override { Before = {All.Lines, All.Digest}; }
    [[nodiscard]] bool Append(std::string_view line) override { return All.Append(line); }

    fuzz::CheckingSink All;
    // The lines and digest when the salvaged lines started, or none.
    struct Count {
        std::size_t Lines = 0;
        std::size_t Digest = 0;
    };
    std::optional<Count> Before;
};

constexpr const char* kNames[] = {"f.zvw", "f.zvs", "f.zvc", "f.zvk"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const char* name = kNames[data[0] % 4];
    const RecordsKept kept = data[1] % 2 == 0 ? RecordsKept::TextsOnly : RecordsKept::All;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

    Readers ordinary;
    const Detection plain = DetectAndParseBytes(ordinary, name, bytes, kept);
    fuzz::CheckingSink plainListing;
    (void)ListFormat(plain.Kind, ordinary, fuzz::kEveryOption, plainListing);

    Readers salvaging;
    const Detection salvage = DetectAndParseBytes(salvaging, name, bytes, kept, ReadMode::Salvage);
    if (!(salvage.Kind == plain.Kind && salvage.Outcome == plain.Outcome))
        std::abort();
    fuzz::CheckingSink withoutSalvage;
    (void)ListFormat(salvage.Kind, salvaging, fuzz::kEveryOption, withoutSalvage);
    ListingOptions everything = fuzz::kEveryOption;
    everything.Salvage = true;
    SalvageSink withSalvage;
    (void)ListFormat(salvage.Kind, salvaging, everything, withSalvage);
    const auto [lines, digest] = withSalvage.Before.value_or(SalvageSink::Count{withSalvage.All.Lines, withSalvage.All.Digest});
    if (withoutSalvage.Digest != plainListing.Digest || withoutSalvage.Lines != plainListing.Lines ||
        digest != plainListing.Digest || lines != plainListing.Lines)
        std::abort();
    if (const SalvageResult* salvaged = SalvageOf(salvage.Kind, salvaging);
        salvaged != nullptr && salvaged->Work > 2 * SalvageWorkBudget(bytes.size()))
        std::abort();
    return 0;
}
