// The C interface's two opaque handles: a document is a session holding one
// file; a listing is one listing of it, self-contained, so that it outlives
// the document and may be read by several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/capi/resultcodes.h"
#include "core/capi/vaveze.h"
#include "core/session/session.h"

struct vaveze_document {
    vaveze::Session Session;
    vaveze::ResultCodes Codes;
};

struct vaveze_listing {
    // Where a run of lines of one kind and block starts.
    struct KindRun {
        std::size_t First;
        vaveze::LineKind Kind;
        std::int32_t Block;
    };
    // The whole listing in one encoding, made when first asked for.
    struct Encoded {
        std::once_flag Made;
        std::string Bytes;
    };

    vaveze::ResultCodes Codes;
    // The lines of each encoding lie in one buffer, each followed by a NUL,
    // so that a caller gets a C string without a copy. The UTF-8 lines are
    // decoded when first asked for: a caller may want only the bytes.
    // Threads: what the listing is made with never changes; each form made
    // when first asked for (the UTF-8 lines, each encoding's whole bytes) is
    // made under its own once_flag from those alone, never from another
    // such form, and never changes after.
    std::string Sjis;
    std::vector<std::size_t> SjisStarts{0};  // where each line starts, then the end
    mutable std::once_flag Utf8Made;
    mutable std::string Utf8;
    mutable std::vector<std::size_t> Utf8Starts{0};
    std::vector<KindRun> Kinds;  // in order of First; the first starts at 0
    mutable Encoded Whole[2];    // by vaveze_encoding
    // The first salvaged line (Count() when none), and the places the
    // salvage reading passed over: with VAVEZE_SALVAGE only.
    std::size_t FirstSalvaged = static_cast<std::size_t>(-1);
    std::vector<vaveze::SkippedPlace> Skipped;

    [[nodiscard]] std::size_t Count() const noexcept { return SjisStarts.size() - 1; }
};

namespace vaveze {

// Opens the file into a new document, read as `mode` asks. Throws std::bad_alloc.
[[nodiscard]] std::unique_ptr<vaveze_document> OpenDocument(const std::filesystem::path& path, ReadMode mode);
[[nodiscard]] std::unique_ptr<vaveze_document> OpenDocumentBytes(std::string_view bytes,
                                                                 const std::filesystem::path& name, ReadMode mode);

// The document's listing with `flags` (known ones only). Throws std::bad_alloc.
[[nodiscard]] std::unique_ptr<vaveze_listing> ListDocument(const vaveze_document& document, unsigned int flags);

// The run of kinds line `index` (< Count()) lies in.
[[nodiscard]] const vaveze_listing::KindRun& KindOf(const vaveze_listing& listing, std::size_t index);

// The listing with its UTF-8 lines decoded, once. Throws std::bad_alloc.
const vaveze_listing& WithUtf8(const vaveze_listing& listing);

// The whole listing in `encoding`, made once. Throws std::bad_alloc.
[[nodiscard]] const std::string& WholeListing(const vaveze_listing& listing, int encoding);

// Saves the listing's Shift-JIS bytes at `path`, replacing it only once
// complete; 0, or the errno of the failure.
[[nodiscard]] int SaveListing(const vaveze_listing& listing, const std::filesystem::path& path);

}  // namespace vaveze
