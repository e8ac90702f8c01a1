// Writes the sample drawing (drawing.zvc) and symbol file (symbol.zvk) into
// the folder given as the only argument. Texts are written here in UTF-8 and
// stored in the files in Shift-JIS, as the MS-DOS edition stores them.
#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "core/text/cp932.h"
#include "tests/dos/dos_writer.h"

namespace dw = vaveze::doswriter;

namespace {

// UTF-8 to Shift-JIS (code page 932).
class ToSjis {
public:
    std::string operator()(std::string_view utf8) const
    {
        vaveze::EncodedText sjis = vaveze::Utf8ToCp932(utf8);
        if (!sjis.Unencodable.empty())
            throw std::runtime_error("text not representable in Shift-JIS");
        return std::move(sjis.Bytes);
    }
};

std::int32_t Fixed(double v) { return static_cast<std::int32_t>(v * 65536.0); }

// A 22-byte line record: two points in 16.16 fixed point, pen and layer bytes.
dw::LineRecord Line(double x1, double y1, double x2, double y2, std::uint8_t layer)
{
    dw::LineRecord rec;
    const std::int32_t v[4] = {Fixed(x1), Fixed(y1), Fixed(x2), Fixed(y2)};
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t b = 0; b < 4; ++b)
            rec.Bytes[i * 4 + b] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v[i]) >> (8 * b));
    rec.Bytes[16] = 1;
    rec.Bytes[17] = 1;
    rec.Bytes[18] = layer;
    return rec;
}

dw::ArcRecord Arc(double cx, double cy, double r)
{
    dw::ArcRecord rec;
    rec.Value1 = static_cast<std::uint32_t>(Fixed(cx));
    rec.Value2 = static_cast<std::uint32_t>(Fixed(cy));
    rec.Value3 = static_cast<std::uint32_t>(Fixed(r));
    rec.Ratio = 10000;
    rec.Fixed1 = 0;
    rec.Fixed2 = Fixed(90.0);
    rec.Fixed3 = 0;
    rec.Bytes = {1, 1, 2, 0, 0, 0};
    return rec;
}

void PlaceText(dw::TextRecord& rec, double x, double y, double height)
{
    rec.Values = {static_cast<std::uint32_t>(Fixed(x)), static_cast<std::uint32_t>(Fixed(y)),
                  static_cast<std::uint32_t>(Fixed(height)), 0};
    rec.Attr = {1, 1, 0, 3};
}

std::string MakeDrawing(const ToSjis& sjis)
{
    dw::ZvcDocument doc = dw::NewZvc(true);
    doc.Line1.Text1 = sjis("木造2階建 住宅 1階平面図");
    doc.Line1.Text2 = sjis("縮尺 1/100 第2版");

    const char* groups[16] = {"基本", "通り芯", "躯体", "建具", "設備", "寸法", "文字", "外構"};
    const char* layers[8][4] = {{"枠", "表題"},       {"X通り", "Y通り"}, {"壁", "柱", "梁"},
                                {"窓", "扉", "襖"}, {"電気", "給排水"},  {"外形", "内法"},
                                {"室名", "注記"},   {"植栽", "塀"}};
    for (std::size_t g = 0; g < 8; ++g) {
        doc.GroupNames[g] = sjis(groups[g]);
        for (std::size_t l = 0; l < 4 && layers[g][l] != nullptr; ++l)
            doc.LayerNames[16 * g + l] = sjis(layers[g][l]);
    }
    for (std::size_t g = 0; g < 16; ++g)
        doc.RealGroupScales[g] = g == 0 ? 1.0f : 100.0f;

    doc.Lines = {Line(0, 0, 9100, 0, 32), Line(9100, 0, 9100, 7280, 32), Line(9100, 7280, 0, 7280, 32),
                 Line(0, 7280, 0, 0, 32),  Line(3640, 0, 3640, 7280, 33), Line(0, 3640, 9100, 3640, 33)};
    doc.Arcs = {Arc(3640, 3640, 800), Arc(910, 0, 780)};
    const struct {
        const char* text;
        double x, y;
    } texts[] = {{"居間", 1500, 5200},       {"台所", 6000, 5200},   {"和室 6帖", 1500, 1600},
                 {"浴室", 6000, 1600},       {"玄関", 8200, 600},    {"押入", 3000, 600},
                 {"ﾄｲﾚ", 7600, 2800},        {"W=900 H=2000", 910, -400},
                 {"1階平面図 S=1/100", 4550, -1200}};
    for (const auto& t : texts)
        PlaceText(dw::AddZvcText(doc, sjis(t.text)), t.x, t.y, 250);
    doc.Points = {{static_cast<std::uint32_t>(Fixed(0)), static_cast<std::uint32_t>(Fixed(0)), 1},
                  {static_cast<std::uint32_t>(Fixed(9100)), static_cast<std::uint32_t>(Fixed(7280)), 1}};
    dw::SyncZvcHeader(doc);
    return dw::WriteZvc(doc);
}

std::string MakeSymbol(const ToSjis& sjis)
{
    dw::ZvkDocument doc = dw::NewZvk();
    doc.Line1.Text1 = sjis("建具記号 片開き扉");
    doc.Line1.Text2 = sjis("W800 用");
    doc.Lines = {Line(0, 0, 800, 0, 0), Line(0, 0, 0, 800, 0)};
    doc.Arcs = {Arc(0, 0, 800)};
    doc.Points = {{0, 0, 1}};
    PlaceText(dw::AddZvkText(doc, sjis("片開き扉")), 100, 900, 150);
    PlaceText(dw::AddZvkText(doc, "D1"), 100, 1100, 150);
    PlaceText(dw::AddZvkText(doc, sjis("ｸﾘｱﾗﾝｽ 760")), 100, -200, 100);
    dw::SyncZvkHeader(doc);
    return dw::WriteZvk(doc);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const ToSjis sjis;
        const std::string folder = std::string(argv[1]) + "/";
        if (!dw::SaveFile(folder + "drawing.zvc", MakeDrawing(sjis)) ||
            !dw::SaveFile(folder + "symbol.zvk", MakeSymbol(sjis))) {
            std::fprintf(stderr, "cannot write the samples into %s\n", argv[1]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
