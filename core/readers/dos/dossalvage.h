// The salvage reading of the MS-DOS edition's drawing and symbol files. Their
// record tables have fixed sizes and their texts lie apart from the records,
// in the string pool, so a file that lacks bytes (cut short, or with a run
// cut out of it) holds every record and string after the gap where the
// layout says, less the bytes missing. Where the gap lies is found from the
// texts themselves: with the gap in the right place, each text record read
// whole points at the start of a string of the pool (just after a NUL) that
// is read whole and well formed; misplaced, few do. A text is salvaged only
// when every place of the gap that the texts agree on gives it the same
// record and the same string.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/readers/dos/dosrecords.h"
#include "core/readers/parseoutcome.h"
#include "core/readers/salvage.h"

namespace vaveze {

// Where the layout of a file, as its header describes it, puts the texts.
struct DosLayout {
    std::uint64_t HeaderEnd = 0;  // the header lines, which were read: no gap lies before their end
    std::uint64_t TextsAt = 0;    // the first text record
    std::uint64_t Texts = 0;      // text records
    std::uint64_t PoolAt = 0;     // the string pool
    std::uint64_t PoolSize = 0;   // 0 when there is none
    std::int64_t PoolBase = 0;    // the pool position of the pool's first byte
    DosPoolAddressing Addressing = DosPoolAddressing::SegmentOffset;
    std::uint64_t End = 0;        // the size of a whole file
};

// Reads `bytes`, the whole file, whose parse ended with `outcome`; where
// that parse gave the texts strings (`parsedStrings`), the texts it listed
// are not salvaged again. Time and memory linear in the file's size.
[[nodiscard]] SalvageResult SalvageDosTexts(std::string_view bytes, const DosLayout& layout, bool parsedStrings,
                                            const ParseOutcome& outcome);

}  // namespace vaveze
