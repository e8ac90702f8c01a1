// The salvage reading of the Windows edition's drawing and symbol files,
// which share one archive scheme. It reads the entity lists and block
// definitions again, record by record, checking each as it goes; where a
// record cannot be right it looks, byte by byte, for the next place where an
// object can be read again: a class tag that names or refers to a known
// class, followed by a record whose reals are plausible and whose strings
// are well-formed Shift-JIS, followed in turn by something that can follow
// it. It goes on from there, as often as needed, to the end of the file, and
// keeps the texts of the records so read that the ordinary parse did not
// list (ArchiveTrace).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/readers/parseoutcome.h"
#include "core/readers/salvage.h"
#include "core/readers/win/zvtype.h"

namespace vaveze {

// What the salvage reading needs to know of the file.
struct ArchiveSalvageFormat {
    std::int32_t FileVersion = 0;
    std::size_t NameBufferSize = kZvwNameBufferSize;
    // Drawing files from version 700 end, after their block definitions,
    // with a section of embedded files: where the reading may end.
    bool EmbeddedFiles = false;
};

// Reads `bytes`, the whole file, whose ordinary parse noted `trace` and
// ended with `outcome`. In step with the ordinary parse from the top-level
// list's count when the header's strings could all be right; else from the
// first one that could not (or where the parse stopped), looking for
// footing. Time and work are linear in the file's size (SalvageWorkBudget).
[[nodiscard]] SalvageResult SalvageArchive(std::string_view bytes, const ArchiveSalvageFormat& format,
                                           const ArchiveTrace& trace, const ParseOutcome& outcome);

}  // namespace vaveze
