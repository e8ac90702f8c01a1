// The window's flow, one for the Qt window, the Windows window and the page:
// a front hands in what the user did and what its dialogs answered
// (Update), carries out the effects it gets back in their order, and renders
// the parts they name from the state read here. Nothing here waits: a
// question or a dialog goes out as an effect and the flow goes on when its
// answer comes in, from a modal dialog's return in the windows or a message
// in the page. Work that takes long (a big listing into the pane, the
// filter, すべて出力) is done a step per timer tick from the front's event
// loop, so the window answers and 中止 is heard between two steps.
//
// The flow owns the session (the file chosen, the parse kept, the pane's
// listing), the file list and its filter, the three options, whether the
// pane holds edits (as the front tells it), the fill's progress, the status
// line and the notice, find, and すべて出力. It makes no system call of its
// own and knows no toolkit; where the front leaves the files to it
// (FileAccess::Core), it reads and writes them through the core's Session
// and SaveBytes, else it asks the front to (ReadFile, WriteFile).
//
// Not thread-safe: a front hands every action in from one thread (its
// event loop's; the page's worker), and results of its own worker threads
// as actions posted there. The one piece of work on other threads is the
// search of the file list where the flow reads the files itself: worker
// threads read and search them (FileSearch) and the flow takes what they
// found on its timer ticks, never waiting for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/session/batchsave.h"
#include "core/session/filelist.h"
#include "core/session/pane.h"
#include "core/session/session.h"
#include "core/window/flowmessages.h"
#include "core/window/hitlist.h"
#include "core/window/panepacing.h"
#include "core/window/tableexport.h"

namespace vaveze::window {

enum class FileAccess : std::uint8_t {
    Core,   // the windows: the flow opens and saves files on this system itself
    Front,  // the page: the front reads and writes them (ReadFile, WriteFile, CountExisting)
};

struct FlowSetup {
    FileAccess Access = FileAccess::Core;
    // Where the first open dialog starts (FirstOpenFolder in startup.h).
    std::filesystem::path FirstOpenFolder;
    // Most characters the pane holds; a test may set fewer.
    std::size_t PaneCharacterLimit = kPaneCharacterLimit;
};

// すべて出力 while it runs: Done of Count files.
struct SaveAllState {
    bool Running = false;
    std::size_t Done = 0;
    std::size_t Count = 0;
};

class WindowFlow {
public:
    explicit WindowFlow(FlowSetup setup = {});
    ~WindowFlow();
    WindowFlow(const WindowFlow&) = delete;
    WindowFlow& operator=(const WindowFlow&) = delete;

    // Takes an action; the effects for the front to carry out, in order.
    // Throws only std::bad_alloc.
    [[nodiscard]] std::vector<Effect> Update(const Action& action);

