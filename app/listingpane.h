// The listing pane's side of the listing: collecting lines within the pane's
// character limit, showing them decoded, and getting bytes back for saving.
//
// The pane shows text, but the listing is Shift-JIS bytes that need not be
// valid Shift-JIS. Every line is shown through the code page 932 decoder,
// with invalid and control bytes as raw-byte characters, which encode back
// exactly. The only lines whose shown text does not encode back to their
// bytes are those holding a code that shares its character with another
// code; those lines keep their original bytes with their text block, and
// saving writes the kept bytes for every part of the line the user did not
// change.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QString>

#include "core/listing/listing.h"
#include "core/text/typedtext.h"

class QPlainTextEdit;
class QTextDocument;

namespace vaveze {

// Most characters the pane holds; a line end counts as one character.
inline constexpr std::size_t kPaneCharacterLimit = 8'200'000;

// Lines whose shown text does not encode back to their bytes: line number,
// original bytes.
using KeptBytes = std::vector<std::pair<int, std::string>>;

// A collected listing, ready to be put into the pane.
struct ShownListing {
    QString Text;  // the lines as shown, joined with '\n'
    std::size_t Lines = 0;
    KeptBytes Kept;
};

// Collects a listing for the pane. The pane is filled afterwards, in one go
// or in slices (PaneFill): appending line by line to a text document is far
// too slow for big files.
class PaneListing final : public LineSink {
public:
    explicit PaneListing(std::size_t characterLimit = kPaneCharacterLimit) : limit_(characterLimit) {}

    void Clear() override;
    // Refuses a line whose characters and line end would pass the limit.
    [[nodiscard]] bool Append(std::string_view line) override;

    [[nodiscard]] std::size_t LineCount() const { return lines_; }
    [[nodiscard]] std::size_t CharacterCount() const { return used_; }

    // Replaces the pane's content with the collected lines in one go; the
    // pane's undo history starts afresh.
    void ShowIn(QPlainTextEdit& pane);
    // Hands the collected lines over and starts afresh.
    [[nodiscard]] ShownListing Take();

private:
    std::size_t limit_;
    std::size_t used_ = 0;
    std::size_t lines_ = 0;
    QString text_;
    KeptBytes keptBytes_;
};

// Gives the lines of `kept` their original bytes back, for saving; the
// document must hold exactly the listing they came from.
void KeepOriginalBytes(QTextDocument& document, KeptBytes kept);

// Every line followed by CR LF, and the characters typed that code page 932
// lacks.
using PaneBytes = SavedText;

// The pane's lines as they are to be saved: untouched lines byte for byte,
// edited ones encoded as code page 932. A last line that is empty is only
// the end of the line before it. A line separator typed into a line (Shift
// and Enter) ends a line too.
[[nodiscard]] PaneBytes PaneContentBytes(const QTextDocument& document);

}  // namespace vaveze
