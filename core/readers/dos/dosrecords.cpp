#include "core/readers/dos/dosrecords.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "core/text/Func_.h"

namespace vaveze {
namespace {

// 16.16 fixed point: the integer is rounded to single precision before the
// division, so integers beyond 24 significant bits lose their low bits.
float FixedToSingle(std::uint32_t raw) { return static_cast<float>(static_cast<std::int32_t>(raw)) / 65536.0f; }

// Decoders of one record from a block the cursor has checked, field by
// field in the record's order.
TSen2 DecodeSen2(FieldBlock& f) noexcept { return TSen2{f.readByteArray<kSen2FileSize>()}; }

TEnko2 DecodeEnko2(FieldBlock& f) noexcept
{
    TEnko2 arc;
    arc.Value1 = f.readU32();
    arc.Value2 = f.readU32();
    arc.Value3 = f.readU32();
    arc.Ratio = static_cast<float>(f.readU16()) / 10000.0f;
    arc.Real1 = FixedToSingle(f.readU32());
    arc.Real2 = FixedToSingle(f.readU32());
    arc.Real3 = FixedToSingle(f.readU32());
    arc.Bytes = f.readByteArray<6>();
    return arc;
}

TTen2 DecodeTen2(FieldBlock& f) noexcept
{
    TTen2 point;
    point.Value1 = f.readU32();
    point.Value2 = f.readU32();
    point.Value3 = f.readU32();
    return point;
}

TMoji2 DecodeMoji2(FieldBlock& f, DosPoolAddressing addressing) noexcept
{
    TMoji2 text;
    for (std::uint32_t& value : text.Values)
        value = f.readU32();
    const std::uint16_t offset = f.readU16();
    const std::uint16_t segment = f.readU16();
    text.PoolPosition = addressing == DosPoolAddressing::SegmentOffset
                            ? static_cast<std::int32_t>(segment) * 16 + static_cast<std::int32_t>(offset)
                            : static_cast<std::int32_t>(offset);
    text.AttrBytes = f.readByteArray<4>();
    return text;
}

// Records are taken from the cursor this many bytes' worth at a time, each
// run with one check: a file read a window at a time never needs a larger
// window for them.
constexpr std::size_t kRecordRunBytes = kLargestFieldBlock;

// The whole records left are taken in runs; a record the file ends in is then
// asked of the cursor, which stops at the end of the file. (Once stopped,
// the cursor has no bytes left, so no record is taken.)
template <std::size_t Size, typename T, typename Decode>
void ReadRecords(InputStream& in, Table<T>& table, std::size_t count, Decode decode)
{
    const std::size_t whole = std::min(count, in.remaining() / Size);
    for (std::size_t done = 0; done < whole;) {
        const std::size_t run = std::min(whole - done, kRecordRunBytes / Size);
        FieldBlock records = in.fields(run * Size);
        if (in.failed())
            return;  // a file that shrank while it was read
        for (std::size_t i = 0; i < run; ++i)
            table.push_back(decode(records));
        done += run;
    }
    if (whole < count)
        (void)in.readBytes(Size);
}

// More texts than one per this many pool bytes share strings: their lengths
// are then measured once for every index of the pool rather than per text.
constexpr std::size_t kSharedPoolBytesPerText = 4;
constexpr std::size_t kMaxLengthTableEntries = std::numeric_limits<std::uint32_t>::max();

// The length of the string at every index of a pool whose last byte is NUL
// (or, without one, up to the pool's end), in one pass from the end; null
// when the table cannot be had.
std::unique_ptr<std::uint32_t[]> StringLengthsAtEveryIndex(std::string_view pool)
{
    // Every entry is written below, so none is cleared first.
    std::unique_ptr<std::uint32_t[]> lengths(new (std::nothrow) std::uint32_t[pool.size()]);
    if (lengths == nullptr)
        return lengths;
    std::uint32_t length = 0;
    for (std::size_t i = pool.size(); i-- > 0;) {
        length = pool[i] == '\0' ? 0 : length + 1;
        lengths[i] = length;
    }
    return lengths;
}

template <typename LengthAt>
[[nodiscard]] bool ViewPoolStrings(Table<TMoji2>& texts, std::string_view pool, std::int64_t poolBase,
                                   std::size_t byteBudget, LengthAt lengthAt)
{
    const std::uint64_t poolSize = pool.empty() ? 0 : pool.size() - 1;
    std::size_t spent = 0;
    for (auto& text : texts) {
        // A position before the pool wraps to an index beyond it.
        const auto index = static_cast<std::uint64_t>(std::int64_t{text.PoolPosition} - poolBase);
        if (index >= poolSize)
            continue;  // no string of the pool: the text stays empty
        const std::size_t length = lengthAt(static_cast<std::size_t>(index));
        if (length > byteBudget - spent)
            return false;  // the texts exceed the memory budget
        spent += length;
        text.Text = std::string_view(pool.data() + index, length);
    }
    return true;
}

}  // namespace

std::string ReadHeaderLine(InputStream& in) { return std::string(in.readBytes(kDosHeaderLineSize)); }

DosTitleTexts TakeTitleTexts(std::string_view line)
{
    auto field = [line](std::size_t from, std::size_t width) {
        return from < line.size() ? std::string(line.substr(from, width)) : std::string();
    };
    return {field(0, kDosTitleBlockSize), field(kDosTitleBlockSize, kDosHeaderTextSize),
            field(kDosTitleBlockSize + kDosHeaderTextSize, kDosHeaderTextSize)};
}

bool DosHeaderReal(std::string_view field, float& out)
{
    try {
        out = TextToSingle(field);
        return true;
    } catch (const ConversionOverflow&) {
        return false;
    }
}

// Fields never reached stay "0"; whatever follows the n-th comma is dropped.
// The comma search runs over every byte, NULs included, because the lines are
// NUL-padded and a number ends only at its field's first NUL when converted.
std::vector<std::string> SplitFields(std::string_view line, std::size_t n)
{
    std::vector<std::string> fields(n, "0");
    std::string_view rest = line;
    for (std::size_t index = 0; index < n; ++index) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string_view::npos) {
            fields[index] = std::string(rest);
            break;
        }
        fields[index] = std::string(rest.substr(0, comma));
        rest.remove_prefix(comma + 1);
        if (rest.empty())
            break;
    }
    return fields;
}

