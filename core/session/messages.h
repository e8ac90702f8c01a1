// The language of what the user reads: English in the source, every other
// language from the catalogues built into the program from po/ (one per
// language; Japanese today). Every front takes its texts through here: the
// windows always in Japanese, the command-line tool in the user's language.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vaveze {

enum class Language : std::uint8_t { English, Japanese };

// The language of a list of language names in order of preference, as
// LANGUAGE gives them ("ja_JP:en", "ja_JP.UTF-8"): the first one this
// program speaks, English when none.
[[nodiscard]] Language LanguageOf(std::string_view languages);

// The translation of an English text (the text itself in English or where
// the catalogue has none). The result is NUL-terminated and lives as long as
// the program.
[[nodiscard]] const char* Tr(Language language, const char* english);

// The translation of a text with a count in it, in the form the count asks
// for ("1 line", "2 lines").
[[nodiscard]] const char* TrN(Language language, const char* singular, const char* plural, unsigned long long n);

// Puts the arguments in place of %1, %2, ... in a translated pattern, so a
// translation may order them as its language needs.
[[nodiscard]] std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args);

// Numbers as every front shows them: 100,507.
[[nodiscard]] std::string Count(std::uint64_t n);

}  // namespace vaveze
