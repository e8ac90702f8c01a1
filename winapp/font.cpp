#include "winapp/font.h"

#include <cwchar>

namespace vaveze::win {
namespace {

// Characters of 16 pixels, as designed (96 dots per inch; the system scales
// the window for other screens).
constexpr int kFontPixels = 16;

// The font of the design, by its Japanese name and its English one (a
// Windows that is not Japanese may know it only by the second), then the
// Japanese fixed-pitch fonts found where it is missing (wine on Linux), by
// either name. Font names, not texts: the Japanese ones are written in
// escapes.
constexpr const wchar_t* kFaces[] = {
    L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF",  // MS Gothic's Japanese name
    L"MS Gothic",
    L"IPAGothic",
    L"IPA\u30B4\u30B7\u30C3\u30AF",
    L"Noto Sans Mono CJK JP",
};

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool Installed(HDC screen, const wchar_t* face)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    ::EnumFontFamiliesExW(screen, &wanted, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

}  // namespace

Font::Font()
{
    HDC screen = ::GetDC(nullptr);
    LOGFONTW font{};
    font.lfHeight = -kFontPixels;
    font.lfWeight = FW_NORMAL;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    // None of them: whatever fixed-pitch font the system has for Japanese.
    font.lfCharSet = SHIFTJIS_CHARSET;
    for (const wchar_t* face : kFaces) {
        if (Installed(screen, face)) {
            std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
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
