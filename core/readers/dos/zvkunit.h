// Reader of ZVK symbol files (MS-DOS edition).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/readers/dos/dosrecords.h"
#include "core/readers/salvage.h"

namespace vaveze {

inline constexpr std::string_view kZvkMagic = "zv_cad(c)sym........";

struct TZvkHeader {
    std::string TitleBlock;  // at most 40 bytes
    std::string Text1;       // at most 32 bytes; listed
    std::string Text2;       // at most 32 bytes; listed
    std::int32_t LineCount = 0;
    std::int32_t ArcCount = 0;
    std::int32_t TextCount = 0;
    std::int32_t PointCount = 0;
    float Real4 = 0.0f;
    float Real5 = 0.0f;
    float Real6 = 1.0f;
    std::int32_t PoolSize = 0;
    float Real8 = 1.0f;
    std::vector<std::string> Fields;  // only while decoding
};

struct ZvkReader {
    std::vector<std::string> HeaderLines;  // 2 lines of 200 bytes
    TZvkHeader Header;
    Table<TSen2> Lines;
    Table<TEnko2> Arcs;
    Table<TTen2> Points;
    Table<TMoji2> Texts;
    PageBuffer TextPool;  // the string pool, whose bytes the texts view
    // What a salvage reading found beyond the place where the parse stopped
    // (SalvageZvk); empty for any other parse.
    SalvageResult Salvaged;
};

void ResetZvk(ZvkReader& reader);
// As ParseZvwBytes and ParseZvwStream.
[[nodiscard]] ParseOutcome ParseZvkBytes(ZvkReader& reader, std::string_view bytes);
[[nodiscard]] ParseOutcome ParseZvkStream(ZvkReader& reader, InputStream& in);
// Reads `bytes`, the whole file of a parse that ended with `outcome`, for
// the texts it could not give (dos/dossalvage.h): what it finds goes to
// reader.Salvaged, and nothing else of the reader changes.
void SalvageZvk(ZvkReader& reader, std::string_view bytes, const ParseOutcome& outcome);

}  // namespace vaveze
