#include "core/listing/listing.h"

#include <algorithm>
#include <array>
#include <optional>

#include "core/text/Func_.h"
#include "core/text/linefilter.h"
#include "core/readers/dos/zvcunit.h"
#include "core/readers/dos/zvkunit.h"
#include "core/readers/win/zvsunit.h"
#include "core/readers/win/zvwunit.h"

namespace vaveze {
namespace {

// A sink refused a line: the listing stops there, keeping the lines before it.
struct SinkFull {};

// Gathers texts and hands them to the sink a batch at a time. A gathered text
// must stay where it is until it is handed on, as the tables' strings do;
// texts made for the listing (joined names, block marks) go on their own.
class TextBatch {
public:
    explicit TextBatch(LineSink& sink) : sink_(sink) {}

    // The texts added from now on are of `kind`; those gathered before are
    // handed on first, under the kind they were added with.
    void Kind(LineKind kind, std::int32_t block = kNoBlock)
    {
        if (kind == kind_ && block == block_)
            return;
        HandOn();
        kind_ = kind;
        block_ = block;
        sink_.SetKind(kind, block);
    }

    void Add(std::string_view text)
    {
        texts_[count_++] = text;
        if (count_ == texts_.size())
            HandOn();
    }

    // The text of every entry. The count stays in a local: the compiler
    // would otherwise reload it after every view stored.
    template <typename Range, typename TextOf>
    void AddEach(const Range& entries, TextOf textOf)
    {
        std::size_t count = count_;
        for (const auto& entry : entries) {
            texts_[count++] = textOf(entry);
            if (count == texts_.size()) {
                count_ = count;
                HandOn();
                count = 0;
            }
        }
        count_ = count;
    }

    // The lines added from now on were salvaged.
    void StartSalvaged()
    {
        HandOn();
        sink_.StartSalvaged();
        kind_ = static_cast<LineKind>(0xFF);  // the next kind reaches the sink again
    }

    void AddMade(const std::string& text)
    {
        HandOn();
        const std::string_view one = text;
        if (!sink_.AppendTexts({&one, 1}))
            throw SinkFull{};
    }

