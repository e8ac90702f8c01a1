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

constexpr RECT kButton1{8, 8, 8 + 89, 8 + 25};
constexpr RECT kEdit1{104, 8, 104 + 441, 8 + 24};
constexpr RECT kCheckBox1{104, 40, 104 + 329, 40 + 17};
constexpr RECT kCheckBox2{104, 60, 104 + 409, 60 + 17};
constexpr RECT kCheckBox3{104, 80, 104 + 417, 80 + 17};
constexpr RECT kButton2{440, 32, 440 + 105, 32 + 25};

RECT Moved(RECT r, int dx) { return {r.left + dx, r.top, r.right + dx, r.bottom}; }

}  // namespace

Layout LayOut(int width, int height, int designedWidth, int noticeTextHeight, int statusHeight)
{
    Layout l{};
    l.Panel1 = {0, 0, width, kPanel1Height};
    l.Button1 = kButton1;
    l.CheckBox1 = kCheckBox1;
    l.CheckBox2 = kCheckBox2;
    l.CheckBox3 = kCheckBox3;
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

    if (noticeTextHeight > 0) {
        const int inner = std::max(noticeTextHeight, kIconSize);
        l.Notice = {0, top, width, top + inner + 2 * (1 + kNoticePadding)};
        const int innerTop = top + 1 + kNoticePadding;
        l.NoticeIcon = {1 + kNoticePadding, innerTop, 1 + kNoticePadding + kIconSize, innerTop + kIconSize};
        l.NoticeText = {l.NoticeIcon.right + kNoticePadding, innerTop, l.NoticeIcon.right + kNoticePadding +
                        NoticeTextWidth(width), innerTop + noticeTextHeight};
        top = l.Notice.bottom;
    }

    const int statusTop = std::max(top, height - statusHeight);
    l.Pane = {0, top, width, statusTop};
    l.Status = {0, statusTop, width, statusTop + statusHeight};
    return l;
}

int NoticeTextWidth(int width) { return std::max(width - 2 * (1 + kNoticePadding) - kIconSize - kNoticePadding, 1); }

SIZE SmallestClient(int statusHeight)
{
    return {kButton2.right + kMargin, kPanel1Height + kPanel2Height + kPaneMinimumHeight + statusHeight};
}

}  // namespace vaveze::win
