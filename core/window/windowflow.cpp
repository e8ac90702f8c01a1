// The window flow: every action in, the effects out.
#include "core/window/windowflow.h"

#include <iterator>
#include <new>
#include <optional>
#include <utility>

#include "core/listing/encoded.h"
#include "core/session/faults.h"
#include "core/session/find.h"
#include "core/session/texts.h"
#include "core/window/windowtable.h"
#include "core/writing/filewriting.h"

namespace vaveze::window {
namespace {

namespace fs = std::filesystem;

bool& Flag(ListingOptions& options, Option which)
{
    switch (which) {
    case Option::Dimensions:
        return options.Dimensions;
    case Option::Blocks:
        return options.Blocks;
    case Option::Header:
        break;
    }
    return options.Header;
}

// Where line `line` (from 0) of `text` starts; nothing past its last line.
std::optional<std::size_t> LineStart(std::u16string_view text, std::size_t line)
{
    std::size_t start = 0;
    for (; line > 0; --line) {
        const std::size_t end = text.find(u'\n', start);
        if (end == std::u16string_view::npos)
            return std::nullopt;
        start = end + 1;
    }
    return start;
}

// The table's place: in the folder the files came from (the folder
// dropped, or that of the first file), named after it.
fs::path TableProposal(const Source& first)
{
    fs::path root = first.Path.parent_path();
    for (auto part = first.Relative.begin(); part != first.Relative.end() && std::next(part) != first.Relative.end();
         ++part)
        root = root.parent_path();
    fs::path name = root.filename();
    if (name.empty() || name == "." || name == "..")
        name = fs::path(ArchiveStem());
    name += ".";
    name += std::string(kTableExtension);
    return root / name;
}

std::vector<Source> SourcesOf(const std::vector<fs::path>& paths)
{
    std::vector<Source> sources;
    for (const fs::path& path : paths)
        sources.push_back({path, path, 0, {}, {}});
    return sources;
}

}  // namespace

const char* ReplyCaption(Reply reply)
{
    switch (reply) {
    case Reply::Yes:
        return Text(WindowText::Yes);
    case Reply::No:
        return Text(WindowText::No);
    case Reply::Save:
        return Text(WindowText::Save);
    case Reply::DontSave:
        return Text(WindowText::DontSave);
    case Reply::SaveEdits:
        return Text(WindowText::SaveEdits);
    case Reply::SaveWhole:
        return Text(WindowText::SaveWhole);
    case Reply::Cancel:
        break;
    }
    return Text(WindowText::Cancel);
}

const char* NoticeOfferCaption(NoticeOffer offer)
{
    switch (offer) {
    case NoticeOffer::Salvage:
        return Text(WindowText::SalvageButton);
    case NoticeOffer::None:
        break;
    }
    return "";
}

WindowFlow::WindowFlow(FlowSetup setup) : setup_(std::move(setup)) {}

WindowFlow::~WindowFlow() = default;

std::vector<Effect> WindowFlow::Update(const Action& action)
{
    effects_.clear();
    parts_ = 0;
    Dispatch(action);
    FlushParts();
    return std::move(effects_);
}

void WindowFlow::Dispatch(const Action& action)
{
    std::visit([this](const auto& a) { Handle(a); }, action);
}

SaveAllState WindowFlow::SaveAllProgress() const
{
    if (table_)
        return {true, table_->Position(), table_->Count()};
    if (!batchRunning_)
        return {};
    return {true, batch_->Position(), batch_->Count()};
}

NoticeOffer WindowFlow::Offer() const noexcept
{
    // Only while the notice speaks of the file shown, read in part, and not
    // read on past its damage yet.
    const OpenResult& shown = session_.Shown();
    const OpenResult& chosen = session_.Chosen();
    if (shown.Partial() && shown.Mode == ReadMode::Ordinary && chosen.Listed() && chosen.Path == shown.Path)
        return NoticeOffer::Salvage;
    return NoticeOffer::None;
}

std::u16string_view WindowFlow::FindStart(std::u16string_view selection) const noexcept
{
    return FindFieldStart(selection, filterText_, lastQuery_);
}

ListingOptions WindowFlow::PaneOptions() const
{
    ListingOptions options = options_;
    options.Salvage = session_.Shown().Mode == ReadMode::Salvage;
    return options;
}

bool WindowFlow::Idle() const noexcept
{
    for (const bool running : timers_)
        if (running)
            return false;
    return !Waiting() && !filterReading_ && !batchReading_ && !opening_ && !tableReading_ && !tableWriting_;
}

// ---- Effects ----

void WindowFlow::Emit(Effect effect)
{
    FlushParts();
    effects_.push_back(std::move(effect));
}

void WindowFlow::FlushParts()
{
    if (parts_ == 0)
        return;
    effects_.push_back(effect::Refresh{parts_});
    parts_ = 0;
}

void WindowFlow::Ask(Question what, std::string text, Wait then)
{
    waiting_ = then;
    Emit(effect::Ask{++serial_, what, std::move(text), {Reply::Yes, Reply::Cancel}, Reply::Cancel, Reply::Cancel});
}

void WindowFlow::SetStatus(std::string text)
{
    status_ = std::move(text);
    Show(Part::Status);
}

void WindowFlow::SayAside(std::string text)
{
    if (!text.empty()) {
        if (lastAside_.empty() || status_ != lastAside_)
            statusBeforeAside_ = status_;
        lastAside_ = text;
        SetStatus(std::move(text));
        return;
    }
    if (!lastAside_.empty() && status_ == lastAside_)
        SetStatus(statusBeforeAside_);
    lastAside_.clear();
}

void WindowFlow::Start(Timer timer, int milliseconds)
{
    timers_[static_cast<std::size_t>(timer)] = true;
    Emit(effect::StartTimer{timer, milliseconds});
}

void WindowFlow::Stop(Timer timer)
{
    bool& running = timers_[static_cast<std::size_t>(timer)];
    if (!running)
        return;
    running = false;
    Emit(effect::StopTimer{timer});
}

void WindowFlow::Read(Purpose purpose, std::size_t index)
{
    const std::uint32_t serial = awaited_[static_cast<std::size_t>(purpose)] = ++fileSerial_;
    Emit(effect::ReadFile{purpose, index, files_[index].Where.Path, listTag_, serial});
}

void WindowFlow::Write(Purpose purpose, std::size_t index, const fs::path& path, std::string bytes)
{
    const std::uint32_t serial = awaited_[static_cast<std::size_t>(purpose)] = ++fileSerial_;
    Emit(effect::WriteFile{purpose, index, path, std::move(bytes), serial});
}

// An answer for a list since replaced, or for a pass of the filter since
// started again, is not this one's.
bool WindowFlow::Expect(Purpose purpose, std::uint32_t serial)
{
    std::uint32_t& awaited = awaited_[static_cast<std::size_t>(purpose)];
    if (awaited == 0 || serial != awaited)
        return false;
    awaited = 0;
    return true;
}

// ---- Opening files ----

void WindowFlow::Handle(const action::OpenClicked&)
{
    // Ctrl+O too: the list is the batch's (or the table's) while it is saved.
    if (batchRunning_ || table_ || Waiting())
        return;
    waiting_ = Wait::OpenDialog;
    if (chosenPath_.empty())
        Emit(effect::ChooseFilesToOpen{setup_.FirstOpenFolder, {}});
    else
        Emit(effect::ChooseFilesToOpen{chosenPath_.parent_path(), chosenPath_.filename()});
}

void WindowFlow::Handle(const action::FilesChosen& chosen)
{
    if (waiting_ == Wait::OpenDialog)
        waiting_ = Wait::Nothing;
    if (chosen.Paths.empty() || batchRunning_ || table_ || Waiting())
        return;
    paths_ = chosen.Paths;
    walkFolders_ = false;
    sourcesGiven_ = false;
    if (HoldsEdits())
        return Ask(Question::EditsLostOpen, EditsLostQuestion(EditsAt::Open), Wait::ReplaceForChoose);
    TakeFiles(FileList::Chosen(paths_, false));
}

void WindowFlow::Handle(const action::FilesDropped& dropped)
{
    if (dropped.Paths.empty() || batchRunning_ || table_ || Waiting())
        return;
    paths_ = dropped.Paths;
    walkFolders_ = true;
    sourcesGiven_ = false;
    if (HoldsEdits())
        return Ask(Question::EditsLostOpen, EditsLostQuestion(EditsAt::Open), Wait::ReplaceForChoose);
    TakeFiles(setup_.Access == FileAccess::Core ? FileList::Chosen(paths_, true) : FileList(SourcesOf(paths_)));
}

void WindowFlow::Handle(const action::SourcesGiven& given)
{
    if (batchRunning_ || table_ || Waiting())
        return;
    if (given.Sources.empty())
        return TakeFiles(FileList());  // folders without a drawing
    sources_ = given.Sources;
    sourcesTag_ = given.Tag;
    sourcesGiven_ = true;
    if (HoldsEdits())
        return Ask(Question::EditsLostOpen, EditsLostQuestion(EditsAt::Open), Wait::ReplaceForChoose);
    TakeFiles(FileList(std::move(sources_)), sourcesTag_);
}

void WindowFlow::TakeFiles(FileList files, std::uint32_t tag)
{
    if (files.Empty()) {
        // Folders without a drawing: the list and the pane stay as they were.
        Emit(effect::Beep{});
        SetStatus(NoDrawingsStatus());
        return;
    }
    Stop(Timer::FilterTyping);
    Stop(Timer::FilterStep);
    files_ = std::move(files);
    listTag_ = tag;
    hidden_.assign(files_.Size(), false);
    filterText_.clear();
    hits_.Clear();
    filterReading_ = false;
    Forget(Purpose::Filter);
    firstHitWanted_ = false;
    pendingHit_.reset();
    Show(Part::List | Part::Hits);
    OpenEntry(0);
}

void WindowFlow::Handle(const action::EntryChosen& chosen)
{
    const std::size_t i = chosen.Index;
    if (i >= files_.Size() || Waiting() || (i == entryShown_ && chosenPath_ == files_[i].Where.Path))
        return;
    if (HoldsEdits()) {
        entryAsked_ = i;
        return Ask(Question::EditsLostOpen, EditsLostQuestion(EditsAt::Open), Wait::ReplaceForEntry);
    }
    OpenEntry(i);
}

void WindowFlow::OpenEntry(std::size_t index)
{
    const fs::path path = files_[index].Where.Path;
    if (setup_.Access == FileAccess::Core)
        (void)session_.Open(path);  // first: a fault here leaves the flow as it was
    entryShown_ = index;
    chosenPath_ = path;
    salvaging_ = false;
    Show(Part::Selection | Part::PathField);
    if (setup_.Access == FileAccess::Front) {
        opening_ = index;
        Read(Purpose::Open, index);
        return;
    }
    Opened(index);
}

void WindowFlow::Opened(std::size_t index)
{
    const OpenResult& opened = session_.Chosen();
    const bool salvaged = opened.Mode == ReadMode::Salvage;
    files_.Record(index, opened);
    Emit(effect::RefreshEntry{index});
    if (opened.Listed()) {
        ShowListing();
        SelectPendingHit();
    } else {
        pendingHit_.reset();
        // The pane keeps what it shows (the user may have typed into it);
        // the status line and the notice say so, and a fill still running
        // goes on.
        SetStatus(NotListedStatus(opened, session_.Shown()));
        statusTaken_ = filling_;
        ShowNotice();
    }
    // After the status line, so that it already says why while the box is
    // up; only for a file chosen alone: walking a list, the notice and the
    // row's mark say it without taking the keys, and a file read again for
    // the salvage was warned of already.
    if (opened.Warning != WarningKind::None && !ListShown() && !salvaged)
        Emit(effect::Tell{MessageKind::Warning, Text(WindowText::WarningCaption), std::string(WarningText(opened.Warning))});
}

void WindowFlow::ShowNotice()
{
    const OpenResult& chosen = session_.Chosen();
    const OpenResult& shown = session_.Shown();
    std::vector<std::string> lines;
    if (shown.Mode == ReadMode::Salvage && shown.Partial() && chosen.Listed())
        lines.push_back(SalvagedNotice(shown, salvagedLines_));
    else if (std::string said = PaneNotice(chosen, shown); !said.empty())
        lines.push_back(std::move(said));
    if (PaneCut())
        lines.push_back(PaneCutNotice(shown, session_.Pane().LineCount(), setup_.PaneCharacterLimit));
    if (!findBeyond_.empty())
        lines.push_back(findBeyond_);
    if (ListShown() && RowHidden(entryShown_) && entryShown_ < files_.Size() &&
        files_[entryShown_].Where.Path == shown.Path)
        lines.push_back(HiddenByFilterNotice(shown));
    std::string notice;
    for (const std::string& line : lines)
        notice += (notice.empty() ? "" : "\n") + line;
    if (notice != notice_) {
        notice_ = std::move(notice);
        Show(Part::Notice);
    }
}

// ---- The pane ----

void WindowFlow::ShowListing()
{
    if (!session_.HasListing())
        return;
    const ListingOptions options = PaneOptions();
    const PaneListing* listed = nullptr;
    try {
        listed = &session_.ListForPane(options, setup_.PaneCharacterLimit);
        salvagedLines_ = options.Salvage ? session_.SalvagedLines(options) : 0;
    } catch (const std::bad_alloc&) {
        return NoRoomForListing();
    }
    const PaneListing& listing = *listed;
    findBeyond_.clear();
    ShowNotice();
    finalStatus_ = ListedStatus(session_.Shown(), listing.LineCount(), listing.Full());
    statusTaken_ = false;
    edits_ = false;
    pacing_.Start(listing.Text(), listing.LineCount());
    Emit(effect::StartPane{});
    const Piece first = pacing_.Next();
    Emit(effect::AppendToPane{first.From, first.To});
    if (pacing_.Done()) {
        if (filling_)
            FillDone();
        else
            Emit(effect::FinishPane{});
        SetStatus(finalStatus_);
    } else {
        // The rest goes in from the event loop: the window answers meanwhile.
        filling_ = true;
        Show(Part::Filling);
        SetStatus(FillingStatus(session_.Shown(), pacing_.LinesShown(), pacing_.LineCount()));
        Start(Timer::PaneFill, 0);
    }
    if (listing.Full())
        Emit(effect::Tell{MessageKind::Error, std::string(kApplicationTitle), Text(WindowText::PaneFull)});
}

void WindowFlow::FillStep(std::int64_t lastPieceNanoseconds)
{
    if (!filling_) {
        Stop(Timer::PaneFill);
        return;
    }
    pacing_.Took(lastPieceNanoseconds);
    const Piece piece = pacing_.Next();
    Emit(effect::AppendToPane{piece.From, piece.To});
    if (pacing_.Done()) {
        FillDone();
        SelectPendingHit();
        return;
    }
    SelectPendingHit();
    if (!statusTaken_)
        SetStatus(FillingStatus(session_.Shown(), pacing_.LinesShown(), pacing_.LineCount()));
}

// The file was read but its listing does not fit in the memory left. The
// session already holds the new file while the pane still shows an earlier
// listing, which a save would then take for this file's: both let go, the
// pane emptied, and the window says why.
void WindowFlow::NoRoomForListing()
{
    session_.Close();
    pacing_.Start({}, 0);
    Stop(Timer::PaneFill);
    filling_ = false;
    edits_ = false;
    findBeyond_.clear();
    Emit(effect::StartPane{});
    Emit(effect::FinishPane{});
    Emit(effect::MarkPaneUnmodified{});
    Show(Part::Filling);
    const std::string message = FaultMessage(Fault{FaultKind::OutOfMemory, {}});
    SetStatus(message);
    statusTaken_ = false;
    ShowNotice();
    Emit(effect::Tell{MessageKind::Error, std::string(kApplicationTitle), message});
}

void WindowFlow::FillDone()
{
    Stop(Timer::PaneFill);
    filling_ = false;
    edits_ = false;
    Emit(effect::FinishPane{});
    Show(Part::Filling);
    if (!statusTaken_)
        SetStatus(finalStatus_);
    statusTaken_ = false;
}

void WindowFlow::Handle(const action::PaneEdited& edited)
{
    if (!filling_)
        edits_ = edited.Edited;
}

// ---- The boxes ----

void WindowFlow::Handle(const action::OptionToggled& toggled)
{
    if (Flag(options_, toggled.Which) == toggled.Checked)
        return;
    if (Waiting()) {
        Show(Part::Boxes);
        return;
    }
    if (session_.HasListing() && HoldsEdits()) {
        optionAsked_ = toggled.Which;
        checkedAsked_ = toggled.Checked;
        // Meanwhile the box shows what the user made of it; Cancel puts it back.
        return Ask(Question::EditsLostRelist, EditsLostQuestion(EditsAt::Relist), Wait::ReplaceForRelist);
    }
    ApplyOption(toggled.Which, toggled.Checked);
}

void WindowFlow::ApplyOption(Option which, bool checked)
{
    Flag(options_, which) = checked;
    Show(Part::Boxes);
    // The lines are numbered again with the boxes.
    pendingHit_.reset();
    ShowListing();
    // What the files' listings hold depends on the boxes.
    if (!filterText_.empty())
        StartFilter();
}

// ---- The notice's offer ----

void WindowFlow::Handle(const action::NoticeOfferTaken&)
{
    if (Waiting() || batchRunning_ || opening_ || Offer() != NoticeOffer::Salvage)
        return;
    if (HoldsEdits())
        return Ask(Question::EditsLostSalvage, EditsLostQuestion(EditsAt::Salvage), Wait::ReplaceForSalvage);
    SalvageShown();
}

// The file shown, read again on past its damaged places and listed with
// what was found there; the notice then counts it.
void WindowFlow::SalvageShown()
{
    std::size_t index = files_.IndexOf(session_.Shown().Path);
    if (index == files_.Size())
        index = entryShown_;
    if (setup_.Access == FileAccess::Front) {
        // Bytes are not kept: the front reads them again.
        opening_ = index;
        salvaging_ = true;
        Read(Purpose::Open, index);
        return;
    }
    (void)session_.Salvage();
    Opened(index);
}

// ---- Questions ----

void WindowFlow::Handle(const action::Answered& answer)
{
    if (answer.Serial != serial_)
        return;
    const Wait asked = waiting_;
    switch (asked) {
    case Wait::ReplaceForChoose:
    case Wait::ReplaceForEntry:
    case Wait::ReplaceForRelist:
    case Wait::ReplaceForHit:
    case Wait::ReplaceForClose:
    case Wait::ReplaceForSalvage:
    case Wait::SaveCutQuestion:
    case Wait::SaveAllQuestion:
        waiting_ = Wait::Nothing;
        break;
    default:
        return;
    }
    const bool yes = answer.Answer == Reply::Yes;
    std::u16string held = std::move(heldPane_);
    heldPane_.clear();
    switch (asked) {
    case Wait::ReplaceForChoose:
        if (!yes)
            return;
        if (sourcesGiven_)
            return TakeFiles(FileList(std::move(sources_)), sourcesTag_);
        if (setup_.Access == FileAccess::Front)
            return TakeFiles(FileList(SourcesOf(paths_)));
        return TakeFiles(FileList::Chosen(paths_, walkFolders_));
    case Wait::ReplaceForEntry:
        if (yes)
            return OpenEntry(entryAsked_);
        // The list shows again the file the pane shows.
        return Show(Part::Selection);
    case Wait::ReplaceForRelist:
        if (yes)
            return ApplyOption(optionAsked_, checkedAsked_);
        return Show(Part::Boxes);
    case Wait::ReplaceForHit:
        if (yes)
            return OpenHit(hitAsked_);
        return;
    case Wait::ReplaceForClose:
        if (answer.Answer == Reply::DontSave)
            return CloseNow();
        if (answer.Answer == Reply::Save) {
            // Saved as テキスト出力 saves; the window closes once it is written.
            closeAfterSave_ = true;
            return Save(held);
        }
        return;
    case Wait::ReplaceForSalvage:
        if (yes)
            return SalvageShown();
        return;
    case Wait::SaveCutQuestion:
        if (answer.Answer == Reply::SaveEdits)
            return SavePane(held);
        if (answer.Answer == Reply::SaveWhole)
            return SaveWhole();
        return SaveEnded(false);
    case Wait::SaveAllQuestion:
        if (yes)
            return StartSaveAll();
        // Declined: nothing was written and the list says what it said.
        batch_.reset();
        return;
    default:
        return;
    }
}

// ---- Saving the pane ----

void WindowFlow::Handle(const action::SaveClicked& save)
{
    if (Waiting())
        return;
    if (session_.Chosen().Path.empty()) {
        return NothingToSave();
    }
    if (filling_) {
        Emit(effect::Beep{});
        SetStatus(StillFillingStatus());
        statusTaken_ = true;
        return;
    }
    Save(save.PaneText);
}

// A pane cut at its limit is not the listing: untouched, the whole listing
// is saved, as the user asked for it; with edits, the user says which.
void WindowFlow::Save(std::u16string_view paneText)
{
    if (!PaneCut())
        return SavePane(paneText);
    if (!HoldsEdits())
        return SaveWhole();
    heldPane_.assign(paneText);
    waiting_ = Wait::SaveCutQuestion;
    Emit(effect::Ask{++serial_, Question::SaveCut, SaveCutQuestion(), {Reply::SaveEdits, Reply::SaveWhole, Reply::Cancel},
                     Reply::SaveEdits, Reply::Cancel});
}

void WindowFlow::SavePane(std::u16string_view paneText)
{
    // Characters that Shift-JIS lacks are found before the user is asked for
    // a name.
    SavedText content = session_.PaneToBytes(paneText);
    if (!content.Unencodable.empty()) {
        Emit(effect::Tell{MessageKind::Warning, Text(WindowText::WarningCaption),
                          UnencodableMessage(content.Unencodable)});
        return SaveEnded(false);
    }
    ChooseTarget(std::move(content));
}

void WindowFlow::SaveWhole()
{
    SavedText whole;
    EncodedSink sink(
        [&whole](std::string_view bytes) {
            whole.Bytes.append(bytes);
            return 0;
        },
        false);
    (void)session_.List(PaneOptions(), sink);
    (void)sink.Finish();  // into memory: never fails
    whole.Lines = sink.Lines();
    ChooseTarget(std::move(whole));
    // Edits the whole listing leaves out are still the pane's alone.
    savingPane_ = !HoldsEdits();
}

void WindowFlow::ChooseTarget(SavedText content)
{
    pendingSave_ = std::move(content);
    savingPane_ = true;
    const fs::path proposal = session_.ProposedSavePath();
    waiting_ = Wait::SaveDialog;
    Emit(effect::ChooseSaveTarget{proposal.parent_path(), proposal.filename()});
}

// A save asked for by closing closes the window once written; otherwise
// the window stays.
void WindowFlow::SaveEnded(bool saved)
{
    const bool close = closeAfterSave_ && saved;
    closeAfterSave_ = false;
    if (close)
        CloseNow();
}

void WindowFlow::Handle(const action::SaveTargetChosen& target)
{
    if (waiting_ == Wait::TableDialog) {
        waiting_ = Wait::Nothing;
        if (!target.Path.empty())
            StartTable(target.Path);
        return;
    }
    if (waiting_ != Wait::SaveDialog)
        return;
    waiting_ = Wait::Nothing;
    if (target.Path.empty()) {
        pendingSave_ = {};
        return SaveEnded(false);
    }
    WriteSave(target.Path);
}

void WindowFlow::WriteSave(const fs::path& target)
{
    if (setup_.Access == FileAccess::Front) {
        waiting_ = Wait::SaveWritten;
        chosenTarget_ = target;
        Write(Purpose::Save, 0, target, pendingSave_.Bytes);
        return;
    }
    // The new file replaces an existing one only once it is complete, so a
    // failed save never destroys what the user chose to overwrite.
    const int error = SaveBytes(target, pendingSave_.Bytes);
    SaveWritten(target, error == 0 ? std::string() : WritingErrorText(error));
}

void WindowFlow::SaveWritten(const fs::path& target, const std::string& failure, bool downloaded)
{
    const std::size_t lines = pendingSave_.Lines;
    pendingSave_ = {};
    if (!failure.empty()) {
        Emit(effect::Tell{MessageKind::Error, std::string(kApplicationTitle),
                          SaveFailedMessage(PathUtf8(target), failure)});
        return SaveEnded(false);
    }
    // What is saved is no longer lost when the pane is listed again or the
    // window closed.
    if (savingPane_) {
        edits_ = false;
        Emit(effect::MarkPaneUnmodified{});
    }
    SetStatus(downloaded ? DownloadStatus(PathUtf8(target), lines) : SavedStatus(PathUtf8(target), lines));
    SaveEnded(true);
}

// No file was chosen yet: nothing a save could write.
void WindowFlow::NothingToSave()
{
    Emit(effect::Beep{});
    Emit(effect::Focus{Control::OpenButton});
    SetStatus(NoFileToSaveStatus());
}

// ---- すべて出力 ----

void WindowFlow::Handle(const action::SaveAllClicked&)
{
    if (batch_ || table_ || Waiting())
        return;
    if (files_.Empty()) {
        return NothingToSave();
    }
    // What the list shows: the rows the filter hides are left out.
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < files_.Size(); ++i)
        if (!RowHidden(i))
            shown.push_back(i);
    if (shown.empty()) {
        Emit(effect::Beep{});
        SetStatus(NothingShownStatus());
        return;
    }
    batch_ = std::make_unique<BatchSave>(files_, options_, std::move(shown));
    place_ = SaveAllPlace::Beside;
    placeName_.clear();
    if (setup_.Access == FileAccess::Front) {
        std::vector<fs::path> targets;
        for (const std::size_t i : batch_->Order())
            if (const Target& target = batch_->Targets()[i]; !target.Path.empty())
                targets.push_back(target.Path);
        waiting_ = Wait::ExistingCounted;
        Emit(effect::CountExisting{std::move(targets)});
        return;
    }
    AskSaveAll(batch_->ExistingTargets());
}

