// "Save every listing": each file of a file list listed with the same
// options and saved beside its source under the names `vaveze-list --save`
// gives, one file per step, so that a front shows progress and may stop
// between files from its own event loop (Qt's, a Windows message loop, the
// page's single thread). A fresh listing is always encoded: what the user
// typed into a pane belongs to the single save alone.
//
//     BatchSave batch(list, options);
//     if (batch.ExistingTargets() > 0 && !ask(...)) return;   // one question
//     batch.Begin();                                          // the list forgets earlier saves
//     while (!batch.Finished()) batch.SaveNext();             // a step per turn
//     status(BatchSummaryStatus(batch.Summary()));
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/listing/listing.h"
#include "core/session/filelist.h"
#include "core/session/naming.h"

namespace vaveze {

// What a batch came to, file by file.
struct BatchSummary {
    std::size_t Saved = 0;          // read to the end and saved
    std::size_t SavedInPart = 0;    // what could be read saved
    std::size_t NotRecognised = 0;  // nothing to save
    std::size_t NotWritten = 0;     // listed, but the listing could not be written
    std::size_t NotReached = 0;     // left when the batch was stopped
};

class BatchSave {
public:
    // Settles every target at once, beside each source (a drawing has the
    // first claim on plan.txt; a backup's listing never replaces it).
    // Nothing is read or written, and the list is left as it is, so that a
    // batch the user declines changes nothing. `list` must outlive the batch
    // and keep its files while it runs; each step records what became of its
    // file. With `only`, just those entries of the list are saved, in that
    // order (the rows a filter shows); their targets are those of the whole
    // list, so a file's name never depends on which others are saved.
    BatchSave(FileList& list, const ListingOptions& options, std::vector<std::size_t> only = {});

    // Before the first step: what an earlier batch saved is no longer what
    // the list says of the files to be saved.
    void Begin();

    // One per file of the list, in its order; empty for a folder that could
    // not be walked.
    [[nodiscard]] const std::vector<Target>& Targets() const noexcept { return targets_; }
    // The entries of the list to be saved, in order.
    [[nodiscard]] const std::vector<std::size_t>& Order() const noexcept { return order_; }
    // How many of their targets exist already, for the one question before
    // any is replaced. Looks at the file system.
    [[nodiscard]] std::size_t ExistingTargets() const;

    // The files to be saved.
    [[nodiscard]] std::size_t Count() const noexcept { return order_.size(); }
    // Files done so far.
    [[nodiscard]] std::size_t Position() const noexcept { return position_; }
    // The entry of the list saved next; Count() once every file is done.
    [[nodiscard]] std::size_t Next() const noexcept { return position_ < order_.size() ? order_[position_] : Count(); }
    // Every file done, or stopped.
    [[nodiscard]] bool Finished() const noexcept { return stopped_ || position_ >= order_.size(); }
    [[nodiscard]] bool Stopped() const noexcept { return stopped_ && position_ < order_.size(); }

    // Reads the next file, lists it and saves the listing at its target,
    // which it replaces only once complete; the list's entry says what
    // became of it. The entry of the file done. Call only while not
    // Finished().
    std::size_t SaveNext();
    // The same for a front that reads and writes files itself (the page):
    // lists the next file from its bytes into `listing` (Shift-JIS, CR LF;
    // empty for a file not recognised), which the front writes at the
    // file's target; a write that fails is told through NotWritten.
    std::size_t ListNext(std::string_view fileBytes, std::string& listing);
    void NotWritten(std::size_t index, std::string failure);
    // The next file, which the front could not read: `opened` says why.
    std::size_t NotRead(const OpenResult& opened);

    // No file after the one being done.
    void Stop() noexcept { stopped_ = true; }

    [[nodiscard]] BatchSummary Summary() const;

private:
    FileList& list_;
    ListingOptions options_;
    std::vector<Target> targets_;
    std::vector<std::size_t> order_;
    std::size_t position_ = 0;
    bool stopped_ = false;
};

}  // namespace vaveze
