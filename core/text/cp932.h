// Code page 932 (Shift-JIS with the NEC and IBM extension rows) for showing
// listing bytes and for saving text the user typed.
//
// The listing keeps the file's bytes, and those bytes need not be valid
// Shift-JIS. Decoding therefore never fails: a byte that starts no valid
// character is shown as the private-use character kRawByteBase + byte, which
// the encoder turns back into that byte, so bytes -> text -> bytes is exact
// except for the few codes that share their character with another code
// (DecodedText::ReEncodesExactly tells when a text holds one of those).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vaveze {

// U+F700 + b stands for the raw byte b.
inline constexpr char16_t kRawByteBase = 0xF700;

// How single control bytes (00-1F and 7F) are decoded.
enum class ControlBytes {
    AsIs,       // as the control characters they are
    AsRawByte,  // as raw-byte characters, so that no byte of a line can end it on screen
};

struct DecodedText {
    std::u16string Text;  // one UTF-16 unit per character, never a surrogate
    // False when some double-byte code in the input encodes back to another
    // code (NEC row 13 and the NEC-selected IBM rows share characters).
    bool ReEncodesExactly = true;
};

// Code page 932's lead bytes, 81-9F and E0-FC: those that start a
// double-byte character (the listing filter's are wider: IsFilterLeadByte).
[[nodiscard]] constexpr bool IsCp932LeadByte(unsigned char b) noexcept
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Decodes bytes as code page 932; invalid bytes become raw-byte characters.
[[nodiscard]] DecodedText DecodeCp932(std::string_view bytes, ControlBytes controls = ControlBytes::AsIs);

struct DecodedLength {
    std::size_t Units = 0;  // UTF-16 units written, never more than the bytes read
    bool ReEncodesExactly = true;
};

// DecodeCp932 into `out`, which has room for bytes.size() units: for callers
// that gather many lines into one buffer (the window's pane) and would
// otherwise pay for a string per line.
[[nodiscard]] DecodedLength DecodeCp932Into(std::string_view bytes, ControlBytes controls, char16_t* out);

// Byte length (1 or 2) of the character that starts at `pos` (< bytes.size()).
// Two only when the two bytes form a valid double-byte code.
[[nodiscard]] std::size_t Cp932CharLength(std::string_view bytes, std::size_t pos);

struct EncodedText {
    std::string Bytes;
    // Characters code page 932 cannot hold, each once, in order of first
    // appearance. Bytes holds the encoding of the rest.
    std::u32string Unencodable;
};

// Encodes UTF-16 text as code page 932 the way the system code page does,
// raw-byte characters included.
[[nodiscard]] EncodedText EncodeCp932(std::u16string_view text);

// Encodes UTF-8 text as EncodeCp932 does; a byte that starts no valid UTF-8
// sequence counts as the unencodable U+FFFD.
[[nodiscard]] EncodedText Utf8ToCp932(std::string_view utf8);

// Appends the UTF-8 form of the code point `cp` (at most U+10FFFF): the
// program's one UTF-8 encoder.
void AppendUtf8(std::string& out, char32_t cp);

// The UTF-16 form of UTF-8 text; malformed sequences (overlong, surrogates,
// beyond U+10FFFF, cut short) become U+FFFD, one per byte that starts none.
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view utf8);

// A text given as bytes on a command line, whose encoding nobody says: as
// UTF-8 when its bytes are well-formed UTF-8 (which Shift-JIS text outside
// ASCII almost never is), else as code page 932.
[[nodiscard]] std::u16string TextOfArgument(std::string_view bytes);

// Decodes Shift-JIS bytes to UTF-8; bytes that start no valid character
// become U+FFFD. Control bytes stay as they are.
[[nodiscard]] std::string Cp932ToUtf8(std::string_view sjisBytes);

}  // namespace vaveze