void WindowFlow::Handle(const action::ExistingCounted& counted)
{
    if (waiting_ != Wait::ExistingCounted || !batch_)
        return;
    waiting_ = Wait::Nothing;
    if (counted.Cancelled) {
        // The user declined to pick where the listings go: nothing changes.
        batch_.reset();
        return;
    }
    place_ = counted.Place;
    placeName_ = counted.PlaceName;
    AskSaveAll(counted.Count);
}

void WindowFlow::AskSaveAll(std::size_t existing)
{
    // One question, before anything is written: files that would be
    // replaced, and edits in the pane that fresh listings leave out.
    std::string question = SaveAllQuestion(existing, batch_->Count(), HoldsEdits(), files_.Size() - batch_->Count());
    if (question.empty())
        return StartSaveAll();
    Ask(Question::SaveAll, std::move(question), Wait::SaveAllQuestion);
}

void WindowFlow::StartSaveAll()
{
    batch_->Begin();
    batchRunning_ = true;
    // Every row forgets what an earlier batch saved.
    Show(Part::List | Part::Progress);
    SetStatus(SaveAllProgressStatus(0, batch_->Count(), files_[batch_->Next()].Where.Path));
    statusTaken_ = filling_;
    Start(Timer::SaveAllStep, 0);
}

// One file per tick: the window answers, and 中止 is heard, between two.
void WindowFlow::SaveAllStep()
{
    if (table_)
        return TableStep();
    if (!batch_ || batchReading_)
        return;
    if (batch_->Finished())
        return FinishSaveAll();
    if (setup_.Access == FileAccess::Front) {
        batchReading_ = true;
        Stop(Timer::SaveAllStep);
        Read(Purpose::SaveAll, batch_->Next());
        return;
    }
    SaveAllStepDone(batch_->SaveNext());
}

