// The main window: its controls, their layout, and the flow's effects carried out.
#include "winapp/mainwindow.h"

// After windows.h, which they need; the message crackers of WM_DROPFILES
// only after shellapi.h.
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>

#include "core/session/faults.h"
#include "core/session/texts.h"
#include "core/window/windowtable.h"
#include "winapp/accessibility.h"
#include "winapp/controls.h"
#include "winapp/dialogs.h"
#include "winapp/filespanel.h"
#include "winapp/findbar.h"
#include "winapp/hitspanel.h"
#include "winapp/font.h"
#include "winapp/layout.h"
#include "winapp/pane.h"
#include "winapp/resource.h"
#include "winapp/statusline.h"
#include "winapp/wide.h"

namespace vaveze::win {
namespace {

namespace fs = std::filesystem;
namespace flow = window;
using window::Part;

constexpr wchar_t kClassName[] = L"VAvezeMainWindow";
// The files to open, set aside by a drop or the command line.
constexpr UINT WM_APP_OPEN = WM_APP + 1;
// The user selected an entry of the file list; taken once the list is done
// with the mouse.
constexpr UINT WM_APP_CHOOSE = WM_APP + 2;
// The user chose a row of the list of hits (wParam); taken once the list
// is done with the mouse.
constexpr UINT WM_APP_HIT = WM_APP + 3;

// The flow's timers are the window's, numbered from 1.
UINT_PTR TimerId(flow::Timer timer) { return static_cast<UINT_PTR>(timer) + 1; }

// Everything the window holds, kept with it (GWLP_USERDATA).
struct MainWindow {
    explicit MainWindow(flow::FlowSetup setup) : PaneCharacterLimit(setup.PaneCharacterLimit), Flow(std::move(setup)) {}

    std::size_t PaneCharacterLimit;
    flow::WindowFlow Flow;
    bool Ready = false;  // every control made: the handlers may run
    Font WindowFont;
    HWND Window = nullptr;
    HWND OpenButton = nullptr;     // "ファイル名"
    HWND PathField = nullptr;      // the last file chosen, listed or not
    HWND HeaderBox = nullptr;      // the header section
    HWND DimensionsBox = nullptr;  // the texts of dimensions
    HWND BlocksBox = nullptr;      // the block section
    HWND SaveButton = nullptr;     // "テキスト出力": the pane
    HWND SaveAllButton = nullptr;  // "すべて出力": every listing of the file list
    HWND SaveTableButton = nullptr;  // "表に出力": every line of the file list in one table
    HWND PaneCaption = nullptr;    // "文字抽出情報"
    HWND Notice = nullptr;         // shown while the pane's listing needs a word beside it
    HWND NoticeOffer = nullptr;    // the notice's button: what the flow offers to do about it
    HWND Pane = nullptr;
    std::unique_ptr<FilesPanel> FileList;  // shown for a list of several files
    std::unique_ptr<HitsPanel> Hits;  // shown while the filter holds a text
    std::unique_ptr<FindBar> Find;
    std::unique_ptr<StatusLine> Status;
    HWND Progress = nullptr;    // while すべて出力 runs ...
    HWND StopButton = nullptr;  // ... and "中止"
    HWND FocusBeforeSaveAll = nullptr;  // where the keyboard was before 中止 took it
    HICON NoticeIcon = nullptr;
    Layout Places{};
    int DesignedWidth = 0;  // of the client area
    HWND LastFocus = nullptr;
    int Carrying = 0;            // the pane changes by the flow's effects, not the user
    bool PaneEdited = false;     // what the flow was told of the pane's modified flag
    bool Closing = false;        // the flow let everything go
    bool TellingFault = false;   // the box of a fault is up
    std::int64_t LastPieceNanoseconds = 0;
    std::vector<fs::path> PendingFiles;  // for WM_APP_OPEN
};

MainWindow* Self(HWND window) { return reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA)); }

