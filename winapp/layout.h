// Where the window's controls go: the designed places (pixels at 96 dots per
// inch, as the window was drawn), and how they follow the window's size.
#pragma once

#include <windows.h>

namespace vaveze::win {

// The window as designed, frame included, and where it first appears.
inline constexpr POINT kWindowPosition{192, 107};
inline constexpr SIZE kWindowSize{568, 506};

// The places of everything in the client area for a client area of
// `width` x `height`.
struct Layout {
    RECT Panel1;  // the raised panel of the controls
    RECT Button1;  // "open"
    RECT Edit1;    // the path field
    RECT CheckBox1;
    RECT CheckBox2;
    RECT CheckBox3;
    RECT Button2;  // "save"
    RECT Panel2;   // the raised caption above the pane
    RECT Caption;  // its text
    RECT Notice;   // the notice's frame; empty when no notice is shown
    RECT NoticeIcon;
    RECT NoticeText;
    RECT Pane;
    RECT Status;
};

// `designedWidth` is the client width of the designed window size;
// `noticeTextHeight` the height the notice's text takes at the width it
// gets (0: no notice); `statusHeight` the status line's.
[[nodiscard]] Layout LayOut(int width, int height, int designedWidth, int noticeTextHeight, int statusHeight);

// The width the notice's text gets in a client area `width` wide.
[[nodiscard]] int NoticeTextWidth(int width);

// The smallest client area at which nothing overlaps or is cut off.
[[nodiscard]] SIZE SmallestClient(int statusHeight);

}  // namespace vaveze::win
