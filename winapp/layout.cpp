#include "winapp/layout.h"

#include <algorithm>

namespace vaveze::win {
namespace {

constexpr int kPanel1Height = 105;
constexpr int kPanel2Height = 24;
constexpr int kCaptionIndent = 4;
constexpr int kMargin = 8;
constexpr int kNoticePadding = kMargin / 2;
constexpr int kIconSize = 16;
// The pane keeps room for a few lines at the smallest size.
constexpr int kPaneMinimumHeight = 96;
// The file list's width beside the pane, and its filter field's height.
constexpr int kFileListWidth = 168;
constexpr int kFilterHeight = 24;
// The find bar: a field and three buttons in a row a field high.
constexpr int kFindBarHeight = 26;
constexpr int kFindButtonWidth = 88;
constexpr int kFindCloseWidth = 64;
// Beside the status line while every listing is saved.
constexpr int kProgressWidth = 194;
constexpr int kStopWidth = 64;

constexpr RECT kButton1{8, 8, 8 + 89, 8 + 25};
constexpr RECT kEdit1{104, 8, 104 + 441, 8 + 24};
constexpr RECT kCheckBox1{104, 40, 104 + 329, 40 + 17};
constexpr RECT kCheckBox2{104, 60, 104 + 409, 60 + 17};
constexpr RECT kCheckBox3{104, 80, 104 + 417, 80 + 17};
constexpr RECT kButton2{440, 32, 440 + 105, 32 + 25};
// In the panel's free corner under "open", where no designed control moves.
constexpr RECT kButton3{8, 72, 8 + 89, 72 + 25};

RECT Moved(RECT r, int dx) { return {r.left + dx, r.top, r.right + dx, r.bottom}; }

}  // namespace

Layout LayOut(int width, int height, int designedWidth, const Shown& shown)
{
    Layout l{};
    l.Panel1 = {0, 0, width, kPanel1Height};
    l.Button1 = kButton1;
    l.CheckBox1 = kCheckBox1;
    l.CheckBox2 = kCheckBox2;
    l.CheckBox3 = kCheckBox3;
    l.Button3 = kButton3;
    // The path field and the save button follow the window's width from
    // their designed places; narrower than designed, the field shrinks and
    // the button stays where it was designed.
    const int growth = width - designedWidth;
    l.Button2 = Moved(kButton2, std::max(growth, 0));
    l.Edit1 = kEdit1;
    l.Edit1.right = std::min(kEdit1.right + growth, l.Button2.right);

    int top = kPanel1Height;
    l.Panel2 = {0, top, width, top + kPanel2Height};
    l.Caption = {1 + kCaptionIndent, top + 1, width - 1 - kCaptionIndent, top + kPanel2Height - 1};
    top += kPanel2Height;

    if (shown.NoticeTextHeight > 0) {
        const int inner = std::max(shown.NoticeTextHeight, kIconSize);
        l.Notice = {0, top, width, top + inner + 2 * (1 + kNoticePadding)};
        const int innerTop = top + 1 + kNoticePadding;
        l.NoticeIcon = {1 + kNoticePadding, innerTop, 1 + kNoticePadding + kIconSize, innerTop + kIconSize};
        l.NoticeText = {l.NoticeIcon.right + kNoticePadding, innerTop, l.NoticeIcon.right + kNoticePadding +
                        NoticeTextWidth(width), innerTop + shown.NoticeTextHeight};
        top = l.Notice.bottom;
    }

    // From the bottom up: the status line (with the progress and Stop at
    // its right while they show), the find bar, then the pane takes the rest.
    const int findHeight = shown.FindBar ? kFindBarHeight : 0;
    const int statusTop = std::max(top + findHeight, height - shown.StatusHeight);
    const int statusBottom = statusTop + shown.StatusHeight;
    int statusRight = width;
    if (shown.Progress) {
        l.Stop = {width - kStopWidth, statusTop, width, statusBottom};
        l.Progress = {l.Stop.left - kProgressWidth, statusTop, l.Stop.left, statusBottom};
        statusRight = l.Progress.left;
    }
    l.Status = {0, statusTop, statusRight, statusBottom};
    const int paneBottom = statusTop - findHeight;
    if (shown.FindBar) {
        l.FindClose = {width - kFindCloseWidth, paneBottom + 1, width, statusTop - 1};
        l.FindNext = {l.FindClose.left - kFindButtonWidth, paneBottom + 1, l.FindClose.left, statusTop - 1};
        l.FindPrevious = {l.FindNext.left - kFindButtonWidth, paneBottom + 1, l.FindNext.left, statusTop - 1};
        l.FindField = {1, paneBottom + 1, l.FindPrevious.left - 1, statusTop - 1};
    }
    int paneLeft = 0;
    if (shown.FileList) {
        l.Filter = {0, top, kFileListWidth, top + kFilterHeight};
        l.FileList = {0, top + kFilterHeight, kFileListWidth, std::max(paneBottom, top + kFilterHeight)};
        paneLeft = kFileListWidth;
    }
    l.Pane = {paneLeft, top, width, paneBottom};
    return l;
}

int NoticeTextWidth(int width) { return std::max(width - 2 * (1 + kNoticePadding) - kIconSize - kNoticePadding, 1); }

SIZE SmallestClient(const Shown& shown)
{
    return {kButton2.right + kMargin, kPanel1Height + kPanel2Height + kPaneMinimumHeight +
                                          (shown.FindBar ? kFindBarHeight : 0) + shown.StatusHeight};
}

}  // namespace vaveze::win
