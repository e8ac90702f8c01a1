// The C interface: the only place where the C++ core meets callers that know
// nothing of C++. Every entry point catches everything, so no exception
// crosses into a C caller, and answers a bad argument with a status.
#include "core/capi/vaveze.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/capi/detection_codes.h"
#include "core/listing/extraction.h"
#include "core/listing/listing.h"
#include "core/session/texts.h"
#include "core/text/cp932.h"

// The opaque listing. The lines of each encoding lie in one buffer, each
// followed by a NUL, so that a caller gets a C string without a copy.
struct vaveze_listing {
    int Status = VAVEZE_NOT_RECOGNISED;
    int Format = VAVEZE_FORMAT_NONE;
    int Reason = VAVEZE_REASON_NONE;
    int Warning = VAVEZE_WARNING_NONE;
    vaveze_offset Offset = 0;
    std::string Message;
    std::string Sjis;
    std::string Utf8;
    std::vector<std::size_t> SjisStarts{0};  // where each line starts, then the end
    std::vector<std::size_t> Utf8Starts{0};
};

namespace {

using namespace vaveze;

constexpr unsigned int kKnownFlags = VAVEZE_HEADER | VAVEZE_DIMENSIONS | VAVEZE_BLOCKS;

// Collects the listing's lines straight into the listing's buffers.
class ListingSink final : public LineSink {
public:
    explicit ListingSink(vaveze_listing& listing) : listing_(listing) {}

    void Clear() override
    {
        listing_.Sjis.clear();
        listing_.Utf8.clear();
        listing_.SjisStarts.assign(1, 0);
        listing_.Utf8Starts.assign(1, 0);
    }

    [[nodiscard]] bool Append(std::string_view line) override
    {
        Push(listing_.Sjis, listing_.SjisStarts, line);
        Push(listing_.Utf8, listing_.Utf8Starts, Cp932ToUtf8(line));
        return true;
    }

private:
    static void Push(std::string& buffer, std::vector<std::size_t>& starts, std::string_view line)
    {
        buffer += line;
        buffer += '\0';
        starts.push_back(buffer.size());
    }

    vaveze_listing& listing_;
};

int FormatCode(FormatKind kind)
{
    switch (kind) {
    case FormatKind::Zvw:
        return VAVEZE_FORMAT_ZVW;
    case FormatKind::Zvs:
        return VAVEZE_FORMAT_ZVS;
    case FormatKind::Zvc:
        return VAVEZE_FORMAT_ZVC;
    case FormatKind::Zvk:
        return VAVEZE_FORMAT_ZVK;
    case FormatKind::None:
        break;
    }
    return VAVEZE_FORMAT_NONE;
}

ListingOptions OptionsOf(unsigned int flags)
{
    ListingOptions options;
    options.Header = (flags & VAVEZE_HEADER) != 0;
    options.Dimensions = (flags & VAVEZE_DIMENSIONS) != 0;
    options.Blocks = (flags & VAVEZE_BLOCKS) != 0;
    return options;
}

// Builds the listing of one detection and parse.
std::unique_ptr<vaveze_listing> MakeListing(const CapiDetection& detected, const Readers& readers,
                                            unsigned int flags)
{
    auto listing = std::make_unique<vaveze_listing>();
    listing->Format = FormatCode(detected.Kind);
    listing->Reason = detected.Reason;
    listing->Warning = detected.Warning;
    listing->Message = detected.Message;
    if (detected.Kind == FormatKind::None) {
        listing->Status = VAVEZE_NOT_RECOGNISED;
        return listing;
    }
    listing->Status = detected.Reason == VAVEZE_REASON_NONE ? VAVEZE_OK : VAVEZE_PARTIAL;
    listing->Offset = detected.Reason == VAVEZE_REASON_NONE ? 0 : detected.Offset;
    ListingSink sink(*listing);
    (void)ListFormat(detected.Kind, readers, OptionsOf(flags), sink);  // this sink takes every line
    return listing;
}

// Runs `detect` on fresh readers and hands out the listing; the one place
// where exceptions stop.
template <typename Detect>
int Run(unsigned int flags, vaveze_listing** out, Detect detect) noexcept
{
    try {
        const auto readers = std::make_unique<Readers>();
        const CapiDetection detected = detect(*readers);
        std::unique_ptr<vaveze_listing> listing = MakeListing(detected, *readers, flags);
        const int status = listing->Status;
        *out = listing.release();
        return status;
    } catch (const std::bad_alloc&) {
        return VAVEZE_ERROR_MEMORY;
    } catch (const std::length_error&) {
        return VAVEZE_ERROR_MEMORY;
    } catch (...) {
        return VAVEZE_ERROR_INTERNAL;
    }
}

// A UTF-8 name as a path: VAVEZE_OK, or VAVEZE_ERROR_ARGUMENT when the
// platform cannot hold it (a name that is not UTF-8, on Windows).
int PathOfUtf8(const char* utf8, std::filesystem::path& path) noexcept
{
    try {
        const std::string_view name(utf8);
        path = std::filesystem::path(std::u8string(name.begin(), name.end()));
        return VAVEZE_OK;
    } catch (const std::bad_alloc&) {
        return VAVEZE_ERROR_MEMORY;
    } catch (...) {
        return VAVEZE_ERROR_ARGUMENT;
    }
}

// Hands out line `index` of one of the listing's buffers.
int Line(const vaveze_listing* listing, bool utf8, std::size_t index, const char** text, std::size_t* length)
{
    if (listing == nullptr || text == nullptr || index >= listing->SjisStarts.size() - 1)
        return VAVEZE_ERROR_ARGUMENT;
    const std::string& buffer = utf8 ? listing->Utf8 : listing->Sjis;
    const std::vector<std::size_t>& starts = utf8 ? listing->Utf8Starts : listing->SjisStarts;
    *text = buffer.data() + starts[index];
    if (length != nullptr)
        *length = starts[index + 1] - starts[index] - 1;
    return VAVEZE_OK;
}

}  // namespace

