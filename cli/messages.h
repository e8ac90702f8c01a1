// The tool's messages: English in the source, Japanese from the `ja`
// catalogue when the user's locale asks for it. Where no message catalogue
// library is available (the Windows cross build), everything stays English.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace vaveze::cli {

// Picks the catalogue by the user's locale; call once, before any message.
void InitMessages();

// The translation of an English message.
[[nodiscard]] const char* Tr(const char* english);

// The translation of a message with a count in it, in the form the count
// asks for ("1 line", "2 lines").
[[nodiscard]] const char* TrN(const char* singular, const char* plural, unsigned long long n);

// Puts the arguments in place of %1, %2, ... in a translated pattern, so a
// translation may order them as its language needs.
[[nodiscard]] std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args);

// Writes "vaveze-list: " + text + newline to standard error in one piece.
void Say(std::string_view text);

// "vaveze-list: FILE: reason".
void SayAbout(std::string_view file, std::string_view reason);

}  // namespace vaveze::cli
