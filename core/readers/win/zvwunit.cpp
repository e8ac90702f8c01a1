#include "core/readers/win/zvwunit.h"

#include <type_traits>

#include "core/readers/parseguard.h"
#include "core/readers/win/archivesalvage.h"

namespace vaveze {
namespace {

// Thresholds of the drawing file's header layout.
constexpr std::int32_t kVersionLongBlock12 = 231;      // 44 bytes instead of 28
constexpr std::int32_t kVersionKeepBlock12Extra = 300; // the two extra doubles are kept
constexpr std::int32_t kVersionLongBlock14 = 231;      // 280 bytes instead of 96
constexpr std::int32_t kVersionBlock19Short = 220;
constexpr std::int32_t kVersionBlock19Mid = 223;
constexpr std::int32_t kVersionBlock19Long = 225;
constexpr std::int32_t kVersionBlock19Full = 230;

// Fixed blocks are read whole and then taken apart, so a block cut off by
// the end of the file stores none of its fields: `decode` runs only on a
// block read whole.
template <typename Decode>
void ReadFixedBlock(InputStream& in, std::size_t size, Decode&& decode)
{
    FieldBlock block = in.fields(size);
    if (!in.failed())
        decode(block);
}

template <typename T, std::size_t N>
void ReadArray(FieldBlock& in, std::array<T, N>& out)
{
    for (T& value : out) {
        if constexpr (std::is_same_v<T, double>)
            value = in.readDouble();
        else
            value = in.readI32();
    }
}

// The same from the cursor, field by field: once it has stopped, the fields
// read as zeros, as a reset leaves them.
template <typename T, std::size_t N>
void ReadArray(InputStream& in, std::array<T, N>& out)
{
    for (T& value : out) {
        if constexpr (std::is_same_v<T, double>)
            value = in.readDouble();
        else
            value = in.readI32();
    }
}

void ReadGroupsAndLayerNumbers(InputStream& in, ZvwReader& reader)
{
    for (std::size_t g = 0; g < kZvwLayerGroupCount; ++g) {
        ReadFixedBlock(in, 20, [&](FieldBlock& group) {
            TLayerGroup& lg = reader.LayerGroups[g];
            lg.V1 = group.readI32();
            lg.V2 = group.readI32();
            lg.D = group.readDouble();
            lg.V3 = group.readI32();
        });
        ReadFixedBlock(in, 16 * 8, [&](FieldBlock& layers) {
            for (std::size_t l = 0; l < kZvwLayersPerGroup; ++l) {
                TLayer& layer = reader.Layers[g * kZvwLayersPerGroup + l];
                layer.V1 = layers.readI32();
                layer.V2 = layers.readI32();
            }
        });
    }
}

void ReadBlock9(InputStream& in, TZvwHeader& h)
{
    ReadFixedBlock(in, 72, [&h](FieldBlock& b) {
        ReadArray(b, h.Block9D1);
        ReadArray(b, h.Block9I);
        ReadArray(b, h.Block9D2);
    });
}

// A string of the header. A parse read for salvage notes the first that no
// drawing holds: the header's layout is out of step from there.
std::string ReadHeaderText(InputStream& in, ArchiveTrace* trace)
{
    const std::size_t at = in.tell();
    std::string text = ReadLpString(in);
    if (trace != nullptr && trace->FirstDamagedHeaderText == ArchiveTrace::kNotReached && !in.failed() &&
        !PlausibleSalvageText(text))
        trace->FirstDamagedHeaderText = at;
    return text;
}

void ReadNames(InputStream& in, ZvwReader& reader, ArchiveTrace* trace)
{
    for (TLayer& layer : reader.Layers)  // group-major, as the table is laid out
        layer.Name = ReadHeaderText(in, trace);
    for (TLayerGroup& group : reader.LayerGroups)
        group.Name = ReadHeaderText(in, trace);
}

void ReadBlock12(InputStream& in, TZvwHeader& h, std::int32_t version)
{
    const bool longForm = version >= kVersionLongBlock12;
    ReadFixedBlock(in, longForm ? 44 : 28, [&](FieldBlock& b) {
        h.Block12D1[0] = b.readDouble();
        h.Block12D1[1] = b.readDouble();
        h.Block12I = b.readI32();
        h.Block12D2 = b.readDouble();
        if (longForm && version >= kVersionKeepBlock12Extra)
            ReadArray(b, h.Block12D3);
    });
}

void ReadBlock13(InputStream& in, TZvwHeader& h)
{
    ReadFixedBlock(in, 52, [&h](FieldBlock& b) {
        h.Block13I = b.readI32();
        ReadArray(b, h.Block13D);
    });
}

void ReadBlock14(InputStream& in, TZvwHeader& h, std::int32_t version)
{
    if (version < kVersionLongBlock14) {
        ReadFixedBlock(in, 4 * 24, [&h](FieldBlock& b) {
            for (std::size_t i = 0; i < 4; ++i) {
                h.Block14A[i] = b.readDouble();
                h.Block14B[i] = b.readDouble();
                h.Block14C[i] = b.readDouble();
            }
        });
        return;
    }
    ReadFixedBlock(in, 280, [&h](FieldBlock& b) {
        for (std::size_t i = 0; i < 8; ++i) {
            h.Block14A[i] = b.readDouble();
            h.Block14B[i] = b.readDouble();
            h.Block14C[i] = b.readDouble();
            h.Block14I[i] = b.readI32();
        }
        ReadArray(b, h.Block14TailD1);
        h.Block14TailI1 = b.readI32();
        ReadArray(b, h.Block14TailD2);
        h.Block14TailI2 = b.readI32();
    });
}

void ReadBlocks15To18(InputStream& in, ZvwReader& reader)
{
    ReadFixedBlock(in, 168, [&reader](FieldBlock& b15) {
        ReadArray(b15, reader.Header.Block15D);
        reader.Header.Block15E = b15.readDouble();
        for (TZvwTable10Entry& entry : reader.Table10) {
            entry.V[0] = b15.readI32();
            entry.V[1] = b15.readI32();
        }
    });
    ReadFixedBlock(in, 160, [&reader](FieldBlock& b16) {
        for (TZvwTable10Entry& entry : reader.Table10) {
            entry.V[2] = b16.readI32();
            entry.V[3] = b16.readI32();
            entry.D = b16.readDouble();
        }
    });
    ReadFixedBlock(in, 128, [&reader](FieldBlock& b17) {
        for (auto& entry : reader.Table8)
            ReadArray(b17, entry);
    });
    ReadFixedBlock(in, 164, [&reader](FieldBlock& b18) {
        for (auto& entry : reader.Table5)
            ReadArray(b18, entry);
        for (auto& entry : reader.Table4)
            ReadArray(b18, entry);
    });
}

// The block grows with the version; versions between the known steps below
// 230 carry none of it.
void ReadBlock19(InputStream& in, TZvwHeader& h, std::int32_t version)
{
    std::size_t size = 0;
    if (version == kVersionBlock19Short)
        size = 44;
    else if (version == kVersionBlock19Mid)
        size = 104;
    else if (version == kVersionBlock19Long)
        size = 136;
    else if (version >= kVersionBlock19Full)
        size = 144;
    if (size == 0)
        return;

    ReadFixedBlock(in, size, [&h, size](FieldBlock& b) {
        ReadArray(b, h.Block19I);
        if (size >= 104) {
            ReadArray(b, h.Block19I2);
            ReadArray(b, h.Block19D);
        }
        if (size >= 136)
            ReadArray(b, h.Block19D2);
        if (size >= 144)
            ReadArray(b, h.Block19I3);
    });
}

void ReadExtendedTables(InputStream& in, ZvwReader& reader, ArchiveTrace* trace)
{
    for (TColorExNo& color : reader.Colors) {
        color.V1 = in.readI32();
        color.V2 = in.readI32();
    }
    for (TColorExNo& color : reader.Colors) {
        color.Name = ReadHeaderText(in, trace);
        color.V3 = in.readI32();
        color.V4 = in.readI32();
        color.D = in.readDouble();
    }
    for (TLineTypeExNo& lineType : reader.LineTypes)
        ReadArray(in, lineType.V);
    for (TLineTypeExNo& lineType : reader.LineTypes) {
        lineType.Name = ReadHeaderText(in, trace);
        lineType.V5 = in.readI32();
        ReadArray(in, lineType.D);
    }
}

void ReadBlock21(InputStream& in, ZvwReader& reader)
{
    ReadFixedBlock(in, 280, [&reader](FieldBlock& b) {
        for (TZvwLastTableEntry& entry : reader.LastTable) {
            ReadArray(b, entry.D);
            entry.V = b.readI32();
        }
    });
}

void ReadBlock22(InputStream& in, TZvwHeader& h)
{
    ReadFixedBlock(in, 100, [&h](FieldBlock& b) {
        ReadArray(b, h.Block22D1);
        ReadArray(b, h.Block22I1);
        ReadArray(b, h.Block22D2);
        h.Block22I2 = b.readI32();
        ReadArray(b, h.Block22D3);
    });
}

// Everything after the version, up to the top-level object count.
void ReadHeaderBody(InputStream& in, ZvwReader& reader, ArchiveTrace* trace)
{
    TZvwHeader& h = reader.Header;
    const std::int32_t version = h.FileVersion;

    in.mark("file header");
    h.Memo = ReadHeaderText(in, trace);
    h.Value4 = in.readI32();
    h.Value5 = in.readI32();
    ReadGroupsAndLayerNumbers(in, reader);
    ReadFixedBlock(in, 56, [&h](FieldBlock& b) { ReadArray(b, h.Block7); });
    ReadFixedBlock(in, 28, [&h](FieldBlock& b) { ReadArray(b, h.Block8); });
    ReadBlock9(in, h);
    in.mark("layer name table");
    ReadNames(in, reader, trace);
    in.mark("file header");
    ReadBlock12(in, h, version);
    ReadBlock13(in, h);
    ReadBlock14(in, h, version);
    ReadBlocks15To18(in, reader);
    ReadBlock19(in, h, version);
    if (version >= kZvwVersionExtendedTables) {
        in.mark("colour and line type table");
        ReadExtendedTables(in, reader, trace);
        in.mark("file header");
    }
    ReadBlock21(in, reader);
    ReadBlock22(in, h);
}

void SizeFixedTables(ZvwReader& reader)
{
    reader.LayerGroups.resize(kZvwLayerGroupCount);
    reader.Layers.resize(kZvwLayerCount);
    reader.Table10.resize(kZvwTable10Count);
    reader.Table8.resize(kZvwTable8Count);
    reader.Table5.resize(kZvwTable5Count);
    reader.Table4.resize(kZvwTable4Count);
    reader.LastTable.resize(kZvwLastTableCount);
    reader.Colors.resize(kZvwColorCount);
    reader.LineTypes.resize(kZvwLineTypeCount);
}

// The whole file, up to where the cursor stops, a version too old to read
// included.
void ReadDrawing(InputStream& in, ZvwReader& reader, RecordsKept kept, ArchiveTrace* trace)
{
    in.mark("file header");
    reader.Header.Magic = std::string(in.readBytes(kZvwMagic.size()));
    const std::size_t versionAt = in.tell();
    reader.Header.FileVersion = in.readI32();
    if (in.failed())
        return;
    if (reader.Header.FileVersion < kZvwOldestVersion) {
        in.fail(StopReason::UnsupportedVersion, versionAt);
        return;
    }

    ReadHeaderBody(in, reader, trace);
    if (in.failed())
        return;

    const TArchiveFormat format{reader.Header.FileVersion, kZvwNameBufferSize, in.size(), kept, trace};
    ReadEntityListAndBlocks(in, format, reader.Header.EntityCount, reader.Strings, reader.Entities,
                            reader.BlockDefs);
    // Whatever follows (the embedded files of version 700 and later, or
    // anything else) is not needed for the texts and is never looked at.
}

ParseOutcome ParseKeeping(ZvwReader& reader, InputStream& in, RecordsKept kept, ArchiveTrace* trace = nullptr)
{
    ResetZvw(reader);
    // Everything read before a stop stays for the listing.
    const ParseOutcome outcome = GuardParse(in, [&] {
        SizeFixedTables(reader);
        ReadDrawing(in, reader, kept, trace);
    });
    reader.Header.BlockDefCount = reader.BlockDefs.Count;
    return outcome;
}

}  // namespace

void ResetZvw(ZvwReader& reader) { reader = ZvwReader{}; }

ParseOutcome ParseZvwStream(ZvwReader& reader, InputStream& in) { return ParseKeeping(reader, in, RecordsKept::All); }

ParseOutcome ParseZvwTextsStream(ZvwReader& reader, InputStream& in)
{
    return ParseKeeping(reader, in, RecordsKept::TextsOnly);
}

ParseOutcome ParseZvwTraced(ZvwReader& reader, InputStream& in, RecordsKept kept, ArchiveTrace& trace)
{
    trace = ArchiveTrace{};
    const ParseOutcome outcome = ParseKeeping(reader, in, kept, &trace);
    if (!outcome.Complete())
        return outcome;
    // The parse is over: what the cursor reads now is only looked at.
    if (reader.Header.FileVersion >= kZvwVersionEmbeddedFiles) {
        for (std::uint32_t files = in.readU32(); files > 0 && !in.failed(); --files) {
            (void)ReadLpStringBytes(in);
            in.skip(in.readU32());
        }
    }
    trace.EndsWell = !in.failed() && in.remaining() == 0;
    return outcome;
}

void SalvageZvw(ZvwReader& reader, std::string_view bytes, const ArchiveTrace& trace, const ParseOutcome& outcome)
{
    if (reader.Header.FileVersion < kZvwOldestVersion) {
        // Nothing of the layout is known: the whole file is passed over.
        reader.Salvaged.Skipped.push_back({outcome.Reason, outcome.Offset, bytes.size()});
        return;
    }
    const ArchiveSalvageFormat format{reader.Header.FileVersion, kZvwNameBufferSize,
                                      reader.Header.FileVersion >= kZvwVersionEmbeddedFiles};
    reader.Salvaged = SalvageArchive(bytes, format, trace, outcome);
}

ParseOutcome ParseZvwBytes(ZvwReader& reader, std::string_view bytes)
{
    InputStream in(bytes);
    return ParseZvwStream(reader, in);
}

ParseOutcome ParseZvwTextsBytes(ZvwReader& reader, std::string_view bytes)
{
    InputStream in(bytes);
    return ParseZvwTextsStream(reader, in);
}

}  // namespace vaveze
