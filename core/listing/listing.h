// The listing: one line per text of the last parse, in file order, as
// Shift-JIS bytes. Lines reach their destination only through AddLine.
#pragma once

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
    bool CheckBox1 = false;  // header section (ZVW, ZVC, ZVK)
    bool CheckBox2 = false;  // dimension texts (ZVW, ZVS)
    bool CheckBox3 = false;  // block section (ZVW, ZVS)
};

// Where listing lines go: the window's pane, the tool's output, a test.
class LineSink {
public:
    virtual ~LineSink() = default;
    // Removes every line.
    virtual void Clear() = 0;
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
