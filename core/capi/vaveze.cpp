// The C interface: the only place where the C++ core meets callers that know
// nothing of C++. Every entry point that calls into the core does so through
// Guard, so no exception crosses into a C caller, and answers a bad
// argument with a status.
#include "core/capi/vaveze.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/capi/handles.h"
#include "core/capi/resultcodes.h"
#include "core/listing/listing.h"
#include "core/session/faults.h"
#include "core/session/texts.h"

namespace {

using namespace vaveze;

constexpr unsigned int kKnownFlags = VAVEZE_HEADER | VAVEZE_DIMENSIONS | VAVEZE_BLOCKS | VAVEZE_SALVAGE;

// A document is read with salvage wherever its file is damaged, so that any
// of its listings may ask for what was salvaged; a file listed at once is
// read so only when its flags ask.
constexpr ReadMode kDocumentMode = ReadMode::Salvage;

ReadMode ModeOf(unsigned int flags) { return (flags & VAVEZE_SALVAGE) != 0 ? ReadMode::Salvage : ReadMode::Ordinary; }

// The library's guard: runs `call`, which returns a status; a fault that
// escapes it is VAVEZE_ERROR_MEMORY when memory ran out, else
// VAVEZE_ERROR_INTERNAL.
template <typename Call>
int Guard(Call call) noexcept
{
    return Guarded(call, [](const Fault& fault) {
        return fault.Kind == FaultKind::OutOfMemory ? VAVEZE_ERROR_MEMORY : VAVEZE_ERROR_INTERNAL;
    });
}

// Runs `call`, which makes a handle, and hands the handle out. The status
// is the handle's.
template <typename Handle, typename Call>
int Run(Handle** out, Call call) noexcept
{
    return Guard([&] {
        std::unique_ptr<Handle> handle = call();
        const int status = handle->Codes.Status;
        *out = handle.release();
        return status;
    });
}

// A UTF-8 name as a path: VAVEZE_OK, or VAVEZE_ERROR_ARGUMENT when the
// platform cannot hold it (a name that is not UTF-8, on Windows). On POSIX
// systems the bytes are the name, whatever they are.
int PathOfUtf8(const char* utf8, std::filesystem::path& path) noexcept
{
    try {
#ifdef _WIN32
        const std::string_view name(utf8);
        path = std::filesystem::path(std::u8string(name.begin(), name.end()));
#else
        path = std::filesystem::path(utf8);
#endif
        return VAVEZE_OK;
    } catch (const std::bad_alloc&) {
        return VAVEZE_ERROR_MEMORY;
    } catch (...) {
        return VAVEZE_ERROR_ARGUMENT;
    }
}

// Each opening call's checks of its arguments; clears *out first.
template <typename Handle>
bool Prepared(Handle** out, unsigned int flags = 0)
{
    if (out == nullptr)
        return false;
    *out = nullptr;
    return (flags & ~kKnownFlags) == 0;
}

int OpenPath(const std::filesystem::path& path, vaveze_document** document)
{
    return Run(document, [&] { return OpenDocument(path, kDocumentMode); });
}

int ListPath(const std::filesystem::path& path, unsigned int flags, vaveze_listing** listing)
{
    return Run(listing, [&] { return ListDocument(*OpenDocument(path, ModeOf(flags)), flags); });
}

int SavePath(const vaveze_listing* listing, const std::filesystem::path& path, int* errorNumber) noexcept
{
    if (errorNumber != nullptr)
        *errorNumber = 0;
    if (listing->Codes.Status == VAVEZE_NOT_RECOGNISED)
        return VAVEZE_ERROR_ARGUMENT;  // no lines: no listing to save
    return Guard([&] {
        const int error = SaveListing(*listing, path);
        if (error == 0)
            return VAVEZE_OK;
        if (errorNumber != nullptr)
            *errorNumber = error;
        return VAVEZE_ERROR_WRITE;
    });
}

std::string_view BytesOf(const void* bytes, size_t size)
{
    return {size == 0 ? "" : static_cast<const char*>(bytes), size};
}

// Hands out line `index` of one of the listing's buffers.
int Line(const vaveze_listing* listing, bool utf8, std::size_t index, const char** text, std::size_t* length) noexcept
{
    if (listing == nullptr || text == nullptr || index >= listing->Count())
        return VAVEZE_ERROR_ARGUMENT;
    return Guard([&] {
        const std::string& buffer = utf8 ? WithUtf8(*listing).Utf8 : listing->Sjis;
        const std::vector<std::size_t>& starts = utf8 ? listing->Utf8Starts : listing->SjisStarts;
        *text = buffer.data() + starts[index];
        if (length != nullptr)
            *length = starts[index + 1] - starts[index] - 1;
        return VAVEZE_OK;
    });
}

// What a document and a listing both tell of how their file was read; a
// null handle tells the argument was wrong.
template <typename Handle>
int StatusOf(const Handle* handle)
{
    return handle == nullptr ? VAVEZE_ERROR_ARGUMENT : handle->Codes.Status;
}

template <typename Handle>
int FormatOf(const Handle* handle)
{
    return handle == nullptr ? VAVEZE_FORMAT_NONE : handle->Codes.Format;
}

template <typename Handle>
int ReasonOf(const Handle* handle)
{
    return handle == nullptr ? VAVEZE_REASON_NONE : handle->Codes.Reason;
}

template <typename Handle>
vaveze_offset OffsetOf(const Handle* handle)
{
    return handle == nullptr ? 0 : handle->Codes.Offset;
}

template <typename Handle>
int WarningOf(const Handle* handle)
{
    return handle == nullptr ? VAVEZE_WARNING_NONE : handle->Codes.Warning;
}

template <typename Handle>
const char* MessageOf(const Handle* handle)
{
    return handle == nullptr ? vaveze_status_text(VAVEZE_ERROR_ARGUMENT) : handle->Codes.Message.c_str();
}

int LineKindCode(LineKind kind)
{
    switch (kind) {
    case LineKind::Heading:
        return VAVEZE_LINE_HEADING;
    case LineKind::HeaderText:
        return VAVEZE_LINE_HEADER_TEXT;
    case LineKind::LayerGroup:
        return VAVEZE_LINE_LAYER_GROUP;
    case LineKind::Layers:
        return VAVEZE_LINE_LAYERS;
    case LineKind::Colors:
        return VAVEZE_LINE_COLORS;
    case LineKind::LineTypes:
        return VAVEZE_LINE_LINE_TYPES;
    case LineKind::Text:
        return VAVEZE_LINE_TEXT;
    case LineKind::DimensionText:
        return VAVEZE_LINE_DIMENSION_TEXT;
    case LineKind::BlockName:
        return VAVEZE_LINE_BLOCK_NAME;
    case LineKind::BlockText:
        return VAVEZE_LINE_BLOCK_TEXT;
    case LineKind::BlockDimensionText:
        return VAVEZE_LINE_BLOCK_DIMENSION_TEXT;
    }
    return VAVEZE_LINE_TEXT;
}

}  // namespace

