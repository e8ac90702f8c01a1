// Saving a listing the user may have edited: typed text is encoded as code
// page 932, and an edited line keeps the original bytes of what was left
// unchanged, so raw bytes and shared codes outside the edit survive exactly.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vaveze {

struct SavedText {
    std::string Bytes;
    std::u32string Unencodable;  // characters code page 932 lacks, each once, in order
    // Lines written, each ended by CR LF: what a save's status counts (a
    // text's own CR or LF byte ends no line of the pane).
    std::size_t Lines = 0;
};

// Encodes typed text; a line separator (U+2028) inside it becomes CR LF.
void AppendTyped(SavedText& out, std::u16string_view text);

// A listed line the user edited: its unchanged beginning and end keep the
// bytes of `original`, only the changed middle is encoded.
void AppendEdited(SavedText& out, std::u16string_view text, std::string_view original);

}  // namespace vaveze
