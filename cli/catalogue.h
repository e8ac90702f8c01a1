// A compiled message catalogue (the .mo files msgfmt writes), read without
// the C library's own catalogue support, which the Windows build lacks. A
// catalogue that is missing, too large or malformed in any way is empty, so
// the messages stay English.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "core/readers/FileAccess.h"

namespace vaveze::cli {

class Catalogue {
public:
    Catalogue() = default;

    // Reads and checks a catalogue file; empty when it is not a sound one.
    [[nodiscard]] static Catalogue Load(const std::filesystem::path& path);
    [[nodiscard]] static Catalogue FromBytes(FileBytes bytes);

    [[nodiscard]] bool Empty() const { return count_ == 0; }

    // The translation of `original` (for a message with plural forms, the
    // singular, a NUL and the plural: then the forms, each ended by a NUL);
    // a NUL follows its end. Empty when the catalogue has none.
    [[nodiscard]] std::string_view Find(std::string_view original) const;

private:
    [[nodiscard]] std::uint32_t Word(std::uint64_t offset) const;
    [[nodiscard]] std::string_view Entry(std::uint32_t table, std::uint32_t index) const;

    FileBytes bytes_;
    std::uint32_t count_ = 0;
    std::uint32_t originals_ = 0;
    std::uint32_t translations_ = 0;
};

}  // namespace vaveze::cli
