#include "app/listingpane.h"

#include <algorithm>
#include <unordered_map>

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

#include "core/text/cp932.h"
#include "core/text/typedtext.h"

namespace vaveze {
namespace {

class OriginalBytes final : public QTextBlockUserData {
public:
    explicit OriginalBytes(std::string bytes) : Bytes(std::move(bytes)) {}
    const std::string Bytes;
};

// The lines of the last listing whose shown text does not encode back to
// their bytes, by shown text. Block user data follows a line only as long as
// its block lives: a line moved to a new block (Enter typed before it, a
// deletion undone) is found again here by its text.
class KeptLines final : public QObject {
public:
    struct Line {
        std::string Bytes;
        bool Used = false;
    };

    explicit KeptLines(QTextDocument* document) : QObject(document) { setObjectName(kName); }

    // Names, not types, find it: the class has no meta-object of its own.
    static KeptLines* Of(const QTextDocument& document)
    {
        return static_cast<KeptLines*>(
            document.findChild<QObject*>(QString::fromLatin1(kName), Qt::FindDirectChildrenOnly));
    }

    std::unordered_map<std::u16string, std::vector<Line>> ByText;

    static constexpr const char* kName = "vaveze-kept-lines";
};

std::u16string_view View(const QString& s)
{
    return {reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size())};
}

std::u16string DecodeLine(std::string_view bytes)
{
    return DecodeCp932(bytes, ControlBytes::AsRawByte).Text;
}

}  // namespace

void PaneListing::Clear()
{
    used_ = 0;
    lines_ = 0;
    text_.clear();
    keptBytes_.clear();
}

bool PaneListing::Append(std::string_view line)
{
    // Decoded straight into the end of the text: never more characters than
    // bytes, so the line's bytes are room enough, and the text grows by
    // doubling. A full pane collects 386,000 lines this way.
    const qsizetype before = text_.size();
    const qsizetype start = before + (lines_ != 0 ? 1 : 0);
    text_.resize(start + static_cast<qsizetype>(line.size()));
    const DecodedLength decoded =
        DecodeCp932Into(line, ControlBytes::AsRawByte, reinterpret_cast<char16_t*>(text_.data() + start));
    const std::size_t cost = decoded.Units + 1;
    if (cost > limit_ - used_) {
        text_.truncate(before);
        return false;
    }
    if (start != before)
        text_[before] = QLatin1Char('\n');
    text_.truncate(start + static_cast<qsizetype>(decoded.Units));
    if (!decoded.ReEncodesExactly)
        keptBytes_.emplace_back(static_cast<int>(lines_), std::string(line));
    used_ += cost;
    ++lines_;
    return true;
}

void PaneListing::ShowIn(QPlainTextEdit& pane)
{
    ShownListing listing = Take();
    pane.setPlainText(listing.Text);
    KeepOriginalBytes(*pane.document(), std::move(listing.Kept));
}

ShownListing PaneListing::Take()
{
    ShownListing listing{std::move(text_), lines_, std::move(keptBytes_)};
    Clear();
    return listing;
}

void KeepOriginalBytes(QTextDocument& document, KeptBytes kept)
{
    delete KeptLines::Of(document);
    if (kept.empty())
        return;
    auto* lines = new KeptLines(&document);
    for (auto& [number, bytes] : kept) {
        document.findBlockByNumber(number).setUserData(new OriginalBytes(bytes));
        lines->ByText[DecodeLine(bytes)].push_back({std::move(bytes)});
    }
}

PaneBytes PaneContentBytes(const QTextDocument& document)
{
    std::unordered_map<std::u16string, std::vector<KeptLines::Line>> kept;
    if (const KeptLines* lines = KeptLines::Of(document))
        kept = lines->ByText;
    // Takes the first unused kept line with this text and these bytes (any
    // bytes when `bytes` is null).
    auto take = [&kept](const std::u16string& text, const std::string* bytes) -> const std::string* {
        if (kept.empty())
            return nullptr;
        const auto found = kept.find(text);
        if (found == kept.end())
            return nullptr;
        for (KeptLines::Line& line : found->second) {
            if (!line.Used && (bytes == nullptr || line.Bytes == *bytes)) {
                line.Used = true;
                return &line.Bytes;
            }
        }
        return nullptr;
    };

    PaneBytes out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (text.isEmpty() && !block.next().isValid())
            break;
        const std::u16string shown(View(text));
        const auto* original = static_cast<const OriginalBytes*>(block.userData());
        if (original != nullptr && shown == DecodeLine(original->Bytes)) {
            (void)take(shown, &original->Bytes);
            out.Bytes += original->Bytes;
        } else if (const std::string* moved = take(shown, nullptr)) {
            out.Bytes += *moved;
        } else if (original != nullptr) {
            AppendEdited(out, shown, original->Bytes);
        } else {
            AppendTyped(out, shown);
        }
        out.Bytes += "\r\n";
    }
    return out;
}

}  // namespace vaveze