std::size_t CheckedTableSize(InputStream& in, std::int32_t count, std::size_t fileSize, std::size_t recordBytes,
                             std::size_t room)
{
    // Negative, or more records than the file has bytes.
    if (count < 0 || static_cast<std::uint64_t>(count) > fileSize) {
        in.fail(StopReason::ImpossibleSize);
        return 0;
    }
    const auto n = static_cast<std::uint64_t>(count);
    // Below 2^31 records of at most a few dozen bytes: the product fits in 64 bits.
    if (recordBytes != 0 && n * recordBytes > room) {
        in.fail(StopReason::EndsEarly);  // ends early, or a count gone wrong: taken as the former
        return 0;
    }
    return static_cast<std::size_t>(n);
}

TSen2 ReadSen2(InputStream& in)
{
    FieldBlock f = in.fields(kSen2FileSize);
    return DecodeSen2(f);
}

TEnko2 ReadEnko2(InputStream& in)
{
    FieldBlock f = in.fields(kEnko2FileSize);
    return DecodeEnko2(f);
}

TTen2 ReadTen2(InputStream& in)
{
    FieldBlock f = in.fields(kTen2FileSize);
    return DecodeTen2(f);
}

TMoji2 ReadMoji2(InputStream& in, DosPoolAddressing addressing)
{
    FieldBlock f = in.fields(kMoji2FileSize);
    return DecodeMoji2(f, addressing);
}

void ReadSen2Records(InputStream& in, Table<TSen2>& table, std::size_t count)
{
    ReadRecords<kSen2FileSize>(in, table, count, DecodeSen2);
}

void ReadEnko2Records(InputStream& in, Table<TEnko2>& table, std::size_t count)
{
    ReadRecords<kEnko2FileSize>(in, table, count, DecodeEnko2);
}

void ReadTen2Records(InputStream& in, Table<TTen2>& table, std::size_t count)
{
    ReadRecords<kTen2FileSize>(in, table, count, DecodeTen2);
}

void ReadMoji2Records(InputStream& in, Table<TMoji2>& table, std::size_t count, DosPoolAddressing addressing)
{
    ReadRecords<kMoji2FileSize>(in, table, count,
                                [addressing](FieldBlock& f) { return DecodeMoji2(f, addressing); });
}

PageBuffer ReadStringPool(InputStream& in, std::int32_t size)
{
    if (in.failed())
        return {};
    if (size <= 0) {
        in.fail(StopReason::ImpossibleSize);  // an empty pool
        return {};
    }
    const auto n = static_cast<std::size_t>(size);
    if (n > in.remaining()) {
        in.fail(StopReason::EndsEarly);  // the pool runs past the end of the file
        return {};
    }
    const std::size_t bytes = CheckedAdd(in, n, 1);
    if (in.failed())
        return {};
    PageBuffer pool = PageBuffer::TryAllocate(bytes);
    if (pool.data() == nullptr) {
        in.fail(StopReason::OutOfMemory);
        return {};
    }
    for (std::size_t copied = 0; copied < n;) {
        const std::string_view run = in.readBytes(std::min(n - copied, kRecordRunBytes));
        if (in.failed())
            return {};  // a file that shrank while it was read
        std::memcpy(pool.data() + copied, run.data(), run.size());
        copied += run.size();
    }
    pool.data()[n] = '\0';  // every string ends at the latest at the pool's end
    return pool;
}

bool GiveTextsTheirStrings(Table<TMoji2>& texts, std::string_view pool, std::int64_t poolBase, std::size_t byteBudget)
{
    // The buffer's final NUL is not part of the pool, but ends its last string.
    const std::uint64_t poolSize = pool.empty() ? 0 : pool.size() - 1;
    if (texts.size() > poolSize / kSharedPoolBytesPerText && pool.size() <= kMaxLengthTableEntries) {
        const std::unique_ptr<std::uint32_t[]> lengths = StringLengthsAtEveryIndex(pool);
        if (lengths == nullptr)
            return false;
        return ViewPoolStrings(texts, pool, poolBase, byteBudget,
                               [&lengths](std::size_t index) { return lengths[index]; });
    }
    return ViewPoolStrings(texts, pool, poolBase, byteBudget, [pool](std::size_t index) {
        const char* from = pool.data() + index;
        const std::size_t searched = pool.size() - index;
        const auto* nul = static_cast<const char*>(std::memchr(from, '\0', searched));
        return nul != nullptr ? static_cast<std::size_t>(nul - from) : searched;
    });
}

std::size_t DosTextByteBudget(std::size_t fileSize)
{
    // The whole process must stay within 64 MiB + 32 bytes per byte of file;
    // the file, its pool, the records and the program itself take the rest.
    constexpr std::size_t kFloor = std::size_t{32} << 20;
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    if (fileSize > (kMax - kFloor) / 16)
        return kMax;
    return kFloor + 16 * fileSize;
}

}  // namespace vaveze
