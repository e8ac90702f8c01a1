// Every text the user reads, in Japanese or English.
#include "core/session/texts.h"

#include <cstdio>

#include "core/session/batchsave.h"
#include "core/session/filelist.h"
#include "core/session/find.h"
#include "core/session/session.h"
#include "core/text/cp932.h"

namespace vaveze {
namespace {

constexpr Language kJa = Language::Japanese;
constexpr std::size_t kMostCharactersNamed = 20;

const char* Ja(const char* english) { return Tr(kJa, english); }

// The English names of the records a parse marks, as the catalogue holds
// them; a record named otherwise keeps its English name.
const char* RecordName(std::string_view record, Language language)
{
    static const char* const kRecords[] = {
        "arc record",        "arc table",      "block definition list", "block definition",
        "block insertion record", "colour and line type table", "dimension record", "empty string pool",
        "entity list",       "file header",    "fixed table",           "header line",
        "layer name table",  "layer table",    "line record",           "line table",
        "point record",      "point table",    "solid record",          "string pool",
        "text record",       "text table",
    };
    for (const char* known : kRecords)
        if (record == known)
            return Tr(language, known);
    return nullptr;
}

std::string Utf8Of(std::u32string_view characters)
{
    std::string out;
    for (const char32_t c : characters)
        AppendUtf8(out, c);
    return out;
}

// A character the user can see in a message: not a control, format,
// surrogate, private-use or unassigned one.
bool Printable(char32_t c)
{
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xAD)
        return false;
    if ((c >= 0xD800 && c <= 0xDFFF) || (c >= 0xE000 && c <= 0xF8FF) || c >= 0xF0000)
        return false;
    if ((c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) ||
        c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFF))
        return false;
    return c <= 0x10FFFF;
}

// A path as every text is: UTF-8.
std::string Utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

const char* Text(WindowText text)
{
    switch (text) {
    case WindowText::OpenButton:
        return Ja("File name");
    case WindowText::PathField:
        return Ja("Chosen file");
    case WindowText::HeaderBox:
        return Ja("Include the header section (does not apply to ZVS)");
    case WindowText::DimensionsBox:
        return Ja("Include the texts of dimensions (does not apply to ZVC/ZVK)");
    case WindowText::BlocksBox:
        return Ja("Include the block section (does not apply to ZVC/ZVK)");
    case WindowText::SaveButton:
        return Ja("Save as text");
    case WindowText::PaneCaption:
        return Ja("Extracted texts");
    case WindowText::WarningCaption:
        return Ja("Warning");
    case WindowText::PaneFull:
        return Ja("Error inserting a line into the pane.");
    case WindowText::OpenFilters:
        return Ja("Zv_cad data (*.zvc,*.zvk,*.zvw,*.zvs)|*.zvc;*.zvk;*.zvw;*.zvs|ZV_CAD (MS-DOS) data|*.zvc;*.zvk|"
                  "ZVW data|*.zvw;*.zvs|Backup files|*.bak;*.bk?;*.zv$|All files (*.*)|*.*");
    case WindowText::SaveFilter:
        return Ja("Text files (*.txt)|*.txt");
    case WindowText::OpenTitle:
        return Ja("Open");
    case WindowText::SaveTitle:
        return Ja("Save As");
    case WindowText::FileList:
        return Ja("Files");
    case WindowText::Yes:
        return Ja("Yes");
    case WindowText::No:
        return Ja("No");
    case WindowText::Cancel:
        return Ja("Cancel");
    case WindowText::Ok:
        return Ja("OK");
    case WindowText::DropHint:
        return Ja("Drop the files here");
    case WindowText::FindField:
        return Ja("Find");
    case WindowText::FindNext:
        return Ja("Find next");
    case WindowText::FindPrevious:
        return Ja("Find previous");
    case WindowText::FindClose:
        return Ja("Close");
    case WindowText::SaveAllButton:
        return Ja("Save all");
    case WindowText::StopButton:
        return Ja("Stop");
    case WindowText::FilterField:
        return Ja("Filter by text");
    case WindowText::SalvageButton:
        return Ja("Look for the rest");
    case WindowText::Save:
        return Ja("Save");
    case WindowText::DontSave:
        return Ja("Don't save");
    case WindowText::SaveEdits:
        return Ja("Save the edits");
    case WindowText::SaveWhole:
        return Ja("Save the whole listing");
    case WindowText::HitList:
        return Ja("Lines that hold the text");
    case WindowText::HitColumns:
        return Ja("File|Line|Text");
    case WindowText::SaveTableButton:
        return Ja("Save as a table");
    case WindowText::TableFilter:
        return Ja("CSV tables (*.csv)|*.csv");
    }
    return "";
}

