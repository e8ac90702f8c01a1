// The window flow: every action in, the effects out.
#include "core/window/windowflow.h"

#include <new>
#include <utility>

#include "core/listing/encoded.h"
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
    return !Waiting() && !filterReading_ && !batchReading_ && !opening_;
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

// ---- Opening files ----

void WindowFlow::Handle(const action::OpenClicked&)
{
    // Ctrl+O too: the list is the batch's while every listing is saved.
    if (batchRunning_ || Waiting())
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
    if (chosen.Paths.empty() || batchRunning_ || Waiting())
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
    if (dropped.Paths.empty() || batchRunning_ || Waiting())
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
    if (batchRunning_ || Waiting())
        return;
    if (given.Sources.empty())
        return TakeFiles(FileList());  // folders without a drawing
    sources_ = given.Sources;
    sourcesGiven_ = true;
    if (HoldsEdits())
        return Ask(Question::EditsLostOpen, EditsLostQuestion(EditsAt::Open), Wait::ReplaceForChoose);
    TakeFiles(FileList(std::move(sources_)));
}

void WindowFlow::TakeFiles(FileList files)
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
    hidden_.assign(files_.Size(), false);
    filterText_.clear();
    filterNext_ = filterCount_ = 0;
    filterReading_ = false;
    Show(Part::List);
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
        Emit(effect::ReadFile{Purpose::Open, index, chosenPath_});
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
    } else {
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
    const PaneListing& listing = session_.ListForPane(options, setup_.PaneCharacterLimit);
    salvagedLines_ = options.Salvage ? session_.SalvagedLines(options) : 0;
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
        return;
    }
    if (!statusTaken_)
        SetStatus(FillingStatus(session_.Shown(), pacing_.LinesShown(), pacing_.LineCount()));
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
        Emit(effect::ReadFile{Purpose::Open, index, session_.Shown().Path});
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
            return TakeFiles(FileList(std::move(sources_)));
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
        Emit(effect::Beep{});
        Emit(effect::Focus{Control::OpenButton});
        SetStatus(NoFileToSaveStatus());
        return;
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
        Emit(effect::WriteFile{Purpose::Save, 0, target, pendingSave_.Bytes});
        return;
    }
    // The new file replaces an existing one only once it is complete, so a
    // failed save never destroys what the user chose to overwrite.
    const int error = SaveBytes(target, pendingSave_.Bytes);
    SaveWritten(target, error == 0 ? std::string() : WritingErrorText(error));
}

void WindowFlow::SaveWritten(const fs::path& target, const std::string& failure)
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
    SetStatus(SavedStatus(PathUtf8(target), lines));
    SaveEnded(true);
}

// ---- すべて出力 ----

void WindowFlow::Handle(const action::SaveAllClicked&)
{
    if (batch_ || Waiting())
        return;
    if (files_.Empty()) {
        Emit(effect::Beep{});
        Emit(effect::Focus{Control::OpenButton});
        SetStatus(NoFileToSaveStatus());
        return;
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
    if (!batch_ || batchReading_)
        return;
    if (batch_->Finished())
        return FinishSaveAll();
    if (setup_.Access == FileAccess::Front) {
        const std::size_t i = batch_->Next();
        batchReading_ = true;
        Stop(Timer::SaveAllStep);
        Emit(effect::ReadFile{Purpose::SaveAll, i, files_[i].Where.Path});
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
    // The files are read once the user stops typing.
    Start(Timer::FilterTyping, kFilterTypingPauseMs);
}

void WindowFlow::StartFilter()
{
    Stop(Timer::FilterTyping);
    Stop(Timer::FilterStep);
    filterNeedle_ = filterText_;
    filterHolding_ = 0;
    filterNext_ = 0;
    filterCount_ = filterNeedle_.empty() ? 0 : files_.Size();
    if (filterCount_ == 0) {
        hidden_.assign(files_.Size(), false);
        Show(Part::List);
        ShowNotice();
        return;
    }
    if (!filterReading_)
        Start(Timer::FilterStep, 0);
}

// One file per tick: the window answers while the files are read.
void WindowFlow::FilterStep()
{
    if (filterNext_ >= filterCount_ || filterCount_ != files_.Size()) {
        Stop(Timer::FilterStep);
        return;
    }
    const std::size_t i = filterNext_++;
    const ListedFile& file = files_[i];
    if (session_.HasListing() && session_.Shown().Path == file.Where.Path)
        return FilterStepDone(i, ListingHolds(session_, PaneOptions(), filterNeedle_));
    if (!file.Where.WalkProblem.empty())
        return FilterStepDone(i, false);
    if (setup_.Access == FileAccess::Front) {
        filterReading_ = true;
        Stop(Timer::FilterStep);
        Emit(effect::ReadFile{Purpose::Filter, i, file.Where.Path});
        return;
    }
    bool holds = false;
    try {
        Session scratch;
        files_.Record(i, scratch.Open(file.Where.Path));
        holds = ListingHolds(scratch, options_, filterNeedle_);
    } catch (const std::bad_alloc&) {
        // No memory for this file's listing: it is not shown as holding the text.
    }
    FilterStepDone(i, holds);
}

void WindowFlow::FilterStepDone(std::size_t index, bool holds)
{
    filterHolding_ += holds ? 1 : 0;
    if (index < hidden_.size())
        hidden_[index] = !holds;
    Emit(effect::RefreshEntry{index});
    if (index == entryShown_)
        ShowNotice();
    const std::string needle = TypedUtf8(filterNeedle_);
    if (filterNext_ < filterCount_) {
        SayAside(FilteringStatus(needle, filterNext_, filterCount_));
        if (setup_.Access == FileAccess::Front && !TimerRunning(Timer::FilterStep))
            Start(Timer::FilterStep, 0);
        return;
    }
    Stop(Timer::FilterStep);
    SayAside(FilteredStatus(needle, filterHolding_, filterCount_));
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
        if (read.Index >= files_.Size() || filterCount_ != files_.Size()) {
            // The filter started again meanwhile: read from the start.
            if (filterNext_ < filterCount_)
                Start(Timer::FilterStep, 0);
            return;
        }
        bool holds = false;
        Session scratch;
        const fs::path& path = files_[read.Index].Where.Path;
        files_.Record(read.Index, read.Failure.empty() ? scratch.OpenBytes(read.Bytes, path)
                                                       : scratch.NotRead(path, read.Failure));
        holds = ListingHolds(scratch, options_, filterNeedle_);
        return FilterStepDone(read.Index, holds);
    }
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
        Emit(effect::WriteFile{Purpose::SaveAll, i, batch_->Targets()[i].Path, std::move(listing)});
        return;
    }
    case Purpose::Save:
        return;
    }
}

void WindowFlow::Handle(const action::FileWritten& written)
{
    switch (written.For) {
    case Purpose::Save:
        if (waiting_ != Wait::SaveWritten)
            return;
        waiting_ = Wait::Nothing;
        return SaveWritten(chosenTarget_, written.Failure);
    case Purpose::SaveAll:
        if (!batch_ || !batchReading_)
            return;
        batchReading_ = false;
        if (!written.Failure.empty())
            batch_->NotWritten(written.Index, written.Failure);
        return SaveAllStepDone(written.Index);
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
    for (std::size_t t = 0; t < kTimerCount; ++t)
        Stop(static_cast<Timer>(t));
    filling_ = false;
    session_.Close();
    Emit(effect::Close{});
}

}  // namespace vaveze::window