void WindowFlow::SaveAllStepDone(std::size_t index)
{
    Emit(effect::RefreshEntry{index});
    Show(Part::Progress);
    if (batch_->Finished())
        return FinishSaveAll();
    SetStatus(SaveAllProgressStatus(batch_->Position(), batch_->Count(), files_[batch_->Next()].Where.Path));
    if (setup_.Access == FileAccess::Front)
        Start(Timer::SaveAllStep, 0);
}

void WindowFlow::Handle(const action::StopClicked&)
{
    if (table_)
        return StopTable();
    if (!batchRunning_)
        return;
    // The file being saved is complete: every step saves one whole file.
    batch_->Stop();
    if (!batchReading_)
        FinishSaveAll();
}

void WindowFlow::FinishSaveAll()
{
    Stop(Timer::SaveAllStep);
    const BatchSummary summary = batch_->Summary();
    batch_.reset();
    batchRunning_ = false;
    batchReading_ = false;
    Show(Part::Progress);
    // The page says where the listings went; a zip file is handed over only
    // when something was written into it.
    if (place_ == SaveAllPlace::Folder)
        SetStatus(SaveAllFolderStatus(summary, placeName_));
    else if (place_ == SaveAllPlace::Archive && summary.Saved + summary.SavedInPart > 0)
        SetStatus(SaveAllDownloadStatus(summary, placeName_));
    else
        SetStatus(SaveAllSummary(summary));
    statusTaken_ = filling_;
}