std::string KindDescription(FormatKind kind, Language language)
{
    switch (kind) {
    case FormatKind::Zvw:
        return Tr(language, "ZVW drawing file");
    case FormatKind::Zvs:
        return Tr(language, "ZVS symbol file");
    case FormatKind::Zvc:
        return Tr(language, "ZVC drawing file (MS-DOS)");
    case FormatKind::Zvk:
        return Tr(language, "ZVK symbol file (MS-DOS)");
    case FormatKind::None:
        break;
    }
    return {};
}

std::string_view WarningText(WarningKind warning)
{
    switch (warning) {
    case WarningKind::NotZvw:
        return Ja("This file is not a drawing file of Zv_cad for Windows (Ver2.20 or later).");
    case WarningKind::NotZvs:
        return Ja("This file is not a symbol file of Zv_cad for Windows.");
    case WarningKind::None:
        break;
    }
    return {};
}

std::string NotListedReasonText(const OpenResult& result, Language language)
{
    const auto withSystem = [&](const char* plain, const char* withMessage) {
        return result.SystemMessage.empty() ? std::string(Tr(language, plain))
                                            : Fill(Tr(language, withMessage), {result.SystemMessage});
    };
    switch (result.Reason) {
    case NotListedReason::None:
        break;
    case NotListedReason::NoFile:
        return Tr(language, "no such file");
    case NotListedReason::NoPermission:
        return Tr(language, "no permission to read it");
    case NotListedReason::Folder:
        return Tr(language, "is a folder");
    case NotListedReason::NotRegularFile:
        return Tr(language, "is not a regular file (a FIFO, device or socket), so it was not opened");
    case NotListedReason::Empty:
        return Tr(language, "is empty");
    case NotListedReason::TooLarge:
        return Tr(language, "is too large to be read into memory");
    case NotListedReason::ReadError:
        return withSystem("could not be read", "could not be read: %1");
    case NotListedReason::NotZvw:
        return Tr(language, "not a ZVW drawing file: it does not start as one");
    case NotListedReason::NotZvs:
        return Tr(language, "not a ZVS symbol file: it does not start as one");
    case NotListedReason::NotZvc:
        return Tr(language, "not a ZVC drawing file: it does not start as one");
    case NotListedReason::NotZvk:
        return Tr(language, "not a ZVK symbol file: it does not start as one");
    case NotListedReason::NotAnyFormat:
        return Tr(language, "not a backup of a ZVW, ZVS, ZVC or ZVK file: it starts as none of them");
    case NotListedReason::UnknownName:
        return Tr(language, "not a drawing or symbol file: the name does not end in .zvw, .zvs, .zvc, .zvk or "
                            "a backup's extension");
    }
    return {};
}

std::string StopText(const ParseOutcome& outcome, Language language)
{
    if (language == Language::English || outcome.Complete())
        return DescribeStop(outcome);
    const char* record = RecordName(outcome.Record, language);
    const char* pattern = nullptr;
    switch (outcome.Reason) {
    case StopReason::EndsEarly:
        pattern = record == nullptr ? "the file ends at byte %1" : "the file ends at byte %1 inside the %2";
        break;
    case StopReason::UnsupportedVersion:
        pattern = "version not supported, at byte %1 in the %2";
        break;
    case StopReason::ImpossibleSize:
        pattern = "a declared count or size that cannot be right for this file, at byte %1 in the %2";
        break;
    case StopReason::NumberOverflow:
        pattern = "a number beyond the single-precision range, at byte %1 in the %2";
        break;
    case StopReason::OutOfMemory:
        pattern = "out of memory, at byte %1 in the %2";
        break;
    case StopReason::DamagedRecord:
        pattern = "a record that cannot be right, at byte %1 in the %2";
        break;
    case StopReason::None:
        return {};
    }
    // A record without a translation is named in English rather than left out.
    const std::string name = record != nullptr ? record : std::string(outcome.Record);
    return Fill(Tr(language, pattern), {Count(outcome.Offset), name});
}

