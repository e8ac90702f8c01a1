// A user's session with drawings, as every front runs it: open a file (by
// path, or as bytes with a name), keep what was read, list it with any
// options without reading the file again, propose where its listing is
// saved, and turn the pane the user may have edited back into bytes.
//
// A file that cannot be listed leaves the kept parse, the file shown and the
// pane's listing as they were: the window keeps showing the last listing and
// says why the new file was not listed.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/listing/extraction.h"
#include "core/listing/listing.h"
#include "core/session/pane.h"
#include "core/text/typedtext.h"

namespace vaveze {

// Why a file was not listed. The first group says why it could not be read
// at all; the rest, why what was read is not a drawing or symbol file.
enum class NotListedReason : std::uint8_t {
    None,            // listed
    NoFile,          // no such file (or a folder of its path is missing)
    NoPermission,    // the system refused to let it be read
    Folder,          // a folder
    NotRegularFile,  // a FIFO, device or socket: never opened, so never waited on
    Empty,           // holds no byte
    TooLarge,        // no memory for its bytes
    ReadError,       // any other failure of the system; see SystemMessage
    NotZvw,          // named .zvw but does not start as a ZVW drawing file
    NotZvs,          // named .zvs ...
    NotZvc,          // named .zvc ...
    NotZvk,          // named .zvk ...
    NotAnyFormat,    // named as a backup but starts as none of the four formats
    UnknownName,     // its name's extension is none detection looks at
};

// What opening one file came to.
struct OpenResult {
    std::filesystem::path Path;  // as given: the path, or the name of bytes
    FormatKind Kind = FormatKind::None;
    ParseOutcome Outcome;  // how the parse ended, when listed
    // How it was read; a salvage reading of a file not read to its end
    // notes each place it passed over (the texts it found are the parse's,
    // listed with ListingOptions::Salvage).
    ReadMode Mode = ReadMode::Ordinary;
    std::vector<SkippedPlace> Skipped;
    WarningKind Warning = WarningKind::None;
    NotListedReason Reason = NotListedReason::None;
    std::string SystemMessage;  // the system's own words for a file that could not be read

    [[nodiscard]] bool Listed() const noexcept { return Kind != FormatKind::None; }
    // Listed, but not read to its end: what was read is listed.
    [[nodiscard]] bool Partial() const noexcept { return Listed() && !Outcome.Complete(); }
};

struct Source;

// A folder of a walk that could not be read, said as a file that could not
// be: no permission, no longer there, or the system's words.
[[nodiscard]] OpenResult NotWalked(const Source& source);

// The reason of a detection of the file at `path` (or of bytes by that name).
[[nodiscard]] NotListedReason ReasonOf(const Detection& detection, const std::filesystem::path& path);

// A file that could not be read, in the words of whoever tried.
[[nodiscard]] OpenResult UnreadFile(const std::filesystem::path& path, std::string failure);

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Reads, detects and parses the file. A file listed replaces the kept
    // parse and becomes the file shown; one that is not leaves both as
    // they were. Either way it becomes the file chosen. Throws only
    // std::bad_alloc, leaving the session as it was.
    const OpenResult& Open(const std::filesystem::path& path, ReadMode mode = ReadMode::Ordinary);
    // The same for a file's bytes in memory; only the extension of `name`
    // decides. The bytes are not kept.
    const OpenResult& OpenBytes(std::string_view bytes, const std::filesystem::path& name,
                                ReadMode mode = ReadMode::Ordinary);

    // Reads the file shown again, on past the places where it is damaged
    // (ReadMode::Salvage), unless it was read so already: the one call
    // behind the notice's offer to look for the rest of a file read in
    // part. List it then with ListingOptions::Salvage. A file opened from
    // bytes is opened again from them with OpenBytes instead.
    const OpenResult& Salvage();

    // A file its front could not read (the page's browser refused it), with
    // the words it gave: chosen, not listed; the file shown stays.
    const OpenResult& NotRead(const std::filesystem::path& path, std::string failure);

    // The last file chosen, listed or not; empty before the first.
    [[nodiscard]] const OpenResult& Chosen() const noexcept { return chosen_; }
    // The file whose parse is kept, whose listing the pane shows.
    [[nodiscard]] const OpenResult& Shown() const noexcept { return shown_; }
    [[nodiscard]] bool HasListing() const noexcept { return shown_.Listed(); }

    // Lists the kept parse into `sink` (nothing without one). False when
    // the sink refused a line.
    [[nodiscard]] bool List(const ListingOptions& options, LineSink& sink) const;
    // How many texts the listing with `options` holds of what a salvage
    // reading found (options.Salvage taken as set): the notice's count.
    [[nodiscard]] std::size_t SalvagedLines(ListingOptions options) const;

    // Lists the kept parse as the pane shows it, and keeps that listing so
    // that the pane's text can be saved back (PaneToBytes).
    const PaneListing& ListForPane(const ListingOptions& options,
                                   std::size_t characterLimit = kPaneCharacterLimit);
    // The listing last put into the pane.
    [[nodiscard]] const PaneListing& Pane() const noexcept { return pane_; }
    // The pane's text (lines ended by '\n') as the bytes to save: see
    // PaneBytes.
    [[nodiscard]] SavedText PaneToBytes(std::u16string_view paneText) const;

    // Where the save dialog starts and what it proposes: beside the file
    // shown (the last file chosen when none is shown yet), its name with
    // ".txt" in place of its extension.
    [[nodiscard]] std::filesystem::path ProposedSavePath() const;

    // Lets the kept parse and the pane's listing go; the files chosen and
    // shown are forgotten too.
    void Close() noexcept;

private:
    const OpenResult& Take(Detection detection, std::unique_ptr<Readers> readers, const std::filesystem::path& path,
                           ReadMode mode);

    std::unique_ptr<Readers> readers_;  // the kept parse; null when none
    OpenResult chosen_;
    OpenResult shown_;
    PaneListing pane_;
};

}  // namespace vaveze
