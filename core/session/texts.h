// What the user reads: every text of the flow, written once for every front
// and translated through the built-in catalogue (messages.h). The windows
// (the Qt one, the Windows one and the page) show the Japanese texts; the
// command-line tool and the C library take the English ones where their
// users need them. File names in texts are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/listing/extraction.h"
#include "core/readers/parseoutcome.h"
#include "core/session/messages.h"

namespace vaveze {

struct OpenResult;
struct ListedFile;
struct BatchSummary;
enum class FindDirection : std::uint8_t;

// The application's name and the main window's caption: the same in every
// language.
inline constexpr std::string_view kApplicationTitle = "VAveze";
inline constexpr std::string_view kWindowCaption = "VAveze Ver.1.01";

// The fixed texts of the windows.
enum class WindowText : std::uint8_t {
    OpenButton,       // "ファイル名"
    PathField,        // the accessible name of the read-only path field
    HeaderBox,        // the three check boxes
    DimensionsBox,
    BlocksBox,
    SaveButton,       // "テキスト出力"
    PaneCaption,      // "文字抽出情報"
    WarningCaption,   // the caption of a warning box
    PaneFull,         // the error box when a listing passes the pane's limit
    OpenFilters,      // the open dialog's filters: description|patterns|description|patterns...
    SaveFilter,       // the save dialog's filter, in the same form
    OpenTitle,        // the dialogs' titles
    SaveTitle,
    FileList,         // the accessible name of the list of files
    Yes,              // the buttons of a question
    No,
    Cancel,
    Ok,               // the button of a message box
    DropHint,         // the page: said while files are dragged over it
    FindField,        // the find bar over the pane: its field and buttons
    FindNext,
    FindPrevious,
    FindClose,
    SaveAllButton,    // "すべて出力": every listing of the file list saved beside its source
    StopButton,       // stops "save every listing" between two files
    FilterField,      // the field that keeps in the file list the files whose listing holds a text
    SalvageButton,    // "残りも探す": the notice's offer to read a damaged file on past the damage
    Save,             // the answers of the question on closing with edits
    DontSave,
    SaveEdits,        // the answers of the question on saving a cut pane with edits
    SaveWhole,
    HitList,          // the accessible name of the list of lines that hold the filter's text
    HitColumns,       // its columns' headings: file|line|text
    SaveTableButton,  // "表に出力": every line of every file of the list into one CSV table
    TableFilter,      // the table's save dialog filter, as SaveFilter
};

// A fixed text of the windows, in Japanese; NUL-terminated, static.
[[nodiscard]] const char* Text(WindowText text);

// The default extension of a saved listing, without its dot.
inline constexpr std::string_view kSaveExtension = "txt";

// "ZVW 図面ファイル", "ZVK symbol file (MS-DOS)".
[[nodiscard]] std::string KindDescription(FormatKind kind, Language language = Language::Japanese);

// The window's warning for a file named .zvw or .zvs that is not of that
// format, word for word (Japanese); empty for None. NUL-terminated, static.
[[nodiscard]] std::string_view WarningText(WarningKind warning);

// Why a file was not listed: "no such file", "not a ZVC drawing file: it
// does not start as one", with the system's own words where it gave any.
[[nodiscard]] std::string NotListedReasonText(const OpenResult& result, Language language);

// Where and why a parse stopped before the file's end: "the file ends at
// byte 3,000 inside a text record"; empty for a complete parse.
[[nodiscard]] std::string StopText(const ParseOutcome& outcome, Language language);

// The window's status line, in Japanese.
// A file listed: what it is, how many lines, whether it was read to its end
// and whether the listing fitted the pane.
[[nodiscard]] std::string ListedStatus(const OpenResult& listed, std::size_t lines, bool paneFull);
// A file not listed, and which file the pane still shows (none when `shown`
// is not listed).
[[nodiscard]] std::string NotListedStatus(const OpenResult& failed, const OpenResult& shown);
// While a long listing goes into the pane.
[[nodiscard]] std::string FillingStatus(const OpenResult& listed, std::size_t shown, std::size_t total);
[[nodiscard]] std::string SavedStatus(std::string_view path, std::size_t lines);
[[nodiscard]] std::string NoFileToSaveStatus();
// Folders dropped that hold no drawing or symbol file.
[[nodiscard]] std::string NoDrawingsStatus();
[[nodiscard]] std::string StillFillingStatus();

// The page's status line while it reads a chosen file (`percent` of its
// bytes), extracts its texts, and turns the pane into the bytes to save.
[[nodiscard]] std::string ReadingStatus(std::string_view name, unsigned percent);
[[nodiscard]] std::string ExtractingStatus(std::string_view name);
[[nodiscard]] std::string PreparingSaveStatus();
// A listing the page handed to the browser as a download: where it lands,
// and the name beside an earlier one, are the browser's to choose.
[[nodiscard]] std::string DownloadStatus(std::string_view name, std::size_t lines);
// The message when memory ran out: the page's and the windows' (Japanese),
// the tool's in its language.
[[nodiscard]] std::string OutOfMemoryMessage(Language language = Language::Japanese);
// The message when a fault of the program itself stopped what the user
// asked, with the fault's own words when it has any.
[[nodiscard]] std::string InternalErrorMessage(std::string_view what, Language language = Language::Japanese);

// The notice beside the pane, unmistakable where a status line may be cut
// off: the file shown was read only in part, or the last file chosen could
// not be listed. Empty when there is nothing to say.
[[nodiscard]] std::string PaneNotice(const OpenResult& chosen, const OpenResult& shown);
// The notice for a file read in part that a salvage reading read on past
// its damaged places (Session::Salvage): `lines` texts were found beyond
// them (Session::SalvagedLines).
[[nodiscard]] std::string SalvagedNotice(const OpenResult& shown, std::size_t lines);
// "123 lines salvaged beyond 2 damaged places", for the notice and the
// command-line tool.
[[nodiscard]] std::string SalvageSummary(std::size_t lines, std::size_t places, Language language);
// Why a salvage reading passed over a place: "a record that cannot be right".
[[nodiscard]] std::string SkippedReasonText(StopReason reason, Language language);
// A place it passed over: "bytes 3,000 to 3,210: a record that cannot be right".
[[nodiscard]] std::string SkippedPlaceText(const SkippedPlace& place, Language language);

// The notice when the pane holds only the first `lines` lines of the
// listing of `shown`: the rest passed the pane's `limit` characters, and an
// unchanged pane is saved as the whole listing.
[[nodiscard]] std::string PaneCutNotice(const OpenResult& shown, std::size_t lines, std::size_t limit);
// The notice when what was looked for is in line `line` (from 1) of the
// listing, past the `paneLines` lines the pane holds.
[[nodiscard]] std::string BeyondPaneNotice(std::string_view needle, std::size_t line, std::size_t paneLines);
// The notice when the file list's filter hides the file the pane shows.
[[nodiscard]] std::string HiddenByFilterNotice(const OpenResult& shown);

// The message when a save is refused: the characters code page 932 lacks,
// twenty at most, each as 「字」(U+5B57), or U+XXXX when it cannot be shown.
[[nodiscard]] std::string UnencodableMessage(std::u32string_view characters);
// The message when writing the listing failed.
[[nodiscard]] std::string SaveFailedMessage(std::string_view path, std::string_view systemMessage);

// What the user is about to lose: the pane holds edits that listing again,
// opening another file, closing the window or reading the file on past its
// damaged places would replace. Close asks whether to close anyway (Yes
// closes); SaveBeforeClose asks whether to save them first (保存 /
// 保存しない / キャンセル), as the window flow does.
enum class EditsAt : std::uint8_t { Relist, Open, Close, Salvage, SaveBeforeClose };
[[nodiscard]] std::string EditsLostQuestion(EditsAt what);
// Saving a pane with edits that holds only part of the listing: the edits
// or the whole listing?
[[nodiscard]] std::string SaveCutQuestion();

// The one question before "save every listing", or nothing when there is
// nothing to ask: `existing` of the `targets` listings to be written are
// there already (they would be replaced), the pane holds edits that a
// batch of fresh listings leaves out, and the file list's filter hides
// `hidden` files, whose listings are not saved.
[[nodiscard]] std::string SaveAllQuestion(std::size_t existing, std::size_t targets, bool paneEdits,
                                          std::size_t hidden = 0);
// "Save all" with every file of the list hidden by its filter.
[[nodiscard]] std::string NothingShownStatus();
// While "save every listing" runs: `done` of `count` files, the next one.
[[nodiscard]] std::string SaveAllProgressStatus(std::size_t done, std::size_t count,
                                                const std::filesystem::path& next);
// What it came to, counted by what became of each file (and how many were
// left when it was stopped).
[[nodiscard]] std::string SaveAllSummary(const BatchSummary& summary);
// The page's "save every listing": what it came to, and where the listings
// went: into the folder the user picked, or into one zip file handed to the
// browser as a download.
[[nodiscard]] std::string SaveAllFolderStatus(const BatchSummary& summary, std::string_view folder);
[[nodiscard]] std::string SaveAllDownloadStatus(const BatchSummary& summary, std::string_view archive);
// The zip's name, before ".zip", when no folder dropped names it.
[[nodiscard]] std::string ArchiveStem();
// Why a listing was not written into the zip file: it is full.
[[nodiscard]] std::string ArchiveFullMessage();
// A file list's entry as its tooltip tells it: the path, what reading it
// came to (and why) and what saving its listing came to.
[[nodiscard]] std::string FileTooltip(const ListedFile& file);

// Find in the pane: nothing found, or found only past the end (Forward) or
// the start (Backward). `needle` as typed, UTF-8.
[[nodiscard]] std::string NotFoundStatus(std::string_view needle);
[[nodiscard]] std::string WrappedStatus(FindDirection direction);
// The file list's filter: while it reads the files, and how many hold the text.
[[nodiscard]] std::string FilteringStatus(std::string_view needle, std::size_t done, std::size_t count);
[[nodiscard]] std::string FilteredStatus(std::string_view needle, std::size_t holding, std::size_t count);

// The search of the file list: while it reads the files (and the lines
// found so far), what it found, and what it found before 中止 stopped it.
// `kept` of the `hits` lines are in the list of hits, when not all of them.
[[nodiscard]] std::string SearchingStatus(std::string_view needle, std::size_t done, std::size_t count,
                                          std::size_t hits);
[[nodiscard]] std::string SearchedStatus(std::string_view needle, std::size_t holding, std::size_t count,
                                         std::size_t hits, std::size_t kept);
[[nodiscard]] std::string SearchStoppedStatus(std::string_view needle, std::size_t done, std::size_t count,
                                              std::size_t hits, std::size_t kept);

// The default extension of the table of every line, without its dot.
inline constexpr std::string_view kTableExtension = "csv";
// While the table of every line of the list is written: `done` of `count`
// files, the next one; what it came to; 中止 before it was complete.
[[nodiscard]] std::string TableProgressStatus(std::size_t done, std::size_t count,
                                              const std::filesystem::path& next);
[[nodiscard]] std::string TableSavedStatus(std::string_view path, std::size_t files, std::size_t lines);
[[nodiscard]] std::string TableStoppedStatus();

// The window program's answer to --help.
[[nodiscard]] std::string WindowUsage(std::string_view program);

// What the command-line tool says in a box on Windows when it was started
// with no console to write to (double-clicked, or a drawing dropped on it).
[[nodiscard]] std::string CommandLineToolNotice(Language language);

// The file name part of a path, as UTF-8.
[[nodiscard]] std::string FileNameOf(const std::filesystem::path& path);
// What the user typed (a needle, a filter), as the texts quote it: UTF-8;
// a lone surrogate becomes U+FFFD.
[[nodiscard]] std::string TypedUtf8(std::u16string_view typed);
// A whole path as every text names a file: UTF-8.
[[nodiscard]] std::string PathUtf8(const std::filesystem::path& path);

}  // namespace vaveze