    // The state a front renders from.
    [[nodiscard]] const ListingOptions& Options() const noexcept { return options_; }
    [[nodiscard]] const std::filesystem::path& ChosenPath() const noexcept { return chosenPath_; }
    [[nodiscard]] const std::string& Status() const noexcept { return status_; }
    // The notice: the file chosen could not be listed, the file shown was
    // read in part (and what a salvage found), the pane holds only part of
    // the listing, a find went past it, the filter hides the file shown;
    // one line each.
    [[nodiscard]] const std::string& Notice() const noexcept { return notice_; }
    // The button the notice offers, shown beside it.
    [[nodiscard]] NoticeOffer Offer() const noexcept;
    [[nodiscard]] const FileList& Files() const noexcept { return files_; }
    // The list shows beside the pane only for several files.
    [[nodiscard]] bool ListShown() const noexcept { return files_.Size() > 1; }
    [[nodiscard]] std::size_t Selected() const noexcept { return entryShown_; }
    [[nodiscard]] bool RowHidden(std::size_t i) const { return i < hidden_.size() && hidden_[i]; }
    [[nodiscard]] const std::u16string& FilterText() const noexcept { return filterText_; }
    // The lines that hold the filter's text, in the list's order, and how
    // far the search has come.
    [[nodiscard]] const std::vector<Hit>& Hits() const noexcept { return hits_.Hits(); }
    [[nodiscard]] SearchProgress HitsProgress() const noexcept { return hits_.Progress(); }
    [[nodiscard]] std::size_t SearchNumber() const noexcept { return hits_.Number(); }
    // The list of hits shows beside the file list while the field holds a
    // text that was searched for.
    [[nodiscard]] bool HitsShown() const noexcept { return ListShown() && !hits_.Needle().empty(); }
    // すべて出力's progress, or the table's while it is written.
    [[nodiscard]] SaveAllState SaveAllProgress() const;
    // すべて出力 or the table runs: the list is theirs, and no file is taken.
    [[nodiscard]] bool SavingAll() const noexcept { return batch_ != nullptr || table_ != nullptr; }
    // A big listing is still going into the pane.
    [[nodiscard]] bool Filling() const noexcept { return filling_; }
    [[nodiscard]] bool HoldsEdits() const noexcept { return edits_ && !filling_; }
    // The listing the pane is filled from (AppendToPane's pieces).
    [[nodiscard]] const std::u16string& PaneText() const noexcept { return session_.Pane().Text(); }
    // The pane holds only the first lines of the listing: the rest passed
    // its limit. Saved untouched, it is saved as the whole listing.
    [[nodiscard]] bool PaneCut() const noexcept { return session_.HasListing() && session_.Pane().Full(); }
    // What the find field holds, selected, when find is opened (Ctrl+F),
    // given the pane's selection: FindFieldStart with the filter's text and
    // the last needle looked for.
    [[nodiscard]] std::u16string_view FindStart(std::u16string_view selection) const noexcept;
    [[nodiscard]] const Session& CurrentSession() const noexcept { return session_; }
    // A question or a dialog waits for its answer.
    [[nodiscard]] bool Waiting() const noexcept { return waiting_ != Wait::Nothing; }
    // The timers running now: work still to come from the event loop.
    [[nodiscard]] bool TimerRunning(Timer timer) const noexcept { return timers_[static_cast<std::size_t>(timer)]; }
    [[nodiscard]] bool Idle() const noexcept;

private:
    // What the flow waits for: the answer to a question or dialog, or
    // bytes (or a write) the front was asked for.
    enum class Wait : std::uint8_t {
        Nothing,
        ReplaceForChoose,  // a question: then take `paths_`
        ReplaceForEntry,   // then open entry `entryAsked_`
        ReplaceForRelist,  // then apply `optionAsked_`
        ReplaceForClose,   // then save the pane (`heldPane_`) and close, or close
        ReplaceForSalvage,
        SaveCutQuestion,   // then save `heldPane_` or the whole listing
        ReplaceForHit,     // then open the file of `hitAsked_`
        SaveAllQuestion,
        OpenDialog,
        SaveDialog,
        TableDialog,
        SaveWritten,     // the front writes the pane's bytes
        ExistingCounted  // the front counts the targets of すべて出力
    };

    void Dispatch(const Action& action);
    void Handle(const action::OpenClicked&);
    void Handle(const action::FilesChosen& chosen);
    void Handle(const action::FilesDropped& dropped);
    void Handle(const action::SourcesGiven& given);
    void Handle(const action::EntryChosen& chosen);
    void Handle(const action::OptionToggled& toggled);
    void Handle(const action::PaneEdited& edited);
    void Handle(const action::SaveClicked& save);
    void Handle(const action::SaveTargetChosen& target);
    void Handle(const action::SaveAllClicked&);
    void Handle(const action::StopClicked&);
    void Handle(const action::Answered& answer);
    void Handle(const action::CloseRequested&);
    void Handle(const action::Find& find);
    void Handle(const action::FilterTyped& typed);
    void Handle(const action::TimerFired& fired);
    void Handle(const action::FileRead& read);
    void Handle(const action::FileWritten& written);
    void Handle(const action::ExistingCounted& counted);
    void Handle(const action::NoticeOfferTaken&);
    void Handle(const action::FilterEntered& entered);
    void Handle(const action::HitChosen& chosen);
    void Handle(const action::StopSearchClicked&);
    void Handle(const action::SaveTableClicked&);

    // Effects, in order; the parts to refresh are gathered and go out
    // before the next effect of another kind, and at the end.
    void Emit(Effect effect);
    void Show(Parts parts) { parts_ |= parts; }
    void FlushParts();
    void Ask(Question what, std::string text, Wait then);
    void SetStatus(std::string text);
    // Find's and the filter's words: an empty one puts back what the line
    // said before them, if it still says what they said.
    void SayAside(std::string text);
    void Start(Timer timer, int milliseconds);
    void Stop(Timer timer);
    // The front reads or writes a file for `purpose`; its answer is taken
    // only while it is the last asked for that purpose (Expect).
    void Read(Purpose purpose, std::size_t index);
    void Write(Purpose purpose, std::size_t index, const std::filesystem::path& path, std::string bytes);
    [[nodiscard]] bool Expect(Purpose purpose, std::uint32_t serial);
    void Forget(Purpose purpose) { awaited_[static_cast<std::size_t>(purpose)] = 0; }

