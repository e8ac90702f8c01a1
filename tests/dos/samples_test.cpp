// The committed MS-DOS format samples parse completely.
#include <gtest/gtest.h>

#include "core/listing/extraction.h"

namespace vaveze {
namespace {

TEST(DosSamples, DrawingParses)
{
    Readers readers;
    const Detection detection = DetectAndParse(readers, VAVEZE_SAMPLES_DIR "/drawing.zvc");
    ASSERT_EQ(detection.Kind, FormatKind::Zvc);
    ASSERT_TRUE(detection.Outcome);
    const ZvcReader& r = readers.Zvc;
    EXPECT_TRUE(r.Header.RealScale);
    ASSERT_EQ(r.Texts.size(), 9u);
    EXPECT_EQ(r.Texts[0].Text, "\x8B\x8F\x8A\xD4");  // living room
    EXPECT_EQ(r.Texts[6].Text, "\xC4\xB2\xDA");      // half-width katakana
    EXPECT_EQ(r.LayerGroups[2].Name, "\x8B\xEB\x91\xCC");
    EXPECT_EQ(r.Layers[32].Name, "\x95\xC7");
}

TEST(DosSamples, SymbolParses)
{
    Readers readers;
    const Detection detection = DetectAndParse(readers, VAVEZE_SAMPLES_DIR "/symbol.zvk");
    ASSERT_EQ(detection.Kind, FormatKind::Zvk);
    ASSERT_TRUE(detection.Outcome);
    const ZvkReader& r = readers.Zvk;
    ASSERT_EQ(r.Texts.size(), 3u);
    EXPECT_EQ(r.Texts[1].Text, "D1");
}

}  // namespace
}  // namespace vaveze