// Shows the wait cursor while the flow reads and lists a file.
class BusyCursor {
public:
    BusyCursor() : old_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~BusyCursor() { ::SetCursor(old_); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    HCURSOR old_;
};

// ---- Layout --------------------------------------------------------------

int NoticeTextHeight(const MainWindow& w, int width)
{
    const std::wstring text = WindowTextOf(w.Notice);
    if (text.empty())
        return 0;
    RECT r{0, 0, NoticeTextWidth(width, w.Flow.Offer() != flow::NoticeOffer::None), 0};
    HDC dc = ::GetDC(w.Notice);
    const HGDIOBJ old = ::SelectObject(dc, w.WindowFont.Handle());
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    ::SelectObject(dc, old);
    ::ReleaseDC(w.Notice, dc);
    return r.bottom - r.top;
}

Shown WhatIsShown(const MainWindow& w, int width)
{
    Shown shown;
    shown.NoticeTextHeight = NoticeTextHeight(w, width);
    shown.NoticeOffer = shown.NoticeTextHeight > 0 && w.Flow.Offer() != flow::NoticeOffer::None;
    shown.StatusHeight = w.Status->Height();
    shown.FileList = w.FileList->Visible();
    shown.FindBar = w.Find->Visible();
    shown.Progress = w.Flow.SaveAllProgress().Running;
    shown.Hits = w.Hits->Visible();
    shown.HitsRunning = w.Hits->Running();
    return shown;
}

void LayOutControls(MainWindow& w)
{
    RECT client{};
    ::GetClientRect(w.Window, &client);
    const Shown shown = WhatIsShown(w, client.right);
    w.Places = LayOut(client.right, client.bottom, w.DesignedWidth, shown);
    const Layout& l = w.Places;
    MoveTo(w.OpenButton, l.OpenButton);
    MoveTo(w.PathField, l.PathField);
    MoveTo(w.HeaderBox, l.HeaderBox);
    MoveTo(w.DimensionsBox, l.DimensionsBox);
    MoveTo(w.BlocksBox, l.BlocksBox);
    MoveTo(w.SaveButton, l.SaveButton);
    MoveTo(w.SaveAllButton, l.SaveAllButton);
    MoveTo(w.SaveTableButton, l.SaveTableButton);
    MoveTo(w.PaneCaption, l.PaneCaption);
    MoveTo(w.Notice, l.NoticeText);
    ::ShowWindow(w.Notice, shown.NoticeTextHeight > 0 ? SW_SHOWNA : SW_HIDE);
    MoveTo(w.NoticeOffer, l.NoticeOffer);
    ::ShowWindow(w.NoticeOffer, shown.NoticeOffer ? SW_SHOWNA : SW_HIDE);
    w.FileList->Place(l.Filter, l.FileList);
    MoveTo(w.Pane, l.Pane);
    w.Hits->Place(l);
    w.Find->Place(l);
    w.Status->Place(l.Status);
    if (shown.Progress) {
        MoveTo(w.Progress, l.Progress);
        MoveTo(w.StopButton, l.StopButton);
    }
    // The panels' edges and the notice's frame are the window's own drawing;
    // a control moved shows its own pixels, not those of where it was.
    ::RedrawWindow(w.Window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// A bar shown under the pane needs room: the window grows to its smallest
// size with the bar where it was smaller.
void KeepSmallestSize(MainWindow& w)
{
    RECT client{};
    ::GetClientRect(w.Window, &client);
    const SIZE smallest = SmallestClient(WhatIsShown(w, client.right));
    if (client.bottom < smallest.cy) {
        RECT outer{};
        ::GetWindowRect(w.Window, &outer);
        ::SetWindowPos(w.Window, nullptr, 0, 0, outer.right - outer.left,
                       outer.bottom - outer.top + smallest.cy - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    }
    LayOutControls(w);
}

// ---- The flow ------------------------------------------------------------

void Carry(MainWindow& w, const flow::Effect& effect);

// Hands an action to the flow and carries out what comes back.
void Dispatch(MainWindow& w, const flow::Action& action)
{
    std::vector<flow::Effect> effects;
    if (std::holds_alternative<flow::action::TimerFired>(action)) {
        effects = w.Flow.Update(action);
    } else {
        // Opening and listing a file happen here, in the flow.
        const BusyCursor busy;
        effects = w.Flow.Update(action);
    }
    ++w.Carrying;
    for (const flow::Effect& effect : effects)
        Carry(w, effect);
    --w.Carrying;
}

// 中止 takes the keyboard before the buttons that cannot be used meanwhile
// are disabled, and gives it back once every listing is saved.
void ShowProgress(MainWindow& w)
{
    const flow::SaveAllState progress = w.Flow.SaveAllProgress();
    const bool shown = ::IsWindowVisible(w.StopButton) != FALSE;
    if (progress.Running && !shown) {
        w.FocusBeforeSaveAll = ::GetFocus();
        ::ShowWindow(w.Progress, SW_SHOWNA);
        ::ShowWindow(w.StopButton, SW_SHOWNA);
        LayOutControls(w);
        ::SetFocus(w.StopButton);
    }
    ::EnableWindow(w.OpenButton, !progress.Running);
    ::EnableWindow(w.SaveAllButton, !progress.Running);
    ::EnableWindow(w.SaveTableButton, !progress.Running);
    ::SendMessageW(w.Progress, PBM_SETRANGE32, 0, static_cast<LPARAM>(progress.Count));
    ::SendMessageW(w.Progress, PBM_SETPOS, static_cast<WPARAM>(progress.Done), 0);
    if (!progress.Running && shown) {
        const HWND focus = ::GetFocus();
        const bool giveBack = focus == w.StopButton || focus == w.Window || focus == nullptr;
        ::ShowWindow(w.Progress, SW_HIDE);
        ::ShowWindow(w.StopButton, SW_HIDE);
        LayOutControls(w);
        const HWND back = w.FocusBeforeSaveAll;
        if (giveBack)
            ::SetFocus(back != nullptr && ::IsChild(w.Window, back) && ::IsWindowVisible(back) && ::IsWindowEnabled(back)
                           ? back
                           : w.SaveAllButton);
    }
}

// Renders the parts named from the flow's state.
void Render(MainWindow& w, flow::Parts parts)
{
    const flow::WindowFlow& f = w.Flow;
    if (parts & Part::Status)
        w.Status->SetText(f.Status());
    if (parts & Part::Notice) {
        ::SetWindowTextW(w.Notice, Wide(f.Notice()).c_str());
        ::SetWindowTextW(w.NoticeOffer, Wide(flow::NoticeOfferCaption(f.Offer())).c_str());
        LayOutControls(w);
    }
    if (parts & Part::PathField) {
        // The end of a long path, the file name, is what shows.
        ::SetWindowTextW(w.PathField, f.ChosenPath().c_str());
        const int end = ::GetWindowTextLengthW(w.PathField);
        Edit_SetSel(w.PathField, end, end);
        Edit_ScrollCaret(w.PathField);
    }
    if (parts & Part::Boxes) {
        const ListingOptions& options = f.Options();
        Button_SetCheck(w.HeaderBox, options.Header ? BST_CHECKED : BST_UNCHECKED);
        Button_SetCheck(w.DimensionsBox, options.Dimensions ? BST_CHECKED : BST_UNCHECKED);
        Button_SetCheck(w.BlocksBox, options.Blocks ? BST_CHECKED : BST_UNCHECKED);
    }
    if (parts & Part::List) {
        const bool wasShown = w.FileList->Visible();
        w.FileList->ShowList();
        if (w.FileList->Visible() != wasShown)
            LayOutControls(w);
    }
    if (parts & (Part::List | Part::Selection))
        w.FileList->Select(f.Selected());
    if ((parts & (Part::List | Part::Hits)) && w.Hits->ShowHits())
        LayOutControls(w);
    if (parts & Part::Progress)
        ShowProgress(w);
    if (parts & Part::Filling) {
        // The rest of the listing goes in from the message loop: the window
        // answers meanwhile and shows that it is busy (WM_SETCURSOR). A
        // disabled button cannot keep the focus.
        if (f.Filling() && ::GetFocus() == w.SaveButton)
            ::SetFocus(w.Pane);
        ::EnableWindow(w.SaveButton, !f.Filling());
    }
}

// The dialogs' setup from the catalogue.
FileDialogSetup DialogSetup(WindowText title, WindowText filters, const fs::path& folder, const fs::path& name)
{
    return {Wide(title), folder, name, Text(filters), {}};
}

void Carry(MainWindow& w, const flow::Effect& effect)
{
    namespace e = flow::effect;
    std::visit(
        [&w](const auto& what) {
            using Kind = std::decay_t<decltype(what)>;
            if constexpr (std::is_same_v<Kind, e::Refresh>) {
                Render(w, what.What);
            } else if constexpr (std::is_same_v<Kind, e::RefreshEntry>) {
                w.FileList->ShowEntry(what.Index);
            } else if constexpr (std::is_same_v<Kind, e::Ask>) {
                Dispatch(w, flow::action::Answered{what.Serial, Ask(w.Window, what)});
            } else if constexpr (std::is_same_v<Kind, e::ChooseFilesToOpen>) {
                Dispatch(w, flow::action::FilesChosen{ChooseFilesToOpen(
                                w.Window, DialogSetup(WindowText::OpenTitle, WindowText::OpenFilters, what.Folder,
                                                      what.ProposedName))});
            } else if constexpr (std::is_same_v<Kind, e::ChooseSaveTarget>) {
                const bool table = what.What == flow::SaveKind::Table;
                FileDialogSetup setup = DialogSetup(WindowText::SaveTitle, table ? WindowText::TableFilter : WindowText::SaveFilter,
                                                    what.Folder, what.ProposedName);
                setup.DefaultExtension = Wide(table ? kTableExtension : kSaveExtension);
                Dispatch(w, flow::action::SaveTargetChosen{ChooseFileToSave(w.Window, setup)});
            } else if constexpr (std::is_same_v<Kind, e::Tell>) {
                ShowMessage(w.Window, what.Kind, what.Caption, what.Text);
            } else if constexpr (std::is_same_v<Kind, e::StartPane>) {
                StartFill(w.Pane);
            } else if constexpr (std::is_same_v<Kind, e::AppendToPane>) {
                const auto start = std::chrono::steady_clock::now();
                AppendPiece(w.Pane, what.From, std::u16string_view(w.Flow.PaneText()).substr(what.From, what.To - what.From));
                w.LastPieceNanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                             std::chrono::steady_clock::now() - start).count();
            } else if constexpr (std::is_same_v<Kind, e::FinishPane> || std::is_same_v<Kind, e::MarkPaneUnmodified>) {
                if constexpr (std::is_same_v<Kind, e::FinishPane>)
                    FinishFill(w.Pane);
                ::SendMessageW(w.Pane, EM_SETMODIFY, FALSE, 0);
                w.PaneEdited = false;
            } else if constexpr (std::is_same_v<Kind, e::SelectInPane>) {
                CHARRANGE found{static_cast<LONG>(what.Position), static_cast<LONG>(what.Position + what.Length)};
                ::SendMessageW(w.Pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&found));
                ::SendMessageW(w.Pane, EM_SCROLLCARET, 0, 0);
            } else if constexpr (std::is_same_v<Kind, e::StartTimer>) {
                ::SetTimer(w.Window, TimerId(what.Which),
                           std::max<UINT>(static_cast<UINT>(what.Milliseconds), USER_TIMER_MINIMUM), nullptr);
            } else if constexpr (std::is_same_v<Kind, e::StopTimer>) {
                ::KillTimer(w.Window, TimerId(what.Which));
            } else if constexpr (std::is_same_v<Kind, e::Beep>) {
                Beep();
            } else if constexpr (std::is_same_v<Kind, e::Focus>) {
                ::SetFocus(w.OpenButton);
            } else if constexpr (std::is_same_v<Kind, e::Close>) {
                w.Closing = true;
                ::PostMessageW(w.Window, WM_CLOSE, 0, 0);
            } else {
                // ReadFile, WriteFile and CountExisting never come: the flow
                // reads and writes this system's files itself.
                static_assert(std::is_same_v<Kind, e::ReadFile> || std::is_same_v<Kind, e::WriteFile> ||
                              std::is_same_v<Kind, e::CountExisting>);
            }
        },
        effect);
}

// The pane's text for the flow to read during one action.
void SaveClicked(MainWindow& w)
{
    const std::u16string text = PaneText(w.Pane);
    Dispatch(w, flow::action::SaveClicked{text});
}

void FindClicked(MainWindow& w, FindDirection direction, bool asTyped)
{
    if (!w.Find->Visible())
        return;
    CHARRANGE selection{};
    ::SendMessageW(w.Pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const LONG from = direction == FindDirection::Forward && !asTyped ? selection.cpMax : selection.cpMin;
    const std::u16string text = PaneText(w.Pane);
    Dispatch(w, flow::action::Find{w.Find->Needle(), direction, static_cast<std::size_t>(std::max<LONG>(from, 0)),
                                   asTyped, text});
}

// The user's edits: the flow hears when the pane's modified flag changes.
void PaneChanged(MainWindow& w)
{
    if (w.Carrying > 0)
        return;
    const bool edited = ::SendMessageW(w.Pane, EM_GETMODIFY, 0, 0) != 0;
    if (edited == w.PaneEdited)
        return;
    w.PaneEdited = edited;
    Dispatch(w, flow::action::PaneEdited{edited});
}

// Every file and folder dropped is opened once the drop is over.
void TakeDrop(MainWindow& w, HDROP drop)
{
    std::vector<fs::path> paths;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        if (!path.empty())
            paths.emplace_back(std::move(path));
    }
    if (paths.empty())
        return;
    w.PendingFiles = std::move(paths);
    ::PostMessageW(w.Window, WM_APP_OPEN, 0, 0);
}

// ---- Messages ------------------------------------------------------------

// The window takes its state over here and frees it when it is destroyed.
BOOL OnNcCreate(HWND window, LPCREATESTRUCTW create)
{
    MainWindow* w = static_cast<std::unique_ptr<MainWindow>*>(create->lpCreateParams)->release();
    w->Window = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
    return FORWARD_WM_NCCREATE(window, create, ::DefWindowProcW);
}

BOOL OnCreate(HWND window, LPCREATESTRUCTW)
{
    MainWindow& w = *Self(window);
    const HFONT font = w.WindowFont.Handle();
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    const DWORD box = WS_TABSTOP | BS_AUTOCHECKBOX;
    w.OpenButton = CreateControl(window, 0, WC_BUTTONW, Wide(WindowText::OpenButton), button, IDC_OPEN, font);
    w.PathField = CreateControl(window, WS_EX_CLIENTEDGE, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY,
                                IDC_PATH, font);
    // Each box's caption says what that box does.
    w.HeaderBox = CreateControl(window, 0, WC_BUTTONW, Wide(WindowText::HeaderBox), box, IDC_HEADER, font);
    w.DimensionsBox = CreateControl(window, 0, WC_BUTTONW, Wide(WindowText::DimensionsBox), box, IDC_DIMENSIONS, font);
    w.BlocksBox = CreateControl(window, 0, WC_BUTTONW, Wide(WindowText::BlocksBox), box, IDC_BLOCKS, font);
    w.SaveButton = CreateControl(window, 0, WC_BUTTONW, Wide(WindowText::SaveButton), button, IDC_SAVE, font);
    w.SaveTableButton = CreateControl(window, 0, WC_BUTTONW, Wide(WindowText::SaveTableButton), button, IDC_SAVETABLE, font);
    w.SaveAllButton = CreateControl(window, 0, WC_BUTTONW, Wide(WindowText::SaveAllButton), button, IDC_SAVEALL, font);
    w.PaneCaption = CreateControl(window, 0, WC_STATICW, Wide(WindowText::PaneCaption),
                                  SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, IDC_CAPTION, font);
    w.Notice = CreateControl(window, 0, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, IDC_NOTICE, font);
    w.NoticeOffer = CreateControl(window, 0, WC_BUTTONW, L"", button, IDC_NOTICEOFFER, font, false);
    // The Tab order: the file list and its filter, the pane, the find bar,
    // then 中止.
    w.FileList = std::make_unique<FilesPanel>(window, font, w.Flow);
    w.Pane = CreatePane(window, font, w.PaneCharacterLimit);
    if (w.Pane == nullptr)
        return FALSE;
    w.Hits = std::make_unique<HitsPanel>(window, font, w.Flow);
    w.Find = std::make_unique<FindBar>(window, w.Pane, font);
    // The path field and the pane have no label of their own beside them.
    SetAccessibleName(w.PathField, Wide(WindowText::PathField));
    SetAccessibleName(w.Pane, Wide(WindowText::PaneCaption));
    w.Status = std::make_unique<StatusLine>(window, IDC_STATUS, font, w.WindowFont.LineHeight());
    w.Progress = CreateControl(window, 0, PROGRESS_CLASSW, L"", 0, IDC_PROGRESS, font, false);
    w.StopButton = CreateControl(window, 0, WC_BUTTONW, Wide(WindowText::StopButton), button, IDC_STOP, font, false);
    // The system's warning icon at the size of small icons; shared, so
    // never destroyed.
    w.NoticeIcon = static_cast<HICON>(::LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    ::DragAcceptFiles(window, TRUE);

    RECT client{};
    ::GetClientRect(window, &client);
    w.DesignedWidth = client.right;
    LayOutControls(w);
    w.LastFocus = w.OpenButton;
    w.Ready = true;
    return TRUE;
}

void OnSize(HWND window, UINT state, int, int)
{
    if (state != SIZE_MINIMIZED)
        LayOutControls(*Self(window));
}

// Nothing overlaps or is cut off down to the smallest size.
void OnGetMinMaxInfo(HWND window, LPMINMAXINFO info)
{
    const MainWindow& w = *Self(window);
    Shown shown;
    shown.StatusHeight = w.Status->Height();
    shown.FindBar = w.Find->Visible();
    const SIZE smallest = SmallestClient(shown);
    RECT outer{0, 0, smallest.cx, smallest.cy};
    ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)));
    info->ptMinTrackSize = {outer.right - outer.left, outer.bottom - outer.top};
}

