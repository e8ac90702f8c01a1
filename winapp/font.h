// The window's one font: the fixed-pitch Japanese font of the core's table at its
// designed size, or the nearest the system has.
#pragma once

#include <windows.h>

namespace vaveze::win {

// Owns a GDI font.
class Font {
public:
    Font();
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    [[nodiscard]] HFONT Handle() const noexcept { return font_; }
    // The height of a line of this font, in pixels.
    [[nodiscard]] int LineHeight() const noexcept { return lineHeight_; }

private:
    HFONT font_ = nullptr;
    int lineHeight_ = 16;
};

}  // namespace vaveze::win