// ---- Find and the filter ----

void WindowFlow::Handle(const action::Find& find)
{
    if (find.Needle.empty()) {
        if (find.AsTyped) {
            Emit(effect::SelectInPane{find.From, 0});
            SayAside({});
        }
        return;
    }
    lastQuery_ = find.Needle;
    const std::optional<TextMatch> match = FindInText(find.PaneText, find.Needle, find.From, find.Direction);
    // Going round the end of a pane that holds part of the listing passes
    // over the rest: the notice says where the next match is.
    std::optional<std::size_t> beyond;
    if (PaneCut() && (!match || match->Wrapped))
        beyond = LineHolding(session_, PaneOptions(), find.Needle, session_.Pane().LineCount());
    findBeyond_ = beyond ? BeyondPaneNotice(TypedUtf8(find.Needle), *beyond + 1, session_.Pane().LineCount())
                         : std::string();
    ShowNotice();
    if (!match) {
        Emit(effect::Beep{});
        SayAside(beyond ? std::string() : NotFoundStatus(TypedUtf8(find.Needle)));
        return;
    }
    Emit(effect::SelectInPane{match->Position, match->Length});
    SayAside(match->Wrapped ? WrappedStatus(find.Direction) : std::string());
}

void WindowFlow::Handle(const action::FilterTyped& typed)
{
    filterText_ = typed.Text;
    // What was being looked for is no longer wanted: its workers stop now,
    // and the files are searched again once the user stops typing.
    hits_.Stop();
    Stop(Timer::FilterStep);
    firstHitWanted_ = false;
    Start(Timer::FilterTyping, kFilterTypingPauseMs);
}

