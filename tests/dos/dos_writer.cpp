#include "tests/dos/dos_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "core/readers/dos/zvcunit.h"
#include "core/readers/dos/zvkunit.h"

namespace vaveze::doswriter {
namespace {

constexpr std::size_t kLineSize = 200;

// Appends little-endian values to a byte string.
class Bytes {
public:
    explicit Bytes(std::size_t reserve) { out_.reserve(reserve); }

    void u8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v)
    {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v)
    {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void f32(float v)
    {
        std::uint32_t bits;
        static_assert(sizeof bits == sizeof v);
        std::memcpy(&bits, &v, sizeof bits);
        u32(bits);
    }
    void raw(std::string_view s) { out_.append(s); }
    template <std::size_t N>
    void raw(const std::array<std::uint8_t, N>& a)
    {
        for (auto b : a)
            u8(b);
    }

    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

void Put(Bytes& b, const LineRecord& r) { b.raw(r.Bytes); }

void Put(Bytes& b, const ArcRecord& r)
{
    b.u32(r.Value1);
    b.u32(r.Value2);
    b.u32(r.Value3);
    b.u16(r.Ratio);
    b.i32(r.Fixed1);
    b.i32(r.Fixed2);
    b.i32(r.Fixed3);
    b.raw(r.Bytes);
}

void Put(Bytes& b, const PointRecord& r)
{
    b.u32(r.Value1);
    b.u32(r.Value2);
    b.u32(r.Value3);
}

void Put(Bytes& b, const TextRecord& r)
{
    for (auto v : r.Values)
        b.u32(v);
    b.u16(r.PoolOffset);
    b.u16(r.PoolSegment);
    b.raw(r.Attr);
}

template <typename Record>
void PutAll(Bytes& b, const std::vector<Record>& records)
{
    for (const auto& r : records)
        Put(b, r);
}

std::vector<std::string> Fields(std::initializer_list<const char*> texts)
{
    return std::vector<std::string>(texts.begin(), texts.end());
}

}  // namespace

std::string FitTo(std::string_view bytes, std::size_t width, char pad)
{
    std::string out(bytes.substr(0, width));
    out.resize(width, pad);
    return out;
}

std::string RenderFirstLine(const FirstLine& line)
{
    return FitTo(line.TitleBlock, 40) + FitTo(line.Text1, 32) + FitTo(line.Text2, 32) + FitTo(line.Tail, 96);
}

std::string RenderFieldLine(const FieldLine& line)
{
    std::string joined;
    for (std::size_t i = 0; i < line.Fields.size(); ++i) {
        if (i > 0)
            joined.push_back(',');
        joined.append(line.Fields[i]);
    }
    return FitTo(joined, kLineSize, line.Pad);
}

void SetField(FieldLine& line, std::size_t index, std::string value)
{
    if (line.Fields.size() <= index)
        line.Fields.resize(index + 1, "0");
    line.Fields[index] = std::move(value);
}

std::string IntField(std::int64_t value) { return std::to_string(value); }

std::string RealField(float value)
{
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string PoolAddressField(std::uint16_t segment, std::uint16_t offset)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X:%04X", static_cast<unsigned>(segment), static_cast<unsigned>(offset));
    return buf;
}

std::pair<std::uint16_t, std::uint16_t> SplitLinearAddress(std::uint32_t linear)
{
    const std::uint32_t segment = std::min<std::uint32_t>(linear / 16, 0xFFFF);
    const std::uint32_t offset = linear - segment * 16;
    if (offset > 0xFFFF)
        throw std::out_of_range("linear address beyond FFFF:FFFF");
    return {static_cast<std::uint16_t>(segment), static_cast<std::uint16_t>(offset)};
}

std::string PoolAddressField(std::uint32_t linear)
{
    const auto [segment, offset] = SplitLinearAddress(linear);
    return PoolAddressField(segment, offset);
}

// ---------------------------------------------------------------- drawing files

std::string ZvcTitleBlock(bool realScale)
{
    std::string title(kZvcMagic);
    title += realScale ? "V2f" : "V2i";
    return title;
}

ZvcDocument NewZvc(bool realScale)
{
    ZvcDocument doc;
    doc.Line1.TitleBlock = ZvcTitleBlock(realScale);
    doc.RealScaleLayout = realScale;
    doc.Line2.Fields = Fields({"0",   "0",   "0",   "0",   "0",   "1", "1", "1", "1", "1.0", "0",
                               "3",   "2",   "1",   "0.0", "0.0", "5.0", "10.0", "0", "0", "0", "0",
                               "0",   "0",   "0",   "5.0", "5.0", "0.0", "0.0", "0.0", "518", "0"});
    doc.Line3.Fields = Fields({"0.0",   "0.0",   "3.0",   "15.0",  "0",     "0",   "0",   "0",  "0",   "1",
                               "0.0",   "0.0",   "0.0",   "0.0",   "0.0",   "0.0", "0",   "0",  "0",   "100.0",
                               "100.0", "100.0", "100.0", "100.0", "100.0", "0.0", "0.0", "1.0"});
    doc.Line4.Fields.assign(22, "0.0");
    doc.Line4.Fields[20] = "0";
    doc.Line4.Fields[21] = "0";
    for (auto& scale : doc.RealGroupScales)
        scale = 1.0f;
    doc.WordGroupScales.fill(1);
    SyncZvcHeader(doc);
    return doc;
}

TextRecord& AddZvcText(ZvcDocument& doc, std::string_view text)
{
    const auto [segment, offset] = SplitLinearAddress(doc.PoolBase + static_cast<std::uint32_t>(doc.Pool.size()));
    doc.Pool.append(text);
    doc.Pool.push_back('\0');
    TextRecord& rec = doc.Texts.emplace_back();
    rec.PoolSegment = segment;
    rec.PoolOffset = offset;
    return rec;
}

void SyncZvcHeader(ZvcDocument& doc)
{
    SetField(doc.Line2, 0, IntField(static_cast<std::int64_t>(doc.Lines.size())));
    SetField(doc.Line2, 1, IntField(static_cast<std::int64_t>(doc.Arcs.size())));
    SetField(doc.Line2, 2, IntField(static_cast<std::int64_t>(doc.Texts.size())));
    SetField(doc.Line2, 3, IntField(static_cast<std::int64_t>(doc.Points.size())));
    SetField(doc.Line4, 0, PoolAddressField(doc.PoolBase));
    SetField(doc.Line4, 1, PoolAddressField(doc.PoolBase + static_cast<std::uint32_t>(doc.Pool.size())));
}

std::size_t ZvcEntityOffset(bool realScaleLayout) { return realScaleLayout ? 2421 : 2389; }

std::string WriteZvc(const ZvcDocument& doc)
{
    const std::size_t size = ZvcEntityOffset(doc.RealScaleLayout) + 22 * doc.Lines.size() + 32 * doc.Arcs.size() +
                             24 * doc.Texts.size() + doc.Pool.size() + 12 * doc.Points.size() + 2048 + 256 +
                             doc.Trailing.size();
    Bytes b(size);
    b.raw(RenderFirstLine(doc.Line1));
    b.raw(RenderFieldLine(doc.Line2));
    b.raw(RenderFieldLine(doc.Line3));
    b.raw(RenderFieldLine(doc.Line4));

    for (auto v : doc.Table101A)
        b.u32(v);
    for (auto v : doc.Table101B)
        b.u32(v);
    b.raw(doc.Table101C);
    for (const auto& words : doc.Words)
        for (auto w : words)
            b.u16(w);

    for (std::size_t g = 0; g < 16; ++g) {
        if (doc.RealScaleLayout)
            b.f32(doc.RealGroupScales[g]);
        else
            b.u16(doc.WordGroupScales[g]);
    }
    b.raw(doc.GroupByte1);
    b.raw(doc.LayerByte1);
    b.raw(doc.GroupByte2);
    b.raw(doc.LayerByte2);
    b.raw(doc.GroupByte3);

    PutAll(b, doc.Lines);
    PutAll(b, doc.Arcs);
    PutAll(b, doc.Texts);
    b.raw(doc.Pool);
    PutAll(b, doc.Points);

    for (const auto& name : doc.LayerNames)
        b.raw(FitTo(name, 8));
    for (const auto& name : doc.GroupNames)
        b.raw(FitTo(name, 16));
    b.raw(doc.Trailing);
    return b.take();
}

// ---------------------------------------------------------------- symbol files

std::string ZvkTitleBlock() { return std::string(kZvkMagic) + "V2"; }

ZvkDocument NewZvk()
{
    ZvkDocument doc;
    doc.Line1.TitleBlock = ZvkTitleBlock();
    doc.Line2.Fields = Fields({"0", "0", "0", "0", "0.0", "0.0", "1.0", "0", "1.0"});
    SyncZvkHeader(doc);
    return doc;
}

TextRecord& AddZvkText(ZvkDocument& doc, std::string_view text)
{
    if (doc.Pool.size() > 0xFFFF)
        throw std::out_of_range("symbol file pool offsets end at 65535");
    TextRecord& rec = doc.Texts.emplace_back();
    rec.PoolOffset = static_cast<std::uint16_t>(doc.Pool.size());
    doc.Pool.append(text);
    doc.Pool.push_back('\0');
    return rec;
}

void SyncZvkHeader(ZvkDocument& doc)
{
    SetField(doc.Line2, 0, IntField(static_cast<std::int64_t>(doc.Lines.size())));
    SetField(doc.Line2, 1, IntField(static_cast<std::int64_t>(doc.Arcs.size())));
    SetField(doc.Line2, 2, IntField(static_cast<std::int64_t>(doc.Points.size())));
    SetField(doc.Line2, 3, IntField(static_cast<std::int64_t>(doc.Texts.size())));
    SetField(doc.Line2, 7, IntField(static_cast<std::int64_t>(doc.Pool.size())));
}

std::string WriteZvk(const ZvkDocument& doc)
{
    const std::size_t size = 400 + 22 * doc.Lines.size() + 32 * doc.Arcs.size() + 12 * doc.Points.size() +
                             24 * doc.Texts.size() + doc.Pool.size() + doc.Trailing.size();
    Bytes b(size);
    b.raw(RenderFirstLine(doc.Line1));
    b.raw(RenderFieldLine(doc.Line2));
    PutAll(b, doc.Lines);
    PutAll(b, doc.Arcs);
    PutAll(b, doc.Points);
    PutAll(b, doc.Texts);
    b.raw(doc.Pool);
    b.raw(doc.Trailing);
    return b.take();
}

bool SaveFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace vaveze::doswriter