extern "C" {

const char* vaveze_version(void) { return VAVEZE_VERSION_STRING; }

int vaveze_list_file(const char* path, unsigned int flags, vaveze_listing** listing)
{
    if (listing == nullptr)
        return VAVEZE_ERROR_ARGUMENT;
    *listing = nullptr;
    if (path == nullptr || (flags & ~kKnownFlags) != 0)
        return VAVEZE_ERROR_ARGUMENT;
    std::filesystem::path file;
    if (const int status = PathOfUtf8(path, file); status != VAVEZE_OK)
        return status;
    return Run(flags, listing, [&](Readers& readers) { return DetectFile(readers, file); });
}

int vaveze_list_bytes(const void* bytes, size_t size, const char* name, unsigned int flags, vaveze_listing** listing)
{
    if (listing == nullptr)
        return VAVEZE_ERROR_ARGUMENT;
    *listing = nullptr;
    if (name == nullptr || (bytes == nullptr && size != 0) || (flags & ~kKnownFlags) != 0)
        return VAVEZE_ERROR_ARGUMENT;
    std::filesystem::path file;
    if (const int status = PathOfUtf8(name, file); status != VAVEZE_OK)
        return status;
    const std::string_view content(size == 0 ? "" : static_cast<const char*>(bytes), size);
    return Run(flags, listing, [&](Readers& readers) { return DetectBytes(readers, file, content); });
}

void vaveze_free(vaveze_listing* listing) { delete listing; }

int vaveze_listing_status(const vaveze_listing* listing)
{
    return listing == nullptr ? VAVEZE_ERROR_ARGUMENT : listing->Status;
}

int vaveze_listing_format(const vaveze_listing* listing)
{
    return listing == nullptr ? VAVEZE_FORMAT_NONE : listing->Format;
}

int vaveze_listing_reason(const vaveze_listing* listing)
{
    return listing == nullptr ? VAVEZE_REASON_NONE : listing->Reason;
}

vaveze_offset vaveze_listing_offset(const vaveze_listing* listing) { return listing == nullptr ? 0 : listing->Offset; }

int vaveze_listing_warning(const vaveze_listing* listing)
{
    return listing == nullptr ? VAVEZE_WARNING_NONE : listing->Warning;
}

const char* vaveze_listing_message(const vaveze_listing* listing)
{
    return listing == nullptr ? vaveze_status_text(VAVEZE_ERROR_ARGUMENT) : listing->Message.c_str();
}

size_t vaveze_listing_count(const vaveze_listing* listing)
{
    return listing == nullptr ? 0 : listing->SjisStarts.size() - 1;
}

int vaveze_listing_line(const vaveze_listing* listing, size_t index, const char** bytes, size_t* length)
{
    return Line(listing, false, index, bytes, length);
}

int vaveze_listing_line_utf8(const vaveze_listing* listing, size_t index, const char** text, size_t* length)
{
    return Line(listing, true, index, text, length);
}

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