void WindowFlow::StartFilter()
{
    Stop(Timer::FilterTyping);
    Stop(Timer::FilterStep);
    firstHitWanted_ = false;
    const bool parallel = setup_.Access == FileAccess::Core;
    hits_.Start(files_, filterText_, options_, parallel);
    Show(Part::Hits);
    if (!hits_.Running()) {
        hidden_.assign(files_.Size(), false);
        Show(Part::List);
        ShowNotice();
        return;
    }
    SayAside(SearchingStatus(TypedUtf8(filterText_), 0, files_.Size(), 0));
    if (parallel)
        Start(Timer::FilterStep, kSearchTakeMs);
    else if (!filterReading_)
        Start(Timer::FilterStep, 0);
}

// Where the flow reads the files, what the workers found since the last
// tick; else the next file for the front to read.
void WindowFlow::FilterStep()
{
    if (!hits_.Running()) {
        Stop(Timer::FilterStep);
        return;
    }
    if (setup_.Access == FileAccess::Core) {
        // The first hits end the tick, so that the window shows them at
        // once; the files after them come with the next ticks.
        const bool firstHits = hits_.Hits().empty();
        for (std::size_t taken = 0; taken < kMostFilesPerTake;) {
            const std::vector<SearchedFile> ready = hits_.TakeReady(kFilesPerTake);
            for (const SearchedFile& file : ready)
                Searched(file);
            taken += ready.size();
            if (ready.size() < kFilesPerTake || (firstHits && !hits_.Hits().empty()))
                break;
        }
        return SearchProgressed();
    }
    const std::optional<std::size_t> next = hits_.NextToRead();
    if (!next) {
        Stop(Timer::FilterStep);
        return;
    }
    const ListedFile& file = files_[*next];
    if (!file.Where.WalkProblem.empty()) {
        SearchedFile unread;
        unread.Index = *next;
        unread.Opened = NotWalked(file.Where);
        Searched(unread);
        return SearchProgressed();
    }
    filterReading_ = true;
    readForSearch_ = hits_.Number();
    Stop(Timer::FilterStep);
    Read(Purpose::Filter, *next);
}

