#include "core/readers/win/zvsunit.h"

#include "core/readers/parseguard.h"
#include "core/readers/win/archivesalvage.h"

namespace vaveze {
namespace {

constexpr std::size_t kZvsSkippedBytes = 193;  // the rest of the first 200 bytes
constexpr std::size_t kZvsLayerGroupCount = 16;

// Header after the magic: version, reals, one double per layer group,
// integers and more reals, 452 bytes in all with the first 200.
void ReadHeader(InputStream& in, ZvsReader& reader)
{
    TZvsHeader& h = reader.Header;
    in.mark("file header");
    h.Magic = std::string(in.readBytes(kZvsMagic.size()));
    in.skip(kZvsSkippedBytes);
    h.FileVersion = in.readI32();
    for (double& d : h.Reals1)
        d = in.readDouble();
    for (TLayerGroup& group : reader.LayerGroups)
        group.D = in.readDouble();
    for (std::int32_t& value : h.Ints)
        value = in.readI32();
    for (double& d : h.Reals3)
        d = in.readDouble();
}

// The figure and its block definitions, up to where the cursor stops.
void ReadSymbol(InputStream& in, ZvsReader& reader, RecordsKept kept, ArchiveTrace* trace)
{
    ReadHeader(in, reader);
    if (in.failed())
        return;

    // The version is not checked: it only selects the record layouts.
    const TArchiveFormat format{reader.Header.FileVersion, kZvsNameBufferSize, in.size(), kept, trace};
    ReadEntityListAndBlocks(in, format, reader.Header.EntityCount, reader.Strings, reader.Entities,
                            reader.BlockDefs);
}

ParseOutcome ParseKeeping(ZvsReader& reader, InputStream& in, RecordsKept kept, ArchiveTrace* trace = nullptr)
{
    ResetZvs(reader);
    // Everything read before a stop stays for the listing.
    const ParseOutcome outcome = GuardParse(in, [&] {
        reader.LayerGroups.resize(kZvsLayerGroupCount);
        ReadSymbol(in, reader, kept, trace);
    });
    reader.Header.BlockDefCount = reader.BlockDefs.Count;
    return outcome;
}

}  // namespace

void ResetZvs(ZvsReader& reader) { reader = ZvsReader{}; }

ParseOutcome ParseZvsStream(ZvsReader& reader, InputStream& in) { return ParseKeeping(reader, in, RecordsKept::All); }

ParseOutcome ParseZvsTextsStream(ZvsReader& reader, InputStream& in)
{
    return ParseKeeping(reader, in, RecordsKept::TextsOnly);
}

ParseOutcome ParseZvsTraced(ZvsReader& reader, InputStream& in, RecordsKept kept, ArchiveTrace& trace)
{
    trace = ArchiveTrace{};
    const ParseOutcome outcome = ParseKeeping(reader, in, kept, &trace);
    trace.EndsWell = outcome.Complete() && in.remaining() == 0;
    return outcome;
}

void SalvageZvs(ZvsReader& reader, std::string_view bytes, const ArchiveTrace& trace, const ParseOutcome& outcome)
{
    // Whatever follows the block definitions is never looked at.
    const ArchiveSalvageFormat format{reader.Header.FileVersion, kZvsNameBufferSize, false};
    reader.Salvaged = SalvageArchive(bytes, format, trace, outcome);
}

ParseOutcome ParseZvsBytes(ZvsReader& reader, std::string_view bytes)
{
    InputStream in(bytes);
    return ParseZvsStream(reader, in);
}

ParseOutcome ParseZvsTextsBytes(ZvsReader& reader, std::string_view bytes)
{
    InputStream in(bytes);
    return ParseZvsTextsStream(reader, in);
}

}  // namespace vaveze
