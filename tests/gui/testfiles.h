// Files for the window tests: small ZVK symbol files built from texts, and
// files that hold only a format's magic.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

// Lets GoogleTest show texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace vaveze::testing {

// A complete ZVK symbol file with the given header texts and texts, in order.
[[nodiscard]] std::string MakeZvk(const std::vector<std::string>& texts, std::string_view headerText1 = {},
                                  std::string_view headerText2 = {});

// The magic of a format followed by a few zero bytes: recognised, but the
// parse ends early.
[[nodiscard]] std::string MagicOnly(std::string_view magic);

void WriteFile(const QString& path, std::string_view bytes);
[[nodiscard]] std::string ReadFile(const QString& path);

// The listing of a file as the core makes it, lines joined with CR LF: what
// saving an untouched pane must write.
[[nodiscard]] std::string CoreListing(const QString& path, bool header = false, bool dimensions = false,
                                      bool blocks = false);
[[nodiscard]] std::vector<std::string> CoreLines(const QString& path, bool header = false,
                                                 bool dimensions = false, bool blocks = false);

}  // namespace vaveze::testing
