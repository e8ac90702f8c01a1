// Reading a compiled message catalogue.
#include "core/session/catalogue.h"

namespace vaveze {
namespace {

// Built with `msgfmt --endianness=little`, whatever the build machine.
constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint64_t kHeaderSize = 20;
constexpr std::uint64_t kPairSize = 8;
// Ours is a few kilobytes; anything near this is not one.
constexpr std::size_t kLargest = std::size_t{1} << 20;

std::uint32_t LittleEndian(std::string_view bytes, std::uint64_t offset)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::uint64_t>(i)]);
    return value;
}

}  // namespace

Catalogue Catalogue::FromBytes(std::string_view bytes)
{
    Catalogue c;
    c.bytes_ = bytes;
    const std::string_view all = bytes;
    if (all.size() < kHeaderSize || all.size() > kLargest)
        return {};
    if (c.Word(0) != kMagic)
        return {};
    // Major revisions 0 and 1 share this layout.
    if (c.Word(4) >> 16 > 1)
        return {};
    const std::uint64_t count = c.Word(8);
    c.originals_ = c.Word(12);
    c.translations_ = c.Word(16);
    if (count > all.size() / kPairSize || c.originals_ + count * kPairSize > all.size() ||
        c.translations_ + count * kPairSize > all.size())
        return {};
    c.count_ = static_cast<std::uint32_t>(count);
    // Every string checked once here, so a lookup needs no checks of its own.
    for (std::uint32_t i = 0; i < c.count_; ++i) {
        for (const std::uint32_t table : {c.originals_, c.translations_}) {
            const std::uint64_t length = c.Word(table + std::uint64_t{i} * kPairSize);
            const std::uint64_t offset = c.Word(table + std::uint64_t{i} * kPairSize + 4);
            if (offset + length >= all.size() || all[offset + length] != '\0')
                return {};
        }
    }
    return c;
}

std::uint32_t Catalogue::Word(std::uint64_t offset) const
{
    return LittleEndian(bytes_, offset);
}

std::string_view Catalogue::Entry(std::uint32_t table, std::uint32_t index) const
{
    const std::uint64_t at = table + std::uint64_t{index} * kPairSize;
    return bytes_.substr(Word(at + 4), Word(at));
}

std::string_view Catalogue::Find(std::string_view original) const
{
    // msgfmt sorts the originals bytewise.
    std::uint32_t low = 0;
    std::uint32_t high = count_;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        const int order = Entry(originals_, middle).compare(original);
        if (order == 0)
            return Entry(translations_, middle);
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return {};
}

}  // namespace vaveze