std::string ListedStatus(const OpenResult& listed, std::size_t lines, bool paneFull)
{
    std::string text = Fill(Ja("Extracted %3 lines from %1 \"%2\"."),
                            {KindDescription(listed.Kind), FileNameOf(listed.Path), Count(lines)});
    if (listed.Partial())
        text += Fill(Ja(" The file could not be read to its end (%1): what was read is shown."),
                     {StopText(listed.Outcome, kJa)});
    if (paneFull)
        text += Ja(" The listing was cut off where it reached the most characters the pane can show.");
    return text;
}

std::string NotListedStatus(const OpenResult& failed, const OpenResult& shown)
{
    std::string text =
        Fill(Ja("\"%1\" could not be listed (%2)."), {FileNameOf(failed.Path), NotListedReasonText(failed, kJa)});
    if (shown.Listed())
        text += Fill(Ja(" The pane still shows \"%1\"."), {FileNameOf(shown.Path)});
    return text;
}

std::string FillingStatus(const OpenResult& listed, std::size_t shown, std::size_t total)
{
    return Fill(Ja("Showing \"%1\"... %2 / %3 lines"), {FileNameOf(listed.Path), Count(shown), Count(total)});
}

std::string SavedStatus(std::string_view path, std::size_t lines)
{
    return Fill(TrN(kJa, "Saved %2 line to \"%1\".", "Saved %2 lines to \"%1\".", lines), {path, Count(lines)});
}

std::string NoFileToSaveStatus()
{
    return Ja("Nothing was saved: no file has been opened yet. Choose a file with \"File name\" first.");
}

std::string NoDrawingsStatus()
{
    return Ja("Nothing was opened: the folders hold no drawing or symbol file.");
}

std::string StillFillingStatus()
{
    return Ja("Nothing was saved: the listing is still going into the pane. Save again once it is shown.");
}

std::string ReadingStatus(std::string_view name, unsigned percent)
{
    return Fill(Ja("Reading \"%1\"... %2%"), {name, Count(percent)});
}

std::string ExtractingStatus(std::string_view name) { return Fill(Ja("Extracting the texts of \"%1\"..."), {name}); }

std::string PreparingSaveStatus() { return Ja("Preparing the listing for saving..."); }

std::string DownloadStatus(std::string_view name, std::size_t lines)
{
    return Fill(TrN(kJa, "Handed %2 line to the browser as the download \"%1\".",
                    "Handed %2 lines to the browser as the download \"%1\".", lines),
                {name, Count(lines)});
}

std::string OutOfMemoryMessage(Language language) { return Tr(language, "There is not enough memory to do this."); }

std::string InternalErrorMessage(std::string_view what, Language language)
{
    if (what.empty())
        return Tr(language, "An internal error stopped this.");
    return Fill(Tr(language, "An internal error stopped this (%1)."), {std::string(what)});
}

std::string PaneNotice(const OpenResult& chosen, const OpenResult& shown)
{
    if (!chosen.Path.empty() && !chosen.Listed())
        return NotListedStatus(chosen, shown);
    if (shown.Partial())
        return Fill(Ja("\"%1\" could not be read to its end (%2): the pane shows what was read."),
                    {FileNameOf(shown.Path), StopText(shown.Outcome, kJa)});
    return {};
}

std::string SalvagedNotice(const OpenResult& shown, std::size_t lines)
{
    return Fill(Ja("\"%1\" could not be read to its end (%2): the pane shows what was read and, after it, %3."),
                {FileNameOf(shown.Path), StopText(shown.Outcome, kJa), SalvageSummary(lines, shown.Skipped.size(), kJa)});
}

std::string SalvageSummary(std::size_t lines, std::size_t places, Language language)
{
    const std::string beyond =
        Fill(TrN(language, "%1 damaged place", "%1 damaged places", places), {Count(places)});
    return Fill(TrN(language, "%1 line salvaged beyond %2", "%1 lines salvaged beyond %2", lines),
                {Count(lines), beyond});
}

