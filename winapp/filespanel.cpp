// The file list beside the pane, rendered from the window flow.
#include "winapp/filespanel.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "core/session/faults.h"
#include "core/session/texts.h"
#include "winapp/accessibility.h"
#include "winapp/composition.h"
#include "winapp/controls.h"
#include "winapp/resource.h"
#include "winapp/wide.h"

namespace vaveze::win {
namespace {

constexpr int kMarkSize = 16;
constexpr int kPadding = 2;
// Wide enough for a long path and the reasons, in a few lines.
constexpr int kTipWidth = 640;
constexpr COLORREF kListedColour = RGB(0x1E, 0x8C, 0x3A);

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

FilesPanel::FilesPanel(HWND parent, HFONT font, const window::WindowFlow& flow) : parent_(parent), flow_(flow)
{
    filter_ = CreateControl(parent, WS_EX_CLIENTEDGE, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, IDC_FILTER, font, false);
    list_ = CreateControl(parent, WS_EX_CLIENTEDGE, WC_LISTBOXW, L"",
                          WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                          IDC_FILELIST, font, false);
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
    lineHeight_ = metrics.tmHeight;
    ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, RowHeight());
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
    if (::IsWindow(list_))
        ::RemoveWindowSubclass(list_, ListProc, 0);
}

void FilesPanel::Place(const RECT& filter, const RECT& list)
{
    if (!visible_)
        return;
    MoveTo(filter_, filter);
    MoveTo(list_, list);
}

void FilesPanel::ShowList()
{
    const std::u16string& filter = flow_.FilterText();
    if (const std::wstring text(filter.begin(), filter.end()); text != WindowTextOf(filter_)) {
        quiet_ = true;
        ::SetWindowTextW(filter_, text.c_str());
        quiet_ = false;
    }
    ShowRows();
    visible_ = flow_.ListShown();
    ::ShowWindow(filter_, visible_ ? SW_SHOWNA : SW_HIDE);
    ::ShowWindow(list_, visible_ ? SW_SHOWNA : SW_HIDE);
}

int FilesPanel::RowHeight() const
{
    return std::max(lineHeight_, kMarkSize) + (twoLines_ ? lineHeight_ : 0) + 2 * kPadding;
}

// The rows: the files the filter does not hide, in the list's order, each
// its file name (the row's text) and its folder. When any file has a
// folder, each row is two lines, the name above and the folder below, so
// that a narrow list still tells two files of one name apart.
void FilesPanel::ShowRows()
{
    const LRESULT top = ::SendMessageW(list_, LB_GETTOPINDEX, 0, 0);
    SetWindowRedraw(list_, FALSE);
    ListBox_ResetContent(list_);
    const FileList& files = flow_.Files();
    bool folders = false;
    for (std::size_t i = 0; i < files.Size(); ++i) {
        const EntryLabel label = EntryLabelOf(files[i]);
        folders = folders || !label.Folder.empty();
        if (flow_.RowHidden(i))
            continue;
        const int row = ListBox_AddString(list_, label.Name.wstring().c_str());
        ListBox_SetItemData(list_, row, static_cast<LPARAM>(i));
    }
    if (folders != twoLines_) {
        twoLines_ = folders;
        ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, RowHeight());
    }
    ListBox_SetCurSel(list_, RowOf(flow_.Selected()));
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

void FilesPanel::ShowEntry(std::size_t i)
{
    const int row = RowOf(i);
    if ((row >= 0) == flow_.RowHidden(i)) {
        ShowRows();
        return;
    }
    RECT r{};
    if (row >= 0 && ListBox_GetItemRect(list_, row, &r) != LB_ERR)
        ::InvalidateRect(list_, &r, TRUE);
    if (hovered_ == i) {
        hovered_.reset();
        POINT at{};
        ::GetCursorPos(&at);
        ::ScreenToClient(list_, &at);
        Hover(at.x, at.y);
    }
}

void FilesPanel::Select(std::size_t i) { ListBox_SetCurSel(list_, RowOf(i)); }

std::optional<std::size_t> FilesPanel::Selected() const
{
    const int row = ListBox_GetCurSel(list_);
    if (row < 0)
        return std::nullopt;
    return static_cast<std::size_t>(ListBox_GetItemData(list_, row));
}

std::optional<std::u16string> FilesPanel::TypedFilter() const
{
    if (quiet_ || IsComposing(filter_))
        return std::nullopt;
    const std::wstring text = WindowTextOf(filter_);
    return std::u16string(text.begin(), text.end());
}

void FilesPanel::Draw(const DRAWITEMSTRUCT& item) const
{
    const auto i = static_cast<std::size_t>(item.itemData);
    if (item.itemID == static_cast<UINT>(-1) || i >= flow_.Files().Size())
        return;
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &r, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if ((item.itemState & ODS_FOCUS) != 0)
        ::DrawFocusRect(dc, &r);
    const FileMark shown = MarkOf(flow_.Files()[i]);
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
    // The name, then its folder greyed: after it on one line, or below it;
    // what does not fit is cut off the name's end and the folder's middle.
    const EntryLabel label = EntryLabelOf(flow_.Files()[i]);
    const std::wstring name = label.Name.wstring();
    const std::wstring folder = label.Folder.wstring();
    RECT text{r.left + 2 * kPadding + kMarkSize, r.top, r.right - kPadding, r.bottom};
    if (twoLines_)
        text.bottom = r.top + (r.bottom - r.top) / 2;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const UINT line = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    RECT drawn = text;
    ::DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &drawn, line | DT_END_ELLIPSIS | DT_CALCRECT);
    ::DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text, line | DT_END_ELLIPSIS);
    if (folder.empty())
        return;
    if (twoLines_)
        text = {text.left + lineHeight_ / 2, text.bottom, text.right, r.bottom};
    else
        text.left = std::min(drawn.right + lineHeight_, text.right);
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_GRAYTEXT));
    ::DrawTextW(dc, folder.c_str(), static_cast<int>(folder.size()), &text, line | DT_PATH_ELLIPSIS);
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
    tipText_ = file && *file < flow_.Files().Size() ? Wide(FileTooltip(flow_.Files()[*file])) : std::wstring();
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
    // A tooltip that could not be made is no fault to tell: the row shows none.
    if (message == WM_MOUSEMOVE)
        Guarded([&] { panel.Hover(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); }, [](const Fault&) {});
    else if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(list, ListProc, id);
    return ::DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace vaveze::win
