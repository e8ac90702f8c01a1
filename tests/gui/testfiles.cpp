#include "testfiles.h"

#include <QFile>

#include "core/listing/extraction.h"

namespace vaveze::testing {
namespace {

void PutU16(std::string& out, std::size_t at, unsigned value)
{
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

std::string Padded(std::string_view text, std::size_t size, char fill)
{
    std::string out(text.substr(0, size));
    out.resize(size, fill);
    return out;
}

}  // namespace

std::string MakeZvk(const std::vector<std::string>& texts, std::string_view headerText1, std::string_view headerText2)
{
    std::string pool;
    std::string records;
    for (const std::string& text : texts) {
        std::string record(24, '\0');
        PutU16(record, 16, static_cast<unsigned>(pool.size()));
        records += record;
        pool += text;
        pool += '\0';
    }
    std::string file = Padded("zv_cad(c)sym........", 40, ' ');
    file += Padded(headerText1, 32, '\0');
    file += Padded(headerText2, 32, '\0');
    file.resize(200, '\0');
    const std::string counts =
        "0,0,0," + std::to_string(texts.size()) + ",0,0,1," + std::to_string(pool.size()) + ",1";
    file += Padded(counts, 200, '\0');
    return file + records + pool;
}

std::string MagicOnly(std::string_view magic) { return std::string(magic) + std::string(4, '\0'); }

void WriteFile(const QString& path, std::string_view bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        throw std::runtime_error("cannot write " + path.toStdString());
}

std::string ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

std::vector<std::string> CoreLines(const QString& path, bool header, bool dimensions, bool blocks)
{
    Readers readers;
    ResetReaders(readers);
    const Detection detection = DetectAndParse(readers, QFile::encodeName(path).toStdString());
    VectorSink sink;
    (void)ListFormat(detection.Kind, readers, ListingOptions{header, dimensions, blocks}, sink);
    ClearReaders(readers);
    return sink.Lines;
}

std::string CoreListing(const QString& path, bool header, bool dimensions, bool blocks)
{
    std::string out;
    for (const std::string& line : CoreLines(path, header, dimensions, blocks))
        out += line + "\r\n";
    return out;
}

}  // namespace vaveze::testing
