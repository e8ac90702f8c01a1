#include "core/readers/dos/dossalvage.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace vaveze {
namespace {

// Texts fewer than this tell nothing sure about where a gap lies.
constexpr std::uint64_t kFewestTexts = 3;

// A place of the gap: its first byte in the file (the bytes before it are
// where the layout puts them, those after it `missing` bytes earlier).
// Every text read whole and checked holds for a range of them.
struct GapRange {
    std::uint64_t First = 0;
    std::uint64_t Last = 0;  // inclusive
};

// A text under one reading: its record before or after the gap, its string
// before or after it. A reading that holds is a record whose string starts
// just after a NUL and is well formed up to the next; one that does not
// holds against every place of the gap that would leave the bytes it found
// wrong where they are.
struct Reading {
    GapRange Gaps;
    bool Holds = false;
    std::uint64_t StringAt = 0;  // in the file
    std::uint64_t Length = 0;
    bool Unmoved = false;        // both where the layout puts them
};

class DosSalvage {
public:
    DosSalvage(std::string_view bytes, const DosLayout& layout)
        : bytes_(bytes), layout_(layout), missing_(layout.End - bytes.size()),
          regionAt_(layout.PoolAt > missing_ ? layout.PoolAt - missing_ : 0),
          regionEnd_(std::min<std::uint64_t>(bytes.size(), layout.PoolAt + layout.PoolSize)),
          budget_(DosTextByteBudget(bytes.size()))
    {
    }

    // The ranges of the gap under which text `k` reads whole and checked,
    // for each of its four readings.
    template <typename Use>
    void EachReading(std::uint64_t k, Use use)
    {
        for (const bool recordMoved : {false, true})
            for (const bool poolMoved : {false, true})
                if (const auto reading = Read(k, recordMoved, poolMoved))
                    use(*reading);
    }

    [[nodiscard]] bool Prepare() noexcept
    {
        if (regionEnd_ <= regionAt_)
            return false;
        const std::size_t size = static_cast<std::size_t>(regionEnd_ - regionAt_);
        lengths_ = std::unique_ptr<std::uint32_t[]>(new (std::nothrow) std::uint32_t[size]);
        checked_ = std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size]());
        if (!lengths_ || !checked_)
            return false;
        // The distance to the next NUL from every byte, in one pass from the end.
        std::uint32_t length = kNoNul;
        for (std::size_t i = size; i-- > 0;) {
            length = bytes_[static_cast<std::size_t>(regionAt_) + i] == '\0' ? 0 : length == kNoNul ? kNoNul : length + 1;
            lengths_[i] = length;
        }
        return true;
    }

    [[nodiscard]] std::string_view Text(const Reading& reading) const noexcept
    {
        return bytes_.substr(static_cast<std::size_t>(reading.StringAt), static_cast<std::size_t>(reading.Length));
    }

    [[nodiscard]] std::uint64_t Budget() const noexcept { return budget_; }
    [[nodiscard]] std::uint64_t Missing() const noexcept { return missing_; }

