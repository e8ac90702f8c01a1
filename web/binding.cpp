// The WebAssembly face of the core: for the Node API, a session that opens
// a file from its bytes and lists it, the listing leaving through vz_emit in
// chunks, so a listing far larger than its file (many texts may share one
// pooled string) never has to be held whole; for the page's worker, the
// window flow (core/window) in the page's mode, whose actions go in by name
// and whose effects come out as JSON with the state to render, the pane's
// text and the bytes to write beside them in the module's memory.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/listing/encoded.h"
#include "core/listing/extraction.h"
#include "core/listing/listing.h"
#include "core/readers/parseoutcome.h"
#include "core/session/faults.h"
#include "core/session/filelist.h"
#include "core/session/find.h"
#include "core/session/session.h"
#include "core/session/texts.h"
#include "core/session/walk.h"
#include "core/text/cp932.h"
#include "core/text/jsonstring.h"
#include "core/text/typedtext.h"
#include "core/window/windowflow.h"
#include "core/window/windowtable.h"

// Hands a chunk of output to the JavaScript side, which copies it before
// returning.
EM_JS(void, vz_emit, (const void* data, std::size_t size), { Module["onChunk"](data >>> 0, size >>> 0); });

namespace vaveze {
namespace {

enum class Form : int {
    Sjis = 0,     // each line's bytes and CR LF: what the tool writes and the window saves
    Utf8 = 1,     // UTF-8 and LF
    Records = 3,  // per line: u8 LineKind (kSalvagedLine added for a salvaged line), i32 block,
                  // u32 byte count, the bytes, u32 UTF-8 count, the UTF-8
};

enum OptionBits : int { kHeader = 1, kDimensions = 2, kBlocks = 4, kSalvage = 8 };

// Added to a record's kind for a line found past a damaged place.
constexpr unsigned kSalvagedLine = 0x80;

struct Binding {
    Session Files;
    OpenResult Chosen;      // what the last file opened came to
    std::size_t Lines = 0;  // of the last listing
    std::string Said;       // the last text handed out

