#include "core/capi/handles.h"

#include <algorithm>
#include <utility>

#include "core/listing/encoded.h"
#include "core/text/linefilter.h"
#include "core/text/cp932.h"
#include "core/writing/filewriting.h"

namespace vaveze {
namespace {

// Collects the listing's lines and their kinds straight into the listing.
class ListingSink final : public LineSink {
public:
    explicit ListingSink(vaveze_listing& listing) : listing_(listing) {}

    void Clear() override
    {
        listing_.Sjis.clear();
        listing_.SjisStarts.assign(1, 0);
        listing_.Kinds.clear();
        listing_.FirstSalvaged = static_cast<std::size_t>(-1);
    }

    void SetKind(LineKind kind, std::int32_t block) override
    {
        kind_ = kind;
        block_ = block;
    }

    void StartSalvaged() override { listing_.FirstSalvaged = listing_.Count(); }

    [[nodiscard]] bool Append(std::string_view line) override
    {
        MarkRun();
        listing_.Sjis.append(line);
        End();
        return true;
    }

    // Each text filtered straight into the buffer, as vaveze-list's encoder
    // does, and kept unless it comes out blank.
    [[nodiscard]] bool AppendTexts(std::span<const std::string_view> texts) override
    {
        std::string& buffer = listing_.Sjis;
        for (const std::string_view text : texts) {
            const std::size_t at = buffer.size();
            buffer.resize(at + text.size());
            const std::size_t length = CopyFilteredSjisLine(text, buffer.data() + at);
            buffer.resize(at + length);
            if (length == 0 || (length == 1 && buffer[at] == ' ')) {
                buffer.resize(at);
                continue;
            }
            MarkRun();
            End();
        }
        return true;
    }

private:
    // A run starts with its first line, so sections without lines leave no
    // run behind.
    void MarkRun()
    {
        auto& kinds = listing_.Kinds;
        if (kinds.empty() || kinds.back().Kind != kind_ || kinds.back().Block != block_)
            kinds.push_back({listing_.Count(), kind_, block_});
    }

    void End()
    {
        listing_.Sjis += '\0';
        listing_.SjisStarts.push_back(listing_.Sjis.size());
    }

    vaveze_listing& listing_;
    LineKind kind_ = LineKind::Text;
    std::int32_t block_ = kNoBlock;
};

ListingOptions OptionsOf(unsigned int flags)
{
    ListingOptions options;
    options.Header = (flags & VAVEZE_HEADER) != 0;
    options.Dimensions = (flags & VAVEZE_DIMENSIONS) != 0;
    options.Blocks = (flags & VAVEZE_BLOCKS) != 0;
    options.Salvage = (flags & VAVEZE_SALVAGE) != 0;
    return options;
}

// Hands every line of the listing to the encoder, as the listing hands them
// to vaveze-list's.
void Encode(const vaveze_listing& listing, EncodedSink& sink)
{
    for (std::size_t i = 0; i < listing.Count(); ++i) {
        const std::size_t start = listing.SjisStarts[i];
        const std::string_view line(listing.Sjis.data() + start, listing.SjisStarts[i + 1] - start - 1);
        if (!sink.Append(line))
            return;  // a failed write, which Finish reports
    }
}

std::unique_ptr<vaveze_document> Take(std::unique_ptr<vaveze_document> document)
{
    document->Codes = CodesOf(document->Session.Chosen());
    return document;
}

}  // namespace

std::unique_ptr<vaveze_document> OpenDocument(const std::filesystem::path& path, ReadMode mode)
{
    auto document = std::make_unique<vaveze_document>();
    (void)document->Session.Open(path, mode);
    return Take(std::move(document));
}

std::unique_ptr<vaveze_document> OpenDocumentBytes(std::string_view bytes, const std::filesystem::path& name,
                                                   ReadMode mode)
{
    auto document = std::make_unique<vaveze_document>();
    (void)document->Session.OpenBytes(bytes, name, mode);
    return Take(std::move(document));
}

std::unique_ptr<vaveze_listing> ListDocument(const vaveze_document& document, unsigned int flags)
{
    auto listing = std::make_unique<vaveze_listing>();
    listing->Codes = document.Codes;
    ListingSink sink(*listing);
    const ListingOptions options = OptionsOf(flags);
    (void)document.Session.List(options, sink);  // this sink takes every line
    listing->FirstSalvaged = std::min(listing->FirstSalvaged, listing->Count());
    if (options.Salvage)
        listing->Skipped = document.Session.Shown().Skipped;
    return listing;
}

const vaveze_listing::KindRun& KindOf(const vaveze_listing& listing, std::size_t index)
{
    const auto after = std::upper_bound(listing.Kinds.begin(), listing.Kinds.end(), index,
                                        [](std::size_t i, const vaveze_listing::KindRun& run) { return i < run.First; });
    return *(after - 1);
}

const vaveze_listing& WithUtf8(const vaveze_listing& listing)
{
    std::call_once(listing.Utf8Made, [&] {
        std::string utf8;
        std::vector<std::size_t> starts{0};
        starts.reserve(listing.SjisStarts.size());
        utf8.reserve(listing.Sjis.size() + listing.Sjis.size() / 2);
        for (std::size_t i = 0; i < listing.Count(); ++i) {
            const std::size_t start = listing.SjisStarts[i];
            utf8 += Cp932ToUtf8(std::string_view(listing.Sjis).substr(start, listing.SjisStarts[i + 1] - start - 1));
            utf8 += '\0';
            starts.push_back(utf8.size());
        }
        listing.Utf8 = std::move(utf8);
        listing.Utf8Starts = std::move(starts);
    });
    return listing;
}

const std::string& WholeListing(const vaveze_listing& listing, int encoding)
{
    vaveze_listing::Encoded& whole = listing.Whole[encoding == VAVEZE_ENCODING_UTF8 ? 1 : 0];
    std::call_once(whole.Made, [&] {
        const bool utf8 = encoding == VAVEZE_ENCODING_UTF8;
        std::string bytes;
        // NUL ends each stored line; CR LF or LF takes its place. Only the
        // Shift-JIS lines, made with the listing, are read here: the UTF-8
        // ones may be in the making on another thread.
        bytes.reserve(listing.Sjis.size() + (utf8 ? listing.Sjis.size() / 2 : listing.Count()));
        EncodedSink sink(
            [&bytes](std::string_view more) {
                bytes.append(more);
                return 0;
            },
            utf8);
        Encode(listing, sink);
        (void)sink.Finish();  // appending fails only by throwing
        whole.Bytes = std::move(bytes);
    });
    return whole.Bytes;
}

int SaveListing(const vaveze_listing& listing, const std::filesystem::path& path)
{
    return SaveThrough(path, [&listing](EncodedSink::Writer write) {
        EncodedSink sink(std::move(write), false);
        Encode(listing, sink);
        return sink.Finish();
    });
}

}  // namespace vaveze
