// The words between the window flow (windowflow.h) and a front: the
// actions a front hands in (what the user did, what a dialog answered, a
// timer that fired, the bytes a front read) and the effects it carries out
// (refresh these parts from the flow's state, ask this, open that dialog,
// fill the pane, start a timer, read or write a file, beep, close). Both are
// closed sets: a front handles every kind, and a new kind is a compile error
// in every front's std::visit until it is handled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/session/find.h"
#include "core/session/walk.h"

namespace vaveze::window {

// The three check boxes.
enum class Option : std::uint8_t { Header, Dimensions, Blocks };

// The answers a question may offer; each front shows them in the order
// given, with the captions ReplyCaption gives.
enum class Reply : std::uint8_t {
    Yes,
    No,
    Cancel,
    Save,       // "保存": closing with edits, save them first
    DontSave,   // "保存しない": close and let them go
    SaveEdits,  // "編集内容を保存": what the pane holds, though only part of the listing
    SaveWhole,  // "全体を保存": the whole listing from the file, without the edits
};

// What is asked, for a front or a test that needs to know more than the text.
enum class Question : std::uint8_t {
    EditsLostRelist,  // a box lists the file again over the pane's edits
    EditsLostOpen,    // another file (or entry of the list) replaces them
    EditsLostClose,   // the window closes with them: save them first?
    SaveAll,          // すべて出力 replaces existing files, leaves the edits out, or the filter hides files
    SaveCut,          // the pane holds part of the listing and edits: which to save
    EditsLostSalvage, // looking for the rest of a damaged file lists it again over the edits
};

// What the button of the notice offers, from the flow's state (NoticeOffer()):
// every front shows the same button with the caption NoticeOfferCaption
// gives, and hands in action::NoticeOfferTaken when it is pressed.
enum class NoticeOffer : std::uint8_t {
    None,
    Salvage,  // "残りも探す": the file shown was read in part; read it on past its damaged places
};

// The flow's timers. Each fires again and again, from the front's event
// loop, until the flow stops it.
enum class Timer : std::uint8_t {
    PaneFill,      // the next piece of a big listing into the pane
    FilterTyping,  // the pause after the last key typed into the filter
    FilterStep,    // the search takes the files its workers searched, or reads the next one
    SaveAllStep,   // すべて出力 saves the next file, or the table takes the next one
};
inline constexpr std::size_t kTimerCount = 4;

// What a ReadFile or WriteFile is for, handed back with its answer.
enum class Purpose : std::uint8_t { Open, Filter, Save, SaveAll, Table };
inline constexpr std::size_t kPurposeCount = 5;

// What a save dialog saves, for its title, filter and default extension:
// a listing (SaveFilter, kSaveExtension) or the table of every line of the
// list (TableFilter, kTableExtension).
enum class SaveKind : std::uint8_t { Listing, Table };

// Where the page's すべて出力 puts the listings, as it says when it has
// counted the files there (action::ExistingCounted).
enum class SaveAllPlace : std::uint8_t {
    Beside,   // beside each file: the windows
    Folder,   // into a folder the user picked
    Archive,  // into one zip file handed to the browser as a download
};

// A control a Focus effect puts the keyboard on. (While すべて出力 runs,
// 中止 takes the keyboard and gives it back after: the front does that as
// it shows and hides the progress.)
enum class Control : std::uint8_t {
    OpenButton,  // "ファイル名": nothing was chosen yet
};

enum class MessageKind : std::uint8_t { Warning, Error };

// The parts of the window a Refresh renders again from the flow's state.
struct Part {
    enum : std::uint16_t {
        Status = 1 << 0,     // the status line: Status()
        Notice = 1 << 1,     // the notice beside the pane: Notice(), shown when not empty
        PathField = 1 << 2,  // the path field: ChosenPath()
        Boxes = 1 << 3,      // the three check boxes: Options()
        List = 1 << 4,       // the file list: shown when ListShown(); its rows (Files()), each
                             // row's mark, tooltip and RowHidden(); the filter field (FilterText())
        Selection = 1 << 5,  // the list's selected row: Selected()
        Progress = 1 << 6,   // the progress bar and 中止 (SaveAllProgress()); the open and すべて出力
                             // buttons are off while it runs, and files are not taken
        Filling = 1 << 7,    // while Filling(): the save button off and a busy cursor over the window
        Hits = 1 << 8,       // the list of hits, shown beside the file list when HitsShown(): its rows
                             // (Hits(), begun again when SearchNumber() changes), and while the search
                             // runs its progress and 中止 (HitsProgress())
    };
};
using Parts = std::uint16_t;

namespace action {

struct OpenClicked {};  // "ファイル名" or Ctrl+O
// The open dialog's answer: the files chosen, in its order; none when it
// was cancelled. Folders are entries of their own.
struct FilesChosen {
    std::vector<std::filesystem::path> Paths;
};
// Files dropped on the window or named on the command line: each folder
// brings its drawings, walked as `vaveze-list -r` walks it.
struct FilesDropped {
    std::vector<std::filesystem::path> Paths;
};
// The page's files, which the file system does not know: each as it is,
// its Path the name the page reads it by (a path below the folder dropped).
// Tag is the front's own number for them, handed back with every ReadFile
// of them once they are the list: the front knows which of its files to read
// even when a question came between and other files were given meanwhile.
struct SourcesGiven {
    std::vector<Source> Sources;
    std::uint32_t Tag = 0;
};
struct EntryChosen {  // the user selected row Index of the file list
    std::size_t Index;
};
struct OptionToggled {  // the user ticked or cleared a box
    Option Which;
    bool Checked;
};
// The pane holds edits of the user's (or holds none again, all undone).
// Ignored while the pane fills.
struct PaneEdited {
    bool Edited;
};
// "テキスト出力" or Ctrl+S, with the pane's text as it is now (lines
// ended by '\n'), only read during the call.
struct SaveClicked {
    std::u16string_view PaneText;
};
// The save dialog's answer; an empty path when it was cancelled. The user
// has already agreed to replace an existing file.
struct SaveTargetChosen {
    std::filesystem::path Path;
};
struct SaveAllClicked {};  // "すべて出力" or Ctrl+Shift+S
struct StopClicked {};     // "中止"
struct Answered {          // the answer to the Ask effect numbered Serial
    std::uint32_t Serial;
    Reply Answer;
};
// The user closes the window; with the pane's text as it is now (lines
// ended by '\n'), which is saved when the question about edits is answered
// Save. Copied only when the pane holds edits.
struct CloseRequested {
    std::u16string_view PaneText;
};
struct NoticeOfferTaken {};  // the notice's button (NoticeOffer()) was pressed
// Find in the pane: Needle from From (the selection's end to find the
// next, its start to find the previous or as the needle is typed) in the
// pane's text as it is now, only read during the call. An empty needle
// typed puts the caret at From and takes find's words off the status line.
struct Find {
    std::u16string Needle;
    FindDirection Direction = FindDirection::Forward;
    std::size_t From = 0;
    bool AsTyped = false;
    std::u16string_view PaneText;
};
struct FilterTyped {  // the filter field's text, as the user changed it
    std::u16string Text;
};
// Enter in the filter field: to the first hit, once there is one; with the
// pane's text as it is now, only read during the call (see HitChosen).
struct FilterEntered {
    std::u16string_view PaneText;
};
// The user chose row Index of the list of hits: its file in the pane (asking
// first about edits), its line selected. With the pane's text as it is now,
// only read during the call.
struct HitChosen {
    std::size_t Index;
    std::u16string_view PaneText;
};
struct StopSearchClicked {};  // 中止 beside the list of hits
struct SaveTableClicked {};   // "表に出力": every line of every file of the list into one table
// A timer the flow started fired. For PaneFill, how long the front took to
// carry out the last AppendToPane, which sizes the next piece.
struct TimerFired {
    Timer Which;
    std::int64_t LastPieceNanoseconds = 0;
};
// The answer to a ReadFile, with its Serial: the file's bytes, or why it
// could not be read (the system's or the browser's words) when Failure is
// not empty. An answer the flow no longer waits for (the list was replaced,
// the filter started again) is dropped.
struct FileRead {
    Purpose For;
    std::size_t Index;
    std::string Bytes;
    std::string Failure;
    std::uint32_t Serial = 0;
};
// The answer to a WriteFile, with its Serial: Failure empty when written,
// else why not. Downloaded: the page handed the bytes to the browser as a
// download, whose folder and name are the browser's to choose.
struct FileWritten {
    Purpose For;
    std::size_t Index;
    std::string Failure;
    std::uint32_t Serial = 0;
    bool Downloaded = false;
};
// The answer to CountExisting. The page counts in the place it asked the
// user for (a folder picked, named PlaceName), or writes into a zip file
// (PlaceName: its name) and counts none; Cancelled when the user declined
// to pick one, and nothing is saved.
struct ExistingCounted {
    std::size_t Count = 0;
    SaveAllPlace Place = SaveAllPlace::Beside;
    std::string PlaceName;
    bool Cancelled = false;
};

}  // namespace action

using Action = std::variant<action::OpenClicked, action::FilesChosen, action::FilesDropped, action::SourcesGiven,
                            action::EntryChosen, action::OptionToggled, action::PaneEdited, action::SaveClicked,
                            action::SaveTargetChosen, action::SaveAllClicked, action::StopClicked, action::Answered,
                            action::CloseRequested, action::Find, action::FilterTyped, action::TimerFired,
                            action::FileRead, action::FileWritten, action::ExistingCounted,
                            action::NoticeOfferTaken, action::FilterEntered, action::HitChosen,
                            action::StopSearchClicked, action::SaveTableClicked>;

namespace effect {

struct Refresh {  // render these parts again from the flow's state
    Parts What;
};
struct RefreshEntry {  // render row Index of the list again: its mark, tooltip, hidden or not
    std::size_t Index;
};
// A modal question (caption: the application's title) with these answers,
// the first the default. The flow waits: answer with action::Answered.
// Always the last effect of its list.
struct Ask {
    std::uint32_t Serial;
    Question What;
    std::string Text;
    std::vector<Reply> Replies;
    Reply Default;
    Reply Escape;  // the answer of Escape or of closing the box
};
// The open dialog (title WindowText::OpenTitle, filters OpenFilters), in
// Folder, with ProposedName in its name field (may be empty); several files
// may be chosen. Answer with action::FilesChosen. Last of its list.
struct ChooseFilesToOpen {
    std::filesystem::path Folder;
    std::filesystem::path ProposedName;
};
// The save dialog (SaveTitle, SaveFilter or TableFilter, the default
// extension kSaveExtension or kTableExtension, as What says), which asks
// before it lets an existing file be chosen. Answer with
// action::SaveTargetChosen. Last of its list.
struct ChooseSaveTarget {
    std::filesystem::path Folder;
    std::filesystem::path ProposedName;
    SaveKind What = SaveKind::Listing;
};
struct Tell {  // a modal box with one OK button
    MessageKind Kind;
    std::string Caption;
    std::string Text;
};
// The pane fill. StartPane: empty the pane, make it read-only, with no undo
// history, the caret at the top. AppendToPane: put PaneText()[From, To) in
// at its end, then report how long it took with the next
// TimerFired{PaneFill}. FinishPane: editable again, a fresh undo history,
// unmodified.
struct StartPane {};
struct AppendToPane {
    std::size_t From;
    std::size_t To;
};
struct FinishPane {};
struct MarkPaneUnmodified {};  // what the pane holds was saved
struct SelectInPane {          // select [Position, Position + Length) and scroll it into view
    std::size_t Position;
    std::size_t Length;
};
struct StartTimer {  // (again) from now: fires every Milliseconds until stopped
    Timer Which;
    int Milliseconds;
};
struct StopTimer {
    Timer Which;
};
// Only where the front reads and writes the files (FileAccess::Front).
// Answer with action::FileRead, action::FileWritten, action::ExistingCounted,
// handing back the Serial.
struct ReadFile {
    Purpose For;
    std::size_t Index;  // the entry of the file list (Open, Filter, SaveAll, Table)
    // For Open, also the file shown read again to look for the rest
    // (NoticeOfferTaken): the flow keeps no bytes.
    std::filesystem::path Path;
    std::uint32_t Tag;  // the list's, as SourcesGiven gave it (0 for files of the file system)
    std::uint32_t Serial;
};
struct WriteFile {  // replace the file at Path (a name, for the page) only once complete
    Purpose For;
    std::size_t Index;
    std::filesystem::path Path;
    std::string Bytes;
    std::uint32_t Serial;
};
struct CountExisting {  // how many of these paths exist already
    std::vector<std::filesystem::path> Paths;
};
struct Beep {};
struct Focus {
    Control What;
};
struct Close {};  // the window closes: the flow let everything go

}  // namespace effect

using Effect = std::variant<effect::Refresh, effect::RefreshEntry, effect::Ask, effect::ChooseFilesToOpen,
                            effect::ChooseSaveTarget, effect::Tell, effect::StartPane, effect::AppendToPane,
                            effect::FinishPane, effect::MarkPaneUnmodified, effect::SelectInPane, effect::StartTimer,
                            effect::StopTimer, effect::ReadFile, effect::WriteFile, effect::CountExisting,
                            effect::Beep, effect::Focus, effect::Close>;

// The caption of an answer's button ("はい", "保存しない", "全体を保存").
[[nodiscard]] const char* ReplyCaption(Reply reply);
// The caption of the notice's button; empty for None.
[[nodiscard]] const char* NoticeOfferCaption(NoticeOffer offer);

}  // namespace vaveze::window