private:
    static constexpr std::uint32_t kNoNul = std::numeric_limits<std::uint32_t>::max();

    [[nodiscard]] std::optional<Reading> Read(std::uint64_t k, bool recordMoved, bool poolMoved)
    {
        const std::uint64_t size = bytes_.size();
        const std::uint64_t shift = missing_;
        // The record: whole in the file, before the gap or after it.
        const std::uint64_t original = layout_.TextsAt + kMoji2FileSize * k;
        if (recordMoved && original < shift)
            return {};
        const std::uint64_t recordAt = recordMoved ? original - shift : original;
        if (recordAt + kMoji2FileSize > size)
            return {};
        const auto byteAt = [this](std::uint64_t at) { return static_cast<unsigned char>(bytes_[static_cast<std::size_t>(at)]); };
        const std::int64_t offset = byteAt(recordAt + 16) | byteAt(recordAt + 17) << 8;
        const std::int64_t segment = byteAt(recordAt + 18) | byteAt(recordAt + 19) << 8;
        const std::int64_t position = layout_.Addressing == DosPoolAddressing::SegmentOffset ? segment * 16 + offset : offset;
        const std::int64_t index = position - layout_.PoolBase;
        if (index < 0 || static_cast<std::uint64_t>(index) >= layout_.PoolSize)
            return {};
        // The string: just after a NUL (or at the pool's start), up to the
        // next NUL, all within the pool where it lies in the file.
        const std::uint64_t poolAt = poolMoved ? layout_.PoolAt - std::min(layout_.PoolAt, shift) : layout_.PoolAt;
        if (poolMoved && layout_.PoolAt < shift)
            return {};
        const std::uint64_t stringAt = poolAt + static_cast<std::uint64_t>(index);
        const std::uint64_t poolEnd = std::min(poolAt + layout_.PoolSize, size);
        if (stringAt >= poolEnd || stringAt < regionAt_)
            return {};
        const std::uint32_t length = lengths_[static_cast<std::size_t>(stringAt - regionAt_)];
        if (length == 0 || length == kNoNul || stringAt + length >= poolEnd)
            return {};  // an empty string, or none ending: no telling
        // The bytes that say whether it holds: the NUL before it (where it is
        // not the pool's first) and, where that is there, the string and its NUL.
        const std::uint64_t first = static_cast<std::uint64_t>(index) - (index > 0 ? 1 : 0);
        const bool afterNul = index == 0 || bytes_[static_cast<std::size_t>(stringAt - 1)] == '\0';
        const bool holds = afterNul && Checked(stringAt, length);
        const std::uint64_t last = afterNul ? static_cast<std::uint64_t>(index) + length : first;
        // The places of the gap that leave those bytes where they were read.
        GapRange gaps{layout_.HeaderEnd, size};
        if (recordMoved) {
            if (original < layout_.HeaderEnd + shift)
                return {};
            gaps.Last = std::min(gaps.Last, original - shift);
        } else {
            gaps.First = std::max(gaps.First, original + kMoji2FileSize);
        }
        if (poolMoved) {
            if (layout_.PoolAt + first < layout_.HeaderEnd + shift)
                return {};
            gaps.Last = std::min(gaps.Last, layout_.PoolAt + first - shift);
        } else {
            gaps.First = std::max(gaps.First, layout_.PoolAt + last + 1);
        }
        if (gaps.First > gaps.Last)
            return {};
        return Reading{gaps, holds, stringAt, length, !recordMoved && !poolMoved};
    }

    // Whether the string at `at` is well formed, checked once for every
    // text that points at it.
    [[nodiscard]] bool Checked(std::uint64_t at, std::uint32_t length)
    {
        std::uint8_t& known = checked_[static_cast<std::size_t>(at - regionAt_)];
        if (known == 0)
            known = PlausibleSalvageText(bytes_.substr(static_cast<std::size_t>(at), length)) ? 1 : 2;
        return known == 1;
    }

    std::string_view bytes_;
    DosLayout layout_;
    std::uint64_t missing_;
    std::uint64_t regionAt_;   // the bytes either placing of the pool covers
    std::uint64_t regionEnd_;
    std::uint64_t budget_;
    std::unique_ptr<std::uint32_t[]> lengths_;
    std::unique_ptr<std::uint8_t[]> checked_;
};

// Where the gap may lie: every place that leaves nearly as many strings read
// whole and checked as the best place does (the first and last of them),
// and how many strings that best is. Each string counts once, whatever
// number of records read it: a field of the wrong records that holds the
// same value in each would otherwise make many of them agree.
struct BestGaps {
    GapRange Range;
    std::uint64_t Best = 0;  // a place as good as any
    std::uint64_t Strings = 0;
};

// Every place nearly as good as the best (short of it by one string, and
// one in this many more) may be where the gap lies: a text is salvaged only
// where they all agree on it. The one string is the one a gap inside a
// string leaves looking whole where the gap is taken to lie after it.
constexpr std::uint64_t kNearlyAsGoodShare = 500;

std::optional<BestGaps> FindBestGaps(DosSalvage& salvage, std::uint64_t texts)
{
    struct Evidence {
        std::uint64_t String;  // where it lies in the file
        GapRange Gaps;
    };
    std::vector<Evidence> evidence;
    std::vector<std::pair<std::uint64_t, int>> changes;
    try {
        for (std::uint64_t k = 0; k < texts; ++k) {
            salvage.EachReading(k, [&](const Reading& reading) {
                if (reading.Holds) {
                    evidence.push_back({reading.StringAt, reading.Gaps});
                } else {
                    changes.emplace_back(reading.Gaps.First, -1);
                    changes.emplace_back(reading.Gaps.Last + 1, 1);
                }
            });
        }
        // The places each string is read at, merged where they overlap; each
        // range adds one from its first place and takes it away after its last.
        std::sort(evidence.begin(), evidence.end(), [](const Evidence& a, const Evidence& b) {
            return a.String != b.String ? a.String < b.String : a.Gaps.First < b.Gaps.First;
        });
        for (std::size_t i = 0; i < evidence.size();) {
            GapRange merged = evidence[i].Gaps;
            std::size_t j = i + 1;
            for (; j < evidence.size() && evidence[j].String == evidence[i].String && evidence[j].Gaps.First <= merged.Last + 1; ++j)
                merged.Last = std::max(merged.Last, evidence[j].Gaps.Last);
            changes.emplace_back(merged.First, 1);
            changes.emplace_back(merged.Last + 1, -1);
            i = j;
        }
    } catch (const std::bad_alloc&) {
        return {};
    }
    std::vector<Evidence>().swap(evidence);
    std::sort(changes.begin(), changes.end());
    // How many strings hold, less the records that hold against it, at each
    // run of places, in order.
    const auto eachRun = [&changes](auto use) {
        std::int64_t count = 0;
        for (std::size_t i = 0; i < changes.size();) {
            const std::uint64_t at = changes[i].first;
            for (; i < changes.size() && changes[i].first == at; ++i)
                count += changes[i].second;
            if (i < changes.size())
                use(GapRange{at, changes[i].first - 1}, count);
        }
    };
    BestGaps best;
    std::int64_t most = 0;
    eachRun([&](GapRange run, std::int64_t score) {
        if (score > most)
            most = score, best.Best = run.First;
    });
    best.Strings = static_cast<std::uint64_t>(most);
    const std::int64_t enough = std::max<std::int64_t>(most - 1 - most / static_cast<std::int64_t>(kNearlyAsGoodShare), 1);
    bool found = false;
    eachRun([&](GapRange run, std::int64_t score) {
        if (score < enough)
            return;
        best.Range.First = found ? best.Range.First : run.First;
        best.Range.Last = run.Last;
        found = true;
    });
    if (!found)
        return {};
    return best;
}

