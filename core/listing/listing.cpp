#include "core/listing/listing.h"

#include <algorithm>

#include "core/text/Func_.h"
#include "core/readers/dos/zvcunit.h"
#include "core/readers/dos/zvkunit.h"
#include "core/readers/win/zvsunit.h"
#include "core/readers/win/zvwunit.h"

namespace vaveze {
namespace {

// A sink refused a line: the listing stops there, keeping the lines before it.
struct SinkFull {};

void Add(LineSink& sink, std::string_view line)
{
    if (!AddLine(sink, line))
        throw SinkFull{};
}

// Joins the non-empty names with commas and adds the result as one line.
// Emptiness is judged on the stored bytes, so a name of control bytes still
// brings its comma; the filter then runs once over the whole line.
template <typename Range, typename NameOf>
void AddJoinedNames(LineSink& sink, const Range& entries, std::size_t first, std::size_t count, NameOf nameOf)
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
        Add(sink, joined);
}

void AddTexts(LineSink& sink, const Table<TEntMoji>& texts)
{
    for (const TEntMoji& moji : texts)
        Add(sink, moji.Text);
}

void AddDimensionTexts(LineSink& sink, const Table<TEntSunpo>& dimensions)
{
    for (const TEntSunpo& sunpo : dimensions)
        Add(sink, sunpo.Moji.Text);
}

// The body shared by the two Windows formats: texts, dimension texts and the
// block section.
void AddWindowsEntities(LineSink& sink, const TEntityTables& entities, const TBlockDefTable& blocks,
                        const ListingOptions& options)
{
    Add(sink, kHeadingText);
    AddTexts(sink, entities.Moji);
    if (options.CheckBox2)
        AddDimensionTexts(sink, entities.Sunpo);

    if (!options.CheckBox3 || blocks.Count <= 0)
        return;
    Add(sink, kHeadingBlock);
    // Entries beyond those the parse started exist in the table with an
    // empty name and no entities.
    const auto entries = static_cast<std::size_t>(std::max(0, std::min(blocks.Count, blocks.TableSize)));
    for (std::size_t i = 0; i < entries; ++i) {
        if (i >= blocks.Defs.size()) {
            Add(sink, kBlockMark);
            continue;
        }
        const TEntBlockDef& def = blocks.Defs[i];
        Add(sink, std::string(kBlockMark) + def.Name);
        AddTexts(sink, def.Entities.Moji);
        if (options.CheckBox2)
            AddDimensionTexts(sink, def.Entities.Sunpo);
    }
}

// Group name, then the joined names of its 16 layers, for each of 16 groups.
template <typename Groups, typename Layers>
void AddGroupsAndLayers(LineSink& sink, const Groups& groups, const Layers& layers)
{
    for (std::size_t g = 0; g < 16; ++g) {
        if (g < groups.size())
            Add(sink, groups[g].Name);
        AddJoinedNames(sink, layers, 16 * g, 16, [](const auto& layer) -> const std::string& { return layer.Name; });
    }
}

void AddDosTexts(LineSink& sink, const Table<TMoji2>& texts)
{
    for (const TMoji2& moji : texts)
        Add(sink, moji.Text);
}

template <typename Body>
bool RunListing(LineSink& sink, Body body)
{
    sink.Clear();
    try {
        body();
    } catch (const SinkFull&) {
        return false;
    }
    return true;
}

}  // namespace

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
    return RunListing(sink, [&] {
        if (options.CheckBox1) {
            Add(sink, kHeadingHeader);
            Add(sink, reader.Header.Memo);
            AddGroupsAndLayers(sink, reader.LayerGroups, reader.Layers);
            AddJoinedNames(sink, reader.Colors, 0, 257, [](const TColorExNo& c) -> const std::string& { return c.Name; });
            AddJoinedNames(sink, reader.LineTypes, 0, 33,
                           [](const TLineTypeExNo& t) -> const std::string& { return t.Name; });
        }
        AddWindowsEntities(sink, reader.Entities, reader.BlockDefs, options);
    });
}

bool ListZvs(const ZvsReader& reader, const ListingOptions& options, LineSink& sink)
{
    // Symbol files have no header section, whatever the first option says.
    return RunListing(sink, [&] { AddWindowsEntities(sink, reader.Entities, reader.BlockDefs, options); });
}

bool ListZvc(const ZvcReader& reader, const ListingOptions& options, LineSink& sink)
{
    return RunListing(sink, [&] {
        if (options.CheckBox1) {
            Add(sink, kHeadingHeader);
            Add(sink, reader.Header.Text1);
            Add(sink, reader.Header.Text2);
            AddGroupsAndLayers(sink, reader.LayerGroups, reader.Layers);
        }
        Add(sink, kHeadingText);
        AddDosTexts(sink, reader.Texts);
    });
}

bool ListZvk(const ZvkReader& reader, const ListingOptions& options, LineSink& sink)
{
    return RunListing(sink, [&] {
        if (options.CheckBox1) {
            Add(sink, kHeadingHeader);
            Add(sink, reader.Header.Text1);
            Add(sink, reader.Header.Text2);
        }
        Add(sink, kHeadingText);
        AddDosTexts(sink, reader.Texts);
    });
}

}  // namespace vaveze