    // The page's window.
    window::WindowFlow Flow{{window::FileAccess::Front, {}, kPaneCharacterLimit}};
    std::vector<Source> Given;              // the files the page names, until it gives them
    std::map<int, std::string> Reads;       // bytes being read into the module, by number
    int NextRead = 0;
    std::vector<std::string> Writes;        // the bytes of the last effects' WriteFile
    std::size_t HitsSearch = 0;             // the search whose hits the page has,
    std::size_t HitsSent = 0;               // ... and how many of them
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


// Appends the JSON object written by the calls in between: `{`, then each
// field's key and value, then `}` when it goes.
class JsonObject {
public:
    explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
    ~JsonObject() { out_ += '}'; }
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    // The key; the value is appended to what it returns.
    std::string& Key(std::string_view key)
    {
        if (!first_)
            out_ += ',';
        first_ = false;
        AppendJsonString(out_, key);
        out_ += ':';
        return out_;
    }
    JsonObject& Text(std::string_view key, std::string_view value)
    {
        AppendJsonString(Key(key), value);
        return *this;
    }
    JsonObject& Number(std::string_view key, double value)
    {
        char number[32];
        std::snprintf(number, sizeof number, "%.17g", value);
        Key(key) += number;
        return *this;
    }
    JsonObject& Flag(std::string_view key, bool value)
    {
        Key(key) += value ? "true" : "false";
        return *this;
    }

private:
    std::string& out_;
    bool first_ = true;
};

// The texts of the page that never change, by the names its script uses,
// and what it takes of the windows' table: the pane's font, the margins and
// heights its style sheet is made with.
void FixedTextsJson(std::string& json)
{
    JsonObject texts(json);
    for (const auto& [name, text] : {
             std::pair<const char*, std::string>{"windowCaption", std::string(kWindowCaption)},
             {"applicationTitle", std::string(kApplicationTitle)},
             {"openButton", Text(WindowText::OpenButton)},
             {"pathField", Text(WindowText::PathField)},
             {"headerBox", Text(WindowText::HeaderBox)},
             {"dimensionsBox", Text(WindowText::DimensionsBox)},
             {"blocksBox", Text(WindowText::BlocksBox)},
             {"saveButton", Text(WindowText::SaveButton)},
             {"paneCaption", Text(WindowText::PaneCaption)},
             {"warningCaption", Text(WindowText::WarningCaption)},
             {"saveFilter", Text(WindowText::SaveFilter)},
             {"fileList", Text(WindowText::FileList)},
             {"ok", Text(WindowText::Ok)},
             {"dropHint", Text(WindowText::DropHint)},
             {"findField", Text(WindowText::FindField)},
             {"findNext", Text(WindowText::FindNext)},
             {"findPrevious", Text(WindowText::FindPrevious)},
             {"findClose", Text(WindowText::FindClose)},
             {"saveAllButton", Text(WindowText::SaveAllButton)},
             {"stopButton", Text(WindowText::StopButton)},
             {"filterField", Text(WindowText::FilterField)},
             {"hitList", Text(WindowText::HitList)},
             {"hitColumns", Text(WindowText::HitColumns)},
             {"saveTableButton", Text(WindowText::SaveTableButton)},
             {"tableFilter", Text(WindowText::TableFilter)},
             {"archiveStem", ArchiveStem()},
             {"archiveFull", ArchiveFullMessage()},
         })
        texts.Text(name, text);
    // The longest selection the find field starts from (FindFieldStart):
    // the page hands over no more of a selection than that and one unit.
    texts.Number("longestFindSelection", static_cast<double>(kLongestFindSelection));
    JsonObject look(texts.Key("window"));
    look.Number("fontPixels", window::kFontPixels)
        .Number("margin", window::kMargin)
        .Number("captionHeight", window::kPanel2Height)
        .Number("captionIndent", window::kCaptionIndent)
        .Number("paneMinimumHeight", window::kPaneMinimumHeight);
    std::string& families = look.Key("fontFamilies");
    families += '[';
    for (const std::string_view family : window::kFontFamilies) {
        if (family != window::kFontFamilies[0])
            families += ',';
        AppendJsonString(families, family);
    }
    families += ']';
}

// ---- The page's window ----

namespace w = window;

const char* MarkName(FileMark mark)
{
    switch (mark) {
    case FileMark::Listed:
        return "listed";
    case FileMark::Saved:
        return "saved";
    case FileMark::Partial:
        return "partial";
    case FileMark::Problem:
        return "problem";
    case FileMark::None:
        break;
    }
    return "none";
}

// A row of the file list as the page shows it: the file's name, then the
// folder it is in.
void Row(std::string& json, const w::WindowFlow& flow, std::size_t i)
{
    const ListedFile& file = flow.Files()[i];
    const EntryLabel label = EntryLabelOf(file);
    JsonObject(json)
        .Text("name", PathUtf8(label.Name))
        .Text("folder", PathUtf8(label.Folder))
        .Text("mark", MarkName(MarkOf(file)))
        .Text("tooltip", FileTooltip(file))
        .Flag("hidden", flow.RowHidden(i));
}

// The list of hits: whether it shows, the rows the page does not have yet
// (all of them, `fresh`, for a search begun since), and the search's
// progress.
void Hits(JsonObject& refresh, const w::WindowFlow& flow)
{
    Binding& binding = Current();
    const bool fresh = binding.HitsSearch != flow.SearchNumber() || binding.HitsSent > flow.Hits().size();
    if (fresh) {
        binding.HitsSearch = flow.SearchNumber();
        binding.HitsSent = 0;
    }
    const w::SearchProgress progress = flow.HitsProgress();
    JsonObject hits(refresh.Key("hits"));
    hits.Flag("shown", flow.HitsShown()).Flag("fresh", fresh).Flag("running", progress.Running);
    hits.Number("done", static_cast<double>(progress.Done)).Number("count", static_cast<double>(progress.Count));
    std::string& rows = hits.Key("rows");
    rows += '[';
    for (std::size_t i = binding.HitsSent; i < flow.Hits().size(); ++i) {
        const w::Hit& hit = flow.Hits()[i];
        if (i > binding.HitsSent)
            rows += ',';
        JsonObject(rows)
            .Text("file", PathUtf8(EntryName(flow.Files()[hit.Entry])))
            .Number("line", static_cast<double>(hit.Line))
            .Text("text", TypedUtf8(hit.Text))
            .Number("position", static_cast<double>(hit.Position))
            .Number("length", static_cast<double>(hit.Length));
    }
    rows += ']';
    binding.HitsSent = flow.Hits().size();
}

// The parts a Refresh names, from the flow's state.
void Parts(JsonObject& refresh, const w::WindowFlow& flow, w::Parts parts)
{
    using w::Part;
    if (parts & Part::Status)
        refresh.Text("status", flow.Status());
    if (parts & Part::Notice)
        refresh.Text("notice", flow.Notice()).Text("offer", w::NoticeOfferCaption(flow.Offer()));
    if (parts & Part::PathField)
        refresh.Text("path", PathUtf8(flow.ChosenPath()));
    if (parts & Part::Boxes) {
        const ListingOptions& options = flow.Options();
        JsonObject(refresh.Key("boxes")).Flag("header", options.Header).Flag("dimensions", options.Dimensions).Flag("blocks", options.Blocks);
    }
    if (parts & Part::List) {
        JsonObject list(refresh.Key("list"));
        list.Flag("shown", flow.ListShown()).Text("filter", TypedUtf8(flow.FilterText()));
        std::string& rows = list.Key("rows");
        rows += '[';
        for (std::size_t i = 0; i < flow.Files().Size(); ++i) {
            if (i > 0)
                rows += ',';
            Row(rows, flow, i);
        }
        rows += ']';
    }
    if (parts & (Part::List | Part::Selection))
        refresh.Number("selected", static_cast<double>(flow.Selected()));
    if (parts & Part::Progress) {
        const w::SaveAllState progress = flow.SaveAllProgress();
        JsonObject(refresh.Key("progress"))
            .Flag("running", progress.Running)
            .Number("done", static_cast<double>(progress.Done))
            .Number("count", static_cast<double>(progress.Count));
    }
    if (parts & Part::Filling)
        refresh.Flag("filling", flow.Filling());
    if (parts & Part::Hits)
        Hits(refresh, flow);
}

// Each effect as the page's script takes it: its kind, and what it carries.
// A new kind of effect is a compile error here until the page handles it.
struct EffectJson {
    Binding& binding;
    JsonObject& out;