std::string SkippedReasonText(StopReason reason, Language language)
{
    switch (reason) {
    case StopReason::None:
        break;
    case StopReason::EndsEarly:
        return Tr(language, "the file ends inside a record");
    case StopReason::UnsupportedVersion:
        return Tr(language, "version not supported");
    case StopReason::ImpossibleSize:
        return Tr(language, "a declared count or size that cannot be right for this file");
    case StopReason::NumberOverflow:
        return Tr(language, "a number beyond the single-precision range");
    case StopReason::OutOfMemory:
        return Tr(language, "out of memory");
    case StopReason::DamagedRecord:
        return Tr(language, "a record that cannot be right");
    }
    return {};
}

std::string SkippedPlaceText(const SkippedPlace& place, Language language)
{
    return Fill(Tr(language, "bytes %1 to %2: %3"),
                {Count(place.From), Count(place.To), SkippedReasonText(place.Reason, language)});
}

std::string PaneCutNotice(const OpenResult& shown, std::size_t lines, std::size_t limit)
{
    return Fill(Ja("The listing of \"%1\" is cut off after line %2: the pane holds at most %3 characters. "
                   "While the pane is unchanged, \"Save as text\" saves the whole listing."),
                {FileNameOf(shown.Path), Count(lines), Count(limit)});
}

std::string BeyondPaneNotice(std::string_view needle, std::size_t line, std::size_t paneLines)
{
    return Fill(Ja("\"%1\" is in line %2 of the listing, beyond the %3 lines the pane holds."),
                {needle, Count(line), Count(paneLines)});
}

std::string HiddenByFilterNotice(const OpenResult& shown)
{
    return Fill(Ja("The filter hides \"%1\" in the file list; the pane still shows it."), {FileNameOf(shown.Path)});
}

std::string UnencodableMessage(std::u32string_view characters)
{
    std::string names;
    std::size_t named = 0;
    for (const char32_t c : characters) {
        if (named != 0)
            names += Ja(", ");
        if (named == kMostCharactersNamed) {
            names += Fill(Ja("%1 more"), {Count(characters.size() - kMostCharactersNamed)});
            break;
        }
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        names += Printable(c) ? Fill(Ja("\"%1\" (%2)"), {Utf8Of({&c, 1}), code}) : std::string(code);
        ++named;
    }
    return Fill(Ja("These characters are not in Shift-JIS, so the listing cannot be saved:\n%1\n"
                   "Change them, then save again."),
                {names});
}

std::string SaveFailedMessage(std::string_view path, std::string_view systemMessage)
{
    return Fill(Ja("The listing could not be saved to \"%1\".\n%2"), {path, systemMessage});
}

std::string EditsLostQuestion(EditsAt what)
{
    switch (what) {
    case EditsAt::Relist:
        return Ja("The pane holds changes you made. Listing the file again with the new options replaces them. "
                  "List it again?");
    case EditsAt::Open:
        return Ja("The pane holds changes you made. Opening another file replaces them. Open it?");
    case EditsAt::Close:
        return Ja("The pane holds changes you made that have not been saved. Close anyway?");
    case EditsAt::SaveBeforeClose:
        return Ja("The pane holds changes you made that have not been saved. Save them?");
    case EditsAt::Salvage:
        return Ja("The pane holds changes you made. Listing the file again with what lies beyond its damaged "
                  "places replaces them. List it again?");
    }
    return {};
}

std::string SaveCutQuestion()
{
    return Ja("The pane holds changes you made, and only part of the listing: the rest did not fit. "
              "\"Save the edits\" saves what the pane holds; \"Save the whole listing\" saves every line of the "
              "file, without the changes. Which do you want to save?");
}

