// What the Qt window, the Windows window and the page share of their look
// and pace: the designed places of the controls (pixels at 96 dots per
// inch, as the window was drawn), the font, the filter's typing pause and
// the sizes of the pane fill's slices. Each front reads them from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vaveze::window {

// A control's designed place in its parent, in pixels.
struct Box {
    int Left;
    int Top;
    int Width;
    int Height;

    [[nodiscard]] constexpr int Right() const noexcept { return Left + Width; }  // one past the last column
    [[nodiscard]] constexpr int Bottom() const noexcept { return Top + Height; }
};

// The window as designed, frame included, and where it first appears.
inline constexpr Box kWindow{192, 107, 568, 506};

// The raised panel of the controls, across the top, and what it holds.
inline constexpr int kPanel1Height = 105;
inline constexpr Box kButton1{8, 8, 89, 25};      // "ファイル名"
inline constexpr Box kEdit1{104, 8, 441, 24};     // the path field; follows the window's width
inline constexpr Box kCheckBox1{104, 40, 329, 17};  // the header section
inline constexpr Box kCheckBox2{104, 60, 409, 17};  // the texts of dimensions
inline constexpr Box kCheckBox3{104, 80, 417, 17};  // the block section
inline constexpr Box kButton2{440, 32, 105, 25};  // "テキスト出力"; follows the window's width
// "すべて出力", in the panel's free corner under "ファイル名", where no
// designed control moves.
inline constexpr Box kButton3{8, 72, 89, 25};
// "表に出力", between the two.
inline constexpr Box kButton4{8, 40, 89, 25};
// The raised caption "文字抽出情報" above the pane, and its text's indent.
inline constexpr int kPanel2Height = 24;
inline constexpr int kCaptionIndent = 4;

// Room between controls added beside the design (the notice, the file list).
inline constexpr int kMargin = 8;
// The pane keeps room for a few lines at the smallest size.
inline constexpr int kPaneMinimumHeight = 96;
// The file list's width beside the pane when it first appears.
inline constexpr int kFileListWidth = 168;

// The narrowest client area: the save button keeps its place right of the
// first check box, and nothing overlaps.
inline constexpr int kSmallestClientWidth = kButton2.Right() + kMargin;

// Characters of 16 pixels, in the fixed-pitch Japanese font of the design
// where it is installed, else the first of the others that is: the design's
// by its Japanese name and its English one (a system may know it by either),
// the one the set-up installs on Linux, by either name, then one more that
// desktops often have. Font names in UTF-8, not texts to translate.
inline constexpr int kFontPixels = 16;
inline constexpr std::string_view kFontFamilies[] = {
    "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF",  // ＭＳ ゴシック
    "MS Gothic",
    "IPAGothic",
    "IPA\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF",  // IPAゴシック
    "Noto Sans Mono CJK JP",
};

// The file list's filter starts reading files once the user has not typed
// for this long: each pass reads every file of the list.
inline constexpr int kFilterTypingPauseMs = 300;
// While worker threads search the files, the flow takes what they found
// this often: a hit shows within a tick, and the event loop is not kept busy.
inline constexpr int kSearchTakeMs = 20;
// ... and at most this many files a tick, so that a tick stays short when
// thousands of files are ready at once; the workers read on meanwhile.
inline constexpr std::size_t kMostFilesPerTake = 500;
// ... taken this many at a time, so that the first hits end a tick early.
inline constexpr std::size_t kFilesPerTake = 25;

// The pane fill (see panepacing.h). The first piece is at most this many
// lines (a few milliseconds of short lines) or characters (a few
// milliseconds of long ones), so the first screen is there at once.
inline constexpr std::size_t kFirstPieceLines = 2'000;
inline constexpr std::size_t kFirstPieceCharacters = 200'000;
// Each later piece is sized to take about this long before the front's event
// loop runs again: well under the tenth of a second in which a window seems
// to answer at once.
inline constexpr std::int64_t kSliceNanoseconds = 25'000'000;
// A piece grows or shrinks at most this much from one slice to the next, so
// that one slice slowed down by something else does not upset the next.
inline constexpr double kMostPieceChange = 2.0;
inline constexpr double kSmallestPieceScale = 0.25;

}  // namespace vaveze::window
