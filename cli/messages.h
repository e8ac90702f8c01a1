// The tool's messages: English in the source, Japanese from the catalogue
// built into the core when the user's languages ask for it.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/session/messages.h"

namespace vaveze::cli {

// Picks the language by the user's languages and locale; call once, before
// any message.
void InitMessages();

// The language picked.
[[nodiscard]] Language MessageLanguage();

// The translation of an English message.
[[nodiscard]] const char* Tr(const char* english);

// The translation of a message with a count in it, in the form the count
// asks for ("1 line", "2 lines").
[[nodiscard]] const char* TrN(const char* singular, const char* plural, unsigned long long n);

using vaveze::Fill;

// Writes "vaveze-list: " + text + newline to standard error in one piece.
void Say(std::string_view text);

// "vaveze-list: FILE: reason".
void SayAbout(std::string_view file, std::string_view reason);

}  // namespace vaveze::cli