    void TakeFiles(FileList files, std::uint32_t tag = 0);
    void OpenEntry(std::size_t index);
    void Opened(std::size_t index);
    void ShowListing();
    void FillStep(std::int64_t lastPieceNanoseconds);
    void FillDone();
    void NoRoomForListing();
    void NothingToSave();
    void ShowNotice();
    void ApplyOption(Option which, bool checked);
    // The listing's options, and the salvaged lines where the file shown
    // was read on past its damaged places.
    [[nodiscard]] ListingOptions PaneOptions() const;
    void SalvageShown();
    void Save(std::u16string_view paneText);
    void SavePane(std::u16string_view paneText);
    void SaveWhole();
    void ChooseTarget(SavedText content);
    void SaveEnded(bool saved);
    void WriteSave(const std::filesystem::path& target);
    void SaveWritten(const std::filesystem::path& target, const std::string& failure, bool downloaded = false);
    void AskSaveAll(std::size_t existing);
    void StartSaveAll();
    void SaveAllStep();
    void SaveAllStepDone(std::size_t index);
    void FinishSaveAll();
    void StartFilter();
    void FilterStep();
    void Searched(const SearchedFile& file);
    void SearchProgressed();
    void ChooseHit(const Hit& hit, std::u16string_view paneText);
    void OpenHit(const Hit& hit);
    void SelectHit(const Hit& hit, std::u16string_view paneText);
    void SelectPendingHit();
    void StartTable(const std::filesystem::path& target);
    void TableStep();
    void TableStepDone();
    void FinishTable();
    void TableWritten(const std::string& failure, bool downloaded = false);
    void StopTable();
    void CloseNow();

    FlowSetup setup_;
    Session session_;
    FileList files_;
    ListingOptions options_;
    std::filesystem::path chosenPath_;  // the path field: the last file chosen, listed or not
    std::size_t entryShown_ = 0;        // the entry of the file list last opened
    std::optional<std::size_t> opening_;  // the entry whose bytes the front is reading
    bool edits_ = false;

    std::string status_;
    std::string statusBeforeAside_;  // what the line said before find or the filter spoke
    std::string lastAside_;          // what they said last, while the line still says it
    std::string finalStatus_;        // the status once the fill is done
    bool statusTaken_ = false;       // a later message replaced the fill's progress
    std::string notice_;
    std::string findBeyond_;        // the notice's word on a find past what the pane holds
    std::size_t salvagedLines_ = 0;  // what the salvage reading of the file shown found
    bool salvaging_ = false;         // the front reads the file shown again for the salvage
    std::u16string lastQuery_;       // the last needle looked for

    bool filling_ = false;
    PanePacing pacing_;

    std::vector<bool> hidden_;  // rows the filter hides
    std::u16string filterText_;
    HitList hits_;                  // the search of the list for the filter's text
    bool filterReading_ = false;    // waits for the front's bytes
    std::size_t readForSearch_ = 0;  // ... for this search (its SearchNumber)
    bool firstHitWanted_ = false;    // Enter in the field before the first hit came
    std::optional<Hit> pendingHit_;  // to select once its file's line is in the pane
    Hit hitAsked_;

    std::unique_ptr<TableExport> table_;  // the table of every line, while it is written
    bool tableReading_ = false;  // waits for the front's bytes
    bool tableWriting_ = false;  // waits for the front's write

    std::unique_ptr<BatchSave> batch_;  // すべて出力, asked or running
    bool batchRunning_ = false;
    bool batchReading_ = false;  // waits for the front's bytes or write
    SaveAllPlace place_ = SaveAllPlace::Beside;  // where the page puts the listings
    std::string placeName_;

    // The front's reads and writes: the serial of the last one for each
    // purpose (0: none awaited), and the tags of the page's files.
    std::uint32_t fileSerial_ = 0;
    std::uint32_t awaited_[kPurposeCount] = {};
    std::uint32_t listTag_ = 0;     // of the list
    std::uint32_t sourcesTag_ = 0;  // of the files given, while the question about edits waits

    SavedText pendingSave_;  // the pane's bytes between the save dialog and the write
    std::u16string heldPane_;  // the pane's text while a question about saving it is asked
    bool closeAfterSave_ = false;  // the window closes once the save is written
    bool savingPane_ = false;      // what is saved is what the pane holds, edits and all
    std::filesystem::path chosenTarget_;  // where the front writes them

    Wait waiting_ = Wait::Nothing;
    std::uint32_t serial_ = 0;  // of the last question asked
    std::vector<std::filesystem::path> paths_;  // files waiting for the answer about edits
    bool walkFolders_ = false;
    std::vector<Source> sources_;
    bool sourcesGiven_ = false;
    std::size_t entryAsked_ = 0;
    Option optionAsked_ = Option::Header;
    bool checkedAsked_ = false;

    bool timers_[kTimerCount] = {};
    Parts parts_ = 0;
    std::vector<Effect> effects_;
};

}  // namespace vaveze::window