    void operator()(const w::effect::Refresh& refresh) { Parts(out.Text("kind", "refresh"), binding.Flow, refresh.What); }
    void operator()(const w::effect::RefreshEntry& entry)
    {
        out.Text("kind", "entry").Number("index", static_cast<double>(entry.Index));
        Row(out.Key("row"), binding.Flow, entry.Index);
    }
    void operator()(const w::effect::Ask& ask)
    {
        out.Text("kind", "ask").Number("serial", ask.Serial).Text("text", ask.Text);
        out.Number("default", static_cast<int>(ask.Default)).Number("escape", static_cast<int>(ask.Escape));
        std::string& replies = out.Key("replies");
        replies += '[';
        for (const w::Reply reply : ask.Replies) {
            if (reply != ask.Replies.front())
                replies += ',';
            JsonObject(replies).Number("reply", static_cast<int>(reply)).Text("caption", w::ReplyCaption(reply));
        }
        replies += ']';
    }
    void operator()(const w::effect::ChooseFilesToOpen&) { out.Text("kind", "chooseFiles"); }
    void operator()(const w::effect::ChooseSaveTarget& dialog)
    {
        out.Text("kind", "chooseSaveTarget").Text("name", PathUtf8(dialog.ProposedName)).Flag("table", dialog.What == w::SaveKind::Table);
    }
    void operator()(const w::effect::Tell& tell)
    {
        out.Text("kind", "tell").Flag("error", tell.Kind == w::MessageKind::Error).Text("caption", tell.Caption).Text("text", tell.Text);
    }
    void operator()(const w::effect::StartPane&) { out.Text("kind", "startPane"); }
    void operator()(const w::effect::AppendToPane& piece)
    {
        out.Text("kind", "append").Number("from", static_cast<double>(piece.From)).Number("to", static_cast<double>(piece.To));
    }
    void operator()(const w::effect::FinishPane&) { out.Text("kind", "finishPane"); }
    void operator()(const w::effect::MarkPaneUnmodified&) { out.Text("kind", "paneSaved"); }
    void operator()(const w::effect::SelectInPane& select)
    {
        out.Text("kind", "select").Number("position", static_cast<double>(select.Position)).Number("length", static_cast<double>(select.Length));
    }
    void operator()(const w::effect::StartTimer& start)
    {
        out.Text("kind", "startTimer").Number("timer", static_cast<int>(start.Which)).Number("ms", start.Milliseconds);
    }
    void operator()(const w::effect::StopTimer& stop) { out.Text("kind", "stopTimer").Number("timer", static_cast<int>(stop.Which)); }
    void operator()(const w::effect::ReadFile& read)
    {
        out.Text("kind", "read").Number("for", static_cast<int>(read.For)).Flag("open", read.For == w::Purpose::Open);
        out.Number("index", static_cast<double>(read.Index));
        out.Number("tag", read.Tag).Number("serial", read.Serial).Text("path", PathUtf8(read.Path));
    }
    void operator()(const w::effect::WriteFile& write)
    {
        out.Text("kind", "write").Number("for", static_cast<int>(write.For)).Flag("saveAll", write.For == w::Purpose::SaveAll);
        out.Number("index", static_cast<double>(write.Index));
        out.Number("serial", write.Serial).Text("path", PathUtf8(write.Path));
        out.Number("data", static_cast<double>(binding.Writes.size()));
        binding.Writes.push_back(write.Bytes);
    }
    void operator()(const w::effect::CountExisting& count)
    {
        std::string& paths = out.Text("kind", "countExisting").Key("paths");
        paths += '[';
        for (const std::filesystem::path& path : count.Paths) {
            if (&path != &count.Paths.front())
                paths += ',';
            AppendJsonString(paths, PathUtf8(path));
        }
        paths += ']';
    }
    void operator()(const w::effect::Beep&) { out.Text("kind", "beep"); }
    void operator()(const w::effect::Focus&) { out.Text("kind", "focus"); }
    void operator()(const w::effect::Close&) { out.Text("kind", "close"); }
};

// What an action came to: {"effects": [...], "idle", "holdsEdits"}, or
// {"fault": the guard's words} when a fault escaped the flow. The window
// answers the next action either way.
std::string Act(const w::Action& action)
{
    Binding& binding = Current();
    binding.Writes.clear();
    return Guarded(
        [&] {
            const std::vector<w::Effect> effects = binding.Flow.Update(action);
            std::string json;
            {
                JsonObject answer(json);
                std::string& list = answer.Key("effects");
                list += '[';
                for (const w::Effect& effect : effects) {
                    if (&effect != &effects.front())
                        list += ',';
                    JsonObject out(list);
                    std::visit(EffectJson{binding, out}, effect);
                }
                list += ']';
                answer.Flag("idle", binding.Flow.Idle()).Flag("holdsEdits", binding.Flow.HoldsEdits());
            }
            return json;
        },
        [](const Fault& fault) {
            std::string json;
            JsonObject(json).Text("fault", FaultMessage(fault));
            return json;
        });
}

// The arguments of vz_flow_act, each action taking what it needs.
struct Arguments {
    double A;
    double B;
    double C;
    double D;
    std::string_view Text;
    std::u16string_view Units;
    std::u16string_view Pane;
};

w::Option OptionAt(double box) { return box == 1 ? w::Option::Dimensions : box == 2 ? w::Option::Blocks : w::Option::Header; }

template <class E>
E Code(double number)
{
    return static_cast<E>(static_cast<int>(number));
}

std::string ReadBytes(double number)
{
    std::map<int, std::string>& reads = Current().Reads;
    const auto found = reads.find(static_cast<int>(number));
    if (found == reads.end())
        return {};
    std::string bytes = std::move(found->second);
    reads.erase(found);
    return bytes;
}

// The actions by the names the page's script gives them, numbered by their
// place here (vz_code_names hands the names over).
using MakeAction = w::Action (*)(const Arguments&);
const std::pair<const char*, MakeAction> kActions[] = {
    {"openClicked", [](const Arguments&) -> w::Action { return w::action::OpenClicked{}; }},
    // The page's open dialog holds nothing up: the files chosen come as sourcesGiven.
    {"filesChosen", [](const Arguments&) -> w::Action { return w::action::FilesChosen{}; }},
    {"sourcesGiven",
     [](const Arguments& a) -> w::Action {
         return w::action::SourcesGiven{std::exchange(Current().Given, {}), static_cast<std::uint32_t>(a.A)};
     }},
    {"entryChosen", [](const Arguments& a) -> w::Action { return w::action::EntryChosen{static_cast<std::size_t>(a.A)}; }},
    {"optionToggled", [](const Arguments& a) -> w::Action { return w::action::OptionToggled{OptionAt(a.A), a.B != 0}; }},
    {"paneEdited", [](const Arguments& a) -> w::Action { return w::action::PaneEdited{a.A != 0}; }},
    {"saveClicked", [](const Arguments& a) -> w::Action { return w::action::SaveClicked{a.Pane}; }},
    {"saveTargetChosen",
     [](const Arguments& a) -> w::Action { return w::action::SaveTargetChosen{std::filesystem::path(a.Text)}; }},
    {"saveAllClicked", [](const Arguments&) -> w::Action { return w::action::SaveAllClicked{}; }},
    {"stopClicked", [](const Arguments&) -> w::Action { return w::action::StopClicked{}; }},
    {"answered",
     [](const Arguments& a) -> w::Action {
         return w::action::Answered{static_cast<std::uint32_t>(a.A), Code<w::Reply>(a.B)};
     }},
    {"closeRequested", [](const Arguments&) -> w::Action { return w::action::CloseRequested{}; }},
    {"noticeOfferTaken", [](const Arguments&) -> w::Action { return w::action::NoticeOfferTaken{}; }},
    {"filterEntered", [](const Arguments& a) -> w::Action { return w::action::FilterEntered{a.Pane}; }},
    {"hitChosen",
     [](const Arguments& a) -> w::Action { return w::action::HitChosen{static_cast<std::size_t>(a.A), a.Pane}; }},
    {"stopSearchClicked", [](const Arguments&) -> w::Action { return w::action::StopSearchClicked{}; }},
    {"saveTableClicked", [](const Arguments&) -> w::Action { return w::action::SaveTableClicked{}; }},
    {"find",
     [](const Arguments& a) -> w::Action {
         return w::action::Find{std::u16string(a.Units), a.A != 0 ? FindDirection::Backward : FindDirection::Forward,
                                static_cast<std::size_t>(a.B), false, a.Pane};
     }},
    {"filterTyped", [](const Arguments& a) -> w::Action { return w::action::FilterTyped{std::u16string(a.Units)}; }},
    {"timerFired",
     [](const Arguments& a) -> w::Action {
         return w::action::TimerFired{Code<w::Timer>(a.A), static_cast<std::int64_t>(a.B)};
     }},
    // The bytes read into vz_flow_read_room's room numbered D, or Text: why
    // the page could not read them (none: memory ran out).
    {"fileRead",
     [](const Arguments& a) -> w::Action {
         std::string failure(a.Text);
         if (a.D < 0 && failure.empty())
             failure = OutOfMemoryMessage();
         return w::action::FileRead{Code<w::Purpose>(a.A), static_cast<std::size_t>(a.B), ReadBytes(a.D), failure,
                                    static_cast<std::uint32_t>(a.C)};
     }},
    // D: the page handed the bytes to the browser as a download.
    {"fileWritten",
     [](const Arguments& a) -> w::Action {
         return w::action::FileWritten{Code<w::Purpose>(a.A), static_cast<std::size_t>(a.B), std::string(a.Text),
                                       static_cast<std::uint32_t>(a.C), a.D != 0};
     }},
    // B: the listings go into a zip file (else into a folder); C: the user
    // declined to pick a folder; Text: the folder's or the zip file's name.
    {"existingCounted",
     [](const Arguments& a) -> w::Action {
         return w::action::ExistingCounted{static_cast<std::size_t>(a.A),
                                           a.B != 0 ? w::SaveAllPlace::Archive : w::SaveAllPlace::Folder,
                                           std::string(a.Text), a.C != 0};
     }},
};

// {"lineKinds":[...],"notListed":[...],"stops":[...],"actions":[...]}: each
// code's name at its number, "" for none; the page's window's actions.
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
           ",\"actions\":" +
           list([](int code) { return std::string(kActions[code].first); }, static_cast<int>(std::size(kActions)) - 1) +
           '}';
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
// when every line was listed, -1 when memory ran out.
EMSCRIPTEN_KEEPALIVE int vz_list(int options, int form)
{
    Binding& binding = Current();
    try {
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

// The name a listing of the file at `path` is proposed to be saved under:
// "plan.txt".
EMSCRIPTEN_KEEPALIVE const char* vz_proposed_text_name(const char* path)
{
    return Say(FileNameOf(ProposedTextName(std::filesystem::path(path))));
}

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

// Every fixed text the page shows, as a JSON object by name (Japanese,
// UTF-8), with the window's look (FixedTextsJson).
EMSCRIPTEN_KEEPALIVE const char* vz_fixed_texts()
{
    std::string json;
    FixedTextsJson(json);
    return Say(std::move(json));
}

// The status line while the page reads a file the user chose (`percent` of
// its bytes), then while the flow lists it.
EMSCRIPTEN_KEEPALIVE const char* vz_reading_status(const char* name, int percent)
{
    return Say(ReadingStatus(name, static_cast<unsigned>(percent)));
}
EMSCRIPTEN_KEEPALIVE const char* vz_extracting_status(const char* name) { return Say(ExtractingStatus(name)); }

// What the find field starts with when find is opened over the pane's
// selection (`count` UTF-16 units): the flow's rule, with the filter's text
// and the last text looked for that it keeps (FindStart), as UTF-8.
EMSCRIPTEN_KEEPALIVE const char* vz_flow_find_start(const char16_t* selection, std::size_t count)
{
    return Say(TypedUtf8(Current().Flow.FindStart({selection, count})));
}

// The page's window (core/window), a view of which the page is. Files the
// page names for the action sourcesGiven, one call each (`path` below the
// folder dropped, '/' between names; `problem` the browser's words for a
// folder it could not read; `size` its bytes): how many are named so far.
EMSCRIPTEN_KEEPALIVE int vz_flow_name(const char* path, const char* problem, double size)
{
    std::vector<Source>& given = Current().Given;
    given.push_back({path, path, static_cast<std::uintmax_t>(size), problem, {}});
    return static_cast<int>(given.size());
}

// The files named since `from` were found below a folder dropped: they
// become those the walk takes, in its order. Returns how many; each one's
// place among the files named so far comes from vz_flow_named.
EMSCRIPTEN_KEEPALIVE int vz_flow_walked(std::size_t from)
{
    std::vector<Source>& given = Current().Given;
    from = std::min(from, given.size());
    std::vector<Source> found(std::make_move_iterator(given.begin() + static_cast<std::ptrdiff_t>(from)),
                              std::make_move_iterator(given.end()));
    given.resize(from);
    for (Source& source : InWalkOrder(std::move(found)))
        given.push_back(std::move(source));
    return static_cast<int>(given.size() - from);
}

// The path of file `index` named so far, as vz_flow_walked left them.
EMSCRIPTEN_KEEPALIVE const char* vz_flow_named(std::size_t index)
{
    const std::vector<Source>& given = Current().Given;
    return Say(index < given.size() ? PathUtf8(given[index].Path) : std::string());
}

// Hands the flow action number `action` (its name in vz_code_names) with
// what it takes of the arguments; returns what came of it (Act), as JSON.
EMSCRIPTEN_KEEPALIVE const char* vz_flow_act(int action, double a, double b, double c, double d, const char* text,
                                             const char16_t* units, std::size_t unitCount, const char16_t* pane,
                                             std::size_t paneUnits)
{
    if (action < 0 || static_cast<std::size_t>(action) >= std::size(kActions))
        return Say(R"({"effects":[]})");
    const Arguments arguments{a, b, c, d, text, {units, unitCount}, {pane, paneUnits}};
    return Say(Act(kActions[action].second(arguments)));
}

// The pane's text the flow fills the pane from (AppendToPane's pieces).
EMSCRIPTEN_KEEPALIVE const char16_t* vz_flow_pane_text() { return Current().Flow.PaneText().data(); }

// The bytes of the last effects' WriteFile number `data`.
EMSCRIPTEN_KEEPALIVE const char* vz_flow_written_data(std::size_t data) { return Current().Writes.at(data).data(); }
EMSCRIPTEN_KEEPALIVE std::size_t vz_flow_written_size(std::size_t data) { return Current().Writes.at(data).size(); }

// Room for a file of `size` bytes the page reads for the flow: its number
// for the action fileRead, or -1 when memory is short. vz_flow_read_data
// gives where its bytes go.
EMSCRIPTEN_KEEPALIVE int vz_flow_read_room(double size)
{
    Binding& binding = Current();
    return Guarded(
        [&] {
            binding.Reads[binding.NextRead].resize(static_cast<std::size_t>(size));
            return binding.NextRead++;
        },
        [&](const Fault&) {
            binding.Reads.erase(binding.NextRead);
            return -1;
        });
}

EMSCRIPTEN_KEEPALIVE char* vz_flow_read_data(int room) { return Current().Reads.at(room).data(); }

}  // extern "C"
