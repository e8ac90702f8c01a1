// The WebAssembly face of the core: parse one file's bytes, list it in one of
// the forms the page and the Node API need, and turn the page's edited pane
// back into the bytes of a saved listing. One file at a time: the parsed
// tables of the last file stay until the next parse, so a changed option
// lists again without parsing again.
//
// Output leaves through vz_emit in chunks, so a listing far larger than its
// file (many texts may share one pooled string) never has to be held whole.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/listing/extraction.h"
#include "core/listing/listing.h"
#include "core/readers/ParseOutcome.h"
#include "core/text/cp932.h"
#include "core/session/session.h"
#include "core/session/texts.h"
#include "core/text/typedtext.h"

// Hands a chunk of output to the JavaScript side, which copies it before
// returning.
EM_JS(void, vz_emit, (const void* data, std::size_t size), { Module["onChunk"](data >>> 0, size >>> 0); });

namespace vaveze {
namespace {

// Most characters the page's pane takes; a line end counts as one. The same
// bound as the window's pane.
constexpr std::size_t kPaneCharacterLimit = 8'200'000;

enum class Form : int {
    Sjis = 0,     // each line's bytes and CR LF: what the tool writes and the window saves
    Utf8 = 1,     // UTF-8 and LF
    Pane = 2,     // UTF-16 text as the pane shows it, lines joined by LF
    Records = 3,  // per line: u8 LineKind, i32 block, u32 byte count, the bytes, u32 UTF-8 count, the UTF-8
};

enum OptionBits : int { kHeader = 1, kDimensions = 2, kBlocks = 4 };

struct BindingState {
    Readers Tables;
    Detection Parsed;
    std::size_t Lines = 0;
    // Lines of the pane whose shown text does not encode back to their
    // bytes: line number and original bytes.
    std::vector<std::pair<std::size_t, std::string>> Kept;
    SavedText Save;  // the pane's text as the bytes to save
    OpenResult NotListed;  // why the last parse listed nothing
};

BindingState& Current()
{
    static BindingState session;
    return session;
}

class ChunkSink final : public LineSink {
public:
    ChunkSink(Form form, std::vector<std::pair<std::size_t, std::string>>& kept) : form_(form), kept_(kept)
    {
    }
    ~ChunkSink() override { Flush(); }
    ChunkSink(const ChunkSink&) = delete;
    ChunkSink& operator=(const ChunkSink&) = delete;

    void Clear() override
    {
        buffer_.clear();
        lines_ = 0;
        characters_ = 0;
        kept_.clear();
    }

    void SetKind(LineKind kind, std::int32_t block) override
    {
        kind_ = kind;
        block_ = block;
    }

    [[nodiscard]] bool Append(std::string_view line) override
    {
        switch (form_) {
        case Form::Sjis:
            buffer_ += line;
            buffer_ += "\r\n";
            break;
        case Form::Utf8:
            buffer_ += Cp932ToUtf8(line);
            buffer_ += '\n';
            break;
        case Form::Pane:
            if (!AppendPaneLine(line))
                return false;
            break;
        case Form::Records:
            buffer_ += static_cast<char>(kind_);
            buffer_.append(reinterpret_cast<const char*>(&block_), sizeof block_);  // little-endian
            AppendRecord(line);
            AppendRecord(Cp932ToUtf8(line));
            break;
        }
        ++lines_;
        if (buffer_.size() >= kFlushSize)
            Flush();
        return true;
    }

    [[nodiscard]] std::size_t Lines() const { return lines_; }

private:
    static constexpr std::size_t kFlushSize = std::size_t{1} << 16;

    bool AppendPaneLine(std::string_view line)
    {
        const DecodedText decoded = DecodeCp932(line, ControlBytes::AsRawByte);
        const std::size_t cost = decoded.Text.size() + 1;
        if (cost > kPaneCharacterLimit - characters_)
            return false;
        if (lines_ != 0)
            buffer_.append(reinterpret_cast<const char*>(u"\n"), sizeof(char16_t));
        buffer_.append(reinterpret_cast<const char*>(decoded.Text.data()), decoded.Text.size() * sizeof(char16_t));
        if (!decoded.ReEncodesExactly)
            kept_.emplace_back(lines_, std::string(line));
        characters_ += cost;
        return true;
    }

