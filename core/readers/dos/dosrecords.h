// Pieces shared by the two MS-DOS formats: 200-byte header lines, the field
// splitter, four fixed-size entity records and the string pool.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/readers/inputstream.h"
#include "core/readers/pagememory.h"

namespace vaveze {

inline constexpr std::size_t kDosHeaderLineSize = 200;

// Record sizes in the file.
inline constexpr std::size_t kSen2FileSize = 22;
inline constexpr std::size_t kEnko2FileSize = 32;
inline constexpr std::size_t kTen2FileSize = 12;
inline constexpr std::size_t kMoji2FileSize = 24;

// Widths of the three text fields at the start of the first header line.
inline constexpr std::size_t kDosTitleBlockSize = 40;
inline constexpr std::size_t kDosHeaderTextSize = 32;

struct TSen2 {  // DOS line record, kept as its 22 bytes
    std::array<std::uint8_t, 22> Bytes{};
};

struct TEnko2 {  // DOS arc record
    std::uint32_t Value1 = 0;
    std::uint32_t Value2 = 0;
    std::uint32_t Value3 = 0;
    float Ratio = 0.0f;
    float Real1 = 0.0f;
    float Real2 = 0.0f;
    float Real3 = 0.0f;
    std::array<std::uint8_t, 6> Bytes{};
};

struct TTen2 {  // DOS point record
    std::uint32_t Value1 = 0;
    std::uint32_t Value2 = 0;
    std::uint32_t Value3 = 0;
};

struct TMoji2 {  // DOS text record
    std::array<std::uint32_t, 4> Values{};
    std::int32_t PoolPosition = 0;
    std::array<std::uint8_t, 4> AttrBytes{};
    // The only member that is listed: a view into the string pool its reader
    // keeps, so the text lives as long as the reader's parse.
    std::string_view Text;
};

// How a text record's pool position is made from its bytes 16-19.
enum class DosPoolAddressing {
    SegmentOffset,  // drawing files: segment * 16 + offset
    OffsetOnly,     // symbol files: the offset alone; the segment bytes are ignored
};

// Empties a header's field list however its decoding ends.
struct FieldListReset {
    std::vector<std::string>& Fields;
    ~FieldListReset() { Fields = {}; }
};

// The three text fields of the first header line.
struct DosTitleTexts {
    std::string TitleBlock;
    std::string Text1;
    std::string Text2;
};

// Consumes one header line and returns all of its 200 bytes.
[[nodiscard]] std::string ReadHeaderLine(InputStream& in);

// Positions 1-40, 41-72 and 73-104 of the first header line, byte for byte
// (shorter only when the line itself is).
[[nodiscard]] DosTitleTexts TakeTitleTexts(std::string_view line);

// A header field as a real (TextToSingle); false, with `out` as it was, when
// it lies beyond the single-precision range.
[[nodiscard]] bool DosHeaderReal(std::string_view field, float& out);

// Splits a header line into exactly n fields (see dosrecords.cpp).
[[nodiscard]] std::vector<std::string> SplitFields(std::string_view line, std::size_t n);

// The element count for a table of `count` records, checked before anything
// is sized: negative counts and counts above the file's size are impossible
// sizes; tables whose records cannot fit in `room` bytes (when `recordBytes`
// is not 0) make the file end early. Either stops the cursor, and gives 0.
[[nodiscard]] std::size_t CheckedTableSize(InputStream& in, std::int32_t count, std::size_t fileSize,
                                           std::size_t recordBytes, std::size_t room);

[[nodiscard]] TSen2 ReadSen2(InputStream& in);
[[nodiscard]] TEnko2 ReadEnko2(InputStream& in);
[[nodiscard]] TTen2 ReadTen2(InputStream& in);
[[nodiscard]] TMoji2 ReadMoji2(InputStream& in, DosPoolAddressing addressing);

// Append `count` records to a table that has room set aside for them. The
// whole records the file still holds are taken with one check and decoded
// straight into the table; when the file ends inside the next one, that
// record leaves nothing behind and the cursor stops at the end of the file.
void ReadSen2Records(InputStream& in, Table<TSen2>& table, std::size_t count);
void ReadEnko2Records(InputStream& in, Table<TEnko2>& table, std::size_t count);
void ReadTen2Records(InputStream& in, Table<TTen2>& table, std::size_t count);
void ReadMoji2Records(InputStream& in, Table<TMoji2>& table, std::size_t count, DosPoolAddressing addressing);

// Sets aside room for `count` records in an empty table, which the Read*Records
// above then fill; returns the count. Room that cannot be had stops the
// cursor (OutOfMemory); then, as once the cursor has stopped, it gives 0.
template <typename T>
[[nodiscard]] std::size_t SetAsideRoom(InputStream& in, Table<T>& table, std::size_t count)
{
    if (in.failed())
        return 0;
    if (!TryReserve(table, count)) {
        in.fail(StopReason::OutOfMemory);
        return 0;
    }
    return count;
}

// Brings a table whose room was set aside up to its full size with records
// of zero, as a parse that stops before filling it leaves it. Never
// allocates.
template <typename T>
void FillUpWithZeros(Table<T>& table, std::size_t count) noexcept
{
    if (table.size() < count && count <= table.capacity())
        table.resize(count);
}

// Reads a pool of `size` bytes (> 0) into a buffer one byte longer whose last
// byte is NUL. A pool larger than what is left of the file ends it early
// before anything is allocated. Once the cursor has stopped, the buffer is
// empty.
[[nodiscard]] PageBuffer ReadStringPool(InputStream& in, std::int32_t size);

[[nodiscard]] inline std::string_view PoolBytes(const PageBuffer& pool) noexcept
{
    return {pool.data(), pool.size()};
}

// Gives every text its string: a view of the pool's bytes from index
// PoolPosition - poolBase up to the first NUL. An index outside the pool
// gives an empty text. `pool` is the buffer of ReadStringPool, which must
// outlive the texts.
//
// The listing copies every text, so their total is bounded by `byteBudget`:
// texts that would take it past the budget count as an allocation failure
// (false, as when the table of string lengths cannot be had), so many
// records pointing at one long string cannot exhaust memory. Texts before
// that keep their strings.
[[nodiscard]] bool GiveTextsTheirStrings(Table<TMoji2>& texts, std::string_view pool, std::int64_t poolBase,
                                         std::size_t byteBudget);

// The budget GiveTextsTheirStrings is given by the readers for a file of
// `fileSize` bytes: far above what any sound file needs.
[[nodiscard]] std::size_t DosTextByteBudget(std::size_t fileSize);

}  // namespace vaveze
