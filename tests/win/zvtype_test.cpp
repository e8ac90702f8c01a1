// Serialized primitives, class tags and record layouts shared by both
// Windows-format readers.
#include <gtest/gtest.h>

#include "core/readers/win/zvtype.h"
#include "tests/win/zvw_writer.h"

namespace vaveze {
namespace {

using winwriter::ArchiveWriter;

// --- Length-prefixed strings ------------------------------------------------------

struct LpCase {
    std::size_t length;
    std::size_t stored;  // bytes the string takes in the file
};

void PrintTo(const LpCase& c, std::ostream* os) { *os << c.length << " bytes"; }

class LpStringTest : public ::testing::TestWithParam<LpCase> {};

TEST_P(LpStringTest, ReadsBackEveryLengthAndConsumesExactly)
{
    std::string text(GetParam().length, '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>(i * 7 + 1);  // includes zero bytes
    ArchiveWriter w;
    w.LpString(text);
    w.U8(0xAB);  // what follows must stay unread
    ASSERT_EQ(w.Size(), GetParam().stored + 1);

    InputStream in(w.Data());
    EXPECT_EQ(ReadLpString(in), text);
    EXPECT_EQ(in.tell(), GetParam().stored);

    // Cut anywhere inside: the file ends early there, never a short string.
    for (std::size_t cut : {std::size_t{0}, GetParam().stored / 2, GetParam().stored - 1}) {
        if (cut >= GetParam().stored)
            continue;
        InputStream shortIn(std::string_view(w.Data()).substr(0, cut));
        EXPECT_EQ(ReadLpString(shortIn), "") << "cut at " << cut;
        EXPECT_EQ(shortIn.outcome(), (ParseOutcome{StopReason::EndsEarly, cut, {}})) << "cut at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, LpStringTest,
                         ::testing::Values(LpCase{0, 1}, LpCase{1, 2}, LpCase{254, 255}, LpCase{255, 258},
                                           LpCase{256, 259}, LpCase{600, 603}, LpCase{65535, 65538}));

TEST(LpString, EscapeFormLayout)
{
    ArchiveWriter w;
    w.LpString(std::string(600, 'x'));
    EXPECT_EQ(w.Data().substr(0, 3), std::string("\xFF\x58\x02", 3));  // 255, L = 88, H = 2

    // The escape form is read for short strings too.
    ArchiveWriter e;
    e.LpStringEscaped("abc");
    InputStream in(e.Data());
    EXPECT_EQ(ReadLpString(in), "abc");
    EXPECT_EQ(in.tell(), 6u);
}

TEST(LpString, KeepsEmbeddedZeroBytes)
{
    const std::string text("A\0B\0", 4);
    ArchiveWriter w;
    w.LpString(text);
    InputStream in(w.Data());
    EXPECT_EQ(ReadLpString(in), text);
}

// --- Attribute block ------------------------------------------------------------------

TEST(Attr, AttrDOnlyFromVersion351)
{
    const TEntAttr attr{0x01020304u, 100, 10, 0x5566, 7, 8, 9};
    for (std::int32_t version : {219, 350}) {
        ArchiveWriter w;
        w.Attr(attr, version);
        ASSERT_EQ(w.Size(), 13u);
        InputStream in(w.Data());
        TEntAttr expected = attr;
        expected.AttrD = 0;
        EXPECT_EQ(ReadAttr(in, version), expected);
    }
    for (std::int32_t version : {351, 700}) {
        ArchiveWriter w;
        w.Attr(attr, version);
        ASSERT_EQ(w.Size(), 15u);
        InputStream in(w.Data());
        EXPECT_EQ(ReadAttr(in, version), attr);
    }
    // Field order in the file: A (4), B (1), C (2), D (2), E, F, G.
    const std::string bytes("\x04\x03\x02\x01\x64\x0A\x00\x66\x55\x07\x00\x08\x00\x09\x00", 15);
    InputStream in(bytes);
    EXPECT_EQ(ReadAttr(in, 351), attr);
}

TEST(Attr, CopyAttrCopiesEveryField)
{
    const TEntAttr source{1, 2, 3, 4, 5, 6, 7};
    TEntAttr destination{9, 9, 9, 9, 9, 9, 9};
    CopyAttr(source, destination);
    EXPECT_EQ(destination, source);
}

// --- Object counts ----------------------------------------------------------------------

TEST(ObjectCount, ShortAndEscapedForms)
{
    const std::pair<std::string, std::int32_t> cases[] = {
        {std::string("\x00\x00", 2), 0},
        {std::string("\xFE\xFF", 2), 65534},
        {std::string("\xFF\xFF\x70\x11\x01\x00", 6), 70000},
        {std::string("\xFF\xFF\xFF\xFF\x00\x00", 6), 65535},
        {std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6), -1},
    };
    for (const auto& [bytes, count] : cases) {
        InputStream in(bytes);
        EXPECT_EQ(ReadObjectCount(in), count);
        EXPECT_EQ(in.tell(), bytes.size());
    }
    InputStream cut(std::string_view("\xFF\xFF\x01", 3));
    EXPECT_EQ(ReadObjectCount(cut), 0);
    EXPECT_EQ(cut.outcome().Reason, StopReason::EndsEarly);
}

TEST(ObjectCount, TableSizeIsBoundedByTheFile)
{
    const struct {
        std::int32_t count;
        std::size_t fileSize;
        std::size_t size;  // 0 where the count stops the parse
    } cases[] = {{0, 0, 0}, {100, 100, 100}, {101, 100, 0}, {-1, 1000, 0}, {INT32_MIN, 1000, 0}};
    for (const auto& c : cases) {
        InputStream in("abc");
        EXPECT_EQ(CheckedTableSize(in, c.count, c.fileSize, 2), c.size) << c.count;
        const bool impossible = c.size == 0 && c.count != 0;
        const ParseOutcome expected = impossible ? ParseOutcome{StopReason::ImpossibleSize, 2, {}} : ParseOutcome{};
        EXPECT_EQ(in.outcome(), expected) << c.count;
    }
}

// --- Class tags -------------------------------------------------------------------------

EntityKind NextTag(InputStream& in, TClassTagDecoder& decoder, std::size_t buffer = kZvwNameBufferSize)
{
    return ReadClassTag(in, decoder, buffer);
}

TEST(ClassTag, CounterAndSlotsFollowTheArchiveNumbering)
{
    ArchiveWriter w;
    w.NewClassTag("CDataSen");  // class takes index 1
    w.ShortReference(1);        // the second line
    w.NewClassTag("CDataMoji");
    InputStream in(w.Data());
    TClassTagDecoder d;

    EXPECT_EQ(NextTag(in, d), kKindSen);
    EXPECT_EQ(d.Slots[kKindSen], 1);
    EXPECT_EQ(d.ObjectCounter, 2);
    ++d.ObjectCounter;  // the object itself

    EXPECT_EQ(NextTag(in, d), kKindSen);
    ++d.ObjectCounter;
    EXPECT_EQ(d.ObjectCounter, 4);

    EXPECT_EQ(NextTag(in, d), kKindMoji);
    EXPECT_EQ(d.Slots[kKindMoji], 4);
}

TEST(ClassTag, UnknownNamesAndUnmatchedReferencesGiveNoKind)
{
    ArchiveWriter w;
    w.NewClassTag("CDataMojiX");  // not exact: no kind, still one index
    w.NewClassTag("cdatasen");    // case matters
    w.ShortReference(5);          // no slot holds 5
    InputStream in(w.Data());
    TClassTagDecoder d;
    EXPECT_EQ(NextTag(in, d), kKindNone);
    EXPECT_EQ(d.ObjectCounter, 2);
    EXPECT_EQ(NextTag(in, d), kKindNone);
    EXPECT_EQ(d.ObjectCounter, 3);
    EXPECT_EQ(NextTag(in, d), kKindNone);
    EXPECT_EQ(d.ObjectCounter, 3);
    EXPECT_EQ(d.Slots, (std::array<std::int32_t, 8>{}));
}

TEST(ClassTag, LongReferenceClearsBit31)
{
    TClassTagDecoder d;
    d.Slots[kKindTen] = 1;
    d.Slots[kKindSolid] = 0x12345;
    const std::string bytes("\xFF\x7F\x01\x00\x00\x80"   // 0x7FFF, 1 with bit 31
                            "\xFF\x7F\x45\x23\x01\x00",  // 0x7FFF, 0x12345 without
                            12);
    InputStream in(bytes);
    EXPECT_EQ(NextTag(in, d), kKindTen);
    EXPECT_EQ(NextTag(in, d), kKindSolid);
    EXPECT_EQ(in.tell(), 12u);
}

TEST(ClassTag, ReferenceToSlotsStillZeroPicksTheHighestKind)
{
    // Before any class is defined every slot is 0, so a reference to 0
    // matches all seven and the last one checked wins.
    TClassTagDecoder d;
    InputStream in(std::string_view("\x00\x80", 2));
    EXPECT_EQ(NextTag(in, d), kKindBlock);

    d.Slots = {0, 3, 0, 0, 0, 0, 0, 0};
    d.Slots[kKindBlock] = 9;
    InputStream again(std::string_view("\x00\x80", 2));
    EXPECT_EQ(NextTag(again, d), kKindSolid);
}

TEST(ClassTag, TagsBelow0x8000AreNegativeReferences)
{
    TClassTagDecoder d;
    InputStream in(std::string_view("\x01\x00", 2));  // r = 1 - 0x8000
    EXPECT_EQ(NextTag(in, d), kKindNone);
}

TEST(ClassTag, NameMustFitTheReadBuffer)
{
    for (const std::size_t buffer : {kZvsNameBufferSize, kZvwNameBufferSize}) {
        ArchiveWriter fits;
        fits.NewClassTag(std::string(buffer, 'n'));
        TClassTagDecoder d;
        InputStream in(fits.Data());
        EXPECT_EQ(NextTag(in, d, buffer), kKindNone);

        ArchiveWriter tooLong;
        tooLong.NewClassTag(std::string(buffer + 1, 'n'));
        InputStream bad(tooLong.Data());
        bad.mark("entity list");
        EXPECT_EQ(NextTag(bad, d, buffer), kKindNone);
        // Stopped at the name's length, after the tag and the schema number.
        EXPECT_EQ(bad.outcome(), (ParseOutcome{StopReason::ImpossibleSize, 4, "entity list"}));
    }
}

TEST(ClassTag, BlockDefTagsAreCountedButNeverCompared)
{
    ArchiveWriter w;
    w.NewClassTag("CDataMoji");
    w.LongReference(3);
    w.ShortReference(2);
    InputStream in(w.Data());
    TClassTagDecoder d;
    ReadBlockDefTag(in, d, kZvwNameBufferSize);
    EXPECT_EQ(d.ObjectCounter, 2);
    EXPECT_EQ(d.Slots[kKindMoji], 0);
    ReadBlockDefTag(in, d, kZvwNameBufferSize);
    ReadBlockDefTag(in, d, kZvwNameBufferSize);
    EXPECT_EQ(d.ObjectCounter, 2);
    EXPECT_EQ(in.tell(), w.Size());
}

// --- Records ------------------------------------------------------------------------------

std::size_t StoredSize(const winwriter::Entity& record, std::int32_t version)
{
    winwriter::EntityList list;
    list.Add(record);
    ArchiveWriter w;
    winwriter::ClassNumbering numbering;
    winwriter::WriteEntityList(w, numbering, list, version);
    ArchiveWriter overhead;
    overhead.ObjectCount(1);
    overhead.NewClassTag(kClassNames[winwriter::KindOf(record)]);
    return w.Size() - overhead.Size();
}

TEST(Records, ConditionalFieldsChangeTheSize)
{
    TEntTen point;
    point.Attr.AttrB = 99;
    EXPECT_EQ(StoredSize(point, 351), 15u + 16 + 4);
    point.Attr.AttrB = 100;
    EXPECT_EQ(StoredSize(point, 351), 15u + 16 + 4 + 20);

    TEntSolid solid;
    solid.Attr.AttrC = 9;
    EXPECT_EQ(StoredSize(solid, 350), 13u + 64);
    solid.Attr.AttrC = 10;
    EXPECT_EQ(StoredSize(solid, 350), 13u + 64 + 4);

    const TEntSunpo dim = winwriter::MakeSunpo("12");
    const std::size_t head = 15 + (15 + 32) + (15 + 32 + 4 + 32 + 1 + 3);
    EXPECT_EQ(StoredSize(dim, 419), head);
    EXPECT_EQ(StoredSize(dim, 420), head + 2 + 2 * (15 + 32) + 4 * (15 + 16 + 4));
}

// Reading each kind straight from its bytes, in both layouts, gives what was written.
TEST(Records, EachKindReadsWhatWasWritten)
{
    TEntEnko arc{{1, 0, 0, 0, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 7}, -8};
    TEntTen point{{2, 100, 0, 0, 0, 0, 0}, {1.5, 2.5}, 3, 4, {5.5, 6.5}};
    TEntSolid solid{{3, 0, 10, 0, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 8}, 99};
    TEntBlock insertion{{4, 0, 0, 4, 0, 0, 0}, {1, 2, 3, 4, 5}, 6};
    TEntSunpo dim = winwriter::MakeSunpo("100");
    dim.Attr = {5, 7, 1, 2, 3, 4, 5};
    dim.W = 0x1234;
    dim.Points[2].Attr.AttrB = 100;
    dim.Points[2].ExtD = {9, 10};
    for (std::int32_t version : {350, 419, 420}) {
        for (const winwriter::Entity& e : std::vector<winwriter::Entity>{arc, point, solid, insertion, dim}) {
            ArchiveWriter w;
            std::visit(
                [&](const auto& r) {
                    using T = std::decay_t<decltype(r)>;
                    if constexpr (std::is_same_v<T, TEntEnko>) w.Enko(r, version);
                    else if constexpr (std::is_same_v<T, TEntTen>) w.Ten(r, version);
                    else if constexpr (std::is_same_v<T, TEntSolid>) w.Solid(r, version);
                    else if constexpr (std::is_same_v<T, TEntBlock>) w.Block(r, version);
                    else if constexpr (std::is_same_v<T, TEntSunpo>) w.Sunpo(r, version);
                },
                e);
            InputStream in(w.Data());
            StringPool strings;
            winwriter::Entity got;
            switch (winwriter::KindOf(e)) {
            case kKindEnko: got = ReadEnko(in, version); break;
            case kKindTen: got = ReadTen(in, version); break;
            case kKindSolid: got = ReadSolid(in, version); break;
            case kKindBlock: got = ReadBlock(in, version); break;
            default: got = ReadSunpo(in, version, strings); break;
            }
            EXPECT_EQ(got, winwriter::StoredRecord(e, version)) << "kind " << winwriter::KindOf(e) << " v" << version;
            EXPECT_EQ(in.tell(), w.Size());
        }
    }
}

TEST(Records, OldDimensionIsCompletedFromItsOwnAttributes)
{
    TEntSunpo dim = winwriter::MakeSunpo("50");
    dim.Attr = {11, 100, 10, 0, 12, 13, 14};
    ArchiveWriter w;
    w.Sunpo(dim, 419);
    InputStream in(w.Data());
    StringPool strings;
    const TEntSunpo got = ReadSunpo(in, 419, strings);
    EXPECT_EQ(got.Moji.Text, "50");
    EXPECT_EQ(got.Line2.Attr, dim.Attr);
    EXPECT_EQ(got.Line3.Attr, dim.Attr);
    TEntAttr pointAttr = dim.Attr;
    pointAttr.AttrB = 0;
    for (const TEntTen& p : got.Points) {
        EXPECT_EQ(p.Attr, pointAttr);
        EXPECT_EQ(p.D, (std::array<double, 2>{}));
        EXPECT_EQ(p.ExtI, 0);
    }
    EXPECT_EQ(got.W, 0);
}

}  // namespace
}  // namespace vaveze