void OnPaint(HWND window)
{
    const MainWindow& w = *Self(window);
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT controlPanel = w.Places.ControlPanel;
    RECT captionPanel = w.Places.CaptionPanel;
    ::DrawEdge(dc, &controlPanel, BDR_RAISEDINNER, BF_RECT);
    ::DrawEdge(dc, &captionPanel, BDR_RAISEDINNER, BF_RECT);
    if (!::IsRectEmpty(&w.Places.Notice)) {
        ::FrameRect(dc, &w.Places.Notice, ::GetSysColorBrush(COLOR_BTNSHADOW));
        if (w.NoticeIcon != nullptr) {
            const RECT& icon = w.Places.NoticeIcon;
            ::DrawIconEx(dc, icon.left, icon.top, w.NoticeIcon, icon.right - icon.left, icon.bottom - icon.top, 0,
                         nullptr, DI_NORMAL);
        }
    }
    ::EndPaint(window, &paint);
}

bool IsPushButton(HWND control)
{
    wchar_t className[16]{};
    ::GetClassNameW(control, className, 16);
    const auto type = static_cast<DWORD>(::GetWindowLongPtrW(control, GWL_STYLE)) & BS_TYPEMASK;
    return ::lstrcmpiW(className, WC_BUTTONW) == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

void CloseFindBar(MainWindow& w)
{
    w.Find->Close();
    LayOutControls(w);
}

// Enter and Escape, as the dialog manager sends them (IDOK, IDCANCEL): in the
// find field Enter finds the next (with Shift the previous); on a button it
// presses it; Escape closes the find bar from any of its controls.
void OnDialogKey(MainWindow& w, int id)
{
    HWND focus = ::GetFocus();
    if (id == IDCANCEL) {
        if (w.Find->Holds(focus))
            CloseFindBar(w);
        return;
    }
    if (focus == w.Find->Field()) {
        FindClicked(w, ::GetKeyState(VK_SHIFT) < 0 ? FindDirection::Backward : FindDirection::Forward, false);
    } else if (focus == w.FileList->Filter()) {
        // To the first hit, once there is one.
        const std::u16string text = PaneText(w.Pane);
        Dispatch(w, flow::action::FilterEntered{text});
    } else if (focus == w.Hits->List()) {
        if (const std::optional<std::size_t> row = w.Hits->Selected())
            ::PostMessageW(w.Window, WM_APP_HIT, static_cast<WPARAM>(*row), 0);
    } else if (focus != nullptr && ::IsChild(w.Window, focus) && IsPushButton(focus)) {
        FORWARD_WM_COMMAND(w.Window, ::GetDlgCtrlID(focus), focus, BN_CLICKED, ::SendMessageW);
    }
}

// Ctrl+F opens the find bar; F3 and Shift+F3 find the next and the previous,
// opening the bar first when it is closed.
void OnFindKey(MainWindow& w, int id)
{
    if (id != IDM_FIND && w.Find->Visible()) {
        FindClicked(w, id == IDM_FINDNEXT ? FindDirection::Forward : FindDirection::Backward, false);
        return;
    }
    const bool wasVisible = w.Find->Visible();
    // The field starts from the selection within a line, the filter's text
    // or the last needle, as the flow has it.
    w.Find->Open(w.Flow.FindStart(SelectedText(w.Pane, kLongestFindSelection)));
    if (!wasVisible)
        KeepSmallestSize(w);
}

void OnCommand(HWND window, int id, HWND control, UINT code)
{
    MainWindow& w = *Self(window);
    // Buttons send BN_CLICKED (0); the keys of the accelerator table send 1.
    const bool clicked = code == BN_CLICKED || (control == nullptr && code == 1);
    const auto toggled = [&](flow::Option option) {
        Dispatch(w, flow::action::OptionToggled{option, Button_GetCheck(control) == BST_CHECKED});
    };
    switch (id) {
    case IDC_OPEN:
        if (clicked)
            Dispatch(w, flow::action::OpenClicked{});
        break;
    case IDC_SAVE:
        if (clicked)
            SaveClicked(w);
        break;
    case IDC_SAVEALL:
        if (clicked)
            Dispatch(w, flow::action::SaveAllClicked{});
        break;
    case IDC_STOP:
        if (clicked)
            Dispatch(w, flow::action::StopClicked{});
        break;
    case IDC_NOTICEOFFER:
        if (clicked)
            Dispatch(w, flow::action::NoticeOfferTaken{});
        break;
    case IDC_SAVETABLE:
        if (clicked)
            Dispatch(w, flow::action::SaveTableClicked{});
        break;
    case IDC_HITSTOP:
        if (clicked)
            Dispatch(w, flow::action::StopSearchClicked{});
        break;
    case IDC_HEADER:
        if (code == BN_CLICKED)
            toggled(flow::Option::Header);
        break;
    case IDC_DIMENSIONS:
        if (code == BN_CLICKED)
            toggled(flow::Option::Dimensions);
        break;
    case IDC_BLOCKS:
        if (code == BN_CLICKED)
            toggled(flow::Option::Blocks);
        break;
    case IDC_PANE:
        if (code == EN_CHANGE)
            PaneChanged(w);
        break;
    case IDC_FILELIST:
        if (code == LBN_SELCHANGE)
            ::PostMessageW(window, WM_APP_CHOOSE, 0, 0);
        break;
    case IDC_FILTER:
        if (code == EN_CHANGE)
            if (std::optional<std::u16string> typed = w.FileList->TypedFilter())
                Dispatch(w, flow::action::FilterTyped{std::move(*typed)});
        break;
    case IDC_FINDFIELD:
        if (code == EN_CHANGE && w.Find->Typed())
            FindClicked(w, FindDirection::Forward, true);
        break;
    case IDC_FINDPREVIOUS:
    case IDC_FINDNEXT:
        if (clicked)
            FindClicked(w, id == IDC_FINDNEXT ? FindDirection::Forward : FindDirection::Backward, false);
        break;
    case IDC_FINDCLOSE:
        if (clicked)
            CloseFindBar(w);
        break;
    case IDM_FIND:
    case IDM_FINDNEXT:
    case IDM_FINDPREVIOUS:
        OnFindKey(w, id);
        break;
    case IDOK:
    case IDCANCEL:
        OnDialogKey(w, id);
        break;
    default:
        break;
    }
}

LRESULT OnNotify(HWND window, int id, LPNMHDR header)
{
    if (id == IDC_HITLIST) {
        if (header->code == NM_CUSTOMDRAW)
            return Self(window)->Hits->Paint(*reinterpret_cast<NMLVCUSTOMDRAW*>(header));
        if (header->code == LVN_GETDISPINFOW)
            Self(window)->Hits->GiveText(*reinterpret_cast<NMLVDISPINFOW*>(header));
        else if (header->code == NM_CLICK || header->code == LVN_ITEMACTIVATE)
            if (const int row = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem; row >= 0)
                ::PostMessageW(window, WM_APP_HIT, static_cast<WPARAM>(row), 0);
        return 0;
    }
    if (header->code == EN_DROPFILES) {
        // The pane leaves the drop to the window, and lets go of it itself.
        TakeDrop(*Self(window), static_cast<HDROP>(reinterpret_cast<ENDROPFILES*>(header)->hDrop));
        return FALSE;
    }
    return 0;
}

void OnTimer(HWND window, UINT id)
{
    MainWindow& w = *Self(window);
    if (id >= 1 && id <= flow::kTimerCount)
        Dispatch(w, flow::action::TimerFired{static_cast<flow::Timer>(id - 1), w.LastPieceNanoseconds});
}

void OnDropFiles(HWND window, HDROP drop)
{
    TakeDrop(*Self(window), drop);
    ::DragFinish(drop);
}

BOOL OnSetCursor(HWND window, HWND over, UINT hitTest, UINT message)
{
    if (Self(window)->Flow.Filling() && hitTest == HTCLIENT) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
        return TRUE;
    }
    return FORWARD_WM_SETCURSOR(window, over, hitTest, message, ::DefWindowProcW);
}

