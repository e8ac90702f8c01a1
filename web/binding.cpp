// The WebAssembly face of the core's session (core/session): one user's
// session with files, as the page's worker and the Node API hold it. A file
// is opened from its bytes; its parse is kept, so a changed option lists it
// again without reading it again; the pane's listing is kept, so the pane
// the user edited is saved back by the session's one algorithm; and every
// text the page shows is the core's, composed here from the session's state.
//
// Listings other than the pane's leave through vz_emit in chunks, so a
// listing far larger than its file (many texts may share one pooled string)
// never has to be held whole.
#include <emscripten/emscripten.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/listing/encoded.h"
#include "core/listing/extraction.h"
#include "core/listing/listing.h"
#include "core/readers/parseoutcome.h"
#include "core/session/batchsave.h"
#include "core/session/faults.h"
#include "core/session/filelist.h"
#include "core/session/find.h"
#include "core/session/session.h"
#include "core/session/texts.h"
#include "core/text/cp932.h"
#include "core/text/jsonstring.h"
#include "core/text/typedtext.h"

// Hands a chunk of output to the JavaScript side, which copies it before
// returning.
EM_JS(void, vz_emit, (const void* data, std::size_t size), { Module["onChunk"](data >>> 0, size >>> 0); });

namespace vaveze {
namespace {

enum class Form : int {
    Sjis = 0,     // each line's bytes and CR LF: what the tool writes and the window saves
    Utf8 = 1,     // UTF-8 and LF
    Pane = 2,     // UTF-16 text as the pane shows it, lines joined by LF; kept for saving
    Records = 3,  // per line: u8 LineKind (kSalvagedLine added for a salvaged line), i32 block,
                  // u32 byte count, the bytes, u32 UTF-8 count, the UTF-8
};

enum OptionBits : int { kHeader = 1, kDimensions = 2, kBlocks = 4, kSalvage = 8 };

// Added to a record's kind for a line found past a damaged place.
constexpr unsigned kSalvagedLine = 0x80;

struct Binding {
    Session Files;
    // The last file chosen, as the session has it; or a file whose bytes
    // the page could not read.
    OpenResult Chosen;
    std::size_t Lines = 0;  // of the last listing
    SavedText Save;         // the pane's text as the bytes to save
    PaneListing First;      // the first lines of the pane's listing
    std::string Said;       // the last text handed out

    // The files chosen or dropped, named by their paths in the page (below
    // a folder dropped), and what became of each.
    FileList List;
    std::vector<Source> Adding;  // the next list, while the page names it
    // "Save every listing" while it runs, on List, and the listing of the
    // file it did last.
    std::optional<BatchSave> Batch;
    std::string BatchListing;
};

Binding& Current()
{
    static Binding binding;
    return binding;
}

ListingOptions OptionsOf(int bits)
{
    ListingOptions options;
    options.Header = (bits & kHeader) != 0;
    options.Dimensions = (bits & kDimensions) != 0;
    options.Blocks = (bits & kBlocks) != 0;
    options.Salvage = (bits & kSalvage) != 0;
    return options;
}

// A text for the JavaScript side (UTF-8), valid until the next one.
const char* Say(std::string text)
{
    Current().Said = std::move(text);
    return Current().Said.c_str();
}

// What vz_list hands over in the records form, a line at a time: its kind,
// block, bytes and text as every front shows it.
class RecordSink final : public LineSink {
public:
    ~RecordSink() override { Flush(); }

    void Clear() override
    {
        buffer_.clear();
        lines_ = 0;
    }

    void SetKind(LineKind kind, std::int32_t block) override
    {
        kind_ = kind;
        block_ = block;
    }

    void StartSalvaged() override { salvaged_ = true; }

    [[nodiscard]] bool Append(std::string_view line) override
    {
        buffer_ += static_cast<char>(static_cast<unsigned>(kind_) | (salvaged_ ? kSalvagedLine : 0u));
        buffer_.append(reinterpret_cast<const char*>(&block_), sizeof block_);  // little-endian
        AppendRecord(line);
        AppendRecord(DisplayText(line));
        ++lines_;
        if (buffer_.size() >= EncodedSink::kBlockSize)
            Flush();
        return true;
    }

    [[nodiscard]] std::size_t Lines() const { return lines_; }

private:
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

