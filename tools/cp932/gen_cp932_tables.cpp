// Writes core/text/cp932tables.cpp from glibc's CP932 converter. Run by
// hand when the tables are to change, on a glibc system:
//
//   cmake --build build --target gen_cp932_tables
//   build/tools/cp932/gen_cp932_tables > core/text/cp932tables.cpp
//
// tests/core/cp932_test.cpp checks the committed tables against the
// converter wherever it is available.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/text/cp932.h"
#include "tools/cp932/cp932_iconv.h"

namespace {

using vaveze::cp932gen::IconvTables;
using vaveze::cp932gen::kNoCode;

// Runs of at least this many codes are written as a run, not char by char.
constexpr unsigned kMinRun = 16;
constexpr unsigned kCharsPerLine = 16;

bool IsNecSelectedIbm(unsigned code) { return (code >> 8) == 0xED || (code >> 8) == 0xEE; }

// The encoding cp932.cpp derives from the decode table alone; the
// generator writes down only where the converter chooses otherwise.
std::vector<std::uint16_t> DerivedEncode(const IconvTables& t)
{
    std::vector<std::uint16_t> encode(0x10000, kNoCode);
    for (unsigned b = 0; b < 0x80; ++b)
        encode[b] = static_cast<std::uint16_t>(b);
    for (unsigned b = 0xA1; b <= 0xDF; ++b)
        encode[0xFF61 + (b - 0xA1)] = static_cast<std::uint16_t>(b);
    for (bool necSelected : {false, true})
        for (unsigned code = 0; code < 0x10000; ++code)
            if (t.Double[code] != 0 && IsNecSelectedIbm(code) == necSelected && encode[t.Double[code]] == kNoCode)
                encode[t.Double[code]] = static_cast<std::uint16_t>(code);
    for (unsigned b = 0; b < 0x100; ++b)
        encode[vaveze::kRawByteBase + b] = static_cast<std::uint16_t>(b);
    return encode;
}

unsigned RunLength(const IconvTables& t, unsigned code, unsigned lastCode)
{
    unsigned n = 1;
    while (code + n <= lastCode && t.Double[code + n] != 0 && t.Double[code + n] == t.Double[code] + n)
        ++n;
    return n;
}

void WriteRow(const IconvTables& t, unsigned first, unsigned last)
{
    std::printf("    {0x%04X,", first);
    for (unsigned code = first; code <= last; ++code) {
        if ((code - first) % kCharsPerLine == 0)
            std::printf("%s u\"", code == first ? "" : "\"\n            ");
        if (t.Double[code] == 0)
            std::printf("\\0");
        else
            std::printf("\\u%04X", static_cast<unsigned>(t.Double[code]));
    }
    std::printf("\"sv},\n");
}

void WriteDecodeTables(const IconvTables& t)
{
    std::vector<std::pair<unsigned, unsigned>> runs;  // first code, count
    std::string rows;
    std::printf("const DecodeRow kRows[] = {\n");
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        const unsigned lastCode = lead << 8 | 0xFC;
        unsigned rowFirst = 0;
        unsigned rowLast = 0;
        auto flushRow = [&] {
            if (rowFirst != 0)
                WriteRow(t, rowFirst, rowLast);
            rowFirst = 0;
        };
        for (unsigned code = lead << 8 | 0x40; code <= lastCode;) {
            if (t.Double[code] == 0) {
                ++code;
                continue;
            }
            if (const unsigned n = RunLength(t, code, lastCode); n >= kMinRun) {
                flushRow();
                runs.emplace_back(code, n);
                code += n;
                continue;
            }
            if (rowFirst == 0)
                rowFirst = code;
            rowLast = code++;
        }
        flushRow();
    }
    std::printf("};\n\nconst DecodeRun kRuns[] = {\n");
    for (const auto& [code, count] : runs)
        std::printf("    {0x%04X, %u, u'\\u%04X'},\n", code, count, static_cast<unsigned>(t.Double[code]));
    std::printf("};\n");
}

void WriteEncodeChoices(const IconvTables& t)
{
    const std::vector<std::uint16_t> derived = DerivedEncode(t);
    std::printf("\nconst EncodeChoice kChoices[] = {\n");
    for (unsigned ch = 0; ch < 0x10000; ++ch)
        if (derived[ch] != t.Encode[ch])
            std::printf("    {u'\\u%04X', 0x%04X},\n", ch, static_cast<unsigned>(t.Encode[ch]));
    std::printf("};\n");
}

}  // namespace

int main()
{
    const auto tables = vaveze::cp932gen::BuildFromIconv();
    if (!tables) {
        std::fprintf(stderr, "gen_cp932_tables: the C library has no CP932 converter\n");
        return 1;
    }
    std::printf(
        "// Written by tools/cp932/gen_cp932_tables from glibc's CP932 converter;\n"
        "// do not edit by hand. Double-byte codes only: the single bytes are fixed\n"
        "// in cp932.cpp.\n"
        "#include \"core/text/cp932tables.h\"\n\n"
        "namespace vaveze::cp932 {\n"
        "namespace {\n\n"
        "using namespace std::string_view_literals;\n\n");
    WriteDecodeTables(*tables);
    WriteEncodeChoices(*tables);
    std::printf(
        "\n}  // namespace\n\n"
        "std::span<const DecodeRun> DecodeRuns() { return kRuns; }\n"
        "std::span<const DecodeRow> DecodeRows() { return kRows; }\n"
        "std::span<const EncodeChoice> EncodeChoices() { return kChoices; }\n\n"
        "}  // namespace vaveze::cp932\n");
    return 0;
}
