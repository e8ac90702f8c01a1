#include "bench/bench_files.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/text/Func_.h"
#include "core/text/cp932.h"
#include "tests/dos/dos_writer.h"
#include "tests/win/zvw_writer.h"

namespace vaveze::bench {
namespace {

using namespace vaveze::winwriter;
namespace dw = vaveze::doswriter;

// Small generator defined to the bit, so the files are the same on every
// platform (the standard distributions are not).
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 <= result < n
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
    int Between(int low, int high) { return low + static_cast<int>(Below(static_cast<std::size_t>(high - low + 1))); }
    double Real(double low, double high) { return low + (high - low) * static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    bool Chance(int percent) { return Below(100) < static_cast<std::size_t>(percent); }

    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items)
    {
        return items[Below(N)];
    }

private:
    std::uint64_t state_;
};

// UTF-8 to Shift-JIS (code page 932); the texts below are written in UTF-8.
std::string Sjis(std::string_view utf8)
{
    EncodedText sjis = Utf8ToCp932(utf8);
    if (!sjis.Unencodable.empty())
        throw std::runtime_error("text not representable in Shift-JIS");
    return std::move(sjis.Bytes);
}

template <std::size_t N>
std::array<std::string, N> SjisAll(const std::array<const char*, N>& utf8)
{
    std::array<std::string, N> out;
    for (std::size_t i = 0; i < N; ++i)
        out[i] = Sjis(utf8[i]);
    return out;
}

// The kinds of text a drawing holds, in Shift-JIS.
struct Vocabulary {
    std::array<std::string, 32> Rooms = SjisAll(std::array<const char*, 32>{
        "居間", "台所", "食堂", "和室", "洋室", "寝室", "子供室", "書斎", "浴室", "洗面所", "脱衣室",
        "玄関", "ホール", "廊下", "階段", "納戸", "押入", "物入", "ＷＩＣ", "ﾄｲﾚ", "ＷＣ", "バルコニー",
        "ポーチ", "車庫", "倉庫", "機械室", "事務室", "会議室", "応接室", "更衣室", "休憩室", "ＥＶ"});
    std::array<std::string, 12> Suffixes = SjisAll(std::array<const char*, 12>{
        "", "", "", " 6帖", " 8帖", " 4.5帖", "１", "２", "（既存）", "（新設）", " 12.5㎡", " 天井高2400"});
    std::array<std::string, 24> Notes = SjisAll(std::array<const char*, 24>{
        "外壁：窯業系サイディング ｔ＝１４",
        "屋根：ガルバリウム鋼板 横葺き",
        "基礎：ベタ基礎 立上り幅１５０",
        "床：フローリング ｔ＝１２ 捨貼り合板下地",
        "壁：ビニールクロス貼り 石膏ボード ｔ＝１２.５",
        "天井：化粧石膏ボード ｔ＝９.５",
        "断熱材：高性能グラスウール１６Ｋ ｔ＝１００",
        "防水：ＦＲＰ防水 ２層",
        "サッシ：アルミ樹脂複合 Ｌｏｗ－Ｅ複層ガラス",
        "建具：既製品 ドア ＤＷ８００ Ｈ２０００",
        "換気扇：２４時間換気 第３種",
        "手摺：Ｈ＝８００ ステンレス φ３４",
        "土台：ヒノキ １２０角 防腐処理",
        "柱：スギ １２０角 ＫＤ材",
        "梁：ベイマツ １２０×２４０",
        "アンカーボルト Ｍ１２ ＠２７３０以内",
        "ホールダウン金物 ２５ｋＮ",
        "給水：架橋ポリエチレン管 １３Ａ",
        "排水：ＶＰ管 ５０Ａ 勾配１／５０",
        "コンセント：２口 Ｈ＝２５０",
        "照明：ＬＥＤダウンライト",
        "既存ブロック塀撤去",
        "隣地境界線より５００以上離す",
        "詳細は別図による"});
    std::array<std::string, 10> Headings = SjisAll(std::array<const char*, 10>{
        "１階平面図", "２階平面図", "配置図", "立面図（南）", "立面図（東）", "断面図 Ａ－Ａ'", "矩計図",
        "仕上表", "建具表", "設備図"});
    std::array<std::string, 16> BlockNames = SjisAll(std::array<const char*, 16>{
        "片開き戸", "引違い窓", "両開き戸", "引戸", "洋便器", "洗面台", "浴槽", "キッチン", "冷蔵庫",
        "洗濯機", "方位記号", "通り芯符号", "レベル記号", "植栽", "車", "階段"});
    std::array<std::string, 6> FirstStrings = SjisAll(std::array<const char*, 6>{
        "ＭＳ ゴシック", "ＭＳ 明朝", "Arial", "標準", "注記", "寸法"});
    std::string Comma = Sjis("、");
    std::string Colon = Sjis("：");
};

const Vocabulary& Words()
{
    static const Vocabulary words;
    return words;
}

std::string Number(int value) { return std::to_string(value); }

// "3,640" or "3640", as dimension texts are written.
std::string DimensionValue(Random& rng)
{
    const int value = rng.Between(1, 40) * 455 / (rng.Chance(50) ? 1 : 5) * 5;
    if (value >= 1000 && rng.Chance(40))
        return Number(value / 1000) + "," + std::string(3 - Number(value % 1000).size(), '0') + Number(value % 1000);
    return Number(value);
}

// A text's string: mostly short names and codes, some notes, now and then a
// long finish schedule of several lines.
std::string TextString(Random& rng)
{
    const Vocabulary& w = Words();
    const std::size_t kind = rng.Below(100);
    if (kind < 45)
        return rng.Pick(w.Rooms) + rng.Pick(w.Suffixes);
    if (kind < 65) {
        switch (rng.Below(5)) {
        case 0: return "W=" + Number(rng.Between(6, 36) * 50) + " H=" + Number(rng.Between(4, 24) * 100);
        case 1: return "GL+" + Number(rng.Between(1, 20) * 50);
        case 2: return std::string(1, static_cast<char>('X' + rng.Below(2))) + Number(rng.Between(1, 12));
        case 3: return "S=1/" + Number(rng.Chance(50) ? 100 : 50);
        default: return "No." + Number(rng.Between(1, 999));
        }
    }
    if (kind < 90)
        return rng.Pick(w.Notes);
    if (kind < 98) {
        std::string joined = rng.Pick(w.Notes);
        for (int n = rng.Between(1, 3); n > 0; --n)
            joined += w.Comma + rng.Pick(w.Notes);
        return joined;
    }
    // A long finish schedule; about a third of them keep the line breaks
    // they were typed with, which the listing removes.
    std::string schedule = rng.Pick(w.Headings) + w.Colon;
    const bool lineBreaks = rng.Chance(33);
    for (int n = rng.Between(8, 40); n > 0; --n) {
        schedule += rng.Pick(w.Notes);
        schedule += lineBreaks ? "\r\n" : "  ";
    }
    return schedule;
}

TEntAttr OnLayer(Random& rng)
{
    TEntAttr attr;
    attr.AttrA = static_cast<std::uint32_t>(rng.Below(256));
    attr.AttrC = static_cast<std::uint16_t>(rng.Between(1, 8));
    attr.AttrD = static_cast<std::uint16_t>(rng.Below(4));
    attr.AttrE = 1;
    return attr;
}

TEntMoji Text(Random& rng)
{
    TEntMoji moji = MakeMoji(TextString(rng), rng.Chance(20) ? rng.Pick(Words().FirstStrings) : std::string());
    moji.Attr = OnLayer(rng);
    const double height = rng.Pick(std::array<double, 5>{150, 200, 250, 300, 500});
    moji.D1 = {rng.Real(0, 30000), rng.Real(0, 20000), height * 0.9, height};
    moji.I = rng.Between(0, 8);
    moji.D2 = {0.0, 1.0, rng.Chance(10) ? 90.0 : 0.0, 0.0};
    return moji;
}

TEntSen Line(Random& rng)
{
    const double x = rng.Real(0, 30000);
    const double y = rng.Real(0, 20000);
    TEntSen line = MakeSen(x, y, x + rng.Real(-3000, 3000), y + rng.Real(-3000, 3000));
    line.Attr = OnLayer(rng);
    return line;
}

TEntSunpo Dimension(Random& rng)
{
    TEntSunpo dim = MakeSunpo(DimensionValue(rng));
    dim.Attr = OnLayer(rng);
    const double x1 = rng.Real(0, 30000);
    const double y = rng.Real(0, 20000);
    const double x2 = x1 + rng.Real(100, 7000);
    dim.Line = MakeSen(x1, y - 600, x2, y - 600);
    dim.Line.Attr = dim.Attr;
    dim.Moji.Attr = dim.Attr;
    dim.Moji.D1 = {(x1 + x2) / 2, y - 500, 225, 250};
    dim.W = 1;
    dim.Line2 = MakeSen(x1, y, x1, y - 700);
    dim.Line3 = MakeSen(x2, y, x2, y - 700);
    dim.Line2.Attr = dim.Line3.Attr = dim.Attr;
    const double xs[4] = {x1, x2, x1, x2};
    for (std::size_t i = 0; i < 4; ++i) {
        dim.Points[i].Attr = dim.Attr;
        dim.Points[i].Attr.AttrB = i < 2 ? kPointExtensionMark : 0;
        dim.Points[i].D = {xs[i], y - 600};
        dim.Points[i].ExtI = i < 2 ? 2 : 0;
        dim.Points[i].ExtD = {i < 2 ? 1.5 : 0.0, 0.0};
    }
    return dim;
}

TEntEnko Arc(Random& rng)
{
    TEntEnko arc;
    arc.Attr = OnLayer(rng);
    arc.D = {rng.Real(0, 30000), rng.Real(0, 20000), rng.Real(50, 2000), 0, rng.Chance(50) ? 90.0 : 360.0, 1, 0};
    arc.I = 1;
    return arc;
}

TEntTen Point(Random& rng)
{
    TEntTen point;
    point.Attr = OnLayer(rng);
    point.Attr.AttrB = rng.Chance(30) ? kPointExtensionMark : 0;
    point.D = {rng.Real(0, 30000), rng.Real(0, 20000)};
    point.I = 1;
    if (point.Attr.AttrB == kPointExtensionMark) {
        point.ExtI = 2;
        point.ExtD = {1.5, 0.0};
    }
    return point;
}

TEntSolid Solid(Random& rng)
{
    TEntSolid solid;
    solid.Attr = OnLayer(rng);
    if (rng.Chance(50)) {
        solid.Attr.AttrC = kSolidExtraMark;
        solid.Extra = 8;
    }
    const double x = rng.Real(0, 30000);
    const double y = rng.Real(0, 20000);
    solid.D = {x, y, x + 200, y, x + 200, y + 200, x, y + 200};
    return solid;
}

TEntBlock Insertion(Random& rng)
{
    TEntBlock block;
    block.Attr = OnLayer(rng);
    block.D = {rng.Real(0, 30000), rng.Real(0, 20000), 1.0, 1.0, rng.Chance(25) ? 90.0 : 0.0};
    block.I = 1;
    return block;
}

// How many entities of each kind one piece of content holds.
struct Shape {
    int Texts, Dimensions, Lines, Arcs, Points, Solids, Insertions;
    int BlockDefs, BlockTexts, BlockDimensions, BlockLines, BlockArcs;
};

// One piece of a large drawing: about 0.7 MB, nearly 3,000 texts.
constexpr Shape kPieceShape{2800, 500, 1800, 300, 100, 60, 150, 25, 8, 2, 6, 2};
// One drawing of an archive: a few kilobytes.
constexpr Shape kSmallShape{30, 6, 40, 4, 2, 1, 3, 2, 3, 1, 4, 1};

// Entities of the given counts, in a shuffled order as a drawing made by hand
// interleaves them.
EntityList Entities(Random& rng, int texts, int dimensions, int lines, int arcs, int points, int solids,
                    int insertions)
{
    std::vector<EntityKind> kinds;
    kinds.insert(kinds.end(), static_cast<std::size_t>(texts), kKindMoji);
    kinds.insert(kinds.end(), static_cast<std::size_t>(dimensions), kKindSunpou);
    kinds.insert(kinds.end(), static_cast<std::size_t>(lines), kKindSen);
    kinds.insert(kinds.end(), static_cast<std::size_t>(arcs), kKindEnko);
    kinds.insert(kinds.end(), static_cast<std::size_t>(points), kKindTen);
    kinds.insert(kinds.end(), static_cast<std::size_t>(solids), kKindSolid);
    kinds.insert(kinds.end(), static_cast<std::size_t>(insertions), kKindBlock);
    for (std::size_t i = kinds.size(); i > 1; --i)
        std::swap(kinds[i - 1], kinds[rng.Below(i)]);

    EntityList list;
    list.Items.reserve(kinds.size());
    for (const EntityKind kind : kinds) {
        switch (kind) {
        case kKindMoji: list.Add(Text(rng)); break;
        case kKindSunpou: list.Add(Dimension(rng)); break;
        case kKindSen: list.Add(Line(rng)); break;
        case kKindEnko: list.Add(Arc(rng)); break;
        case kKindTen: list.Add(Point(rng)); break;
        case kKindSolid: list.Add(Solid(rng)); break;
        case kKindBlock: list.Add(Insertion(rng)); break;
        case kKindNone: break;
        }
    }
    return list;
}

struct Piece {
    EntityList Top;
    std::vector<BlockDefItem> Defs;
};

Piece MakePiece(std::uint64_t seed, const Shape& shape, int firstBlockNumber)
{
    Random rng(seed);
    Piece piece;
    piece.Top = Entities(rng, shape.Texts, shape.Dimensions, shape.Lines, shape.Arcs, shape.Points, shape.Solids,
                         shape.Insertions);
    for (int d = 0; d < shape.BlockDefs; ++d) {
        BlockDefItem def = MakeBlockDef(rng.Pick(Words().BlockNames) + "-" + Number(firstBlockNumber + d),
                                        Entities(rng, shape.BlockTexts, shape.BlockDimensions, shape.BlockLines,
                                                 shape.BlockArcs, 0, 0, 0));
        def.Attr = OnLayer(rng);
        def.Value1 = 1;
        piece.Defs.push_back(std::move(def));
    }
    return piece;
}

void WriteItems(ArchiveWriter& out, ClassNumbering& numbering, const EntityList& list, std::int32_t version)
{
    for (const ListItem& item : list.Items) {
        const auto& entity = std::get<EntityItem>(item);
        numbering.EntityTag(out, KindOf(entity.Record), TagForm::Auto);
        WriteEntity(out, entity.Record, version);
        numbering.ObjectWritten();
    }
}

// Pieces are made one at a time and written at once, so a file of a hundred
// pieces never needs its whole document in memory. The block definitions of
// every piece follow the whole entity list, as the format lays them out.
void WritePieces(ArchiveWriter& out, int copies, bool vary, const Shape& shape, std::uint64_t seed,
                 std::int32_t version)
{
    ClassNumbering numbering;
    const Piece first = MakePiece(seed, shape, 1);
    out.ObjectCount(first.Top.EntityCount() * copies);
    std::vector<BlockDefItem> defs;
    for (int c = 0; c < copies; ++c) {
        if (c == 0 || !vary) {
            WriteItems(out, numbering, first.Top, version);
            defs.insert(defs.end(), first.Defs.begin(), first.Defs.end());
            continue;
        }
        Piece piece = MakePiece(seed + static_cast<std::uint64_t>(c), shape, 1 + c * shape.BlockDefs);
        WriteItems(out, numbering, piece.Top, version);
        std::move(piece.Defs.begin(), piece.Defs.end(), std::back_inserter(defs));
    }

    out.ObjectCount(static_cast<std::int32_t>(defs.size()));
    for (const BlockDefItem& def : defs) {
        numbering.BlockDefTag(out, "CBlockDefinition", TagForm::Auto);
        out.Attr(def.Attr, version);
        out.I32(def.Value1);
        out.I32(def.Value2);
        out.U32(def.Value3);
        out.LpString(def.Name);
        out.ObjectCount(def.Entities.EntityCount());
        numbering.ObjectWritten();
        WriteItems(out, numbering, def.Entities, version);
    }
}

// The header of a drawing as the Windows edition saves it: named groups,
// layers, colours and line types.
ZvwDocument DrawingHeader()
{
    const Vocabulary& w = Words();
    ZvwDocument doc;
    doc.Version = 700;
    doc.Header.Memo = w.Headings[0] + Sjis(" 木造２階建住宅 新築工事");
    doc.Header.Block9D1 = {100.0, 0.0, 1.0};
    const std::array<const char*, 6> groups = {"基本", "通り芯", "躯体", "建具", "設備", "文字"};
    const std::array<const char*, 6> layers = {"外壁", "内壁", "寸法", "文字", "建具", "補助線"};
    for (std::size_t g = 0; g < groups.size(); ++g) {
        doc.Group(g) = TLayerGroup{1, 0, 100.0, 0, Sjis(groups[g])};
        for (std::size_t l = 0; l < layers.size(); ++l)
            doc.Layer(g, l) = TLayer{1, 0, Sjis(layers[l])};
    }
    doc.Color(17) = TColorExNo{192, 192, Sjis("薄灰"), 192, 0, 0.25};
    doc.Color(18) = TColorExNo{0, 0, Sjis("濃青"), 128, 0, 0.35};
    doc.LineType(9).Name = Sjis("一点鎖線");
    doc.LineType(10).Name = Sjis("点線");
    return doc;
}

// A string pool packed with distinct strings, exactly `size` bytes long,
// and the index at which each string starts.
std::pair<std::string, std::vector<std::uint32_t>> PackedPool(Random& rng, std::size_t size)
{
    const Vocabulary& w = Words();
    std::string pool;
    pool.reserve(size);
    std::vector<std::uint32_t> starts;
    for (int n = 0; pool.size() < size; ++n) {
        std::string s = rng.Chance(70) ? rng.Pick(w.Rooms) + Number(n) : "No." + Number(n);
        starts.push_back(static_cast<std::uint32_t>(pool.size()));
        pool += s;
        pool.push_back('\0');
    }
    pool.resize(size);  // the last string may run to the pool's end without its NUL
    return {std::move(pool), std::move(starts)};
}

dw::LineRecord DosLine(Random& rng)
{
    dw::LineRecord rec;
    for (std::size_t i = 0; i < 16; ++i)
        rec.Bytes[i] = static_cast<std::uint8_t>(rng.Below(256));
    rec.Bytes[16] = 1;
    rec.Bytes[17] = 1;
    rec.Bytes[18] = static_cast<std::uint8_t>(rng.Below(256));
    return rec;
}

dw::ArcRecord DosArc(Random& rng)
{
    dw::ArcRecord rec;
    rec.Value1 = static_cast<std::uint32_t>(rng.Next());
    rec.Value2 = static_cast<std::uint32_t>(rng.Next());
    rec.Value3 = static_cast<std::uint32_t>(rng.Below(1u << 26));
    rec.Ratio = 10000;
    rec.Fixed2 = 90 * 65536;
    rec.Bytes = {1, 1, 2, 0, 0, 0};
    return rec;
}

dw::PointRecord DosPoint(Random& rng)
{
    return {static_cast<std::uint32_t>(rng.Next()), static_cast<std::uint32_t>(rng.Next()), 1};
}

void PlaceDosText(Random& rng, dw::TextRecord& rec)
{
    rec.Values = {static_cast<std::uint32_t>(rng.Next()), static_cast<std::uint32_t>(rng.Next()), 250u << 16, 0};
    rec.Attr = {1, 1, 0, 3};
}

constexpr std::size_t kDosTextRecords = 1'000'000;
constexpr std::size_t kDosLineRecords = 1'000'000;
constexpr std::size_t kDosArcRecords = 200'000;
constexpr std::size_t kDosPointRecords = 200'000;

template <typename Document>
void FillDosEntities(Random& rng, Document& doc)
{
    doc.Lines.reserve(kDosLineRecords);
    for (std::size_t i = 0; i < kDosLineRecords; ++i)
        doc.Lines.push_back(DosLine(rng));
    doc.Arcs.reserve(kDosArcRecords);
    for (std::size_t i = 0; i < kDosArcRecords; ++i)
        doc.Arcs.push_back(DosArc(rng));
    doc.Points.reserve(kDosPointRecords);
    for (std::size_t i = 0; i < kDosPointRecords; ++i)
        doc.Points.push_back(DosPoint(rng));
}

// Every string of the pool is used at least once, in order, then at random,
// as texts repeat in a drawing.
std::uint32_t PickString(Random& rng, const std::vector<std::uint32_t>& starts, std::size_t i)
{
    return i < starts.size() ? starts[i] : starts[rng.Below(starts.size())];
}

bool MakeFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST)
        return true;
    std::fprintf(stderr, "cannot make %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
}