// The control that had the focus gets it back when the window is active
// again.
void OnActivate(HWND window, UINT state, HWND, BOOL minimized)
{
    MainWindow& w = *Self(window);
    if (state == WA_INACTIVE) {
        if (HWND focus = ::GetFocus(); focus != nullptr && ::IsChild(window, focus))
            w.LastFocus = focus;
    } else if (!minimized) {
        const bool usable = w.LastFocus != nullptr && ::IsWindowEnabled(w.LastFocus) && ::IsWindowVisible(w.LastFocus);
        ::SetFocus(usable ? w.LastFocus : w.OpenButton);
    }
}

void OnDrawItem(HWND window, const DRAWITEMSTRUCT* item)
{
    if (item->CtlID == IDC_FILELIST)
        Self(window)->FileList->Draw(*item);
}

void OnClose(HWND window)
{
    MainWindow& w = *Self(window);
    if (!w.Closing) {
        // Saved when the question about the edits is answered 保存.
        const std::u16string text = w.Flow.HoldsEdits() ? PaneText(w.Pane) : std::u16string();
        Dispatch(w, flow::action::CloseRequested{text});
    }
    if (w.Closing)
        ::DestroyWindow(window);
}

void OnDestroy(HWND) { ::PostQuitMessage(0); }

void OnNcDestroy(HWND window)
{
    delete Self(window);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        HANDLE_MSG(window, WM_SIZE, OnSize);
        HANDLE_MSG(window, WM_GETMINMAXINFO, OnGetMinMaxInfo);
        HANDLE_MSG(window, WM_PAINT, OnPaint);
        HANDLE_MSG(window, WM_COMMAND, OnCommand);
        HANDLE_MSG(window, WM_NOTIFY, OnNotify);
        HANDLE_MSG(window, WM_TIMER, OnTimer);
        HANDLE_MSG(window, WM_DROPFILES, OnDropFiles);
        HANDLE_MSG(window, WM_SETCURSOR, OnSetCursor);
        HANDLE_MSG(window, WM_ACTIVATE, OnActivate);
        HANDLE_MSG(window, WM_CLOSE, OnClose);
        HANDLE_MSG(window, WM_DESTROY, OnDestroy);
        HANDLE_MSG(window, WM_NCDESTROY, OnNcDestroy);
        HANDLE_MSG(window, WM_DRAWITEM, OnDrawItem);
    case WM_APP_OPEN: {
        MainWindow& w = *Self(window);
        Dispatch(w, flow::action::FilesDropped{std::exchange(w.PendingFiles, {})});
        return 0;
    }
    case WM_APP_HIT: {
        MainWindow& w = *Self(window);
        const std::u16string text = PaneText(w.Pane);
        Dispatch(w, flow::action::HitChosen{static_cast<std::size_t>(wParam), text});
        return 0;
    }
    case WM_APP_CHOOSE:
        if (const std::optional<std::size_t> entry = Self(window)->FileList->Selected())
            Dispatch(*Self(window), flow::action::EntryChosen{*entry});
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A fault that escaped the flow (out of memory, or the program's own) is
// told in a box; the window then shows the flow's state again and goes on
// answering, the pane holding what it held. A fault met again while the box
// is up (a timer's tick in its message loop) is not told twice.
LRESULT OnFault(HWND window, const Fault& fault)
{
    MainWindow& w = *Self(window);
    if (w.TellingFault)
        return 0;
    w.TellingFault = true;
    Guarded(
        [&] {
            ::MessageBoxW(window, Wide(FaultMessage(fault)).c_str(), Wide(kApplicationTitle).c_str(), MB_OK | MB_ICONERROR);
            w.Carrying = 0;
            Render(w, Part::Status | Part::Notice | Part::PathField | Part::Boxes | Part::List | Part::Selection |
                          Part::Progress | Part::Filling | Part::Hits);
        },
        [](const Fault&) {});
    w.TellingFault = false;
    return 0;
}

// Every message in one guard: no exception unwinds through the system's
// frames.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        return HANDLE_WM_NCCREATE(window, wParam, lParam, OnNcCreate);
    const MainWindow* w = Self(window);
    if (w == nullptr)
        return ::DefWindowProcW(window, message, wParam, lParam);
    // Until every control is made (the mouse may be over the window as it
    // is created), and when making them failed, the system's defaults.
    if (!w->Ready) {
        if (message == WM_CREATE)
            return Guarded([&] { return HANDLE_WM_CREATE(window, wParam, lParam, OnCreate); },
                           [](const Fault&) -> LRESULT { return -1; });
        if (message == WM_NCDESTROY)
            OnNcDestroy(window);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return Guarded([&] { return HandleMessage(window, message, wParam, lParam); },
                   [&](const Fault& fault) { return OnFault(window, fault); });
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance, flow::FlowSetup setup, int show)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                          ::GetSystemMetrics(SM_CXSMICON),
                                                          ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (::RegisterClassExW(&windowClass) == 0)
        return nullptr;

    auto state = std::make_unique<MainWindow>(std::move(setup));
    const flow::Box& designed = flow::kWindow;
    HWND window = ::CreateWindowExW(0, kClassName, Wide(kWindowCaption).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                    designed.Left, designed.Top, designed.Width, designed.Height, nullptr, nullptr,
                                    instance, &state);
    if (window == nullptr)
        return nullptr;
    ::ShowWindow(window, show);
    ::UpdateWindow(window);
    return window;
}

void OpenAtStart(HWND window, std::vector<std::wstring> files)
{
    MainWindow* w = Self(window);
    if (w == nullptr || files.empty())
        return;
    w->PendingFiles.assign(files.begin(), files.end());
    ::PostMessageW(window, WM_APP_OPEN, 0, 0);
}

}  // namespace vaveze::win
