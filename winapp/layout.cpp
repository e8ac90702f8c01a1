// The window's layout: the designed places, and what follows the window's size.
#include "winapp/layout.h"

#include <algorithm>

#include "core/window/windowtable.h"

namespace vaveze::win {
namespace {

namespace w = window;

constexpr int kNoticePadding = w::kMargin / 2;
constexpr int kIconSize = 16;
// The notice's button ("残りも探す"), as high as the designed buttons.
constexpr int kOfferWidth = w::kButton2.Width;
constexpr int kOfferHeight = w::kButton2.Height;
constexpr int kFilterHeight = 24;
// The find bar: a field and three buttons in a row a field high.
constexpr int kFindBarHeight = 26;
constexpr int kFindButtonWidth = 88;
constexpr int kFindCloseWidth = 64;
// Beside the status line while すべて出力 runs: as wide as the two save
// buttons, and 中止.
constexpr int kProgressWidth = w::kButton3.Width + w::kButton2.Width;
constexpr int kStopWidth = 64;

RECT Place(const w::Box& box, int dx = 0)
{
    return {box.Left + dx, box.Top, box.Right() + dx, box.Bottom()};
}

}  // namespace

Layout LayOut(int width, int height, int designedWidth, const Shown& shown)
{
    Layout l{};
    l.ControlPanel = {0, 0, width, w::kPanel1Height};
    l.OpenButton = Place(w::kButton1);
    l.HeaderBox = Place(w::kCheckBox1);
    l.DimensionsBox = Place(w::kCheckBox2);
    l.BlocksBox = Place(w::kCheckBox3);
    l.SaveAllButton = Place(w::kButton3);
    l.SaveTableButton = Place(w::kButton4);
    // The path field and the save button follow the window's width from
    // their designed places; narrower than designed, the field shrinks and
    // the button stays where it was designed.
    const int growth = width - designedWidth;
    l.SaveButton = Place(w::kButton2, std::max(growth, 0));
    l.PathField = Place(w::kEdit1);
    l.PathField.right = std::min<LONG>(w::kEdit1.Right() + growth, l.SaveButton.right);

    int top = w::kPanel1Height;
    l.CaptionPanel = {0, top, width, top + w::kPanel2Height};
    l.PaneCaption = {1 + w::kCaptionIndent, top + 1, width - 1 - w::kCaptionIndent, top + w::kPanel2Height - 1};
    top += w::kPanel2Height;

    if (shown.NoticeTextHeight > 0) {
        const int inner = std::max({shown.NoticeTextHeight, kIconSize, shown.NoticeOffer ? kOfferHeight : 0});
        l.Notice = {0, top, width, top + inner + 2 * (1 + kNoticePadding)};
        const int innerTop = top + 1 + kNoticePadding;
        l.NoticeIcon = {1 + kNoticePadding, innerTop, 1 + kNoticePadding + kIconSize, innerTop + kIconSize};
        l.NoticeText = {l.NoticeIcon.right + kNoticePadding, innerTop,
                        l.NoticeIcon.right + kNoticePadding + NoticeTextWidth(width, shown.NoticeOffer),
                        innerTop + shown.NoticeTextHeight};
        if (shown.NoticeOffer)
            l.NoticeOffer = {width - 1 - kNoticePadding - kOfferWidth, innerTop, width - 1 - kNoticePadding,
                             innerTop + kOfferHeight};
        top = l.Notice.bottom;
    }

    // From the bottom up: the status line (with the progress and 中止 at its
    // right while they show), the find bar, then the pane takes the rest.
    const int findHeight = shown.FindBar ? kFindBarHeight : 0;
    const int statusTop = std::max(top + findHeight, height - shown.StatusHeight);
    const int statusBottom = statusTop + shown.StatusHeight;
    int statusRight = width;
    if (shown.Progress) {
        l.StopButton = {width - kStopWidth, statusTop, width, statusBottom};
        l.Progress = {l.StopButton.left - kProgressWidth, statusTop, l.StopButton.left, statusBottom};
        statusRight = l.Progress.left;
    }
    l.Status = {0, statusTop, statusRight, statusBottom};
    int paneBottom = statusTop - findHeight;
    if (shown.FindBar) {
        l.FindClose = {width - kFindCloseWidth, paneBottom + 1, width, statusTop - 1};
        l.FindNext = {l.FindClose.left - kFindButtonWidth, paneBottom + 1, l.FindClose.left, statusTop - 1};
        l.FindPrevious = {l.FindNext.left - kFindButtonWidth, paneBottom + 1, l.FindNext.left, statusTop - 1};
        l.FindField = {1, paneBottom + 1, l.FindPrevious.left - 1, statusTop - 1};
    }
    // The hits take the lowest third of the room left for the pane.
    if (shown.Hits) {
        const int hitsTop = paneBottom - (paneBottom - top) / 3;
        const int listBottom = shown.HitsRunning ? std::max(paneBottom - kFilterHeight, hitsTop) : paneBottom;
        l.Hits = {0, hitsTop, width, listBottom};
        if (shown.HitsRunning) {
            l.HitsStop = {width - kStopWidth, listBottom, width, paneBottom};
            l.HitsProgress = {0, listBottom, l.HitsStop.left, paneBottom};
        }
        paneBottom = hitsTop;
    }
    int paneLeft = 0;
    if (shown.FileList) {
        l.Filter = {0, top, w::kFileListWidth, top + kFilterHeight};
        l.FileList = {0, top + kFilterHeight, w::kFileListWidth, std::max(paneBottom, top + kFilterHeight)};
        paneLeft = w::kFileListWidth;
    }
    l.Pane = {paneLeft, top, width, paneBottom};
    return l;
}

int NoticeTextWidth(int width, bool offer)
{
    const int besides = 2 * (1 + kNoticePadding) + kIconSize + kNoticePadding + (offer ? kOfferWidth + kNoticePadding : 0);
    return std::max(width - besides, 1);
}

SIZE SmallestClient(const Shown& shown)
{
    return {w::kSmallestClientWidth, w::kPanel1Height + w::kPanel2Height + w::kPaneMinimumHeight +
                                         (shown.FindBar ? kFindBarHeight : 0) + shown.StatusHeight};
}

}  // namespace vaveze::win
