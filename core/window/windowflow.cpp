// The window flow: every action in, the effects out.
#include "core/window/windowflow.h"

#include <new>
#include <utility>

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
        sources.push_back({path, path, 0, {}});
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
    case Reply::Cancel:
        break;
    }
    return Text(WindowText::Cancel);
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
    entryShown_ = index;
    chosenPath_ = files_[index].Where.Path;
    Show(Part::Selection | Part::PathField);
    if (setup_.Access == FileAccess::Front) {
        opening_ = index;
        Emit(effect::ReadFile{Purpose::Open, index, chosenPath_});
        return;
    }
    (void)session_.Open(chosenPath_);
    Opened(index);
}

void WindowFlow::Opened(std::size_t index)
{
    const OpenResult& opened = session_.Chosen();
    files_.Record(index, opened);
    Emit(effect::RefreshEntry{index});
    ShowNotice();
    if (opened.Listed()) {
        ShowListing();
    } else {
        // The pane keeps what it shows (the user may have typed into it);
        // the status line and the notice say so, and a fill still running
        // goes on.
        SetStatus(NotListedStatus(opened, session_.Shown()));
        statusTaken_ = filling_;
    }
    // After the status line, so that it already says why while the box is up.
    if (opened.Warning != WarningKind::None)
        Emit(effect::Tell{MessageKind::Warning, Text(WindowText::WarningCaption), std::string(WarningText(opened.Warning))});
}

void WindowFlow::ShowNotice()
{
    notice_ = PaneNotice(session_.Chosen(), session_.Shown());
    Show(Part::Notice);
}

// ---- The pane ----

void WindowFlow::ShowListing()
{
    if (!session_.HasListing())
        return;
    const PaneListing& listing = session_.ListForPane(options_, setup_.PaneCharacterLimit);
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
    case Wait::SaveAllQuestion:
        waiting_ = Wait::Nothing;
        break;
    default:
        return;
    }
    const bool yes = answer.Answer == Reply::Yes;
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
        if (yes)
            CloseNow();
        return;
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
    // Characters that Shift-JIS lacks are found before the user is asked for
    // a name.
    SavedText content = session_.PaneToBytes(save.PaneText);
    if (!content.Unencodable.empty()) {
        Emit(effect::Tell{MessageKind::Warning, Text(WindowText::WarningCaption),
                          UnencodableMessage(content.Unencodable)});
        return;
    }
    pendingSave_ = std::move(content);
    const fs::path proposal = session_.ProposedSavePath();
    waiting_ = Wait::SaveDialog;
    Emit(effect::ChooseSaveTarget{proposal.parent_path(), proposal.filename()});
}

void WindowFlow::Handle(const action::SaveTargetChosen& target)
{
    if (waiting_ != Wait::SaveDialog)
        return;
    waiting_ = Wait::Nothing;
    if (target.Path.empty()) {
        pendingSave_ = {};
        return;
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
        return;
    }
    // What is saved is no longer lost when the pane is listed again or the
    // window closed.
    edits_ = false;
    Emit(effect::MarkPaneUnmodified{});
    SetStatus(SavedStatus(PathUtf8(target), lines));
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
    batch_ = std::make_unique<BatchSave>(files_, options_);
    if (setup_.Access == FileAccess::Front) {
        std::vector<fs::path> targets;
        for (const Target& target : batch_->Targets())
            if (!target.Path.empty())
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
    std::string question = SaveAllQuestion(existing, batch_->Count(), HoldsEdits());
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
    SetStatus(SaveAllProgressStatus(0, batch_->Count(), files_[0].Where.Path));
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
        const std::size_t i = batch_->Position();
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
    SetStatus(SaveAllProgressStatus(batch_->Position(), batch_->Count(), files_[batch_->Position()].Where.Path));
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
    const std::optional<TextMatch> match = FindInText(find.PaneText, find.Needle, find.From, find.Direction);
    if (!match) {
        Emit(effect::Beep{});
        SayAside(NotFoundStatus(TypedUtf8(find.Needle)));
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
        return FilterStepDone(i, ListingHolds(session_, options_, filterNeedle_));
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
            (void)session_.OpenBytes(read.Bytes, files_[read.Index].Where.Path);
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
        if (!batch_ || !batchReading_ || read.Index != batch_->Position())
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

void WindowFlow::Handle(const action::CloseRequested&)
{
    if (Waiting())
        return;
    if (HoldsEdits())
        return Ask(Question::EditsLostClose, EditsLostQuestion(EditsAt::Close), Wait::ReplaceForClose);
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