extern "C" {

const char* vaveze_version(void) { return VAVEZE_VERSION_STRING; }

int vaveze_version_number(void) { return VAVEZE_VERSION_NUMBER; }

int vaveze_open_file(const char* path, vaveze_document** document)
{
    if (!Prepared(document) || path == nullptr)
        return VAVEZE_ERROR_ARGUMENT;
    std::filesystem::path file;
    if (const int status = PathOfUtf8(path, file); status != VAVEZE_OK)
        return status;
    return OpenPath(file, document);
}

int vaveze_open_bytes(const void* bytes, size_t size, const char* name, vaveze_document** document)
{
    if (!Prepared(document) || name == nullptr || (bytes == nullptr && size != 0))
        return VAVEZE_ERROR_ARGUMENT;
    std::filesystem::path file;
    if (const int status = PathOfUtf8(name, file); status != VAVEZE_OK)
        return status;
    return Run(document, [&] { return OpenDocumentBytes(BytesOf(bytes, size), file, kDocumentMode); });
}

int vaveze_document_list(const vaveze_document* document, unsigned int flags, vaveze_listing** listing)
{
    if (!Prepared(listing, flags) || document == nullptr)
        return VAVEZE_ERROR_ARGUMENT;
    return Run(listing, [&] { return ListDocument(*document, flags); });
}

void vaveze_document_free(vaveze_document* document) { delete document; }

int vaveze_document_status(const vaveze_document* document) { return StatusOf(document); }
int vaveze_document_format(const vaveze_document* document) { return FormatOf(document); }
int vaveze_document_reason(const vaveze_document* document) { return ReasonOf(document); }
vaveze_offset vaveze_document_offset(const vaveze_document* document) { return OffsetOf(document); }
int vaveze_document_warning(const vaveze_document* document) { return WarningOf(document); }
const char* vaveze_document_message(const vaveze_document* document) { return MessageOf(document); }

int vaveze_list_file(const char* path, unsigned int flags, vaveze_listing** listing)
{
    if (!Prepared(listing, flags) || path == nullptr)
        return VAVEZE_ERROR_ARGUMENT;
    std::filesystem::path file;
    if (const int status = PathOfUtf8(path, file); status != VAVEZE_OK)
        return status;
    return ListPath(file, flags, listing);
}

int vaveze_list_bytes(const void* bytes, size_t size, const char* name, unsigned int flags, vaveze_listing** listing)
{
    if (!Prepared(listing, flags) || name == nullptr || (bytes == nullptr && size != 0))
        return VAVEZE_ERROR_ARGUMENT;
    std::filesystem::path file;
    if (const int status = PathOfUtf8(name, file); status != VAVEZE_OK)
        return status;
    return Run(listing,
               [&] { return ListDocument(*OpenDocumentBytes(BytesOf(bytes, size), file, ModeOf(flags)), flags); });
}

void vaveze_free(vaveze_listing* listing) { delete listing; }

int vaveze_listing_status(const vaveze_listing* listing) { return StatusOf(listing); }
int vaveze_listing_format(const vaveze_listing* listing) { return FormatOf(listing); }
int vaveze_listing_reason(const vaveze_listing* listing) { return ReasonOf(listing); }
vaveze_offset vaveze_listing_offset(const vaveze_listing* listing) { return OffsetOf(listing); }
int vaveze_listing_warning(const vaveze_listing* listing) { return WarningOf(listing); }
const char* vaveze_listing_message(const vaveze_listing* listing) { return MessageOf(listing); }

size_t vaveze_listing_count(const vaveze_listing* listing) { return listing == nullptr ? 0 : listing->Count(); }

int vaveze_listing_line(const vaveze_listing* listing, size_t index, const char** bytes, size_t* length)
{
    return Line(listing, false, index, bytes, length);
}

int vaveze_listing_line_utf8(const vaveze_listing* listing, size_t index, const char** text, size_t* length)
{
    return Line(listing, true, index, text, length);
}

int vaveze_listing_line_kind(const vaveze_listing* listing, size_t index)
{
    if (listing == nullptr || index >= listing->Count())
        return VAVEZE_ERROR_ARGUMENT;
    return LineKindCode(KindOf(*listing, index).Kind);
}

int vaveze_listing_line_block(const vaveze_listing* listing, size_t index)
{
    if (listing == nullptr || index >= listing->Count())
        return -1;
    return KindOf(*listing, index).Block;
}

int vaveze_listing_line_block_number(const vaveze_listing* listing, size_t index, int* block)
{
    if (listing == nullptr || block == nullptr || index >= listing->Count())
        return VAVEZE_ERROR_ARGUMENT;
    *block = KindOf(*listing, index).Block;
    return VAVEZE_OK;
}

int vaveze_listing_line_salvaged(const vaveze_listing* listing, size_t index)
{
    if (listing == nullptr || index >= listing->Count())
        return VAVEZE_ERROR_ARGUMENT;
    return index >= listing->FirstSalvaged ? 1 : 0;
}

size_t vaveze_listing_skipped_count(const vaveze_listing* listing)
{
    return listing == nullptr ? 0 : listing->Skipped.size();
}

int vaveze_listing_skipped(const vaveze_listing* listing, size_t index, int* reason, vaveze_offset* from,
                           vaveze_offset* to)
{
    if (listing == nullptr || index >= listing->Skipped.size())
        return VAVEZE_ERROR_ARGUMENT;
    const SkippedPlace& place = listing->Skipped[index];
    if (reason != nullptr)
        *reason = ReasonCode(place.Reason);
    if (from != nullptr)
        *from = place.From;
    if (to != nullptr)
        *to = place.To;
    return VAVEZE_OK;
}

int vaveze_listing_line_kinds(const vaveze_listing* listing, size_t first, size_t count, int* kinds, int* blocks)
{
    if (listing == nullptr || first > listing->Count() || count > listing->Count() - first)
        return VAVEZE_ERROR_ARGUMENT;
    for (size_t i = 0; i < count; ++i) {
        const vaveze_listing::KindRun& run = KindOf(*listing, first + i);
        if (kinds != nullptr)
            kinds[i] = LineKindCode(run.Kind);
        if (blocks != nullptr)
            blocks[i] = run.Block;
    }
    return VAVEZE_OK;
}

int vaveze_listing_bytes(const vaveze_listing* listing, int encoding, const char** bytes, size_t* size)
{
    if (listing == nullptr || bytes == nullptr || size == nullptr ||
        (encoding != VAVEZE_ENCODING_SHIFT_JIS && encoding != VAVEZE_ENCODING_UTF8))
        return VAVEZE_ERROR_ARGUMENT;
    return Guard([&] {
        const std::string& whole = WholeListing(*listing, encoding);
        *bytes = whole.c_str();
        *size = whole.size();
        return VAVEZE_OK;
    });
}

int vaveze_listing_save(const vaveze_listing* listing, const char* path, int* error_number)
{
    if (error_number != nullptr)
        *error_number = 0;
    if (listing == nullptr || path == nullptr)
        return VAVEZE_ERROR_ARGUMENT;
    std::filesystem::path file;
    if (const int status = PathOfUtf8(path, file); status != VAVEZE_OK)
        return status;
    return SavePath(listing, file, error_number);
}

#ifdef _WIN32
int vaveze_open_file_w(const wchar_t* path, vaveze_document** document)
{
    if (!Prepared(document) || path == nullptr)
        return VAVEZE_ERROR_ARGUMENT;
    return Guard([&] { return OpenPath(std::filesystem::path(path), document); });
}

int vaveze_list_file_w(const wchar_t* path, unsigned int flags, vaveze_listing** listing)
{
    if (!Prepared(listing, flags) || path == nullptr)
        return VAVEZE_ERROR_ARGUMENT;
    return Guard([&] { return ListPath(std::filesystem::path(path), flags, listing); });
}

int vaveze_listing_save_w(const vaveze_listing* listing, const wchar_t* path, int* error_number)
{
    if (error_number != nullptr)
        *error_number = 0;
    if (listing == nullptr || path == nullptr)
        return VAVEZE_ERROR_ARGUMENT;
    return Guard([&] { return SavePath(listing, std::filesystem::path(path), error_number); });
}
#endif

const char* vaveze_status_text(int status)
{
    switch (status) {
    case VAVEZE_OK:
        return "listed";
    case VAVEZE_PARTIAL:
        return "listed, but the file could not be read to its end; only what was read is listed";
    case VAVEZE_NOT_RECOGNISED:
        return "not a recognised drawing or symbol file";
    case VAVEZE_ERROR_ARGUMENT:
        return "invalid argument";
    case VAVEZE_ERROR_MEMORY:
        return "out of memory";
    case VAVEZE_ERROR_INTERNAL:
        return "internal error";
    case VAVEZE_ERROR_WRITE:
        return "the listing could not be saved";
    default:
        return "unknown status";
    }
}

const char* vaveze_reason_text(int reason) { return ReasonText(reason); }

const char* vaveze_format_name(int format)
{
    switch (format) {
    case VAVEZE_FORMAT_ZVW:
        return "ZVW";
    case VAVEZE_FORMAT_ZVS:
        return "ZVS";
    case VAVEZE_FORMAT_ZVC:
        return "ZVC";
    case VAVEZE_FORMAT_ZVK:
        return "ZVK";
    default:
        return "none";
    }
}

const char* vaveze_warning_text(int warning)
{
    // The warnings are UTF-8 literals of static storage, each ending in a NUL.
    switch (warning) {
    case VAVEZE_WARNING_NOT_ZVW:
        return WarningText(WarningKind::NotZvw).data();
    case VAVEZE_WARNING_NOT_ZVS:
        return WarningText(WarningKind::NotZvs).data();
    default:
        return "";
    }
}

}  // extern "C"