void WindowFlow::Searched(const SearchedFile& file)
{
    if (file.Index >= files_.Size())
        return;
    files_.Record(file.Index, file.Opened);
    hits_.Take(file);
    hidden_[file.Index] = file.Hits == 0;
    Emit(effect::RefreshEntry{file.Index});
    if (file.Index == entryShown_)
        ShowNotice();
}

void WindowFlow::SearchProgressed()
{
    Show(Part::Hits);
    const SearchProgress progress = hits_.Progress();
    const std::string needle = TypedUtf8(hits_.Needle());
    if (progress.Running) {
        SayAside(SearchingStatus(needle, progress.Done, progress.Count, progress.Hits));
        if (setup_.Access == FileAccess::Front && !filterReading_ && !TimerRunning(Timer::FilterStep))
            Start(Timer::FilterStep, 0);
    } else {
        Stop(Timer::FilterStep);
        SayAside(SearchedStatus(needle, progress.Holding, progress.Count, progress.Hits, progress.Kept));
    }
    // Last: choosing the hit may ask about the pane's edits.
    if (!firstHitWanted_)
        return;
    if (!hits_.Hits().empty()) {
        firstHitWanted_ = false;
        ChooseHit(hits_.Hits().front(), {});
    } else if (!progress.Running) {
        firstHitWanted_ = false;
        Emit(effect::Beep{});
    }
}

void WindowFlow::Handle(const action::StopSearchClicked&)
{
    if (!hits_.Running())
        return;
    hits_.Stop();
    Stop(Timer::FilterStep);
    firstHitWanted_ = false;
    // The files not searched may hold the text: they are shown again.
    const SearchProgress progress = hits_.Progress();
    for (std::size_t i = progress.Done; i < hidden_.size(); ++i) {
        if (hidden_[i]) {
            hidden_[i] = false;
            Emit(effect::RefreshEntry{i});
        }
    }
    ShowNotice();
    Show(Part::Hits);
    SayAside(SearchStoppedStatus(TypedUtf8(hits_.Needle()), progress.Done, progress.Count, progress.Hits,
                                 progress.Kept));
}

