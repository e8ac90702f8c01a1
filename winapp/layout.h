// Where the window's controls go: the designed places of the core's table
// (core/window/windowtable.h), and how they follow the window's size and
// what it shows besides them.
#pragma once

#include <windows.h>

namespace vaveze::win {

// What the window shows besides its designed controls.
struct Shown {
    int NoticeTextHeight = 0;  // the notice's text at the width it gets (0: no notice)
    bool NoticeOffer = false;  // the notice's button beside its text
    int StatusHeight = 0;      // the status line's
    bool FileList = false;     // several files: the list and its filter left of the pane
    bool FindBar = false;      // Ctrl+F: the find bar under the pane
    bool Hits = false;         // the filter holds a text: the lines that hold it under the pane
    bool HitsRunning = false;  // ... with the search's progress and 中止 while it runs
    bool Progress = false;     // すべて出力 running: the progress bar and 中止
};

// The places of everything in the client area. Hidden controls get empty
// places.
struct Layout {
    RECT ControlPanel;  // the raised panel of the controls
    RECT OpenButton;
    RECT PathField;
    RECT HeaderBox;
    RECT DimensionsBox;
    RECT BlocksBox;
    RECT SaveButton;
    RECT SaveAllButton;
    RECT SaveTableButton;
    RECT CaptionPanel;  // the raised caption above the pane ...
    RECT PaneCaption;   // ... and its text
    RECT Notice;        // the notice's frame; empty when no notice is shown
    RECT NoticeIcon;
    RECT NoticeText;
    RECT NoticeOffer;  // its button, at its right
    RECT Filter;    // the file list's filter field, above ...
    RECT FileList;  // ... the file list
    RECT Pane;
    RECT Hits;  // the list of hits, under the file list and the pane ...
    RECT HitsProgress;  // ... and under it, while the search runs, its progress
    RECT HitsStop;      // ... and 中止
    RECT FindField;  // the find bar: the text to find and its buttons
    RECT FindPrevious;
    RECT FindNext;
    RECT FindClose;
    RECT Status;
    RECT Progress;
    RECT StopButton;
};

// The places for a client area of `width` x `height`; `designedWidth` is
// the client width of the window at its designed size.
[[nodiscard]] Layout LayOut(int width, int height, int designedWidth, const Shown& shown);

// The width the notice's text gets in a client area `width` wide, beside
// the notice's button or not.
[[nodiscard]] int NoticeTextWidth(int width, bool offer);

// The smallest client area at which nothing overlaps or is cut off.
[[nodiscard]] SIZE SmallestClient(const Shown& shown);

}  // namespace vaveze::win
