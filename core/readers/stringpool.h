// The bytes of a parse's strings, copied one after another into a few large
// pieces that the parse's records view. A drawing holds hundreds of
// thousands of texts: one heap block each would cost an allocation per text
// and a release per text when the tables go, and would spread the bytes over
// pages taken one at a time. The pool goes at once, with its owner.
#pragma once

#include <cstddef>
#include <cstring>
#include <optional>
#include <utility>
#include <string_view>
#include <vector>

#include "core/readers/pagememory.h"

namespace vaveze {

class StringPool {
public:
    StringPool() = default;
    StringPool(StringPool&&) noexcept = default;
    StringPool& operator=(StringPool&&) noexcept = default;
    // A copy's records would view the bytes of the pool copied from.
    StringPool(const StringPool&) = delete;
    StringPool& operator=(const StringPool&) = delete;

    // A copy of `bytes` that lives as long as the pool (moves included), or
    // nothing when no room can be had.
    [[nodiscard]] std::optional<std::string_view> Keep(std::string_view bytes) noexcept
    {
        if (bytes.empty())
            return std::string_view();
        if (bytes.size() > left_ && !MakeRoom(bytes.size()))
            return std::nullopt;
        char* kept = next_;
        std::memcpy(kept, bytes.data(), bytes.size());
        next_ += bytes.size();
        left_ -= bytes.size();
        return std::string_view(kept, bytes.size());
    }

private:
    [[nodiscard]] bool MakeRoom(std::size_t bytes) noexcept;

    std::vector<PageBuffer> pieces_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
};

}  // namespace vaveze