    void AppendRecord(std::string_view bytes)
    {
        const auto size = static_cast<std::uint32_t>(bytes.size());
        buffer_.append(reinterpret_cast<const char*>(&size), sizeof size);  // little-endian
        buffer_ += bytes;
    }

    void Flush()
    {
        if (!buffer_.empty())
            vz_emit(buffer_.data(), buffer_.size());
        buffer_.clear();
    }

    Form form_;
    std::vector<std::pair<std::size_t, std::string>>& kept_;
    std::string buffer_;
    std::size_t lines_ = 0;
    std::size_t characters_ = 0;
    LineKind kind_ = LineKind::Text;
    std::int32_t block_ = kNoBlock;
};

std::u16string DecodeLine(std::string_view bytes) { return DecodeCp932(bytes, ControlBytes::AsRawByte).Text; }

// The pane's text as the bytes to save. Untouched and moved lines whose text
// does not encode back exactly are found by their text; an edited one by its
// line number, as long as the number of lines has not changed.
void PaneBytes(BindingState& session, std::u16string_view text)
{
    struct KeptLine {
        const std::string* Bytes;
        std::size_t Number;
        bool Used = false;
    };
    std::unordered_map<std::u16string, std::vector<KeptLine>> byText;
    for (const auto& [number, bytes] : session.Kept)
        byText[DecodeLine(bytes)].push_back({&bytes, number});
    std::unordered_map<std::size_t, KeptLine*> byNumber;
    for (auto& [shown, lines] : byText)
        for (KeptLine& line : lines)
            byNumber[line.Number] = &line;
    const std::size_t lineCount = static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\n')) + 1;
    const bool sameLines = session.Lines == lineCount || (session.Lines + 1 == lineCount && text.ends_with(u'\n'));

    session.Save.Bytes.clear();
    session.Save.Unencodable.clear();
    std::size_t start = 0;
    for (std::size_t number = 0; start <= text.size(); ++number) {
        const std::size_t end = std::min(text.find(u'\n', start), text.size());
        const std::u16string_view line = text.substr(start, end - start);
        if (line.empty() && end == text.size())
            break;  // a last empty line is only the end of the line before it
        KeptLine* same = nullptr;
        if (const auto found = byText.find(std::u16string(line)); found != byText.end())
            for (KeptLine& kept : found->second)
                if (!kept.Used && same == nullptr)
                    same = &kept;
        if (same != nullptr) {
            same->Used = true;
            session.Save.Bytes += *same->Bytes;
        } else if (const auto edited = byNumber.find(number);
                   sameLines && edited != byNumber.end() && !edited->second->Used) {
            edited->second->Used = true;
            AppendEdited(session.Save, line, *edited->second->Bytes);
        } else {
            AppendTyped(session.Save, line);
        }
        session.Save.Bytes += "\r\n";
        start = end + 1;
    }
}

}  // namespace
}  // namespace vaveze

using namespace vaveze;