// ---- The hits ----

void WindowFlow::Handle(const action::FilterEntered& entered)
{
    if (Waiting())
        return;
    if (TimerRunning(Timer::FilterTyping))
        StartFilter();
    if (!hits_.Hits().empty())
        return ChooseHit(hits_.Hits().front(), entered.PaneText);
    if (hits_.Running()) {
        firstHitWanted_ = true;
        return;
    }
    Emit(effect::Beep{});
}

void WindowFlow::Handle(const action::HitChosen& chosen)
{
    if (chosen.Index >= hits_.Hits().size() || Waiting())
        return;
    ChooseHit(hits_.Hits()[chosen.Index], chosen.PaneText);
}

// `paneText`: the pane as it is now, when the front gave it; where the
// pane holds edits, the line is looked for in them.
void WindowFlow::ChooseHit(const Hit& hit, std::u16string_view paneText)
{
    const fs::path& path = files_[hit.Entry].Where.Path;
    if (session_.HasListing() && session_.Shown().Path == path) {
        if (entryShown_ != hit.Entry || chosenPath_ != path) {
            entryShown_ = hit.Entry;
            chosenPath_ = path;
            Show(Part::Selection | Part::PathField);
        }
        pendingHit_ = hit;
        if (HoldsEdits() && !paneText.empty()) {
            pendingHit_.reset();
            return SelectHit(hit, paneText);
        }
        return SelectPendingHit();
    }
    if (HoldsEdits()) {
        hitAsked_ = hit;
        return Ask(Question::EditsLostOpen, EditsLostQuestion(EditsAt::Open), Wait::ReplaceForHit);
    }
    OpenHit(hit);
}

void WindowFlow::OpenHit(const Hit& hit)
{
    if (hit.Entry >= files_.Size())
        return;
    pendingHit_ = hit;
    // The file's bytes come later where the front reads them: the line is
    // selected once it is listed (Opened).
    OpenEntry(hit.Entry);
}

// Once the line is in the pane; a fill still running selects it when it
// gets there.
void WindowFlow::SelectPendingHit()
{
    if (!pendingHit_)
        return;
    if (!session_.HasListing() || session_.Shown().Path != files_[pendingHit_->Entry].Where.Path) {
        pendingHit_.reset();
        return;
    }
    if (filling_ && pacing_.LinesShown() < pendingHit_->Line)
        return;
    const Hit hit = std::move(*pendingHit_);
    pendingHit_.reset();
    SelectHit(hit, PaneText());
}

void WindowFlow::SelectHit(const Hit& hit, std::u16string_view paneText)
{
    const std::optional<std::size_t> start = LineStart(paneText, hit.Line - 1);
    if (!start) {
        // Past the lines a cut pane holds: the notice says where it is.
        Emit(effect::Beep{});
        if (PaneCut()) {
            findBeyond_ = BeyondPaneNotice(TypedUtf8(hits_.Needle()), hit.Line, session_.Pane().LineCount());
            ShowNotice();
        }
        return;
    }
    std::size_t end = paneText.find(u'\n', *start);
    if (end == std::u16string_view::npos)
        end = paneText.size();
    const std::u16string_view line = paneText.substr(*start, end - *start);
    const std::u16string_view match = std::u16string_view(hit.Text).substr(hit.Position, hit.Length);
    if (line.substr(hit.Position, hit.Length) == match)
        return Emit(effect::SelectInPane{*start + hit.Position, hit.Length});
    // The user edited the line: the text where it is now, else the line's start.
    const std::optional<TextMatch> found = FindInText(line, hits_.Needle(), 0, FindDirection::Forward);
    if (found)
        return Emit(effect::SelectInPane{*start + found->Position, found->Length});
    Emit(effect::SelectInPane{*start, 0});
}

// ---- The table of every line ----

void WindowFlow::Handle(const action::SaveTableClicked&)
{
    if (batch_ || table_ || Waiting())
        return;
    if (files_.Empty()) {
        return NothingToSave();
    }
    const fs::path proposal = TableProposal(files_[0].Where);
    waiting_ = Wait::TableDialog;
    Emit(effect::ChooseSaveTarget{proposal.parent_path(), proposal.filename(), SaveKind::Table});
}

void WindowFlow::StartTable(const fs::path& target)
{
    table_ = std::make_unique<TableExport>(files_, options_, target, setup_.Access == FileAccess::Front);
    if (const int error = table_->Error(); error != 0) {
        table_.reset();
        Emit(effect::Tell{MessageKind::Error, std::string(kApplicationTitle),
                          SaveFailedMessage(PathUtf8(target), WritingErrorText(error))});
        return;
    }
    Show(Part::Progress);
    SetStatus(TableProgressStatus(0, table_->Count(), table_->Files()[0].Path));
    statusTaken_ = filling_;
    Start(Timer::SaveAllStep, 0);
}

// One file per tick: the window answers, and 中止 is heard, between two.
void WindowFlow::TableStep()
{
    if (tableReading_ || tableWriting_)
        return;
    if (table_->Finished())
        return FinishTable();
    if (setup_.Access == FileAccess::Front) {
        const std::size_t i = table_->Position();
        tableReading_ = true;
        Stop(Timer::SaveAllStep);
        Read(Purpose::Table, i);
        return;
    }
    table_->AddNext();
    TableStepDone();
}

void WindowFlow::TableStepDone()
{
    Show(Part::Progress);
    if (table_->Finished())
        return FinishTable();
    SetStatus(TableProgressStatus(table_->Position(), table_->Count(), table_->Files()[table_->Position()].Path));
    if (setup_.Access == FileAccess::Front)
        Start(Timer::SaveAllStep, 0);
}

