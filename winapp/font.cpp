// The window's font, from the core's table.
#include "winapp/font.h"

#include <cwchar>

#include "core/window/windowtable.h"
#include "winapp/wide.h"

namespace vaveze::win {
namespace {

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool Installed(HDC screen, const std::wstring& face)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(wanted.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    bool found = false;
    ::EnumFontFamiliesExW(screen, &wanted, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

}  // namespace

Font::Font()
{
    HDC screen = ::GetDC(nullptr);
    LOGFONTW font{};
    font.lfHeight = -window::kFontPixels;
    font.lfWeight = FW_NORMAL;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    // None of them: whatever fixed-pitch font the system has for Japanese.
    font.lfCharSet = SHIFTJIS_CHARSET;
    for (const std::string_view family : window::kFontFamilies) {
        if (const std::wstring face = Wide(family); Installed(screen, face)) {
            std::wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
            font.lfCharSet = DEFAULT_CHARSET;
            break;
        }
    }
    font_ = ::CreateFontIndirectW(&font);
    if (font_ == nullptr)
        font_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const HGDIOBJ old = ::SelectObject(screen, font_);
    TEXTMETRICW metrics{};
    if (::GetTextMetricsW(screen, &metrics))
        lineHeight_ = metrics.tmHeight;
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
}

Font::~Font()
{
    if (font_ != static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)))
        ::DeleteObject(font_);
}

}  // namespace vaveze::win
