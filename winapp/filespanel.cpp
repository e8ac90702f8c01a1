#include "winapp/filespanel.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <filesystem>

#include "core/session/find.h"
#include "core/session/session.h"
#include "core/session/texts.h"
#include "winapp/accessibility.h"
#include "winapp/composition.h"
#include "winapp/resource.h"
#include "winapp/wide.h"

namespace vaveze::win {
namespace {

// The filter waits this long after the last key: each pass reads the files.
constexpr UINT kTypingPauseMs = 300;
constexpr int kMarkSize = 16;
constexpr int kPadding = 2;
// Wide enough for a long path and the reasons, in a few lines.
constexpr int kTipWidth = 640;
constexpr COLORREF kListedColour = RGB(0x1E, 0x8C, 0x3A);

HWND Create(HWND parent, DWORD exStyle, const wchar_t* className, DWORD style, int id, HFONT font)
{
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    HWND control = ::CreateWindowExW(exStyle, className, L"", WS_CHILD | style, 0, 0, 0, 0, parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

HICON SmallIcon(LPCWSTR which)
{
    // The system's own (shared, so never destroyed).
    return static_cast<HICON>(::LoadImageW(nullptr, which, IMAGE_ICON, kMarkSize, kMarkSize, LR_SHARED));
}

// A check mark in `r`: a file listed; inside a box once its listing was saved.
void DrawCheck(HDC dc, const RECT& r, bool saved)
{
    HPEN pen = ::CreatePen(PS_SOLID, 2, kListedColour);
    const HGDIOBJ oldPen = ::SelectObject(dc, pen);
    const POINT check[] = {{r.left + 4, r.top + 8}, {r.left + 7, r.top + 11}, {r.left + 12, r.top + 4}};
    ::Polyline(dc, check, 3);
    if (saved) {
        const HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
        HPEN thin = ::CreatePen(PS_SOLID, 1, kListedColour);
        ::SelectObject(dc, thin);
        ::Rectangle(dc, r.left + 1, r.top + 1, r.left + kMarkSize - 1, r.top + kMarkSize - 1);
        ::SelectObject(dc, pen);
        ::DeleteObject(thin);
        ::SelectObject(dc, oldBrush);
    }
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
}

}  // namespace

FilesPanel::FilesPanel(HWND parent, HFONT font, FileList& files, const vaveze::Session& shown,
                       std::function<ListingOptions()> options)
    : parent_(parent), files_(files), shown_(shown), options_(std::move(options))
{
    filter_ = Create(parent, WS_EX_CLIENTEDGE, WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL, IDC_FILTER, font);
    list_ = Create(parent, WS_EX_CLIENTEDGE, WC_LISTBOXW,
                   WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                   IDC_FILELIST, font);
    const std::wstring cue = Wide(WindowText::FilterField);
    ::SendMessageW(filter_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
    SetAccessibleName(filter_, cue);
    SetAccessibleName(list_, Wide(WindowText::FileList));
    WatchComposition(filter_);

    // A row: the mark and the name in the window's font.
    TEXTMETRICW metrics{};
    HDC dc = ::GetDC(list_);
    const HGDIOBJ old = ::SelectObject(dc, font);
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(list_, dc);
    ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, std::max<LONG>(metrics.tmHeight, kMarkSize) + 2 * kPadding);
    warning_ = SmallIcon(IDI_WARNING);
    error_ = SmallIcon(IDI_ERROR);

    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, instance,
                             nullptr);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(list_);
    tool.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    ::SendMessageW(tip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SetWindowSubclass(list_, ListProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

FilesPanel::~FilesPanel()
{
    ::KillTimer(parent_, kTypingTimer);
    ::KillTimer(parent_, kFilterTimer);
    if (::IsWindow(list_))
        ::RemoveWindowSubclass(list_, ListProc, 0);
}

void FilesPanel::Show(bool visible)
{
    visible_ = visible;
    ::ShowWindow(filter_, visible ? SW_SHOWNA : SW_HIDE);
    ::ShowWindow(list_, visible ? SW_SHOWNA : SW_HIDE);
}

void FilesPanel::Place(const RECT& filter, const RECT& list)
{
    if (!visible_)
        return;
    ::MoveWindow(filter_, filter.left, filter.top, filter.right - filter.left, filter.bottom - filter.top, TRUE);
    ::MoveWindow(list_, list.left, list.top, list.right - list.left, list.bottom - list.top, TRUE);
}

void FilesPanel::ShowList()
{
    ::KillTimer(parent_, kTypingTimer);
    ::KillTimer(parent_, kFilterTimer);
    filterNext_ = filterCount_ = 0;
    quiet_ = true;
    ::SetWindowTextW(filter_, L"");
    quiet_ = false;
    kept_.assign(files_.Size(), true);
    selected_ = files_.Size();
    ShowRows();
}

void FilesPanel::ShowRows()
{
    const LRESULT top = ::SendMessageW(list_, LB_GETTOPINDEX, 0, 0);
    SetWindowRedraw(list_, FALSE);
    ListBox_ResetContent(list_);
    for (std::size_t i = 0; i < files_.Size(); ++i) {
        if (!kept_[i])
            continue;
        const int row = ListBox_AddString(list_, EntryName(files_[i]).wstring().c_str());
        ListBox_SetItemData(list_, row, static_cast<LPARAM>(i));
    }
    ListBox_SetCurSel(list_, RowOf(selected_));
    ListBox_SetTopIndex(list_, static_cast<int>(top));
    SetWindowRedraw(list_, TRUE);
    ::InvalidateRect(list_, nullptr, TRUE);
    hovered_.reset();
}

// The rows hold their files in the list's order: a binary search, so that
// a list of thousands of files is not read whole for every step.
int FilesPanel::RowOf(std::size_t i) const
{
    int low = 0;
    int high = ListBox_GetCount(list_);
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (static_cast<std::size_t>(ListBox_GetItemData(list_, middle)) < i)
            low = middle + 1;
        else
            high = middle;
    }
    return low < ListBox_GetCount(list_) && static_cast<std::size_t>(ListBox_GetItemData(list_, low)) == i ? low : -1;
}

void FilesPanel::UpdateEntry(std::size_t i)
{
    RECT r{};
    if (const int row = RowOf(i); row >= 0 && ListBox_GetItemRect(list_, row, &r) != LB_ERR)
        ::InvalidateRect(list_, &r, TRUE);
    if (hovered_ == i) {
        hovered_.reset();
        POINT at{};
        ::GetCursorPos(&at);
        ::ScreenToClient(list_, &at);
        Hover(at.x, at.y);
    }
}

void FilesPanel::Select(std::size_t i)
{
    selected_ = i;
    ListBox_SetCurSel(list_, RowOf(i));
}

std::optional<std::size_t> FilesPanel::Selected() const
{
    const int row = ListBox_GetCurSel(list_);
    if (row < 0)
        return std::nullopt;
    return static_cast<std::size_t>(ListBox_GetItemData(list_, row));
}

void FilesPanel::FilterChanged()
{
    if (quiet_ || IsComposing(filter_))
        return;
    ::SetTimer(parent_, kTypingTimer, kTypingPauseMs, nullptr);
}

void FilesPanel::Refilter()
{
    if (::GetWindowTextLengthW(filter_) > 0)
        StartFilter();
}

bool FilesPanel::OnTimer(UINT_PTR id)
{
    if (id == kTypingTimer) {
        ::KillTimer(parent_, kTypingTimer);
        StartFilter();
        return true;
    }
    if (id == kFilterTimer) {
        FilterStep();
        return true;
    }
    return false;
}

void FilesPanel::StartFilter()
{
    ::KillTimer(parent_, kFilterTimer);
    const std::wstring text = WindowTextOf(filter_);
    needle_.assign(text.begin(), text.end());
    holding_ = 0;
    filterNext_ = 0;
    filterCount_ = needle_.empty() ? 0 : files_.Size();
    // Every file until it is read for this text.
    kept_.assign(files_.Size(), true);
    ShowRows();
    if (filterCount_ == 0) {
        if (Says)
            Says({});
        return;
    }
    ::SetTimer(parent_, kFilterTimer, USER_TIMER_MINIMUM, nullptr);
}

// One file per tick: the window answers while the files are read.
void FilesPanel::FilterStep()
{
    if (filterNext_ >= filterCount_ || filterCount_ != files_.Size()) {
        ::KillTimer(parent_, kFilterTimer);
        return;
    }
    const std::size_t i = filterNext_++;
    const ListedFile& file = files_[i];
    const ListingOptions options = options_ ? options_() : ListingOptions{};
    bool holds = false;
    try {
        if (shown_.HasListing() && shown_.Shown().Path == file.Where.Path) {
            holds = ListingHolds(shown_, options, needle_);
        } else if (file.Where.WalkProblem.empty()) {
            vaveze::Session scratch;
            files_.Record(i, scratch.Open(file.Where.Path));
            holds = ListingHolds(scratch, options, needle_);
        }
    } catch (const std::exception&) {
        holds = false;  // no memory for this file's listing: it is not shown as holding the text
    }
    holding_ += holds ? 1 : 0;
    kept_[i] = holds;
    if (holds) {
        UpdateEntry(i);
    } else if (const int row = RowOf(i); row >= 0) {
        if (hovered_ == i)
            hovered_.reset();
        ListBox_DeleteString(list_, row);
    }
    const std::string needle = Utf8(std::wstring(needle_.begin(), needle_.end()));
    if (filterNext_ < filterCount_) {
        if (Says)
            Says(FilteringStatus(needle, filterNext_, filterCount_));
        return;
    }
    ::KillTimer(parent_, kFilterTimer);
    if (Says)
        Says(FilteredStatus(needle, holding_, filterCount_));
}

void FilesPanel::Draw(const DRAWITEMSTRUCT& item) const
{
    if (item.itemID == static_cast<UINT>(-1))
        return;
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &r, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const auto i = static_cast<std::size_t>(item.itemData);
    if (i < files_.Size()) {
        const FileMark shown = MarkOf(files_[i]);
        const RECT mark{r.left + kPadding, r.top + (r.bottom - r.top - kMarkSize) / 2, r.left + kPadding + kMarkSize,
                        r.top + (r.bottom - r.top + kMarkSize) / 2};
        switch (shown) {
        case FileMark::Problem:
            ::DrawIconEx(dc, mark.left, mark.top, error_, kMarkSize, kMarkSize, 0, nullptr, DI_NORMAL);
            break;
        case FileMark::Partial:
            ::DrawIconEx(dc, mark.left, mark.top, warning_, kMarkSize, kMarkSize, 0, nullptr, DI_NORMAL);
            break;
        case FileMark::Listed:
        case FileMark::Saved:
            DrawCheck(dc, mark, shown == FileMark::Saved);
            break;
        case FileMark::None:
            break;
        }
    }
    const int length = ListBox_GetTextLen(list_, item.itemID);
    std::wstring name(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    name.resize(static_cast<std::size_t>(std::max(ListBox_GetText(list_, item.itemID, name.data()), 0)));
    RECT text = r;
    text.left += 2 * kPadding + kMarkSize;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ::DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((item.itemState & ODS_FOCUS) != 0)
        ::DrawFocusRect(dc, &r);
}

// The tooltip follows the row under the mouse.
void FilesPanel::Hover(int x, int y)
{
    const LRESULT hit = ::SendMessageW(list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
    std::optional<std::size_t> file;
    if (HIWORD(hit) == 0 && static_cast<int>(LOWORD(hit)) < ListBox_GetCount(list_))
        file = static_cast<std::size_t>(ListBox_GetItemData(list_, LOWORD(hit)));
    if (file == hovered_)
        return;
    hovered_ = file;
    tipText_ = file && *file < files_.Size() ? Wide(FileTooltip(files_[*file])) : std::wstring();
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = parent_;
    tool.uId = reinterpret_cast<UINT_PTR>(list_);
    tool.lpszText = tipText_.data();
    ::SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK FilesPanel::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data)
{
    auto& panel = *reinterpret_cast<FilesPanel*>(data);
    if (message == WM_MOUSEMOVE)
        panel.Hover(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    else if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(list, ListProc, id);
    return ::DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace vaveze::win