void WindowFlow::FinishTable()
{
    Stop(Timer::SaveAllStep);
    const int error = table_->Commit();
    if (error == 0 && setup_.Access == FileAccess::Front) {
        tableWriting_ = true;
        Write(Purpose::Table, 0, table_->Target(), table_->TakeBytes());
        return;
    }
    TableWritten(error == 0 ? std::string() : WritingErrorText(error));
}

void WindowFlow::TableWritten(const std::string& failure, bool downloaded)
{
    const std::unique_ptr<TableExport> table = std::move(table_);
    tableWriting_ = false;
    Show(Part::Progress);
    if (!failure.empty()) {
        SetStatus(TableStoppedStatus());
        Emit(effect::Tell{MessageKind::Error, std::string(kApplicationTitle),
                          SaveFailedMessage(PathUtf8(table->Target()), failure)});
    } else if (downloaded) {
        // Where it lands, and under which name, is the browser's to say.
        SetStatus(DownloadStatus(PathUtf8(table->Target()), table->Lines()));
    } else {
        SetStatus(TableSavedStatus(PathUtf8(table->Target()), table->Count(), table->Lines()));
    }
    statusTaken_ = filling_;
}

void WindowFlow::StopTable()
{
    // Once handed to the front to write, the table is the front's.
    if (tableWriting_)
        return;
    Stop(Timer::SaveAllStep);
    table_.reset();  // the pending file goes; nothing is replaced
    tableReading_ = false;
    Show(Part::Progress);
    SetStatus(TableStoppedStatus());
    statusTaken_ = filling_;
}

// ---- Timers and the front's files ----

void WindowFlow::Handle(const action::TimerFired& fired)
{
    if (!TimerRunning(fired.Which))
        return;
    switch (fired.Which) {
    case Timer::PaneFill:
        return FillStep(fired.LastPieceNanoseconds);
    case Timer::FilterTyping:
        return StartFilter();
    case Timer::FilterStep:
        return FilterStep();
    case Timer::SaveAllStep:
        return SaveAllStep();
    }
}

void WindowFlow::Handle(const action::FileRead& read)
{
    if (!Expect(read.For, read.Serial) || read.Index >= files_.Size())
        return;
    switch (read.For) {
    case Purpose::Open:
        if (opening_ != read.Index)
            return;
        opening_.reset();
        if (read.Failure.empty())
            (void)session_.OpenBytes(read.Bytes, files_[read.Index].Where.Path,
                                     std::exchange(salvaging_, false) ? ReadMode::Salvage : ReadMode::Ordinary);
        else
            (void)session_.NotRead(files_[read.Index].Where.Path, read.Failure);
        return Opened(read.Index);
    case Purpose::Filter: {
        if (!filterReading_)
            return;
        filterReading_ = false;
        if (readForSearch_ != hits_.Number() || hits_.NextToRead() != read.Index) {
            // The search started again meanwhile, or was stopped.
            if (hits_.NextToRead() && !TimerRunning(Timer::FilterStep))
                Start(Timer::FilterStep, 0);
            return;
        }
        Searched(hits_.SearchBytes(read.Index, read.Bytes, files_[read.Index].Where.Path, read.Failure));
        return SearchProgressed();
    }
    case Purpose::Table:
        if (!table_ || !tableReading_ || read.Index != table_->Position())
            return;
        tableReading_ = false;
        table_->AddNext(read.Bytes, read.Failure);
        return TableStepDone();
    case Purpose::SaveAll: {
        if (!batch_ || !batchReading_ || read.Index != batch_->Next())
            return;
        if (!read.Failure.empty()) {
            batchReading_ = false;
            return SaveAllStepDone(batch_->NotRead(UnreadFile(files_[read.Index].Where.Path, read.Failure)));
        }
        std::string listing;
        const std::size_t i = batch_->ListNext(read.Bytes, listing);
        if (files_[i].State == FileState::NotRecognised) {
            batchReading_ = false;
            return SaveAllStepDone(i);
        }
        Write(Purpose::SaveAll, i, batch_->Targets()[i].Path, std::move(listing));
        return;
    }
    case Purpose::Save:
        return;
    }
}

void WindowFlow::Handle(const action::FileWritten& written)
{
    if (!Expect(written.For, written.Serial))
        return;
    switch (written.For) {
    case Purpose::Save:
        if (waiting_ != Wait::SaveWritten)
            return;
        waiting_ = Wait::Nothing;
        return SaveWritten(chosenTarget_, written.Failure, written.Downloaded);
    case Purpose::SaveAll:
        if (!batch_ || !batchReading_)
            return;
        batchReading_ = false;
        if (!written.Failure.empty())
            batch_->NotWritten(written.Index, written.Failure);
        return SaveAllStepDone(written.Index);
    case Purpose::Table:
        if (table_ && tableWriting_)
            TableWritten(written.Failure, written.Downloaded);
        return;
    case Purpose::Open:
    case Purpose::Filter:
        return;
    }
}

// ---- Closing ----

void WindowFlow::Handle(const action::CloseRequested& close)
{
    if (Waiting())
        return;
    if (HoldsEdits()) {
        heldPane_.assign(close.PaneText);
        waiting_ = Wait::ReplaceForClose;
        Emit(effect::Ask{++serial_, Question::EditsLostClose, EditsLostQuestion(EditsAt::SaveBeforeClose),
                         {Reply::Save, Reply::DontSave, Reply::Cancel}, Reply::Save, Reply::Cancel});
        return;
    }
    CloseNow();
}

void WindowFlow::CloseNow()
{
    if (batch_ && batchRunning_) {
        batch_->Stop();
        FinishSaveAll();
    }
    if (table_ && !tableWriting_)
        StopTable();
    hits_.Stop();
    for (std::size_t t = 0; t < kTimerCount; ++t)
        Stop(static_cast<Timer>(t));
    filling_ = false;
    session_.Close();
    Emit(effect::Close{});
}

}  // namespace vaveze::window
