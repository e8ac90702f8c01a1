// The list of hits, rendered from the window flow.
#include "winapp/hitspanel.h"

#include <algorithm>

#include "core/session/texts.h"
#include "core/window/windowtable.h"
#include "winapp/accessibility.h"
#include "winapp/controls.h"
#include "winapp/layout.h"
#include "winapp/resource.h"
#include "winapp/wide.h"

namespace vaveze::win {
namespace {

// The line numbers' column: a few digits.
constexpr int kLineColumnWidth = 56;
constexpr int kTextColumnWidth = 480;
// Room before a line's text in its column.
constexpr int kPadding = 6;

}  // namespace

HitsPanel::HitsPanel(HWND parent, HFONT font, const window::WindowFlow& flow) : flow_(flow)
{
    list_ = CreateControl(parent, WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_NOSORTHEADER,
                          IDC_HITLIST, font, false);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    SetAccessibleName(list_, Wide(WindowText::HitList));
    // The headings, "file|line|text" in the catalogue.
    const std::wstring headings = Wide(WindowText::HitColumns);
    const int widths[] = {window::kFileListWidth, kLineColumnWidth, kTextColumnWidth};
    std::size_t at = 0;
    for (int column = 0; column < 3 && at <= headings.size(); ++column) {
        const std::size_t end = std::min(headings.find(L'|', at), headings.size());
        std::wstring heading = headings.substr(at, end - at);
        at = end + 1;
        LVCOLUMNW added{};
        added.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        added.fmt = column == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        added.cx = widths[column];
        added.pszText = heading.data();
        ListView_InsertColumn(list_, column, &added);
    }
    progress_ = CreateControl(parent, 0, PROGRESS_CLASSW, L"", 0, IDC_HITPROGRESS, font, false);
    stop_ = CreateControl(parent, 0, WC_BUTTONW, Wide(WindowText::StopButton), WS_TABSTOP | BS_PUSHBUTTON,
                          IDC_HITSTOP, font, false);
}

void HitsPanel::Place(const Layout& places)
{
    MoveTo(list_, places.Hits);
    MoveTo(progress_, places.HitsProgress);
    MoveTo(stop_, places.HitsStop);
}

bool HitsPanel::ShowHits()
{
    // The list keeps no rows of its own: it is told how many there are.
    const auto rows = static_cast<int>(flow_.Hits().size());
    if (search_ != flow_.SearchNumber()) {
        search_ = flow_.SearchNumber();
        ListView_SetItemCountEx(list_, rows, 0);
        ::InvalidateRect(list_, nullptr, TRUE);
    } else if (rows != ListView_GetItemCount(list_)) {
        ListView_SetItemCountEx(list_, rows, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    }
    const window::SearchProgress progress = flow_.HitsProgress();
    ::SendMessageW(progress_, PBM_SETRANGE32, 0, static_cast<LPARAM>(progress.Count));
    ::SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(progress.Done), 0);
    const bool wasVisible = visible_;
    const bool wasRunning = running_;
    visible_ = flow_.HitsShown();
    running_ = visible_ && progress.Running;
    ::ShowWindow(list_, visible_ ? SW_SHOWNA : SW_HIDE);
    ::ShowWindow(progress_, running_ ? SW_SHOWNA : SW_HIDE);
    ::ShowWindow(stop_, running_ ? SW_SHOWNA : SW_HIDE);
    return visible_ != wasVisible || running_ != wasRunning;
}

void HitsPanel::GiveText(NMLVDISPINFOW& info) const
{
    LVITEMW& item = info.item;
    const std::vector<window::Hit>& hits = flow_.Hits();
    if ((item.mask & LVIF_TEXT) == 0 || item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= hits.size() ||
        item.pszText == nullptr || item.cchTextMax <= 0)
        return;
    const window::Hit& hit = hits[static_cast<std::size_t>(item.iItem)];
    std::wstring text;
    if (item.iSubItem == 0 && hit.Entry < flow_.Files().Size())
        text = EntryName(flow_.Files()[hit.Entry]).wstring();
    else if (item.iSubItem == 1)
        text = std::to_wstring(hit.Line);
    else if (item.iSubItem == 2)
        text.assign(hit.Text.begin(), hit.Text.end());
    ::lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

LRESULT HitsPanel::Paint(NMLVCUSTOMDRAW& draw) const
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        break;
    default:
        return CDRF_DODEFAULT;
    }
    const auto row = static_cast<std::size_t>(draw.nmcd.dwItemSpec);
    if (draw.iSubItem != 2 || row >= flow_.Hits().size())
        return CDRF_DODEFAULT;
    const window::Hit& hit = flow_.Hits()[row];
    RECT room{};
    if (!ListView_GetSubItemRect(list_, static_cast<int>(row), 2, LVIR_LABEL, &room))
        return CDRF_DODEFAULT;
    HDC dc = draw.nmcd.hdc;
    const bool selected = ListView_GetItemState(list_, static_cast<int>(row), LVIS_SELECTED) != 0;
    ::FillRect(dc, &room, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const std::wstring text(hit.Text.begin(), hit.Text.end());
    const std::size_t at = std::min(hit.Position, text.size());
    const std::size_t length = std::min(hit.Length, text.size() - at);
    // Before the match, the match on the selection's colours, after it.
    const int pieces[][2] = {{0, static_cast<int>(at)},
                             {static_cast<int>(at), static_cast<int>(length)},
                             {static_cast<int>(at + length), static_cast<int>(text.size() - at - length)}};
    RECT piece = room;
    piece.left += kPadding;
    ::SetBkMode(dc, OPAQUE);
    for (int i = 0; i < 3 && piece.left < piece.right; ++i) {
        const wchar_t* start = text.c_str() + pieces[i][0];
        SIZE size{};
        ::GetTextExtentPoint32W(dc, start, pieces[i][1], &size);
        const bool marked = i == 1 || selected;
        ::SetTextColor(dc, ::GetSysColor(marked ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        ::SetBkColor(dc, ::GetSysColor(marked ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        ::DrawTextW(dc, start, pieces[i][1], &piece, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        piece.left += size.cx;
    }
    return CDRF_SKIPDEFAULT;
}

std::optional<std::size_t> HitsPanel::Selected() const
{
    const int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (row < 0)
        return std::nullopt;
    return static_cast<std::size_t>(row);
}

}  // namespace vaveze::win