std::string SaveAllQuestion(std::size_t existing, std::size_t targets, bool paneEdits, std::size_t hidden)
{
    std::string text;
    const auto add = [&text](const std::string& paragraph) {
        if (!text.empty())
            text += "\n\n";
        text += paragraph;
    };
    if (paneEdits)
        add(Ja("The pane holds changes you made. \"Save all\" saves fresh listings of the files and leaves these "
               "changes out; \"Save as text\" saves them."));
    if (hidden > 0)
        add(Fill(TrN(kJa, "The filter shows %1 of the %2 file: only the listings of the files shown are saved.",
                     "The filter shows %1 of the %2 files: only the listings of the files shown are saved.",
                     targets + hidden),
                 {Count(targets), Count(targets + hidden)}));
    if (existing > 0)
        add(Fill(TrN(kJa, "%1 of the %2 text files to be saved exists already. Overwrite it?",
                     "%1 of the %2 text files to be saved exist already. Overwrite them?", existing),
                 {Count(existing), Count(targets)}));
    else if (hidden > 0)
        add(Ja("Save their listings?"));
    else if (!text.empty())
        add(Ja("Save every listing anyway?"));
    return text;
}

std::string NothingShownStatus() { return Ja("Nothing was saved: the filter shows no file of the list."); }

std::string SaveAllProgressStatus(std::size_t done, std::size_t count, const std::filesystem::path& next)
{
    return Fill(Ja("Saving every listing... %1 / %2 \"%3\""), {Count(done), Count(count), FileNameOf(next)});
}

std::string SaveAllSummary(const BatchSummary& summary)
{
    const std::size_t done = summary.Saved + summary.SavedInPart + summary.NotRecognised + summary.NotWritten;
    // Only the counts that are not nought, so that the line stays short.
    std::string counts;
    const auto add = [&counts](std::size_t n, const char* pattern) {
        if (n == 0)
            return;
        if (!counts.empty())
            counts += Ja(", ");
        counts += Fill(Ja(pattern), {Count(n)});
    };
    add(summary.Saved, "%1 saved");
    add(summary.SavedInPart, "%1 saved in part");
    add(summary.NotRecognised, "%1 not recognised");
    add(summary.NotWritten, "%1 not written");
    if (counts.empty())
        counts = Fill(Ja("%1 saved"), {Count(0)});
    if (summary.NotReached > 0)
        return Fill(Ja("Stopped after %1 of %2 files: %3"), {Count(done), Count(done + summary.NotReached), counts});
    return Fill(TrN(kJa, "Saved the listing of %1 file: %2", "Saved the listings of %1 files: %2", done),
                {Count(done), counts});
}

std::string SaveAllFolderStatus(const BatchSummary& summary, std::string_view folder)
{
    return Fill(Ja("%1 (into the folder \"%2\")"), {SaveAllSummary(summary), folder});
}

std::string SaveAllDownloadStatus(const BatchSummary& summary, std::string_view archive)
{
    return Fill(Ja("%1 (handed to the browser as the download \"%2\")"), {SaveAllSummary(summary), archive});
}

std::string ArchiveStem() { return Ja("Text listings"); }

std::string ArchiveFullMessage()
{
    return Ja("the zip file is full (65,535 files and 4 GB at most); save the rest in another run");
}

std::string FileTooltip(const ListedFile& file)
{
    std::string text = Utf8Of(file.Where.Path);
    switch (file.State) {
    case FileState::NotRead:
        text += Ja("\nNot read yet");
        break;
    case FileState::Listed:
        text += Ja("\nListed");
        break;
    case FileState::Partial:
        text += Fill(Ja("\nListed in part: %1"), {file.Reason});
        break;
    case FileState::NotRecognised:
        text += Fill(Ja("\nNot listed: %1"), {file.Reason});
        break;
    }
    const std::string target = Utf8Of(file.SavedTo);
    switch (file.Save) {
    case SaveState::NotSaved:
        break;
    case SaveState::Saved:
        text += Fill(TrN(kJa, "\nSaved to \"%1\" (%2 line)", "\nSaved to \"%1\" (%2 lines)", file.SavedLines),
                     {target, Count(file.SavedLines)});
        break;
    case SaveState::NotWritten:
        text += Fill(Ja("\nCould not be written to \"%1\": %2"), {target, file.WriteFailure});
        break;
    }
    return text;
}

std::string NotFoundStatus(std::string_view needle) { return Fill(Ja("\"%1\" was not found."), {needle}); }

std::string WrappedStatus(FindDirection direction)
{
    return direction == FindDirection::Forward ? Ja("Found past the end, from the start.")
                                               : Ja("Found past the start, from the end.");
}