    std::string buffer_;
    std::size_t lines_ = 0;
    LineKind kind_ = LineKind::Text;
    bool salvaged_ = false;
    std::int32_t block_ = kNoBlock;
};

// The names the JavaScript side gives the core's codes, by their numbers:
// what a line is (LineKind, as the tool's --json names it), why a file was
// not listed (NotListedReason) and why a parse stopped early (StopReason).
std::string NotListedName(NotListedReason reason)
{
    switch (reason) {
    case NotListedReason::None:
        return {};
    case NotListedReason::NoFile:
        return "noFile";
    case NotListedReason::NoPermission:
        return "noPermission";
    case NotListedReason::Folder:
        return "folder";
    case NotListedReason::NotRegularFile:
        return "notRegularFile";
    case NotListedReason::Empty:
        return "empty";
    case NotListedReason::TooLarge:
        return "tooLarge";
    case NotListedReason::ReadError:
        return "readError";
    case NotListedReason::NotZvw:
        return "notZvw";
    case NotListedReason::NotZvs:
        return "notZvs";
    case NotListedReason::NotZvc:
        return "notZvc";
    case NotListedReason::NotZvk:
        return "notZvk";
    case NotListedReason::NotAnyFormat:
        return "notAnyFormat";
    case NotListedReason::UnknownName:
        return "unknownName";
    }
    return {};
}

std::string StopName(StopReason reason)
{
    switch (reason) {
    case StopReason::None:
        return {};
    case StopReason::EndsEarly:
        return "endsEarly";
    case StopReason::UnsupportedVersion:
        return "unsupportedVersion";
    case StopReason::ImpossibleSize:
        return "impossibleSize";
    case StopReason::NumberOverflow:
        return "numberOverflow";
    case StopReason::OutOfMemory:
        return "outOfMemory";
    case StopReason::DamagedRecord:
        return "damagedRecord";
    }
    return {};
}

// {"lineKinds":[...],"notListed":[...],"stops":[...]}: each code's name at
// its number, "" for none.
std::string CodeNamesJson()
{
    const auto list = [](auto name, int last) {
        std::string json = "[";
        for (int code = 0; code <= last; ++code) {
            if (code != 0)
                json += ',';
            AppendJsonString(json, name(code));
        }
        return json + ']';
    };
    return "{\"lineKinds\":" +
           list([](int code) { return std::string(LineKindName(static_cast<LineKind>(code))); },
                static_cast<int>(LineKind::BlockDimensionText)) +
           ",\"notListed\":" +
           list([](int code) { return NotListedName(static_cast<NotListedReason>(code)); },
                static_cast<int>(NotListedReason::UnknownName)) +
           ",\"stops\":" +
           list([](int code) { return StopName(static_cast<StopReason>(code)); },
                static_cast<int>(StopReason::DamagedRecord)) +
           '}';
}

// Lists the kept parse for the pane: 1 when every line fitted, 0 when the
// pane's limit cut the listing.
int ListPane(Binding& binding, int options)
{
    const PaneListing& pane = binding.Files.ListForPane(OptionsOf(options));
    binding.Lines = pane.LineCount();
    return pane.Full() ? 0 : 1;
}

// The texts of the page that never change, by the names its script uses.
std::string FixedTextsJson()
{
    const std::pair<const char*, std::string> texts[] = {
        {"windowCaption", std::string(kWindowCaption)},
        {"applicationTitle", std::string(kApplicationTitle)},
        {"openButton", Text(WindowText::OpenButton)},
        {"pathField", Text(WindowText::PathField)},
        {"headerBox", Text(WindowText::HeaderBox)},
        {"dimensionsBox", Text(WindowText::DimensionsBox)},
        {"blocksBox", Text(WindowText::BlocksBox)},
        {"saveButton", Text(WindowText::SaveButton)},
        {"paneCaption", Text(WindowText::PaneCaption)},
        {"warningCaption", Text(WindowText::WarningCaption)},
        {"paneFull", Text(WindowText::PaneFull)},
        {"saveFilter", Text(WindowText::SaveFilter)},
        {"fileList", Text(WindowText::FileList)},
        {"yes", Text(WindowText::Yes)},
        {"cancel", Text(WindowText::Cancel)},
        {"ok", Text(WindowText::Ok)},
        {"dropHint", Text(WindowText::DropHint)},
        {"findField", Text(WindowText::FindField)},
        {"findNext", Text(WindowText::FindNext)},
        {"findPrevious", Text(WindowText::FindPrevious)},
        {"findClose", Text(WindowText::FindClose)},
        {"wrappedForward", WrappedStatus(FindDirection::Forward)},
        {"wrappedBackward", WrappedStatus(FindDirection::Backward)},
        {"editsLostRelist", EditsLostQuestion(EditsAt::Relist)},
        {"editsLostOpen", EditsLostQuestion(EditsAt::Open)},
        {"noFileToSave", NoFileToSaveStatus()},
        {"stillFilling", StillFillingStatus()},
        {"preparingSave", PreparingSaveStatus()},
        {"outOfMemory", OutOfMemoryMessage()},
        {"saveAllButton", Text(WindowText::SaveAllButton)},
        {"stopButton", Text(WindowText::StopButton)},
        {"filterField", Text(WindowText::FilterField)},
        {"noDrawings", NoDrawingsStatus()},
        {"archiveStem", ArchiveStem()},
        {"archiveFull", ArchiveFullMessage()},
    };
    std::string json = "{";
    for (const auto& [name, text] : texts) {
        if (json.size() > 1)
            json += ',';
        AppendJsonString(json, name);
        json += ':';
        AppendJsonString(json, text);
    }
    // The find's rule for the page's editor: each fold as three characters,
    // its first, its last and the first they fold to.
    json += ",\"letterFolds\":\"";
    for (const LetterFold& fold : kLetterFolds) {
        for (const char16_t unit : {fold.First, fold.Last, fold.Folded}) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(unit));
            json += escaped;
        }
    }
    json += '"';
    // The longest selection the find field starts from (FindFieldStart):
    // the page hands over no more of a selection than that and one unit.
    json += ",\"longestFindSelection\":" + std::to_string(kLongestFindSelection);
    return json + "}";
}