bool Save(const std::string& path, const std::string& bytes)
{
    if (dw::SaveFile(path, bytes))
        return true;
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

std::string MakeDrawing(int copies, bool vary)
{
    const ZvwDocument doc = DrawingHeader();
    ArchiveWriter out;
    out.Reserve(static_cast<std::size_t>(copies) * 800'000 + 100'000);
    WriteZvwHeader(out, doc);
    WritePieces(out, copies, vary, kPieceShape, 1, doc.Version);
    out.I32(0);  // no embedded files
    return out.Take();
}

std::string MakeSymbol(int copies)
{
    ZvsDocument doc;
    doc.Version = 420;
    doc.Reals1 = {1.0, 1.0};
    doc.GroupDoubles.fill(100.0);
    doc.Ints = {0, 0, 1, 0, 0, 0};
    ArchiveWriter out;
    out.Reserve(static_cast<std::size_t>(copies) * 800'000 + 1000);
    WriteZvsHeader(out, doc);
    WritePieces(out, copies, true, kPieceShape, 1001, doc.Version);
    return out.Take();
}

std::string MakeLargestZvc()
{
    Random rng(2001);
    dw::ZvcDocument doc = dw::NewZvc(true);
    doc.Line1.Text1 = Sjis("木造２階建住宅 １階平面図");
    doc.Line1.Text2 = Sjis("縮尺 1/100");
    doc.GroupNames[0] = Sjis("基本");
    doc.LayerNames[0] = Sjis("外壁");
    doc.PoolBase = 0;  // 0000:0000 to FFFF:FFFF
    constexpr std::size_t kPoolSize = 0xFFFFu * 16 + 0xFFFFu;
    auto [pool, starts] = PackedPool(rng, kPoolSize);
    doc.Pool = std::move(pool);
    FillDosEntities(rng, doc);
    doc.Texts.resize(kDosTextRecords);
    for (std::size_t i = 0; i < kDosTextRecords; ++i) {
        const auto [segment, offset] = dw::SplitLinearAddress(PickString(rng, starts, i));
        doc.Texts[i].PoolSegment = segment;
        doc.Texts[i].PoolOffset = offset;
        PlaceDosText(rng, doc.Texts[i]);
    }
    dw::SyncZvcHeader(doc);
    return dw::WriteZvc(doc);
}

std::string MakeLargestZvk()
{
    Random rng(3001);
    dw::ZvkDocument doc = dw::NewZvk();
    doc.Line1.Text1 = Sjis("建具記号");
    doc.Line1.Text2 = Sjis("Ver.2");
    constexpr std::size_t kPoolSize = 0x10000;  // offsets 0 to FFFF
    auto [pool, starts] = PackedPool(rng, kPoolSize);
    doc.Pool = std::move(pool);
    FillDosEntities(rng, doc);
    doc.Texts.resize(kDosTextRecords);
    for (std::size_t i = 0; i < kDosTextRecords; ++i) {
        doc.Texts[i].PoolOffset = static_cast<std::uint16_t>(PickString(rng, starts, i));
        PlaceDosText(rng, doc.Texts[i]);
    }
    dw::SyncZvkHeader(doc);
    return dw::WriteZvk(doc);
}

std::string MakePaneFillingDrawing(std::size_t characters)
{
    // Lines as the pane counts them: decoded characters plus the line end.
    auto cost = [](std::string_view text) {
        return DecodeCp932(FilterSjisLine(text), ControlBytes::AsRawByte).Text.size() + 1;
    };
    Random rng(4001);
    // Listed with every option on: the header heading (the header itself is
    // empty), the text heading, then the texts.
    std::size_t used = cost(Sjis("■ヘッダ情報")) + cost(Sjis("■文字情報"));
    std::vector<TEntMoji> texts;
    while (true) {
        TEntMoji moji = Text(rng);
        const std::string filtered = FilterSjisLine(moji.Text);
        if (filtered.empty() || filtered == " ")
            continue;
        const std::size_t need = cost(moji.Text);
        if (used + need + 8 > characters) {
            // The last line takes exactly what is left, in plain ASCII.
            moji.Text = KeptText("No." + std::string(characters - used - 4, '0'));
            texts.push_back(std::move(moji));
            break;
        }
        used += need;
        texts.push_back(std::move(moji));
    }

    ZvwDocument doc;
    doc.Version = 700;
    ArchiveWriter out;
    WriteZvwHeader(out, doc);
    ClassNumbering numbering;
    out.ObjectCount(static_cast<std::int32_t>(texts.size()));
    for (const TEntMoji& moji : texts) {
        numbering.EntityTag(out, kKindMoji, TagForm::Auto);
        out.Moji(moji, doc.Version);
        numbering.ObjectWritten();
    }
    out.ObjectCount(0);  // no block definitions
    out.I32(0);          // no embedded files
    return out.Take();
}

std::string MakeSmallDrawing(int index)
{
    const ZvwDocument doc = DrawingHeader();
    ArchiveWriter out;
    WriteZvwHeader(out, doc);
    WritePieces(out, 1, false, kSmallShape, 10'000 + static_cast<std::uint64_t>(index), doc.Version);
    out.I32(0);
    return out.Take();
}

std::string MakeSmallSymbol(int index)
{
    ZvsDocument doc;
    doc.Version = 420;
    ArchiveWriter out;
    WriteZvsHeader(out, doc);
    WritePieces(out, 1, false, kSmallShape, 20'000 + static_cast<std::uint64_t>(index), doc.Version);
    return out.Take();
}

namespace {

// The longest start of a Shift-JIS text of at most `most` bytes that ends
// between two characters.
std::string WholeCharacters(const std::string& text, std::size_t most)
{
    std::size_t end = 0;
    while (end < text.size()) {
        const auto lead = static_cast<unsigned char>(text[end]);
        const std::size_t next = end + ((lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0 ? 2 : 1);
        if (next > most)
            break;
        end = next;
    }
    return text.substr(0, end);
}

// Lines, arcs and points in the proportions of a plan, around `texts` texts.
template <typename Document>
void AddDosShapes(Random& rng, Document& doc, int texts)
{
    for (int i = 0; i < texts; ++i)
        doc.Lines.push_back(DosLine(rng));
    for (int i = 0; i < texts / 5; ++i)
        doc.Arcs.push_back(DosArc(rng));
    for (int i = 0; i < texts / 10; ++i)
        doc.Points.push_back(DosPoint(rng));
}

}  // namespace

std::string MakeDosDrawing(int texts, std::uint64_t seed)
{
    Random rng(seed);
    dw::ZvcDocument doc = dw::NewZvc(true);
    doc.Line1.Text1 = Sjis("木造２階建住宅 １階平面図");
    doc.Line1.Text2 = Sjis("縮尺 1/100");
    for (std::size_t g = 0; g < 4; ++g) {
        doc.GroupNames[g] = Sjis("グループ") + Number(static_cast<int>(g));
        for (std::size_t l = 0; l < 3; ++l)
            doc.LayerNames[16 * g + l] = Sjis("層") + Number(static_cast<int>(16 * g + l));
    }
    AddDosShapes(rng, doc, texts);
    for (int i = 0; i < texts; ++i)
        PlaceDosText(rng, dw::AddZvcText(doc, WholeCharacters(TextString(rng), 120)));
    dw::SyncZvcHeader(doc);
    return dw::WriteZvc(doc);
}

std::string MakeDosSymbol(int texts, std::uint64_t seed)
{
    Random rng(seed);
    dw::ZvkDocument doc = dw::NewZvk();
    doc.Line1.Text1 = Sjis("建具記号");
    doc.Line1.Text2 = Sjis("Ver.2");
    AddDosShapes(rng, doc, texts);
    // The pool's offsets reach 64 KiB: texts that would pass it are left out.
    for (int i = 0; i < texts && doc.Pool.size() < 0xFFFF - 41; ++i)
        PlaceDosText(rng, dw::AddZvkText(doc, WholeCharacters(TextString(rng), 40)));
    dw::SyncZvkHeader(doc);
    return dw::WriteZvk(doc);
}

bool WriteArchive(const std::string& folder)
{
    bool ok = MakeFolder(folder);
    for (std::size_t project = 0; ok && project < kArchiveProjects; ++project) {
        char name[32];
        std::snprintf(name, sizeof name, "/project-%02zu", project + 1);
        const std::string projectFolder = folder + name;
        ok = MakeFolder(projectFolder);
        for (std::size_t k = 0; ok && k < kArchiveDrawingsPerProject; ++k) {
            const std::size_t n = project * kArchiveDrawingsPerProject + k + 1;
            std::snprintf(name, sizeof name, "/drawing-%04zu.zvw", n);
            // Drawn apart from the small folder's, which take the first indices.
            ok = Save(projectFolder + name, MakeSmallDrawing(static_cast<int>(kSmallDrawingCount + n)));
        }
    }
    return ok;
}

bool WriteBenchFiles(const std::string& folder)
{
    if (!MakeFolder(folder) || !MakeFolder(folder + "/" + std::string(kSmallFolder)))
        return false;
    auto at = [&folder](std::string_view name) { return folder + "/" + std::string(name); };
    bool ok = Save(at(kLargeZvw), MakeDrawing(kLargeCopies, true)) && Save(at(kLargeZvs), MakeSymbol(kLargeCopies)) &&
              Save(at(kLargestZvc), MakeLargestZvc()) && Save(at(kLargestZvk), MakeLargestZvk()) &&
              Save(at(kScale1), MakeDrawing(1, false)) && Save(at(kScale10), MakeDrawing(10, false)) &&
              Save(at(kScale100), MakeDrawing(100, false)) &&
              Save(at(kPaneZvw), MakePaneFillingDrawing(8'200'000));
    for (std::size_t i = 0; ok && i < kSmallDrawingCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/drawing-%04zu.zvw", i + 1);
        ok = Save(at(kSmallFolder) + name, MakeSmallDrawing(static_cast<int>(i)));
    }
    return ok && WriteArchive(at(kArchiveFolder));
}

}  // namespace vaveze::bench
