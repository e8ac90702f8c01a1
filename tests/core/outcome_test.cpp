// Why and where a parse stops, over the four formats, and the English that
// says it.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/listing/extraction.h"
#include "core/readers/inputstream.h"
#include "tests/dos/dos_writer.h"
#include "tests/win/win_samples.h"
#include "tests/win/zvw_writer.h"

namespace vaveze {
namespace {

namespace dw = doswriter;
namespace ww = winwriter;

std::string Cut(const std::string& bytes, std::string_view inside)
{
    return bytes.substr(0, bytes.find(inside) + 2);
}

std::string Zvw(const std::function<void(ww::ZvwDocument&)>& edit)
{
    ww::ZvwDocument doc = ww::SamplePlan();
    edit(doc);
    return ww::WriteZvw(doc);
}

std::string Zvc(const std::function<void(dw::ZvcDocument&)>& edit)
{
    dw::ZvcDocument doc = dw::NewZvc();
    dw::AddZvcText(doc, "first");
    dw::AddZvcText(doc, "second");
    dw::SyncZvcHeader(doc);
    edit(doc);
    return dw::WriteZvc(doc);
}

std::string Zvk(const std::function<void(dw::ZvkDocument&)>& edit)
{
    dw::ZvkDocument doc = dw::NewZvk();
    dw::AddZvkText(doc, "symbol text");
    dw::SyncZvkHeader(doc);
    edit(doc);
    return dw::WriteZvk(doc);
}

struct StopCase {
    const char* Name;
    std::string Bytes;
    ParseOutcome Expected;  // Offset ~0: the file's size
};

constexpr std::uint64_t kAtEnd = ~std::uint64_t{0};
constexpr std::uint64_t kCountAt = kAtEnd - 1;  // where the escaped count 2,000,000,000 is

TEST(ParseOutcomeTest, ReasonOffsetAndRecordOfEveryKindOfStop)
{
    const std::string zvs = ww::WriteZvs(ww::SampleSymbol());
    const std::string zvsNoEntities = ww::WriteZvs(ww::ZvsDocument{});
    const StopCase cases[] = {
        {"plan.zvw", Zvw([](auto&) {}), {}},
        {"cut.zvw", Cut(Zvw([](auto& d) { d.Entities.Add(ww::MakeMoji("needle")); }), "needle"),
         {StopReason::EndsEarly, kAtEnd, "text record"}},
        {"old.zvw", Zvw([](auto& d) { d.Version = 100; }), {StopReason::UnsupportedVersion, 8, "file header"}},
        {"huge.zvw", Zvw([](auto& d) { d.Entities.DeclaredCount = 2'000'000'000; }),
         {StopReason::ImpossibleSize, kCountAt, "entity list"}},
        {"symbol.zvs", zvs, {}},
        {"cut.zvs", zvs.substr(0, 300), {StopReason::EndsEarly, 300, "file header"}},
        {"huge.zvs", zvsNoEntities.substr(0, 452) + "\xFF\xFF\xFF\xFF\xFF\x7F" + zvsNoEntities.substr(454),
         {StopReason::ImpossibleSize, 452, "entity list"}},
        {"drawing.zvc", Zvc([](auto&) {}), {}},
        {"cut.zvc", Zvc([](auto&) {}).substr(0, dw::ZvcEntityOffset(true) + 30),
         {StopReason::EndsEarly, kAtEnd, "text record"}},
        {"overflow.zvc", Zvc([](auto& d) { dw::SetField(d.Line3, 2, "1e39"); }),
         {StopReason::NumberOverflow, 400, "header line"}},
        {"huge.zvc", Zvc([](auto& d) { dw::SetField(d.Line2, 1, "99999999"); }),
         {StopReason::ImpossibleSize, 800, "arc table"}},
        {"symbol.zvk", Zvk([](auto&) {}), {}},
        {"cut.zvk", Cut(Zvk([](auto&) {}), "symbol text"), {StopReason::EndsEarly, kAtEnd, "string pool"}},
        {"overflow.zvk", Zvk([](auto& d) { dw::SetField(d.Line2, 8, "-1e39"); }),
         {StopReason::NumberOverflow, 200, "header line"}},
        {"unfit.zvk", Zvk([](auto& d) { dw::SetField(d.Line2, 0, "100"); }),
         {StopReason::EndsEarly, kAtEnd, "line table"}},
        // Texts all pointing at one long string: past the memory budget.
        {"budget.zvk", Zvk([](auto& d) {
             d.Pool = std::string(60'000, 'A') + '\0';
             d.Texts.assign(700, d.Texts.front());
             dw::SyncZvkHeader(d);
         }),
         {StopReason::OutOfMemory, kAtEnd, "string pool"}},
    };
    for (const StopCase& c : cases) {
        Readers readers;
        const Detection d = DetectAndParseBytes(readers, c.Name, c.Bytes);
        ParseOutcome expected = c.Expected;
        if (expected.Offset == kAtEnd)
            expected.Offset = c.Bytes.size();
        if (expected.Offset == kCountAt)
            expected.Offset = c.Bytes.find(std::string("\xFF\xFF\x00\x94\x35\x77", 6));
        EXPECT_NE(d.Kind, FormatKind::None) << c.Name;
        EXPECT_EQ(d.Outcome.Reason, expected.Reason) << c.Name;
        EXPECT_EQ(d.Outcome.Offset, expected.Offset) << c.Name;
        EXPECT_EQ(d.Outcome.Record, expected.Record) << c.Name;
    }
}

// A stopped cursor keeps its first stop, and then reads nothing: zeros for
// a block or a field, no bytes for a view, however much is asked.
TEST(ParseOutcomeTest, AStoppedCursorKeepsItsFirstStopAndReadsNothing)
{
    InputStream in(std::string_view("0123456789"));
    in.mark("text record");
    in.skip(4);
    EXPECT_EQ(in.readBytes(7), "");
    in.mark("arc record");
    in.fail(StopReason::ImpossibleSize, 2);
    EXPECT_EQ(in.outcome(), (ParseOutcome{StopReason::EndsEarly, 10, "text record"}));
    EXPECT_EQ(in.tell(), 4u);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(in.readU32(), 0u);
    EXPECT_EQ(in.readDouble(), 0.0);
    FieldBlock block = in.fields(kLargestFieldBlock);
    ASSERT_EQ(block.remaining(), kLargestFieldBlock);
    for (std::size_t i = 0; i < kLargestFieldBlock; i += 8)
        ASSERT_EQ(block.readDouble(), 0.0);
    EXPECT_EQ(in.readBytes(1), "");
}

// A window that cannot be had stops the cursor where it stands.
TEST(ParseOutcomeTest, AWindowThatCannotBeHadStopsTheCursor)
{
    const InputStream::Refill noWindow = [](void*, std::size_t, std::size_t) noexcept {
        return InputStream::Refilled{{}, true};
    };
    InputStream in(std::string_view("abc"), 100, noWindow, nullptr);
    in.mark("line record");
    EXPECT_EQ(in.readBytes(2), "ab");
    EXPECT_EQ(in.readU16(), 0u);
    EXPECT_EQ(in.outcome(), (ParseOutcome{StopReason::OutOfMemory, 2, "line record"}));
}

TEST(ParseOutcomeTest, EnglishDescription)
{
    EXPECT_EQ(DescribeStop({}), "");
    EXPECT_EQ(DescribeStop({StopReason::EndsEarly, 3000, "text record"}),
              "the file ends at byte 3,000 inside a text record");
    EXPECT_EQ(DescribeStop({StopReason::EndsEarly, 1234567, "arc record"}),
              "the file ends at byte 1,234,567 inside an arc record");
    EXPECT_EQ(DescribeStop({StopReason::UnsupportedVersion, 8, "file header"}),
              "version not supported, at byte 8 in the file header");
    EXPECT_EQ(DescribeStop({StopReason::OutOfMemory, 999, {}}), "out of memory, at byte 999");
}

}  // namespace
}  // namespace vaveze