OpenResult Unreadable(const std::filesystem::path& path, const char* message)
{
    OpenResult result;
    result.Path = path;
    result.Reason = NotListedReason::ReadError;
    result.SystemMessage = message;
    return result;
}

bool IsEntry(std::size_t index) { return index < Current().List.Size(); }

std::string PathText(const std::filesystem::path& path)
{
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace
}  // namespace vaveze

using namespace vaveze;

extern "C" {

// Room for `size` bytes of input; null when memory is short.
EMSCRIPTEN_KEEPALIVE void* vz_alloc(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

EMSCRIPTEN_KEEPALIVE void vz_free(void* data) { std::free(data); }

// Opens the `size` bytes at `data` as the file called `name` (only the
// name's extension matters), read with salvage when `salvage` is not 0. A
// file listed becomes the file shown and its parse is kept; one that is not
// leaves the file shown as it was. Returns the format (0 none, 1 ZVW, 2 ZVS,
// 3 ZVC, 4 ZVK), or -1 when memory ran out.
EMSCRIPTEN_KEEPALIVE int vz_parse(const char* name, const char* data, std::size_t size, int salvage)
{
    Binding& binding = Current();
    try {
        binding.Chosen = binding.Files.OpenBytes(std::string_view(data, size), std::filesystem::path(name),
                                                 salvage != 0 ? ReadMode::Salvage : ReadMode::Ordinary);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return static_cast<int>(binding.Chosen.Kind);
}

// The page could not read the bytes of the file called `name`: it is the
// file chosen, not listed, for the reason the browser gave (UTF-8).
EMSCRIPTEN_KEEPALIVE void vz_unreadable(const char* name, const char* message)
{
    Current().Chosen = Unreadable(std::filesystem::path(name), message);
}

// The parts of the last file's stop: the StopReason and the byte offset.
EMSCRIPTEN_KEEPALIVE int vz_stop_reason() { return static_cast<int>(Current().Chosen.Outcome.Reason); }
EMSCRIPTEN_KEEPALIVE double vz_stop_offset() { return static_cast<double>(Current().Chosen.Outcome.Offset); }
// Why the last file's parse stopped early ("the file ends at byte 1,234
// inside a text record"), or an empty string when it read the file to its
// end.
EMSCRIPTEN_KEEPALIVE const char* vz_stop() { return Say(StopText(Current().Chosen.Outcome, Language::English)); }

// The places the last file's salvage reading passed over, as JSON: an
// array of [the core's StopReason number, from, to, why in English].
EMSCRIPTEN_KEEPALIVE const char* vz_skipped()
{
    std::string json = "[";
    for (const SkippedPlace& place : Current().Chosen.Skipped) {
        json += json.size() > 1 ? ",[" : "[";
        json += std::to_string(static_cast<int>(place.Reason)) + "," + std::to_string(place.From) + "," +
                std::to_string(place.To) + ",";
        AppendJsonString(json, SkippedReasonText(place.Reason, Language::English));
        json += "]";
    }
    return Say(json + "]");
}

// The window's warning for the last file (Japanese), or an empty string.
EMSCRIPTEN_KEEPALIVE const char* vz_warning() { return Say(std::string(WarningText(Current().Chosen.Warning))); }

// Why the last file was not listed: the NotListedReason of core/session, 0
// when it was listed.
EMSCRIPTEN_KEEPALIVE int vz_not_listed_reason() { return static_cast<int>(Current().Chosen.Reason); }

// The words for it (English), or an empty string.
EMSCRIPTEN_KEEPALIVE const char* vz_not_listed_text()
{
    const OpenResult& chosen = Current().Chosen;
    return Say(chosen.Listed() ? std::string() : NotListedReasonText(chosen, Language::English));
}

// Lists the file shown in `form` with the option bits, through vz_emit; 1
// when every line was listed, 0 when the pane's limit stopped it, -1 when
// memory ran out. The pane's form is the session's pane listing, kept for
// vz_pane_bytes, handed over in one chunk.
EMSCRIPTEN_KEEPALIVE int vz_list(int options, int form)
{
    Binding& binding = Current();
    try {
        if (static_cast<Form>(form) == Form::Pane) {
            const int complete = ListPane(binding, options);
            const std::u16string& text = binding.Files.Pane().Text();
            vz_emit(text.data(), text.size() * sizeof(char16_t));
            return complete;
        }
        if (static_cast<Form>(form) == Form::Records) {
            RecordSink sink;
            const bool complete = binding.Files.List(OptionsOf(options), sink);
            binding.Lines = sink.Lines();
            return complete ? 1 : 0;
        }
        EncodedSink sink(
            [](std::string_view bytes) {
                vz_emit(bytes.data(), bytes.size());
                return 0;
            },
            static_cast<Form>(form) == Form::Utf8);
        const bool complete = binding.Files.List(OptionsOf(options), sink);
        (void)sink.Finish();  // the emit never fails
        binding.Lines = sink.Lines();
        return complete ? 1 : 0;
    } catch (const std::bad_alloc&) {
        binding.Lines = 0;
        return -1;
    }
}

EMSCRIPTEN_KEEPALIVE double vz_lines() { return static_cast<double>(Current().Lines); }

// Lists the file shown for the pane and keeps that listing, whose text
// vz_pane_text and vz_pane_units then give (UTF-16, lines joined by LF).
// Returns as vz_list.
EMSCRIPTEN_KEEPALIVE int vz_list_pane(int options)
{
    try {
        return ListPane(Current(), options);
    } catch (const std::bad_alloc&) {
        Current().Lines = 0;
        return -1;
    }
}

EMSCRIPTEN_KEEPALIVE const char16_t* vz_pane_text() { return Current().Files.Pane().Text().data(); }
EMSCRIPTEN_KEEPALIVE std::size_t vz_pane_units() { return Current().Files.Pane().Text().size(); }

// The first lines of what vz_list_pane gives, up to `characters` (a line
// end counts as one), listed without the rest: what the pane shows while
// the whole listing is made. 1 when that is every line, 0 when lines
// follow, -1 when memory ran out; vz_first_text and vz_first_units give
// the text.
EMSCRIPTEN_KEEPALIVE int vz_list_first(int options, std::size_t characters)
{
    Binding& binding = Current();
    try {
        binding.First = PaneListing(characters);
        return binding.Files.List(OptionsOf(options), binding.First) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        binding.First = PaneListing();
        return -1;
    }
}

EMSCRIPTEN_KEEPALIVE const char16_t* vz_first_text() { return Current().First.Text().data(); }
EMSCRIPTEN_KEEPALIVE std::size_t vz_first_units() { return Current().First.Text().size(); }

// Turns the pane's text (UTF-16, `units` code units, lines ended by LF)
// into the bytes to save, Shift-JIS with CR LF, by the session's one
// algorithm; vz_save_data and vz_save_size then give them. Returns the
// number of characters code page 932 cannot hold (vz_unencodable gives
// them), or -1 when memory ran out.
EMSCRIPTEN_KEEPALIVE int vz_pane_bytes(const char16_t* text, std::size_t units)
{
    Binding& binding = Current();
    try {
        binding.Save = binding.Files.PaneToBytes(std::u16string_view(text, units));
    } catch (const std::bad_alloc&) {
        binding.Save = {};
        return -1;
    }
    return static_cast<int>(binding.Save.Unencodable.size());
}

EMSCRIPTEN_KEEPALIVE const char* vz_save_data() { return Current().Save.Bytes.data(); }
EMSCRIPTEN_KEEPALIVE std::size_t vz_save_size() { return Current().Save.Bytes.size(); }
EMSCRIPTEN_KEEPALIVE double vz_save_lines() { return static_cast<double>(Current().Save.Lines); }
EMSCRIPTEN_KEEPALIVE const char32_t* vz_unencodable() { return Current().Save.Unencodable.data(); }

// The name of the file shown.
EMSCRIPTEN_KEEPALIVE const char* vz_shown_name() { return Say(FileNameOf(Current().Files.Shown().Path)); }

// The name the listing shown is proposed to be saved under: "plan.txt".
EMSCRIPTEN_KEEPALIVE const char* vz_proposed_name() { return Say(FileNameOf(Current().Files.ProposedSavePath())); }

EMSCRIPTEN_KEEPALIVE const char* vz_version() { return VAVEZE_VERSION; }

// The names of the core's codes by their numbers, as JSON (CodeNamesJson).
EMSCRIPTEN_KEEPALIVE const char* vz_code_names() { return Say(CodeNamesJson()); }

// The tests' hook: the next open or listing fails as if memory ran out
// there (kind 0) or the program were at fault (kind 1).
EMSCRIPTEN_KEEPALIVE void vz_test_fault(int kind)
{
    ArmFault(kind == 0 ? FaultKind::OutOfMemory : FaultKind::Internal);
}

// The words a guard shows for a fault: out of memory (kind 0), or an
// internal error with the fault's own words.
EMSCRIPTEN_KEEPALIVE const char* vz_fault_message(int kind, const char* what)
{
    return Say(FaultMessage({kind == 0 ? FaultKind::OutOfMemory : FaultKind::Internal, what}));
}

// The texts, all from core/session/texts.h, in Japanese, UTF-8. Each is
// valid until the next text is asked for.

// Every fixed text the page shows, as a JSON object by name.
EMSCRIPTEN_KEEPALIVE const char* vz_fixed_texts() { return Say(FixedTextsJson()); }

// The status line and the notice beside the pane for the session as it is.
EMSCRIPTEN_KEEPALIVE const char* vz_listed_status(double lines, int paneFull)
{
    return Say(ListedStatus(Current().Files.Shown(), static_cast<std::size_t>(lines), paneFull != 0));
}
EMSCRIPTEN_KEEPALIVE const char* vz_not_listed_status()
{
    return Say(NotListedStatus(Current().Chosen, Current().Files.Shown()));
}
EMSCRIPTEN_KEEPALIVE const char* vz_pane_notice() { return Say(PaneNotice(Current().Chosen, Current().Files.Shown())); }
EMSCRIPTEN_KEEPALIVE const char* vz_filling_status(double shown, double total)
{
    return Say(FillingStatus(Current().Files.Shown(), static_cast<std::size_t>(shown), static_cast<std::size_t>(total)));
}
EMSCRIPTEN_KEEPALIVE const char* vz_reading_status(const char* name, int percent)
{
    return Say(ReadingStatus(name, static_cast<unsigned>(percent)));
}
EMSCRIPTEN_KEEPALIVE const char* vz_extracting_status(const char* name) { return Say(ExtractingStatus(name)); }
EMSCRIPTEN_KEEPALIVE const char* vz_saved_status(const char* name, double lines)
{
    return Say(SavedStatus(name, static_cast<std::size_t>(lines)));
}
EMSCRIPTEN_KEEPALIVE const char* vz_download_status(const char* name, double lines)
{
    return Say(DownloadStatus(name, static_cast<std::size_t>(lines)));
}
EMSCRIPTEN_KEEPALIVE const char* vz_save_failed_message(const char* name, const char* message)
{
    return Say(SaveFailedMessage(name, message));
}
// The characters the last vz_pane_bytes found code page 932 lacks.
EMSCRIPTEN_KEEPALIVE const char* vz_unencodable_message() { return Say(UnencodableMessage(Current().Save.Unencodable)); }


// The file list. The page names the files chosen or dropped one by one
// (`path` below the folder dropped, '/' between names; `problem` the
// browser's words for a folder it could not read, else empty), then sets
// them as the list; "save every listing" that runs ends.
EMSCRIPTEN_KEEPALIVE void vz_files_add(const char* path, const char* problem)
{
    Current().Adding.push_back({std::filesystem::path(path), std::filesystem::path(path), 0, problem, {}});
}

EMSCRIPTEN_KEEPALIVE void vz_files_set()
{
    Binding& binding = Current();
    binding.Batch.reset();
    binding.List = FileList(std::move(binding.Adding));
    binding.Adding.clear();
}

// Whether `name` is one a folder's walk takes: the four formats' and the
// backups'.
EMSCRIPTEN_KEEPALIVE int vz_is_drawing_name(const char* name) { return IsDrawingName(std::filesystem::path(name)) ? 1 : 0; }

// The last file chosen (vz_parse, vz_unreadable) was entry `index`: the
// list keeps what became of it.
EMSCRIPTEN_KEEPALIVE void vz_file_record(std::size_t index)
{
    if (IsEntry(index))
        Current().List.Record(index, Current().Chosen);
}

// An entry as the list shows it: the FileState and SaveState of
// core/session/filelist.h (state + 4 * save), and its tooltip.
EMSCRIPTEN_KEEPALIVE int vz_file_state(std::size_t index)
{
    if (!IsEntry(index))
        return 0;
    const ListedFile& file = Current().List[index];
    return static_cast<int>(file.State) + 4 * static_cast<int>(file.Save);
}
EMSCRIPTEN_KEEPALIVE const char* vz_file_tooltip(std::size_t index)
{
    return Say(IsEntry(index) ? FileTooltip(Current().List[index]) : std::string());
}

// The file list's filter: whether entry `index`, whose `size` bytes are at
// `data` (read for this alone: the file shown stays), listed with the
// option bits, holds the `units` UTF-16 units of `needle`. 1 or 0, and -1
// when memory ran out. The entry keeps what reading it came to.
EMSCRIPTEN_KEEPALIVE int vz_filter_file(std::size_t index, const char* data, std::size_t size, int options,
                                        const char16_t* needle, std::size_t units)
{
    Binding& binding = Current();
    if (!IsEntry(index))
        return 0;
    try {
        Session scratch;
        const std::filesystem::path& path = binding.List[index].Where.Path;
        const OpenResult& opened = scratch.OpenBytes(std::string_view(data, size), path);
        binding.List.Record(index, opened);
        return ListingHolds(scratch, OptionsOf(options), std::u16string_view(needle, units)) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

// Which text the find field starts with (FindFieldStart): 0 the
// selection, 1 the filter's text, 2 the last query (each UTF-8).
EMSCRIPTEN_KEEPALIVE int vz_find_field_start(const char* selection, const char* filter, const char* lastQuery)
{
    const std::u16string texts[] = {Utf8ToUtf16(selection), Utf8ToUtf16(filter), Utf8ToUtf16(lastQuery)};
    const std::u16string_view start = FindFieldStart(texts[0], texts[1], texts[2]);
    for (int i = 0; i < 2; ++i)
        if (start.data() == texts[i].data())
            return i;
    return 2;
}

// Entry `index` could not be read by the page, for the browser's reason.
EMSCRIPTEN_KEEPALIVE void vz_file_unreadable(std::size_t index, const char* message)
{
    if (IsEntry(index))
        Current().List.Record(index, Unreadable(Current().List[index].Where.Path, message));
}

// "Save every listing" over the file list, with the option bits: how many
// files; vz_batch_target gives each one's name to save under, by the rule
// of `vaveze-list --save` ('/' between names, below the folder the page
// saves into).
EMSCRIPTEN_KEEPALIVE int vz_batch_begin(int options)
{
    Binding& binding = Current();
    binding.Batch.reset();
    binding.Batch.emplace(binding.List, OptionsOf(options));
    binding.Batch->Begin();
    return static_cast<int>(binding.Batch->Count());
}

EMSCRIPTEN_KEEPALIVE const char* vz_batch_target(std::size_t index)
{
    const Binding& binding = Current();
    if (!binding.Batch || index >= binding.Batch->Count())
        return Say({});
    return Say(PathText(binding.Batch->Targets()[index].Path));
}

// The next file of the batch, whose `size` bytes are at `data`: listed into
// the bytes vz_batch_listing_data and vz_batch_listing_size give
// (Shift-JIS, CR LF), which the page writes at the file's target when the
// entry says it was saved. Returns the entry's index, -1 when no batch
// runs or it is finished, -2 when memory ran out.
EMSCRIPTEN_KEEPALIVE int vz_batch_next(const char* data, std::size_t size)
{
    Binding& binding = Current();
    if (!binding.Batch || binding.Batch->Finished())
        return -1;
    try {
        return static_cast<int>(binding.Batch->ListNext(std::string_view(data, size), binding.BatchListing));
    } catch (const std::bad_alloc&) {
        return -2;
    }
}

// The next file of the batch could not be read by the page: nothing to
// save, for the browser's reason. Returns as vz_batch_next.
EMSCRIPTEN_KEEPALIVE int vz_batch_unreadable(const char* message)
{
    const int index = vz_batch_next(nullptr, 0);
    if (index >= 0)
        Current().List.Record(static_cast<std::size_t>(index),
                               Unreadable(Current().List[static_cast<std::size_t>(index)].Where.Path, message));
    return index;
}

EMSCRIPTEN_KEEPALIVE const char* vz_batch_listing_data() { return Current().BatchListing.data(); }
EMSCRIPTEN_KEEPALIVE std::size_t vz_batch_listing_size() { return Current().BatchListing.size(); }

// The page could not write entry `index`'s listing, for the browser's reason.
EMSCRIPTEN_KEEPALIVE void vz_batch_not_written(std::size_t index, const char* message)
{
    Binding& binding = Current();
    if (binding.Batch && index < binding.Batch->Position())
        binding.Batch->NotWritten(index, message);
}

// While the batch runs: how far it is, and the file it does next.
EMSCRIPTEN_KEEPALIVE const char* vz_batch_progress()
{
    const Binding& binding = Current();
    if (!binding.Batch || binding.Batch->Finished())
        return Say({});
    const std::size_t next = binding.Batch->Position();
    return Say(SaveAllProgressStatus(next, binding.Batch->Count(), binding.List[next].Where.Path));
}

// Ends the batch (stopped by the user when `stopped`): what it came to,
// with where the listings went: the folder `folder` the user picked, else
// the download `archive` (none when nothing was saved).
EMSCRIPTEN_KEEPALIVE const char* vz_batch_end(int stopped, const char* folder, const char* archive)
{
    Binding& binding = Current();
    if (!binding.Batch)
        return Say({});
    if (stopped != 0)
        binding.Batch->Stop();
    const BatchSummary summary = binding.Batch->Summary();
    binding.Batch.reset();
    binding.BatchListing.clear();
    binding.BatchListing.shrink_to_fit();
    if (*folder != '\0')
        return Say(SaveAllFolderStatus(summary, folder));
    if (*archive != '\0')
        return Say(SaveAllDownloadStatus(summary, archive));
    return Say(SaveAllSummary(summary));
}

EMSCRIPTEN_KEEPALIVE const char* vz_save_all_question(double existing, double targets, int paneEdits)
{
    return Say(SaveAllQuestion(static_cast<std::size_t>(existing), static_cast<std::size_t>(targets), paneEdits != 0));
}
EMSCRIPTEN_KEEPALIVE const char* vz_not_found_status(const char* needle) { return Say(NotFoundStatus(needle)); }
EMSCRIPTEN_KEEPALIVE const char* vz_filtering_status(const char* needle, double done, double count)
{
    return Say(FilteringStatus(needle, static_cast<std::size_t>(done), static_cast<std::size_t>(count)));
}
EMSCRIPTEN_KEEPALIVE const char* vz_filtered_status(const char* needle, double holding, double count)
{
    return Say(FilteredStatus(needle, static_cast<std::size_t>(holding), static_cast<std::size_t>(count)));
}

}  // extern "C"
