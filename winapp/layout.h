// Where the window's controls go: the designed places (pixels at 96 dots per
// inch, as the window was drawn), and how they follow the window's size.
#pragma once

#include <windows.h>

namespace vaveze::win {

// The window as designed, frame included, and where it first appears.
inline constexpr POINT kWindowPosition{192, 107};
inline constexpr SIZE kWindowSize{568, 506};

// What the window shows besides its designed controls, for LayOut.
struct Shown {
    int NoticeTextHeight = 0;  // the notice's text at the width it gets (0: no notice)
    int StatusHeight = 0;      // the status line's
    bool FileList = false;     // several files: the list and its filter left of the pane
    bool FindBar = false;      // Ctrl+F: the find bar under the pane
    bool Progress = false;     // every listing being saved: the progress bar and Stop
};

// The places of everything in the client area for a client area of
// `width` x `height`. Hidden controls get empty places.
struct Layout {
    RECT Panel1;  // the raised panel of the controls
    RECT Button1;  // "open"
    RECT Edit1;    // the path field
    RECT CheckBox1;
    RECT CheckBox2;
    RECT CheckBox3;
    RECT Button2;  // "save"
    RECT Button3;  // "save every listing"
    RECT Panel2;   // the raised caption above the pane
    RECT Caption;  // its text
    RECT Notice;   // the notice's frame; empty when no notice is shown
    RECT NoticeIcon;
    RECT NoticeText;
    RECT Filter;    // the file list's filter field, above ...
    RECT FileList;  // ... the file list
    RECT Pane;
    RECT FindField;  // the find bar: the text to find and its buttons
    RECT FindPrevious;
    RECT FindNext;
    RECT FindClose;
    RECT Status;
    RECT Progress;
    RECT Stop;
};

// `designedWidth` is the client width of the designed window size.
[[nodiscard]] Layout LayOut(int width, int height, int designedWidth, const Shown& shown);

// The width the notice's text gets in a client area `width` wide.
[[nodiscard]] int NoticeTextWidth(int width);

// The smallest client area at which nothing overlaps or is cut off.
[[nodiscard]] SIZE SmallestClient(const Shown& shown);

}  // namespace vaveze::win
