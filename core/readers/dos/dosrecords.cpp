#include "core/readers/dos/dosrecords.h"

#include <algorithm>
#include <limits>

namespace vaveze {
namespace {

template <std::size_t N>
std::array<std::uint8_t, N> ReadByteArray(InputStream& in)
{
    const std::string_view raw = in.readBytes(N);
    std::array<std::uint8_t, N> out{};
    std::copy(raw.begin(), raw.end(), out.begin());
    return out;
}

// 16.16 fixed point: the integer is rounded to single precision before the
// division, so integers beyond 24 significant bits lose their low bits.
float FixedToSingle(std::int32_t raw) { return static_cast<float>(raw) / 65536.0f; }

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

std::size_t CheckedTableSize(std::int32_t count, std::size_t fileSize, std::size_t recordBytes, std::size_t room)
{
    if (count < 0)
        throw InputError("negative record count", StopReason::ImpossibleSize);
    const auto n = static_cast<std::uint64_t>(count);
    if (n > fileSize)
        throw InputError("record count larger than the file", StopReason::ImpossibleSize);
    // Below 2^31 records of at most a few dozen bytes: the product fits in 64 bits.
    if (recordBytes != 0 && n * recordBytes > room)
        throw InputError("records cannot fit in the file");  // ends early, or a count gone wrong: taken as the former
    return static_cast<std::size_t>(n);
}

TSen2 ReadSen2(InputStream& in) { return TSen2{ReadByteArray<kSen2FileSize>(in)}; }

TEnko2 ReadEnko2(InputStream& in)
{
    // One read per record, so a record the file ends in leaves nothing behind.
    InputStream rec(in.readBytes(kEnko2FileSize));
    TEnko2 arc;
    arc.Value1 = rec.readU32();
    arc.Value2 = rec.readU32();
    arc.Value3 = rec.readU32();
    arc.Ratio = static_cast<float>(rec.readU16()) / 10000.0f;
    arc.Real1 = FixedToSingle(rec.readI32());
    arc.Real2 = FixedToSingle(rec.readI32());
    arc.Real3 = FixedToSingle(rec.readI32());
    arc.Bytes = ReadByteArray<6>(rec);
    return arc;
}

TTen2 ReadTen2(InputStream& in)
{
    InputStream rec(in.readBytes(kTen2FileSize));
    TTen2 point;
    point.Value1 = rec.readU32();
    point.Value2 = rec.readU32();
    point.Value3 = rec.readU32();
    return point;
}

TMoji2 ReadMoji2(InputStream& in, DosPoolAddressing addressing)
{
    InputStream rec(in.readBytes(kMoji2FileSize));
    TMoji2 text;
    for (auto& value : text.Values)
        value = rec.readU32();
    const std::uint16_t offset = rec.readU16();
    const std::uint16_t segment = rec.readU16();
    text.PoolPosition = addressing == DosPoolAddressing::SegmentOffset
                            ? static_cast<std::int32_t>(segment) * 16 + static_cast<std::int32_t>(offset)
                            : static_cast<std::int32_t>(offset);
    text.AttrBytes = ReadByteArray<4>(rec);
    return text;
}

std::string ReadStringPool(InputStream& in, std::int32_t size)
{
    if (size <= 0)
        throw InputError("empty string pool", StopReason::ImpossibleSize);
    const auto n = static_cast<std::size_t>(size);
    if (n > in.remaining())
        throw InputError("string pool runs past the end of the file");
    std::string pool;
    pool.reserve(CheckedAdd(n, 1));
    pool.append(in.readBytes(n));
    pool.push_back('\0');  // every string ends at the latest at the pool's end
    return pool;
}

void GiveTextsTheirStrings(std::vector<TMoji2>& texts, std::string_view pool, std::int64_t poolBase,
                           std::size_t byteBudget)
{
    // The buffer's final NUL is not part of the pool.
    const auto poolSize = static_cast<std::int64_t>(pool.empty() ? 0 : pool.size() - 1);
    std::size_t spent = 0;
    for (auto& text : texts) {
        const std::int64_t index = static_cast<std::int64_t>(text.PoolPosition) - poolBase;
        if (index < 0 || index >= poolSize)
            continue;  // no string of the pool: the text stays empty
        const std::string_view from = pool.substr(static_cast<std::size_t>(index));
        const std::string_view str = from.substr(0, from.find('\0'));
        if (str.size() > byteBudget - spent)
            throw InputError("texts exceed the memory budget", StopReason::OutOfMemory);
        spent += str.size();
        text.Text.assign(str);
    }
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