// The records whole under a gap at `at`.
std::uint64_t WholeRecords(const DosLayout& layout, std::uint64_t texts, std::uint64_t missing, std::uint64_t at)
{
    std::uint64_t whole = 0;
    for (std::uint64_t k = 0; k < texts; ++k) {
        const std::uint64_t record = layout.TextsAt + kMoji2FileSize * k;
        whole += record + kMoji2FileSize <= at || record >= at + missing ? 1 : 0;
    }
    return whole;
}

}  // namespace

SalvageResult SalvageDosTexts(std::string_view bytes, const DosLayout& layout, bool parsedStrings,
                              const ParseOutcome& outcome)
{
    SalvageResult result;
    const auto passOver = [&result, &outcome, &bytes](std::uint64_t from) {
        result.Skipped.push_back({outcome.Reason, std::min<std::uint64_t>(from, bytes.size()), bytes.size()});
        return std::move(result);
    };
    // Only a file that lacks bytes has a gap to find; the texts must be
    // enough to tell where it lies.
    if (outcome.Reason != StopReason::EndsEarly || layout.End <= bytes.size() || layout.Texts < kFewestTexts ||
        layout.PoolSize == 0 || layout.TextsAt + kMoji2FileSize * layout.Texts > layout.End)
        return passOver(outcome.Offset);

    DosSalvage salvage(bytes, layout);
    if (!salvage.Prepare())
        return passOver(outcome.Offset);
    const auto best = FindBestGaps(salvage, layout.Texts);
    if (!best || best->Strings < kFewestTexts)
        return passOver(outcome.Offset);
    // The one reading of each text that holds wherever the gap may lie.
    const auto sure = [&](std::uint64_t k) {
        std::optional<Reading> found;
        salvage.EachReading(k, [&](const Reading& reading) {
            if (reading.Holds && reading.Gaps.First <= best->Range.First && reading.Gaps.Last >= best->Range.Last)
                found = reading;
        });
        return found;
    };
    // Where the gap lies, most records read whole point at a string read
    // whole; a file damaged otherwise has no such place.
    std::uint64_t holding = 0;
    for (std::uint64_t k = 0; k < layout.Texts; ++k) {
        bool holds = false;
        salvage.EachReading(k, [&](const Reading& reading) {
            holds = holds || (reading.Holds && reading.Gaps.First <= best->Best && best->Best <= reading.Gaps.Last);
        });
        holding += holds ? 1 : 0;
    }
    if (2 * holding < WholeRecords(layout, layout.Texts, salvage.Missing(), best->Best))
        return passOver(outcome.Offset);

    std::uint64_t kept = 0;
    for (std::uint64_t k = 0; k < layout.Texts; ++k) {
        const std::optional<Reading> reading = sure(k);
        if (!reading || (reading->Unmoved && parsedStrings))
            continue;  // not sure, or listed by the parse as it is
        kept += reading->Length;
        if (kept > salvage.Budget() || !result.Add(SalvagedKind::Text, kUnknownBlock, salvage.Text(*reading))) {
            result.Skipped.push_back({StopReason::OutOfMemory, bytes.size(), bytes.size()});
            break;
        }
    }
    result.Skipped.insert(result.Skipped.begin(), {outcome.Reason, best->Range.First, std::min<std::uint64_t>(best->Range.Last, bytes.size())});
    return result;
}

}  // namespace vaveze
