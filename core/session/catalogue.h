// A compiled message catalogue (the .mo form msgfmt writes). The program's
// catalogues are built into it (messages.cpp), so every build, the Windows
// and WebAssembly ones included, reads the same translations without a file
// to find. A catalogue malformed in any way is empty, so the messages stay
// English.
#pragma once

#include <cstdint>
#include <string_view>

namespace vaveze {

class Catalogue {
public:
    Catalogue() = default;

    // Checks a catalogue's bytes, which must outlive it; empty when they
    // are not a sound one.
    [[nodiscard]] static Catalogue FromBytes(std::string_view bytes);

    [[nodiscard]] bool Empty() const { return count_ == 0; }

    // The translation of `original` (for a message with plural forms, the
    // singular, a NUL and the plural: then the forms, each ended by a NUL);
    // a NUL follows its end. Empty when the catalogue has none.
    [[nodiscard]] std::string_view Find(std::string_view original) const;

private:
    [[nodiscard]] std::uint32_t Word(std::uint64_t offset) const;
    [[nodiscard]] std::string_view Entry(std::uint32_t table, std::uint32_t index) const;

    std::string_view bytes_;
    std::uint32_t count_ = 0;
    std::uint32_t originals_ = 0;
    std::uint32_t translations_ = 0;
};

}  // namespace vaveze
