#include "tests/win/win_samples.h"

#include <string_view>

namespace vaveze::winwriter {
namespace {

// Shift-JIS texts.
constexpr std::string_view kMemo = "\x83T\x83\x93\x83v\x83\x8B\x90}\x96\xCA\x81i\x82P\x8AK\x81j";  // サンプル図面（１階）
constexpr std::string_view kGroupBasic = "\x8A\xEE\x96{";                                             // 基本
constexpr std::string_view kGroupServices = "\x90\xDD\x94\xF5";                                      // 設備
constexpr std::string_view kLayerOuterWall = "\x8AO\x95\xC7";                                        // 外壁
constexpr std::string_view kLayerInnerWall = "\x93\xE0\x95\xC7";                                     // 内壁
constexpr std::string_view kLayerDimension = "\x90\xA1\x96@";                                        // 寸法
constexpr std::string_view kLayerText = "\x95\xB6\x8E\x9A";                                          // 文字
constexpr std::string_view kLayerFittings = "\x8C\x9A\x8B\xEF";                                      // 建具
constexpr std::string_view kLayerElectric = "\x93\x64\x8B\x43";                                      // 電気
constexpr std::string_view kLayerPlumbing = "\x8B\x8B\x94r\x90\x85";                                 // 給排水
constexpr std::string_view kColorGrey = "\x94\x96\x8A\x44";                                          // 薄灰
constexpr std::string_view kColorBlue = "\x94Z\x90\xC2";                                             // 濃青
constexpr std::string_view kLineChain = "\x88\xEA\x93_\x8D\xBD\x90\xFC";                             // 一点鎖線
constexpr std::string_view kLineDotted = "\x93_\x90\xFC";                                            // 点線
constexpr std::string_view kTitle = "\x82P\x8AK\x95\xBD\x96\xCA\x90}";                               // １階平面図
constexpr std::string_view kScale = "\x8Fk\x8E\xDA 1/100";                                           // 縮尺 1/100
constexpr std::string_view kLiving = "\x8B\x8F\x8A\xD4";                                             // 居間
constexpr std::string_view kKitchen = "\x91\xE4\x8F\x8A";                                            // 台所
constexpr std::string_view kBath = "\x97\x81\x8E\xBA";                                               // 浴室
constexpr std::string_view kEntrance = "\x8C\xBA\x8A\xD6";                                           // 玄関
constexpr std::string_view kBedroom = "\x90Q\x8E\xBA";                                               // 寝室
constexpr std::string_view kSofa = "\x83\x5C\x83t\x83@";                                             // ソファ
constexpr std::string_view kSign = "\x95\x5C\x8E\xA6";                                               // 表示
constexpr std::string_view kDoor = "\x83h\x83\x41";                                                  // ドア
constexpr std::string_view kHingedDoor = "\x95\xD0\x8AJ\x82\xAB\x8C\xCB";                            // 片開き戸
constexpr std::string_view kCompass = "\x95\xFB\x88\xCA\x8BL\x8D\x86";                               // 方位記号
constexpr std::string_view kNorth = "\x96k";                                                         // 北
constexpr std::string_view kToilet = "\x97m\x95\xD6\x8A\xED";                                        // 洋便器
constexpr std::string_view kWc = "\x82v\x82\x62";                                                    // ＷＣ
constexpr std::string_view kFixtures = "\x89q\x90\xB6\x8A\xED\x8B\xEF";                              // 衛生器具
constexpr std::string_view kBasin = "\x8E\xE8\x90\xF4\x82\xA2";                                      // 手洗い

TEntAttr OnLayer(std::uint8_t group, std::uint8_t layer, std::uint16_t color = 1)
{
    TEntAttr attr;
    attr.AttrA = group * 16u + layer;
    attr.AttrC = color;
    attr.AttrE = 1;
    return attr;
}

TEntSen Wall(double x1, double y1, double x2, double y2)
{
    TEntSen line = MakeSen(x1, y1, x2, y2);
    line.Attr = OnLayer(0, 0, 7);
    return line;
}

TEntMoji Label(std::string_view text, double x, double y, double height = 300)
{
    TEntMoji moji = MakeMoji(std::string(text));
    moji.Attr = OnLayer(0, 3);
    moji.D1 = {x, y, height * 0.9, height};
    moji.I = 1;
    return moji;
}

TEntSunpo Dimension(std::string_view text, double x1, double y1, double x2, double y2)
{
    TEntSunpo dim = MakeSunpo(std::string(text));
    dim.Attr = OnLayer(0, 2, 3);
    dim.Line = MakeSen(x1, y1 - 600, x2, y2 - 600);
    dim.Line.Attr = dim.Attr;
    dim.Moji.Attr = dim.Attr;
    dim.Moji.D1 = {(x1 + x2) / 2, y1 - 500, 225, 250};
    dim.W = 1;
    dim.Line2 = MakeSen(x1, y1, x1, y1 - 700);
    dim.Line3 = MakeSen(x2, y2, x2, y2 - 700);
    dim.Line2.Attr = dim.Line3.Attr = dim.Attr;
    const double xs[4] = {x1, x2, x1, x2};
    for (std::size_t i = 0; i < 4; ++i) {
        dim.Points[i].Attr = dim.Attr;
        dim.Points[i].Attr.AttrB = i < 2 ? kPointExtensionMark : 0;
        dim.Points[i].D = {xs[i], y1 - 600};
        dim.Points[i].ExtI = i < 2 ? 2 : 0;
        dim.Points[i].ExtD = {i < 2 ? 1.5 : 0.0, 0.0};
    }
    return dim;
}

TEntBlock Insertion(double x, double y, double angle = 0)
{
    TEntBlock block;
    block.Attr = OnLayer(0, 4);
    block.D = {x, y, 1.0, 1.0, angle};
    block.I = 1;
    return block;
}

}  // namespace

ZvwDocument SamplePlan()
{
    ZvwDocument doc;
    doc.Version = 700;
    doc.Header.Memo = std::string(kMemo);
    doc.Header.Block7 = {1, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 1, 1};
    doc.Header.Block9D1 = {100.0, 0.0, 1.0};

    doc.Group(0) = TLayerGroup{1, 0, 100.0, 0, std::string(kGroupBasic)};
    doc.Group(1) = TLayerGroup{1, 0, 100.0, 0, std::string(kGroupServices)};
    const std::string_view basicLayers[] = {kLayerOuterWall, kLayerInnerWall, kLayerDimension, kLayerText,
                                            kLayerFittings};
    for (std::size_t l = 0; l < std::size(basicLayers); ++l)
        doc.Layer(0, l) = TLayer{1, 0, std::string(basicLayers[l])};
    doc.Layer(1, 0) = TLayer{1, 0, std::string(kLayerElectric)};
    doc.Layer(1, 1) = TLayer{1, 0, std::string(kLayerPlumbing)};
    doc.Color(17) = TColorExNo{192, 192, std::string(kColorGrey), 192, 0, 0.25};
    doc.Color(18) = TColorExNo{0, 0, std::string(kColorBlue), 128, 0, 0.35};
    doc.LineType(9).Name = std::string(kLineChain);
    doc.LineType(9).V = {4, 0, 0, 1};
    doc.LineType(9).D = {10, 2, 1, 2};
    doc.LineType(10).Name = std::string(kLineDotted);
    doc.LineType(10).V = {2, 0, 0, 1};
    doc.LineType(10).D = {1, 1};

    EntityList& top = doc.Entities;
    top.Add(Wall(0, 0, 9100, 0)).Add(Wall(9100, 0, 9100, 7280)).Add(Wall(9100, 7280, 0, 7280)).Add(Wall(0, 7280, 0, 0));
    top.Add(Wall(3640, 0, 3640, 7280)).Add(Wall(0, 3640, 9100, 3640));
    top.Add(Label(kTitle, 0, 8500, 500)).Add(Label(kScale, 5000, 8500));
    top.Add(Label(kLiving, 1200, 5200)).Add(Label(kKitchen, 1200, 1500)).Add(Label(kBedroom, 5800, 5200));
    top.Add(Label(kBath, 5800, 1500)).Add(Label(kEntrance, 3900, 300)).Add(Label(kSofa, 1500, 4300, 200));
    top.Add(Label(kSign, 7000, 8500, 200));
    top.Add(Dimension("3640", 0, 0, 3640, 0)).Add(Dimension("5460", 3640, 0, 9100, 0));
    top.Add(Dimension("9100", 0, -600, 9100, -600));

    TEntEnko column;
    column.Attr = OnLayer(0, 0);
    column.D = {9100, 7280, 150, 0, 360, 1, 0};
    top.Add(column);
    TEntSolid hatch;
    hatch.Attr = OnLayer(0, 1, kSolidExtraMark);
    hatch.D = {0, 0, 200, 0, 200, 200, 0, 200};
    hatch.Extra = 8;
    top.Add(hatch);
    TEntTen grid;
    grid.Attr = OnLayer(1, 0);
    grid.D = {4550, 3640};
    top.Add(grid);
    top.Add(Insertion(3640, 1800, 90)).Add(Insertion(8000, 8000));

    // Door: leaf, swing and its label.
    EntityList door;
    door.Add(MakeSen(0, 0, 800, 0));
    TEntEnko swing;
    swing.D = {0, 0, 800, 0, 90, 1, 0};
    door.Add(swing).Add(Label(kHingedDoor, 100, 100, 150)).Add(Dimension("800", 0, 0, 800, 0));
    BlockDefItem doorDef = MakeBlockDef(std::string(kDoor), door);
    doorDef.Value1 = 1;
    doorDef.Value3 = 0x80000000u;  // a definition that carries its extra bytes
    doorDef.Extra = std::string("\x01\x00\x00\x00\x00\x00\x00\x00", 8);
    doc.BlockDefs.Defs.push_back(doorDef);

    // Compass: the letter and, nested, the door block as a reference mark.
    EntityList compass;
    compass.Add(Label(kNorth, 0, 600, 250)).Add(MakeSen(0, -500, 0, 500)).Add(Insertion(0, 0));
    doc.BlockDefs.Defs.push_back(MakeBlockDef(std::string(kCompass), compass));
    return doc;
}

ZvsDocument SampleSymbol()
{
    ZvsDocument doc;
    doc.Version = 420;
    doc.Reals1 = {1.0, 1.0};
    doc.GroupDoubles.fill(100.0);
    doc.Ints = {0, 0, 1, 0, 0, 0};

    EntityList& figure = doc.Entities;
    figure.Add(MakeSen(0, 0, 400, 0)).Add(MakeSen(400, 0, 400, 700)).Add(MakeSen(400, 700, 0, 700));
    figure.Add(MakeSen(0, 700, 0, 0));
    TEntEnko bowl;
    bowl.D = {200, 250, 180, 0, 360, 1, 0};
    figure.Add(bowl);
    figure.Add(Label(kToilet, 50, 750, 120)).Add(Label(kWc, 120, 350, 150));
    figure.Add(Dimension("700", 0, 0, 400, 0));
    figure.Add(Insertion(450, 0));

    EntityList fixtures;
    fixtures.Add(MakeSen(0, 0, 450, 0)).Add(Label(kBasin, 0, 300, 120)).Add(Dimension("450", 0, 0, 450, 0));
    doc.BlockDefs.Defs.push_back(MakeBlockDef(std::string(kFixtures), fixtures));
    return doc;
}

}  // namespace vaveze::winwriter