std::string FilteringStatus(std::string_view needle, std::size_t done, std::size_t count)
{
    return Fill(Ja("Looking for \"%1\" in the files... %2 / %3"), {needle, Count(done), Count(count)});
}

std::string FilteredStatus(std::string_view needle, std::size_t holding, std::size_t count)
{
    return Fill(TrN(kJa, "%1 of %2 file holds \"%3\".", "%1 of %2 files hold \"%3\".", count),
                {Count(holding), Count(count), needle});
}

std::string SearchingStatus(std::string_view needle, std::size_t done, std::size_t count, std::size_t hits)
{
    return Fill(TrN(kJa, "Looking for \"%1\" in the files... %2 / %3, %4 line so far",
                    "Looking for \"%1\" in the files... %2 / %3, %4 lines so far", hits),
                {needle, Count(done), Count(count), Count(hits)});
}

namespace {

// " The list shows the first 10,000.", when it does not show them all.
std::string KeptNote(std::size_t hits, std::size_t kept)
{
    return kept < hits ? Fill(Ja(" The list shows the first %1."), {Count(kept)}) : std::string();
}

}  // namespace

std::string SearchedStatus(std::string_view needle, std::size_t holding, std::size_t count, std::size_t hits,
                           std::size_t kept)
{
    return Fill(TrN(kJa, "\"%1\" is in %2 line of %3 of %4 files.", "\"%1\" is in %2 lines of %3 of %4 files.",
                    hits),
                {needle, Count(hits), Count(holding), Count(count)}) +
           KeptNote(hits, kept);
}

std::string SearchStoppedStatus(std::string_view needle, std::size_t done, std::size_t count, std::size_t hits,
                                std::size_t kept)
{
    return Fill(TrN(kJa, "Stopped after %1 of %2 files: \"%3\" is in %4 line of them.",
                    "Stopped after %1 of %2 files: \"%3\" is in %4 lines of them.", hits),
                {Count(done), Count(count), needle, Count(hits)}) +
           KeptNote(hits, kept);
}

std::string TableProgressStatus(std::size_t done, std::size_t count, const std::filesystem::path& next)
{
    return Fill(Ja("Writing the table... %1 / %2 \"%3\""), {Count(done), Count(count), FileNameOf(next)});
}

std::string TableSavedStatus(std::string_view path, std::size_t files, std::size_t lines)
{
    return Fill(TrN(kJa, "Saved a table of %1 line from %2 files: %3", "Saved a table of %1 lines from %2 files: %3",
                    lines),
                {Count(lines), Count(files), path});
}

std::string TableStoppedStatus() { return Ja("Stopped: the table was not saved."); }

std::string WindowUsage(std::string_view program)
{
    return Fill(Ja("Usage: %1 [FILE]\n"
                   "Opens a window that lists every text of a ZVW, ZVS, ZVC or ZVK file (or a backup of one);\n"
                   "FILE, when given, is opened at once. vaveze-list lists files from the command line.\n"
                   "\n"
                   "  --help     show this help and exit\n"
                   "  --version  show the version and exit\n"),
                {program});
}

std::string CommandLineToolNotice(Language language)
{
    return Tr(language, "vaveze-list.exe is the command-line tool: run it in Command Prompt or PowerShell "
                        "(vaveze-list --help tells how).\n"
                        "\n"
                        "The window is vaveze.exe, in the same folder: double-click it, or drop a drawing on it.");
}

std::string FileNameOf(const std::filesystem::path& path) { return Utf8Of(path.filename()); }

std::string PathUtf8(const std::filesystem::path& path) { return Utf8Of(path); }

std::string TypedUtf8(std::u16string_view typed)
{
    std::u32string characters;
    characters.reserve(typed.size());
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const char16_t c = typed[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < typed.size() && typed[i + 1] >= 0xDC00 && typed[i + 1] <= 0xDFFF)
            characters += static_cast<char32_t>(0x10000 + ((c - 0xD800) << 10) + (typed[++i] - 0xDC00));
        else
            characters += c >= 0xD800 && c <= 0xDFFF ? U'\uFFFD' : static_cast<char32_t>(c);
    }
    return Utf8Of(std::u32string_view(characters));
}

}  // namespace vaveze