extern "C" {

// Room for `size` bytes of input; null when memory is short.
EMSCRIPTEN_KEEPALIVE void* vz_alloc(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

EMSCRIPTEN_KEEPALIVE void vz_free(void* data) { std::free(data); }

// Parses `size` bytes at `data` as the file called `name` (only the name's
// extension matters), keeping the tables for vz_list. Returns the format
// (0 none, 1 ZVW, 2 ZVS, 3 ZVC, 4 ZVK), or -1 when memory ran out.
EMSCRIPTEN_KEEPALIVE int vz_parse(const char* name, const char* data, std::size_t size)
{
    BindingState& session = Current();
    // A file that is not listed leaves the page's pane as it was, so what
    // the pane's lines need to save back stays with them.
    std::vector<std::pair<std::size_t, std::string>> kept = std::move(session.Kept);
    const std::size_t lines = session.Lines;
    session.Kept.clear();
    try {
        ClearReaders(session.Tables);
        ResetReaders(session.Tables);
        session.Parsed = {};
        session.Parsed = DetectAndParseBytes(session.Tables, std::filesystem::path(name), std::string_view(data, size),
                                             RecordsKept::TextsOnly);
        session.NotListed = {};
        session.NotListed.Path = name;
        session.NotListed.Reason = ReasonOf(session.Parsed, session.NotListed.Path);
        if (session.Parsed.Kind == FormatKind::None) {
            session.Kept = std::move(kept);
            session.Lines = lines;
        }
    } catch (const std::bad_alloc&) {
        ClearReaders(session.Tables);
        session.Parsed = {};
        return -1;
    }
    return static_cast<int>(session.Parsed.Kind);
}

// The parts of the stop: the StopReason and the byte offset.
EMSCRIPTEN_KEEPALIVE int vz_stop_reason() { return static_cast<int>(Current().Parsed.Outcome.Reason); }
EMSCRIPTEN_KEEPALIVE double vz_stop_offset() { return static_cast<double>(Current().Parsed.Outcome.Offset); }
// Why the last parse stopped early ("the file ends at byte 1,234 inside a
// text record"), or an empty string when it read the file to its end.
EMSCRIPTEN_KEEPALIVE const char* vz_stop()
{
    static std::string stop;
    stop = DescribeStop(Current().Parsed.Outcome);
    return stop.c_str();
}

// The window's warning for the last parse (UTF-8), or an empty string.
EMSCRIPTEN_KEEPALIVE const char* vz_warning()
{
    static std::string warning;
    warning = WarningText(Current().Parsed.Warning);
    return warning.c_str();
}

// Why the last parse listed nothing: the NotListedReason of core/session,
// 0 when it listed the file.
EMSCRIPTEN_KEEPALIVE int vz_not_listed_reason() { return static_cast<int>(Current().NotListed.Reason); }

// The words for it (English, UTF-8), or an empty string.
EMSCRIPTEN_KEEPALIVE const char* vz_not_listed_text()
{
    static std::string text;
    text = Current().NotListed.Reason == NotListedReason::None ? std::string()
                                                               : NotListedReasonText(Current().NotListed, Language::English);
    return text.c_str();
}

// Lists the last parse in `form` with the option bits; 1 when every line was
// listed, 0 when the pane's limit stopped it, -1 when memory ran out.
EMSCRIPTEN_KEEPALIVE int vz_list(int options, int form)
{
    BindingState& session = Current();
    ListingOptions listing;
    listing.Header = (options & kHeader) != 0;
    listing.Dimensions = (options & kDimensions) != 0;
    listing.Blocks = (options & kBlocks) != 0;
    try {
        ChunkSink sink(static_cast<Form>(form), session.Kept);
        const bool complete = ListFormat(session.Parsed.Kind, session.Tables, listing, sink);
        session.Lines = sink.Lines();
        return complete ? 1 : 0;
    } catch (const std::bad_alloc&) {
        session.Lines = 0;
        return -1;
    }
}

EMSCRIPTEN_KEEPALIVE double vz_lines() { return static_cast<double>(Current().Lines); }

// Turns the pane's text (UTF-16, `units` code units) into the bytes to save,
// Shift-JIS with CR LF; vz_save_data/vz_save_size then give them. Returns the
// number of characters code page 932 cannot hold (vz_unencodable gives
// them), or -1 when memory ran out.
EMSCRIPTEN_KEEPALIVE int vz_pane_bytes(const char16_t* text, std::size_t units)
{
    BindingState& session = Current();
    try {
        PaneBytes(session, std::u16string_view(text, units));
    } catch (const std::bad_alloc&) {
        session.Save.Bytes.clear();
        session.Save.Bytes.shrink_to_fit();
        return -1;
    }
    return static_cast<int>(session.Save.Unencodable.size());
}

EMSCRIPTEN_KEEPALIVE const char* vz_save_data() { return Current().Save.Bytes.data(); }
EMSCRIPTEN_KEEPALIVE std::size_t vz_save_size() { return Current().Save.Bytes.size(); }
EMSCRIPTEN_KEEPALIVE const char32_t* vz_unencodable() { return Current().Save.Unencodable.data(); }

EMSCRIPTEN_KEEPALIVE const char* vz_version() { return VAVEZE_VERSION; }

}  // extern "C"
