// Seeds for the drawing (.zvw) and symbol (.zvs) readers of the Windows
// edition: every version threshold, every record kind and tag form, block
// definitions, and files cut at evenly spread offsets.
#include <cstdint>

#include "fuzz/seeds.h"
#include "tests/win/zvw_writer.h"

namespace vaveze::fuzz {
namespace {

using namespace vaveze::winwriter;

// Cuts at sixteenths of the file and in its last bytes.
std::vector<std::size_t> SpreadCuts(std::size_t size)
{
    std::vector<std::size_t> cuts;
    for (std::size_t i = 0; i < 16; ++i)
        cuts.push_back(size * i / 16);
    for (std::size_t back : {1, 2, 7, 40})
        if (back < size)
            cuts.push_back(size - back);
    return cuts;
}

// One entity of every kind, with both forms of the conditional fields and
// every tag form.
EntityList EveryKind(std::string_view prefix)
{
    const std::string p(prefix);
    EntityList list;
    list.Add(MakeSen(0, 0, 10, 10));
    TEntEnko arc;
    arc.D = {1, 2, 3, 4, 5, 6, 7};
    arc.I = 3;
    list.Add(arc);
    TEntTen point;
    point.D = {5, 5};
    list.Add(point);
    point.Attr.AttrB = kPointExtensionMark;
    point.ExtI = 9;
    list.Add(point, TagForm::ShortRef);
    list.Add(MakeMoji(p + "text \x95\xB6\x8E\x9A", "first"));
    list.Add(MakeMoji(p + "long ref"), TagForm::LongRef);
    list.Add(MakeSunpo(p + "1200"));
    TEntSolid solid;
    solid.D = {1, 2, 3, 4, 5, 6, 7, 8};
    list.Add(solid);
    solid.Attr.AttrC = kSolidExtraMark;
    solid.Extra = 77;
    list.Add(solid, TagForm::ShortRef);
    TEntBlock insertion;
    insertion.D = {0, 0, 1, 1, 0};
    list.Add(insertion);
    list.Add(MakeMoji(p + "redefined"), TagForm::NewClass);
    list.Add(MakeSen(1, 1, 2, 2), TagForm::ShortRef);
    return list;
}

BlockDefList TwoBlocks()
{
    BlockDefList blocks;
    blocks.Defs.push_back(MakeBlockDef("block one", EveryKind("b1 ")));
    BlockDefItem second = MakeBlockDef("\x83\x75\x83\x8D\x83\x62\x83\x4E", {});
    second.Value3 = 0x80000001u;  // eight extra bytes before the name
    second.Entities.Add(MakeMoji("b2 text"), TagForm::ShortRef);
    second.Entities.Add(MakeSunpo("b2 dim"));
    blocks.Defs.push_back(second);
    return blocks;
}

ZvwDocument Drawing(std::int32_t version)
{
    ZvwDocument doc;
    doc.Version = version;
    doc.Header.Memo = "memo \x83\x81\x83\x82";
    doc.Group(0).Name = "group0";
    doc.Group(15).Name = "group15";
    doc.Layer(0, 0).Name = "layer0";
    doc.Layer(0, 1).Name = "\x01\x02";  // control bytes only: the comma stays
    doc.Layer(15, 15).Name = "last layer";
    if (version >= 420) {
        doc.Color(0).Name = "colour0";
        doc.Color(256).Name = "colour256";
        doc.LineType(32).Name = "line type 32";
    }
    doc.Entities = EveryKind("");
    doc.BlockDefs = TwoBlocks();
    return doc;
}

ZvsDocument Symbol(std::int32_t version)
{
    ZvsDocument doc;
    doc.Version = version;
    doc.Filler = "symbol filler";
    doc.Entities = EveryKind("");
    doc.BlockDefs = TwoBlocks();
    return doc;
}

}  // namespace

void AddZvwSeeds(SeedSet& seeds)
{
    seeds.Add("magic-only", std::string(kZvwMagic));
    for (const std::int32_t version : {219, 220, 223, 225, 229, 230, 231, 300, 350, 351, 419, 420, 699, 700}) {
        const std::string name = "v" + std::to_string(version);
        if (version == 420)
            seeds.AddWithCuts(name, WriteZvw(Drawing(version)), SpreadCuts(WriteZvw(Drawing(version)).size()));
        else
            seeds.Add(name, WriteZvw(Drawing(version)));
    }

    ZvwDocument doc = Drawing(700);
    doc.EmbeddedFiles.push_back({"embedded.bin", "data"});
    doc.EscapeStrings = true;
    doc.Entities.EscapeCount = true;
    seeds.Add("escaped-forms", WriteZvw(doc));

    doc = Drawing(420);
    doc.Entities.AddUnknownClass("CDataUnknown");  // out of step from here
    seeds.Add("unknown-class", WriteZvw(doc));

    doc = Drawing(351);
    doc.Entities.DeclaredCount = -1;
    doc.Entities.EscapeCount = true;
    seeds.Add("negative-count", WriteZvw(doc));

    doc = Drawing(351);
    doc.BlockDefs.DeclaredCount = 5;  // more definitions than the file holds
    seeds.Add("missing-blocks", WriteZvw(doc));

    doc = Drawing(420);
    doc.BlockDefs = {};
    doc.Entities = {};
    doc.Entities.Add(MakeMoji(std::string(600, 'x')));  // 256-byte chunks and a rest
    doc.Entities.Add(MakeMoji(std::string(255, 'y')));
    seeds.Add("long-strings", WriteZvw(doc));
}

void AddZvsSeeds(SeedSet& seeds)
{
    ZvsDocument empty;
    seeds.Add("smallest", WriteZvs(empty));
    seeds.Add("magic-only", std::string(kZvsMagic));
    for (const std::int32_t version : {350, 351, 419, 420}) {
        const std::string bytes = WriteZvs(Symbol(version));
        if (version == 420)
            seeds.AddWithCuts("v420", bytes, SpreadCuts(bytes.size()));
        else
            seeds.Add("v" + std::to_string(version), bytes);
    }

    ZvsDocument doc = Symbol(420);
    doc.EscapeStrings = true;
    doc.BlockDefs.EscapeCount = true;
    seeds.Add("escaped-forms", WriteZvs(doc));

    doc = Symbol(351);
    doc.BlockDefs.DeclaredCount = 3;
    seeds.Add("missing-blocks", WriteZvs(doc));

    doc = Symbol(420);
    doc.Entities.AddUnknownClass("CDataElse");
    seeds.Add("unknown-class", WriteZvs(doc));

    doc = Symbol(420);
    doc.Entities.DeclaredCount = 70000;  // escaped count, more than the file holds
    doc.Entities.EscapeCount = true;
    seeds.Add("count-past-end", WriteZvs(doc));
}

}  // namespace vaveze::fuzz