    void HandOn()
    {
        const std::size_t count = count_;
        count_ = 0;
        if (count != 0 && !sink_.AppendTexts({texts_.data(), count}))
            throw SinkFull{};
    }

private:
    LineSink& sink_;
    std::array<std::string_view, 256> texts_;
    std::size_t count_ = 0;
    // No line has this kind, so the first Kind call always reaches the sink.
    LineKind kind_ = static_cast<LineKind>(0xFF);
    std::int32_t block_ = kNoBlock;
};

// Joins the non-empty names with commas and adds the result as one line.
// Emptiness is judged on the stored bytes, so a name of control bytes still
// brings its comma; the filter then runs once over the whole line.
template <typename Range, typename NameOf>
void AddJoinedNames(TextBatch& batch, const Range& entries, std::size_t first, std::size_t count, NameOf nameOf)
{
    std::string joined;
    const std::size_t end = std::min(entries.size(), first + count);
    for (std::size_t i = first; i < end; ++i) {
        const std::string& name = nameOf(entries[i]);
        if (name.empty())
            continue;
        if (!joined.empty())
            joined += ',';
        joined += name;
    }
    if (!joined.empty())
        batch.AddMade(joined);
}

// A list's texts are in its text records, or, where the parse kept the
// texts alone, in Listed; the other place is empty.
void AddTexts(TextBatch& batch, const TEntityTables& list)
{
    batch.AddEach(list.Moji, [](const TEntMoji& moji) { return moji.Text; });
    batch.AddEach(list.Listed.Texts, [](std::string_view text) { return text; });
}

void AddDimensionTexts(TextBatch& batch, const TEntityTables& list)
{
    batch.AddEach(list.Sunpo, [](const TEntSunpo& sunpo) { return sunpo.Moji.Text; });
    batch.AddEach(list.Listed.DimensionTexts, [](std::string_view text) { return text; });
}

// The body shared by the two Windows formats: texts, dimension texts and the
// block section.
void AddWindowsEntities(TextBatch& batch, const TEntityTables& entities, const TBlockDefTable& blocks,
                        const ListingOptions& options)
{
    batch.Kind(LineKind::Heading);
    batch.Add(kHeadingText);
    batch.Kind(LineKind::Text);
    AddTexts(batch, entities);
    if (options.Dimensions) {
        batch.Kind(LineKind::DimensionText);
        AddDimensionTexts(batch, entities);
    }

    if (!options.Blocks || blocks.Count <= 0)
        return;
    batch.Kind(LineKind::Heading);
    batch.Add(kHeadingBlock);
    // Entries beyond those the parse started exist in the table with an
    // empty name and no entities.
    const auto entries = static_cast<std::size_t>(std::max(0, std::min(blocks.Count, blocks.TableSize)));
    for (std::size_t i = 0; i < entries; ++i) {
        const auto block = static_cast<std::int32_t>(i);
        batch.Kind(LineKind::BlockName, block);
        if (i >= blocks.Defs.size()) {
            batch.Add(kBlockMark);
            continue;
        }
        const TEntBlockDef& def = blocks.Defs[i];
        batch.AddMade(std::string(kBlockMark) + def.Name);
        batch.Kind(LineKind::BlockText, block);
        AddTexts(batch, def.Entities);
        if (options.Dimensions) {
            batch.Kind(LineKind::BlockDimensionText, block);
            AddDimensionTexts(batch, def.Entities);
        }
    }
}

// Group name, then the joined names of its 16 layers, for each of 16 groups.
template <typename Groups, typename Layers>
void AddGroupsAndLayers(TextBatch& batch, const Groups& groups, const Layers& layers)
{
    for (std::size_t g = 0; g < 16; ++g) {
        batch.Kind(LineKind::LayerGroup);
        if (g < groups.size())
            batch.Add(groups[g].Name);
        batch.Kind(LineKind::Layers);
        AddJoinedNames(batch, layers, 16 * g, 16, [](const auto& layer) -> const std::string& { return layer.Name; });
    }
}

void AddDosTexts(TextBatch& batch, const Table<TMoji2>& texts)
{
    batch.Kind(LineKind::Heading);
    batch.Add(kHeadingText);
    batch.Kind(LineKind::Text);
    batch.AddEach(texts, [](const TMoji2& moji) { return moji.Text; });
}

// The heading and the two header texts of ZVC and ZVK.
template <typename Header>
void AddDosHeaderTexts(TextBatch& batch, const Header& header)
{
    batch.Kind(LineKind::Heading);
    batch.Add(kHeadingHeader);
    batch.Kind(LineKind::HeaderText);
    batch.Add(header.Text1);
    batch.Add(header.Text2);
}

// Where a salvaged text goes: its kind of line, and its section's heading.
struct SalvagedPlace {
    LineKind Kind;
    std::string_view Heading;
};

// Where a salvaged text goes, or nothing where the options leave it out.
std::optional<SalvagedPlace> PlaceOf(SalvagedKind kind, const ListingOptions& options)
{
    switch (kind) {
    case SalvagedKind::Text:
        return SalvagedPlace{LineKind::Text, kHeadingText};
    case SalvagedKind::DimensionText:
        if (options.Dimensions)
            return SalvagedPlace{LineKind::DimensionText, kHeadingText};
        break;
    case SalvagedKind::BlockName:
        if (options.Blocks)
            return SalvagedPlace{LineKind::BlockName, kHeadingBlock};
        break;
    case SalvagedKind::BlockText:
        if (options.Blocks)
            return SalvagedPlace{LineKind::BlockText, kHeadingBlock};
        break;
    case SalvagedKind::BlockDimensionText:
        if (options.Blocks && options.Dimensions)
            return SalvagedPlace{LineKind::BlockDimensionText, kHeadingBlock};
        break;
    }
    return std::nullopt;
}

// The salvaged texts the options take, in file order after every other
// line, each section's heading repeated where its lines begin again.
void AddSalvaged(TextBatch& batch, const SalvageResult& salvaged, const ListingOptions& options)
{
    if (!options.Salvage)
        return;
    std::string_view heading;
    for (const SalvagedText& text : salvaged.Texts) {
        const auto place = PlaceOf(text.Kind, options);
        if (!place)
            continue;
        if (heading.empty())
            batch.StartSalvaged();
        if (place->Heading != heading) {
            heading = place->Heading;
            batch.Kind(LineKind::Heading);
            batch.Add(heading);
        }
        batch.Kind(place->Kind, text.Block);
        if (text.Kind == SalvagedKind::BlockName)
            batch.AddMade(std::string(kBlockMark) + std::string(text.Text));
        else
            batch.Add(text.Text);
    }
}

template <typename Body>
bool RunListing(LineSink& sink, Body body)
{
    sink.Clear();
    TextBatch batch(sink);
    try {
        body(batch);
        batch.HandOn();
    } catch (const SinkFull&) {
        return false;
    }
    return true;
}

}  // namespace

bool LineSink::AppendTexts(std::span<const std::string_view> texts)
{
    for (const std::string_view text : texts)
        if (!AddLine(*this, text))
            return false;
    return true;
}

bool AddLine(LineSink& sink, std::string_view line)
{
    auto append = [&sink](std::string_view filtered) {
        if (filtered.empty() || filtered == " ")
            return true;
        return sink.Append(filtered);
    };
    // Nearly every line is clean, and the filter would only copy it.
    if (!SjisLineNeedsFilter(line))
        return append(line);
    return append(FilterSjisLine(line));
}

bool ListZvw(const ZvwReader& reader, const ListingOptions& options, LineSink& sink)
{
    return RunListing(sink, [&](TextBatch& batch) {
        if (options.Header) {
            batch.Kind(LineKind::Heading);
            batch.Add(kHeadingHeader);
            batch.Kind(LineKind::HeaderText);
            batch.Add(reader.Header.Memo);
            AddGroupsAndLayers(batch, reader.LayerGroups, reader.Layers);
            batch.Kind(LineKind::Colors);
            AddJoinedNames(batch, reader.Colors, 0, 257,
                           [](const TColorExNo& c) -> const std::string& { return c.Name; });
            batch.Kind(LineKind::LineTypes);
            AddJoinedNames(batch, reader.LineTypes, 0, 33,
                           [](const TLineTypeExNo& t) -> const std::string& { return t.Name; });
        }
        AddWindowsEntities(batch, reader.Entities, reader.BlockDefs, options);
        AddSalvaged(batch, reader.Salvaged, options);
    });
}

bool ListZvs(const ZvsReader& reader, const ListingOptions& options, LineSink& sink)
{
    // Symbol files have no header section, whatever the first option says.
    return RunListing(sink, [&](TextBatch& batch) {
        AddWindowsEntities(batch, reader.Entities, reader.BlockDefs, options);
        AddSalvaged(batch, reader.Salvaged, options);
    });
}

bool ListZvc(const ZvcReader& reader, const ListingOptions& options, LineSink& sink)
{
    return RunListing(sink, [&](TextBatch& batch) {
        if (options.Header) {
            AddDosHeaderTexts(batch, reader.Header);
            AddGroupsAndLayers(batch, reader.LayerGroups, reader.Layers);
        }
        AddDosTexts(batch, reader.Texts);
        AddSalvaged(batch, reader.Salvaged, options);
    });
}

bool ListZvk(const ZvkReader& reader, const ListingOptions& options, LineSink& sink)
{
    return RunListing(sink, [&](TextBatch& batch) {
        if (options.Header)
            AddDosHeaderTexts(batch, reader.Header);
        AddDosTexts(batch, reader.Texts);
        AddSalvaged(batch, reader.Salvaged, options);
    });
}

std::string_view LineKindName(LineKind kind)
{
    switch (kind) {
    case LineKind::Heading:
        return "heading";
    case LineKind::HeaderText:
        return "header_text";
    case LineKind::LayerGroup:
        return "layer_group";
    case LineKind::Layers:
        return "layers";
    case LineKind::Colors:
        return "colors";
    case LineKind::LineTypes:
        return "line_types";
    case LineKind::Text:
        return "text";
    case LineKind::DimensionText:
        return "dimension_text";
    case LineKind::BlockName:
        return "block_name";
    case LineKind::BlockText:
        return "block_text";
    case LineKind::BlockDimensionText:
        return "block_dimension_text";
    }
    return "text";
}

}  // namespace vaveze
