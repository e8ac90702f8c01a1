// The listing: one line per text of the last parse, in file order, as
// Shift-JIS bytes. Lines reach their destination only through AddLine.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vaveze {

struct ZvwReader;
struct ZvsReader;
struct ZvcReader;
struct ZvkReader;

// The three check boxes of the window, read when a listing is built.
struct ListingOptions {
    bool Header = false;      // the header section (ZVW, ZVC, ZVK)
    bool Dimensions = false;  // the texts of dimensions (ZVW, ZVS)
    bool Blocks = false;      // the block section (ZVW, ZVS)
    // After the lines above, those a salvage reading found beyond the
    // place where the file is damaged, where the parse salvaged.
    bool Salvage = false;

    bool operator==(const ListingOptions&) const = default;
};

// What a line of the listing is. A drawing's text may read exactly as a
// heading does; its kind still tells them apart. The listing's bytes never
// depend on it.
enum class LineKind : std::uint8_t {
    Heading,             // "■ヘッダ情報", "■文字情報", "■ブロック内文字情報"
    HeaderText,          // the memo (ZVW), the two header texts (ZVC, ZVK)
    LayerGroup,          // a layer group's name
    Layers,              // the names of a group's layers, joined by commas
    Colors,              // the names of the extended colours, joined
    LineTypes,           // the names of the line types, joined
    Text,                // a text of the drawing or symbol
    DimensionText,       // the text of a dimension
    BlockName,           // "◆" and a block definition's name
    BlockText,           // a text inside a block definition
    BlockDimensionText,  // a dimension's text inside a block definition
};

// The stable name of a kind of line, in lower case with underscores
// ("block_name"): what vaveze-list --json and the CSV table write and the
// Node API's kinds are made from.
[[nodiscard]] std::string_view LineKindName(LineKind kind);

// The block of a line outside the block section.
inline constexpr std::int32_t kNoBlock = -1;

// Where listing lines go: the window's pane, the tool's output, a test.
class LineSink {
public:
    virtual ~LineSink() = default;
    // Removes every line.
    virtual void Clear() = 0;
    // The lines appended from now on are of `kind`, and belong to the block
    // definition numbered `block` (from 0 in file order; kNoBlock outside
    // the block section). A sink that keeps no kinds ignores it.
    virtual void SetKind(LineKind kind, std::int32_t block) { (void)kind, (void)block; }
    // The lines appended from now on were salvaged: read after a place where
    // the file is damaged (ListingOptions::Salvage). Called at most once,
    // after every line of the ordinary listing.
    virtual void StartSalvaged() {}
    // Appends one line; false when it does not fit, which stops the listing.
    [[nodiscard]] virtual bool Append(std::string_view line) = 0;
    // Lists texts as the tables hold them, in order, each as AddLine does.
    // False when a line did not fit; the texts after it are not listed. The
    // listing hands its texts over in batches through this, so a sink that
    // can filter while it copies saves a call and a pass for every line.
    [[nodiscard]] virtual bool AppendTexts(std::span<const std::string_view> texts);
};

// Collects lines in memory.
class VectorSink final : public LineSink {
public:
    void Clear() override { Lines.clear(); }
    [[nodiscard]] bool Append(std::string_view line) override
    {
        Lines.emplace_back(line);
        return true;
    }
    std::vector<std::string> Lines;
};

// Fixed texts of the listing, in Shift-JIS.
inline constexpr std::string_view kHeadingHeader = "\x81\xA1\x83\x77\x83\x62\x83\x5F\x8F\xEE\x95\xF1";
inline constexpr std::string_view kHeadingText = "\x81\xA1\x95\xB6\x8E\x9A\x8F\xEE\x95\xF1";
inline constexpr std::string_view kHeadingBlock =
    "\x81\xA1\x83\x75\x83\x8D\x83\x62\x83\x4E\x93\xE0\x95\xB6\x8E\x9A\x8F\xEE\x95\xF1";
inline constexpr std::string_view kBlockMark = "\x81\x9F";

// Filters the line and appends it unless it comes out empty or a single space.
// False when the sink refused it.
[[nodiscard]] bool AddLine(LineSink& sink, std::string_view line);

// Each empties the sink and lists one reader's tables. False when the sink
// refused a line; the lines before it stay.
[[nodiscard]] bool ListZvw(const ZvwReader& reader, const ListingOptions& options, LineSink& sink);
[[nodiscard]] bool ListZvs(const ZvsReader& reader, const ListingOptions& options, LineSink& sink);
[[nodiscard]] bool ListZvc(const ZvcReader& reader, const ListingOptions& options, LineSink& sink);
[[nodiscard]] bool ListZvk(const ZvkReader& reader, const ListingOptions& options, LineSink& sink);

}  // namespace vaveze
