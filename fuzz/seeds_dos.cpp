// Seeds for the drawing (.zvc) and symbol (.zvk) readers of the MS-DOS edition.
#include <cstdint>

#include "fuzz/seeds.h"
#include "tests/dos/dos_writer.h"

namespace vaveze::fuzz {
namespace {

using namespace vaveze::doswriter;

// Text bytes worth carrying: Shift-JIS pairs, a lead byte before a control
// byte, a lone space, two spaces, half-width katakana.
const std::vector<std::string> kTexts = {
    "ABC", "\x82\xA0\x82\xA2", "\x81\x0A" "A", " ", "  ", "\xB1\xB2", "tab\there", "\x83\x65\x83\x4C\x83\x58\x83\x67",
};

void FillZvcEntities(ZvcDocument& doc)
{
    doc.Line1.Text1 = "first header";
    doc.Line1.Text2 = "\x90\x7D\x96\xCA";
    doc.Lines.resize(2);
    doc.Lines[1].Bytes.fill(0x41);
    ArcRecord arc;
    arc.Ratio = 10000;
    arc.Fixed1 = 65536;
    arc.Fixed2 = -98304;
    arc.Fixed3 = 0x7FFFFFFF;
    doc.Arcs.push_back(arc);
    for (const std::string& text : kTexts)
        AddZvcText(doc, text);
    // Two records sharing one string, one pointing into the middle of it.
    const TextRecord shared = doc.Texts.front();
    doc.Texts.push_back(shared);
    TextRecord middle = shared;
    middle.PoolOffset = static_cast<std::uint16_t>(middle.PoolOffset + 1);
    doc.Texts.push_back(middle);
    doc.Points.resize(2);
    doc.Points[0].Value1 = 7;
    doc.LayerNames[0] = "L0";
    doc.LayerNames[1] = "12345678";  // fills its slot
    doc.LayerNames[17] = "\x83\x8C\x83\x43";
    doc.GroupNames[0] = "G0";
    doc.GroupNames[15] = "0123456789ABCDEF";
    SyncZvcHeader(doc);
}

// Offsets of the parts of a drawing file written by WriteZvc.
std::vector<std::size_t> ZvcCuts(const ZvcDocument& doc)
{
    std::vector<std::size_t> cuts = {0, 19, 20, 100, 200, 399, 400, 600, 800, 1204, 1608, 1709, 1797, 1829, 1861};
    std::size_t at = ZvcEntityOffset(doc.RealScaleLayout);
    cuts.push_back(at - 1);
    at += 22 * doc.Lines.size();
    cuts.push_back(at - 11);
    cuts.push_back(at);
    at += 32 * doc.Arcs.size();
    cuts.push_back(at);
    cuts.push_back(at + 12);
    at += 24 * doc.Texts.size();
    cuts.push_back(at);
    cuts.push_back(at + doc.Pool.size() / 2);
    at += doc.Pool.size();
    cuts.push_back(at);
    at += 12 * doc.Points.size();
    cuts.push_back(at - 6);
    cuts.push_back(at);
    cuts.push_back(at + 1000);
    cuts.push_back(at + 2048);
    cuts.push_back(at + 2048 + 100);
    return cuts;
}

}  // namespace

void AddZvcSeeds(SeedSet& seeds)
{
    seeds.Add("magic-only", std::string(ZvcTitleBlock(true)).substr(0, 20));
    for (const bool realScale : {true, false}) {
        const std::string layout = realScale ? "real-scale" : "word-scale";
        seeds.Add("empty-" + layout, WriteZvc(NewZvc(realScale)));
        ZvcDocument doc = NewZvc(realScale);
        FillZvcEntities(doc);
        seeds.AddWithCuts("full-" + layout, WriteZvc(doc), ZvcCuts(doc));
    }

    ZvcDocument doc = NewZvc(true);
    FillZvcEntities(doc);
    const ZvcDocument sound = doc;

    doc.Line4.Fields[1] = doc.Line4.Fields[0];  // pool start equal to pool end
    seeds.Add("no-pool", WriteZvc(doc));
    doc = sound;
    doc.Line4.Fields[0] = "60G0:00Z0";  // malformed digits count as 0
    seeds.Add("bad-pool-address", WriteZvc(doc));
    doc = sound;
    doc.Texts[0].PoolSegment = 0x5FFF;  // before the pool
    doc.Texts[1].PoolSegment = 0x7000;  // after it
    seeds.Add("text-outside-pool", WriteZvc(doc));
    doc = sound;
    doc.Pool.back() = 'Z';  // the last string runs to the pool's end
    seeds.Add("unterminated-pool", WriteZvc(doc));
    doc = sound;
    SetField(doc.Line2, 0, "-1");
    seeds.Add("negative-count", WriteZvc(doc));
    doc = sound;
    SetField(doc.Line2, 2, "$7FFFFFFF");
    seeds.Add("huge-text-count", WriteZvc(doc));
    doc = sound;
    SetField(doc.Line2, 3, "200");  // more than the file holds, fewer than its size
    seeds.Add("points-past-end", WriteZvc(doc));
    doc = sound;
    SetField(doc.Line2, 30, "0");
    SetField(doc.Line3, 2, "1e39");  // overflows single precision
    seeds.Add("overflowing-real", WriteZvc(doc));
    doc = sound;
    doc.Line2 = FieldLine{{std::string(200, '7')}, '\0'};  // one field, no comma
    seeds.Add("line-without-comma", WriteZvc(doc));
    doc = sound;
    doc.Line1.TitleBlock = ZvcTitleBlock(false);  // flag and layout disagree
    seeds.Add("scale-flag-mismatch", WriteZvc(doc));
    doc = sound;
    doc.Trailing = "trailing bytes are never read";
    seeds.Add("trailing", WriteZvc(doc));
}

void AddZvkSeeds(SeedSet& seeds)
{
    seeds.Add("magic-only", ZvkTitleBlock().substr(0, 20));
    seeds.Add("empty", WriteZvk(NewZvk()));

    ZvkDocument doc = NewZvk();
    doc.Line1.Text1 = "symbol";
    doc.Line1.Text2 = std::string(1, ' ') + std::string(31, '\0');
    doc.Lines.resize(1);
    doc.Arcs.resize(1);
    doc.Arcs[0].Ratio = 65535;
    doc.Points.resize(2);
    for (const std::string& text : kTexts)
        AddZvkText(doc, text);
    TextRecord same = doc.Texts.front();
    same.PoolSegment = 0x1234;  // ignored by symbol files
    doc.Texts.push_back(same);
    SyncZvkHeader(doc);
    const ZvkDocument sound = doc;

    const std::size_t texts = 400 + 22 + 32 + 24;
    const std::size_t pool = texts + 24 * doc.Texts.size();
    seeds.AddWithCuts("full", WriteZvk(doc),
                      {0, 20, 40, 72, 104, 199, 200, 399, 400, 421, 422, 454, texts, texts + 30, pool, pool + 5});

    SetField(doc.Line2, 7, "0");
    seeds.Add("no-pool", WriteZvk(doc));
    doc = sound;
    SetField(doc.Line2, 7, "$7FFFFFFF");
    seeds.Add("pool-past-end", WriteZvk(doc));
    doc = sound;
    doc.Texts[1].PoolOffset = 0xFFFF;
    seeds.Add("text-outside-pool", WriteZvk(doc));
    doc = sound;
    SetField(doc.Line2, 3, "-5");
    seeds.Add("negative-count", WriteZvk(doc));
    doc = sound;
    SetField(doc.Line2, 4, "-3.5e38");
    seeds.Add("overflowing-real", WriteZvk(doc));
    doc = sound;
    for (int i = 0; i < 12; ++i)
        SetField(doc.Line2, 9 + static_cast<std::size_t>(i), "9");  // more fields than are read
    seeds.Add("extra-fields", WriteZvk(doc));
}

}  // namespace vaveze::fuzz
