// The tool's own reader of compiled message catalogues (used where the C
// library has none): the built `ja` catalogue in both byte orders, and every
// cut or corrupted form of it read as no catalogue, never beyond its bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "cli/catalogue.h"
#include "tests/temp_folder.h"

namespace vaveze::cli {
namespace {

std::uint32_t Word(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

TEST(CliCatalogue, ReadsTheBuiltCatalogueAndRefusesEveryDamagedForm)
{
    std::ifstream in(VAVEZE_LIST_MO, std::ios::binary);
    const std::string mo((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(mo.size(), 20u);
    const std::size_t count = Word(mo, 8), originals = Word(mo, 12), translations = Word(mo, 16);
    // As msgfmt writes it on a machine of the other byte order.
    std::string swapped = mo;
    auto swap = [&](std::size_t from, std::size_t to) {
        for (std::size_t at = from; at < to; at += 4)
            std::reverse(swapped.begin() + static_cast<std::ptrdiff_t>(at), swapped.begin() + static_cast<std::ptrdiff_t>(at + 4));
    };
    swap(0, 20);
    swap(originals, originals + 8 * count);
    swap(translations, translations + 8 * count);

    const TempFolder folder;
    const auto read = [&](const std::string& bytes) { return Catalogue::Load(folder.Write("c.mo", bytes)); };
    for (const std::string& bytes : {mo, swapped}) {
        const Catalogue c = read(bytes);
        EXPECT_EQ(c.Find("no such file"), "ファイルがありません");
        EXPECT_FALSE(c.Find(std::string("listed in %2 (%1 line)") + '\0' + "listed in %2 (%1 lines)").empty());
        EXPECT_TRUE(c.Find("not a message of the tool").empty());
    }
    // Cut in the header, in either table, in the strings, before the last NUL.
    for (const std::size_t size : {std::size_t{0}, std::size_t{19}, originals + 8 * count - 1,
                                   translations + 8 * count - 1, mo.size() / 2, mo.size() - 1})
        EXPECT_TRUE(read(mo.substr(0, size)).Empty()) << size;
    // Magic, revision, count, either table's place, a string's length or place.
    for (const std::size_t at : {std::size_t{0}, std::size_t{4}, std::size_t{8}, std::size_t{12}, std::size_t{16}, originals, originals + 4, translations, translations + 4}) {
        std::string damaged = mo;
        damaged.replace(at, 4, "\x7f\x7f\x7f\x7f");
        EXPECT_TRUE(read(damaged).Empty()) << at;
    }
    EXPECT_TRUE(Catalogue::Load(folder.Write("c.mo", "").parent_path() / "missing.mo").Empty());
}

}  // namespace
}  // namespace vaveze::cli
