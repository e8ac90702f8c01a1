// The reader of compiled message catalogues: the built `ja` catalogue, and
// every cut or corrupted form of it read as no catalogue, never beyond its
// bytes; and the language chosen from the user's list of languages.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>

#include "core/session/catalogue.h"
#include "core/session/messages.h"

namespace vaveze {
namespace {

TEST(Catalogue, ReadsTheBuiltCatalogueAndRefusesEveryDamagedForm)
{
    std::ifstream in(VAVEZE_JA_MO, std::ios::binary);
    const std::string mo((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(mo.size(), 20u);
    // Two low bytes of a little-endian word: all three are below 65536.
    const auto word = [&](std::size_t at) { return std::size_t{std::uint8_t(mo[at])} | std::size_t{std::uint8_t(mo[at + 1])} << 8; };
    const std::size_t count = word(8), originals = word(12), translations = word(16);

    std::string kept;  // a catalogue views its bytes
    const auto read = [&](const std::string& bytes) {
        kept = bytes;
        return Catalogue::FromBytes(kept);
    };
    const Catalogue c = read(mo);
    EXPECT_EQ(c.Find("no such file"), "ファイルがありません");
    EXPECT_FALSE(c.Find(std::string("listed in %2 (%1 line)") + '\0' + "listed in %2 (%1 lines)").empty());
    EXPECT_TRUE(c.Find("not a message of the tool").empty());
    // Cut in the header, in either table, in the strings, before the last NUL.
    for (const std::size_t size : {std::size_t{0}, std::size_t{19}, originals + 8 * count - 1,
                                   translations + 8 * count - 1, mo.size() / 2, mo.size() - 1})
        EXPECT_TRUE(read(mo.substr(0, size)).Empty()) << size;
    // Magic, revision, count, either table's place, a string's length or place.
    for (const std::size_t at : {std::size_t{0}, std::size_t{4}, std::size_t{8}, std::size_t{12}, std::size_t{16},
                                 originals, originals + 4, translations, translations + 4}) {
        std::string damaged = mo;
        damaged.replace(at, 4, "\x7f\x7f\x7f\x7f");
        EXPECT_TRUE(read(damaged).Empty()) << at;
    }
}

TEST(Catalogue, LanguageOfTheUsersList)
{
    const struct {
        const char* Languages;
        Language Expected;
    } cases[] = {
        {"", Language::English},          {"ja", Language::Japanese},       {"ja_JP.UTF-8", Language::Japanese},
        {"fr:ja_JP", Language::Japanese}, {"en_GB:ja", Language::English}, {"C", Language::English},
        {"jam", Language::English},       {":ja@x", Language::Japanese},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageOf(c.Languages), c.Expected) << c.Languages;
    EXPECT_STREQ(Tr(Language::Japanese, "is a folder"), "フォルダーです");
    EXPECT_STREQ(Tr(Language::English, "is a folder"), "is a folder");
    EXPECT_STREQ(Tr(Language::Japanese, "not a text of the program"), "not a text of the program");
}

}  // namespace
}  // namespace vaveze
