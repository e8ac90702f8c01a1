// Worst cases of the Windows edition's drawing and symbol files.
#include <cstdint>

#include "fuzz/worst_cases.h"
#include "tests/win/zvw_writer.h"

namespace vaveze::fuzz {
namespace {

using namespace vaveze::winwriter;

constexpr std::size_t kLongest = 65535;  // the longest length-prefixed string

// Fills the document's lists up to about `size` bytes in all, then declares
// `declared(actual size)` for the list `pick` chooses. The counts are
// written in their 32-bit form, so the declared value does not change the
// file's size.
template <typename Doc, typename Write, typename Pick>
std::string WithDeclaredCount(Doc& doc, Write write, Pick pick, std::int32_t extra)
{
    pick(doc).EscapeCount = true;
    const std::string first = write(doc);
    pick(doc).DeclaredCount = static_cast<std::int32_t>(first.size()) + extra;
    return write(doc);
}

// Dimensions hold the most memory per byte of file among the records.
EntityList Dimensions(std::size_t bytes)
{
    EntityList list;
    constexpr std::size_t kDimensionBytes = 2 + 13 + 45 + 91;  // tag, attr, line, text of a version-350 file
    for (std::size_t i = 0; i < bytes / kDimensionBytes; ++i)
        list.Add(MakeSunpo({}));
    return list;
}

// As many block definitions as fit, each empty but for one nested block
// insertion: the longest chain of nesting and the most definitions per byte.
BlockDefList NestedBlocks(std::size_t bytes)
{
    BlockDefList blocks;
    constexpr std::size_t kDefinitionBytes = 2 + 13 + 12 + 1 + 2 + 2 + 13 + 44;
    for (std::size_t i = 0; i < bytes / kDefinitionBytes; ++i) {
        BlockDefItem def = MakeBlockDef({});
        TEntBlock insertion;
        insertion.I = static_cast<std::int32_t>(i);  // refers to the definition before it
        def.Entities.Add(insertion);
        blocks.Defs.push_back(std::move(def));
    }
    return blocks;
}

ZvwDocument SmallDrawing()
{
    ZvwDocument doc;
    doc.Version = 350;
    return doc;
}

// The header's names and then texts, every string as long as it can be.
std::string ZvwLongestStrings(std::size_t size)
{
    ZvwDocument doc;
    doc.Version = 420;
    const std::string longest(kLongest, 'S');
    doc.Header.Memo = longest;
    std::size_t used = kLongest;
    for (std::size_t g = 0; g < 16 && used < size / 2; ++g, used += kLongest)
        doc.Group(g).Name = longest;
    for (std::size_t l = 0; l < 256 && used < size / 2; ++l, used += kLongest)
        doc.Layer(l / 16, l % 16).Name = longest;
    for (std::size_t c = 0; c < 257 && used < size / 2; ++c, used += kLongest)
        doc.Color(c).Name = longest;
    for (; used + 2 * kLongest < size; used += 2 * kLongest)
        doc.Entities.Add(MakeMoji(longest, longest));
    return WriteZvw(doc);
}

}  // namespace

void AddWinWorstCases(std::vector<WorstCase>& cases, std::size_t size)
{
    constexpr std::size_t kZvwHeader = 4096;  // about, for a version-350 drawing

    // The top-level list claims as many entities as the file has bytes (the
    // largest count the readers accept) and holds dimensions.
    ZvwDocument doc = SmallDrawing();
    doc.Entities = Dimensions(size - kZvwHeader);
    cases.push_back({"largest-count.zvw",
                     WithDeclaredCount(doc, WriteZvw, [](ZvwDocument& d) -> EntityList& { return d.Entities; }, 0)});

    // Every definition read, then the last one claims the whole file.
    doc = SmallDrawing();
    doc.BlockDefs = NestedBlocks(size - kZvwHeader);
    doc.BlockDefs.Defs.back().Entities.EscapeCount = true;
    doc.BlockDefs.Defs.back().Entities.DeclaredCount = static_cast<std::int32_t>(size);
    cases.push_back({"nested-blocks.zvw", WriteZvw(doc)});

    // Few definitions present, the most declared: the rest are listed as
    // bare marks.
    doc = SmallDrawing();
    doc.BlockDefs.Defs.push_back(MakeBlockDef("only"));
    doc.BlockDefs.EscapeCount = true;
    doc.Trailer.assign(size - kZvwHeader, '\0');
    doc.BlockDefs.DeclaredCount = static_cast<std::int32_t>(WriteZvw(doc).size());
    cases.push_back({"declared-blocks.zvw", WriteZvw(doc)});

    cases.push_back({"longest-strings.zvw", ZvwLongestStrings(size)});

    ZvsDocument sym;
    sym.Version = 350;
    sym.Entities = Dimensions(size - 456);
    cases.push_back({"largest-count.zvs",
                     WithDeclaredCount(sym, WriteZvs, [](ZvsDocument& d) -> EntityList& { return d.Entities; }, 0)});

    sym = ZvsDocument{};
    sym.Version = 350;
    sym.BlockDefs = NestedBlocks(size - 456);
    sym.BlockDefs.Defs.back().Entities.EscapeCount = true;
    sym.BlockDefs.Defs.back().Entities.DeclaredCount = static_cast<std::int32_t>(size);
    cases.push_back({"nested-blocks.zvs", WriteZvs(sym)});
}

}  // namespace vaveze::fuzz
