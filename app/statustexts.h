// What the window's status line and warning boxes say, in Japanese.
#pragma once

#include <cstddef>
#include <string>

#include <QString>

#include "core/listing/extraction.h"

namespace vaveze {

// Numbers as the status line shows them: 4,100,000.
[[nodiscard]] QString CountText(std::size_t n);

// A file listed: what it was, how many lines, and whether it was read to its
// end and fitted the pane.
[[nodiscard]] QString ListedText(const QString& fileName, const Detection& detection, std::size_t lines,
                                 bool complete);
// A file that could not be listed (its upper-cased extension says what it
// claimed to be), and what the pane still shows (empty `shownFileName`:
// nothing).
[[nodiscard]] QString NotListedText(const QString& fileName, const std::string& upperExtension,
                                    const Detection& detection, const QString& shownFileName);
// While the pane is being filled.
[[nodiscard]] QString FillingText(const QString& fileName, std::size_t shown, std::size_t total);
[[nodiscard]] QString OthersNotOpenedText(int others);
[[nodiscard]] QString SavedText(const QString& path, std::size_t lines);
[[nodiscard]] QString NoFileToSaveText();
[[nodiscard]] QString StillFillingText();
[[nodiscard]] QString UnencodableText(const std::u32string& characters);

}  // namespace vaveze
