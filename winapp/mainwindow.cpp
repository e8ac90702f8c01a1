#include "winapp/mainwindow.h"

// After windows.h, which they need; the message crackers of WM_DROPFILES
// only after shellapi.h.
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "core/session/session.h"
#include "core/session/texts.h"
#include "winapp/accessibility.h"
#include "winapp/dialogs.h"
#include "winapp/font.h"
#include "winapp/layout.h"
#include "winapp/panefill.h"
#include "winapp/resource.h"
#include "winapp/savefile.h"
#include "winapp/startup.h"
#include "winapp/statusline.h"
#include "winapp/wide.h"

namespace vaveze::win {
namespace {

constexpr wchar_t kClassName[] = L"VAvezeMainWindow";
constexpr UINT_PTR kFillTimer = 1;
// The file to open, set aside by a drop or the command line.
constexpr UINT WM_APP_OPEN = WM_APP + 1;

// Everything the window holds, kept with it (GWLP_USERDATA).
struct MainWindow {
    explicit MainWindow(std::size_t paneCharacterLimit) : PaneCharacterLimit(paneCharacterLimit) {}

    std::size_t PaneCharacterLimit;
    bool Ready = false;  // every control made: the handlers may run
    Font WindowFont;
    Session Files;
    HWND Window = nullptr;
    HWND Button1 = nullptr;  // open
    HWND Edit1 = nullptr;    // the last file chosen, listed or not
    HWND CheckBox1 = nullptr;  // header section
    HWND CheckBox2 = nullptr;  // dimension texts
    HWND CheckBox3 = nullptr;  // block section
    HWND Button2 = nullptr;  // save
    HWND Caption = nullptr;
    HWND NoticeText = nullptr;
    HWND RichEdit1 = nullptr;
    std::unique_ptr<StatusLine> Status;
    std::unique_ptr<PaneFill> Fill;
    HICON NoticeIcon = nullptr;
    Layout Places{};
    int DesignedWidth = 0;  // of the client area
    HWND LastFocus = nullptr;
    std::string FinalStatus;   // the status line's text once the fill is done
    bool StatusTaken = false;  // a later message replaced the fill's progress
    std::wstring PendingFile;  // for WM_APP_OPEN
    std::size_t PendingOthers = 0;
};

MainWindow* Self(HWND window) { return reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA)); }

// Shows the wait cursor while a file is read or listed.
class BusyCursor {
public:
    BusyCursor() : old_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~BusyCursor() { ::SetCursor(old_); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    HCURSOR old_;
};

HWND CreateChild(MainWindow& w, DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style, int id)
{
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(w.Window, GWLP_HINSTANCE));
    HWND child = ::CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                   w.Window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(w.WindowFont.Handle()), FALSE);
    return child;
}

void Place(HWND control, const RECT& r)
{
    ::MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

// ---- The pane ------------------------------------------------------------

// Tab leaves the pane as it leaves every other control, and entering it
// does not select what may be millions of characters. While a fill runs the
// pane shows that the window is busy.
LRESULT CALLBACK PaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data)
{
    const auto& w = *reinterpret_cast<const MainWindow*>(data);
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = ::DefSubclassProc(pane, message, wParam, lParam) & ~(DLGC_WANTTAB | DLGC_HASSETSEL);
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_TAB)
            code &= ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
        return code;
    }
    case WM_SETCURSOR:
        if (w.Fill && w.Fill->Running() && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(pane, PaneProc, id);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(pane, message, wParam, lParam);
}

HWND CreatePane(MainWindow& w)
{
    HWND pane = CreateChild(w, WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                            WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                ES_WANTRETURN | ES_NOHIDESEL | ES_DISABLENOSCROLL,
                            IDC_PANE);
    if (pane == nullptr)
        return nullptr;
    // Plain text in the window's font, as many characters as the listing
    // may have, and no word wrap: a line of the listing is a line on screen.
    ::SendMessageW(pane, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
    ::SendMessageW(pane, WM_SETFONT, reinterpret_cast<WPARAM>(w.WindowFont.Handle()), FALSE);
    ::SendMessageW(pane, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(w.PaneCharacterLimit));
    ::SendMessageW(pane, EM_SETTARGETDEVICE, 0, 1);
    // Files dropped on the pane are opened as anywhere else on the window.
    ::SendMessageW(pane, EM_SETEVENTMASK, 0, ENM_DROPFILES);
    ::DragAcceptFiles(pane, TRUE);
    ::SetWindowSubclass(pane, PaneProc, 0, reinterpret_cast<DWORD_PTR>(&w));
    return pane;
}

// The pane's text as the session reads it back: lines ended by '\n'. A line
// break typed with Shift and Enter ends a line too.
std::u16string PaneText(HWND pane)
{
    GETTEXTLENGTHEX lengthOf{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const auto length = static_cast<std::size_t>(
        std::max<LRESULT>(::SendMessageW(pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthOf), 0), 0));
    std::u16string text(length + 1, u'\0');
    GETTEXTEX get{};
    get.cb = static_cast<DWORD>((length + 1) * sizeof(char16_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;
    const LRESULT got = ::SendMessageW(pane, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, static_cast<LRESULT>(length))));
    for (char16_t& c : text)
        if (c == u'\r' || c == u'\v')
            c = u'\n';
    return text;
}

// Lines saved from the pane's text: a last empty line is only the end of the
// line before it, and a line separator typed into a line ends a line.
std::size_t SavedLineCount(std::u16string_view text)
{
    std::size_t lines = text.empty() || text.back() == u'\n' ? 0 : 1;
    for (const char16_t c : text)
        lines += c == u'\n' || c == u'\u2028' ? 1 : 0;
    return lines;
}

// ---- Layout --------------------------------------------------------------

int NoticeTextHeight(const MainWindow& w, int width)
{
    const std::wstring text = WindowTextOf(w.NoticeText);
    if (text.empty())
        return 0;
    RECT r{0, 0, NoticeTextWidth(width), 0};
    HDC dc = ::GetDC(w.NoticeText);
    const HGDIOBJ old = ::SelectObject(dc, w.WindowFont.Handle());
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    ::SelectObject(dc, old);
    ::ReleaseDC(w.NoticeText, dc);
    return r.bottom - r.top;
}

void LayOutControls(MainWindow& w)
{
    RECT client{};
    ::GetClientRect(w.Window, &client);
    const int noticeHeight = NoticeTextHeight(w, client.right);
    w.Places = LayOut(client.right, client.bottom, w.DesignedWidth, noticeHeight, w.Status->Height());
    const Layout& l = w.Places;
    Place(w.Button1, l.Button1);
    Place(w.Edit1, l.Edit1);
    Place(w.CheckBox1, l.CheckBox1);
    Place(w.CheckBox2, l.CheckBox2);
    Place(w.CheckBox3, l.CheckBox3);
    Place(w.Button2, l.Button2);
    Place(w.Caption, l.Caption);
    Place(w.NoticeText, l.NoticeText);
    ::ShowWindow(w.NoticeText, noticeHeight > 0 ? SW_SHOWNA : SW_HIDE);
    Place(w.RichEdit1, l.Pane);
    w.Status->Place(l.Status);
    // The panels' edges and the notice's frame are the window's own drawing;
    // a control moved shows its own pixels, not those of where it was.
    ::RedrawWindow(w.Window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- What the window does ------------------------------------------------

void SetStatus(MainWindow& w, const std::string& text) { w.Status->SetText(text); }

ListingOptions CurrentOptions(const MainWindow& w)
{
    ListingOptions options;
    options.Header = Button_GetCheck(w.CheckBox1) == BST_CHECKED;
    options.Dimensions = Button_GetCheck(w.CheckBox2) == BST_CHECKED;
    options.Blocks = Button_GetCheck(w.CheckBox3) == BST_CHECKED;
    return options;
}

bool Filling(const MainWindow& w) { return w.Fill->Running(); }

// The fill's own insertions mark the pane modified; the mark is reset once
// the fill is done and after a save, so only the user's unsaved edits count.
bool HoldsEdits(const MainWindow& w) { return !Filling(w) && ::SendMessageW(w.RichEdit1, EM_GETMODIFY, 0, 0) != 0; }

// True when the pane holds no edits, or the user agreed to lose them.
bool MayReplaceEdits(const MainWindow& w, EditsAt what)
{
    return !HoldsEdits(w) || Confirm(w.Window, kApplicationTitle, EditsLostQuestion(what));
}

void UpdateNotice(MainWindow& w)
{
    ::SetWindowTextW(w.NoticeText, Wide(PaneNotice(w.Files.Chosen(), w.Files.Shown())).c_str());
    LayOutControls(w);
}

void ShowFillProgress(MainWindow& w)
{
    if (!w.StatusTaken)
        SetStatus(w, FillingStatus(w.Files.Shown(), w.Fill->LinesShown(), w.Fill->LineCount()));
}

void FillFinished(MainWindow& w)
{
    ::KillTimer(w.Window, kFillTimer);
    ::EnableWindow(w.Button2, TRUE);
    if (!w.StatusTaken)
        SetStatus(w, w.FinalStatus);
    w.StatusTaken = false;
}

// Lists the file shown with the boxes as they are, from the kept parse, into
// the pane. `note` ends the status text.
void ShowListing(MainWindow& w, const std::string& note = {})
{
    if (!w.Files.HasListing())
        return;
    const PaneListing* listing = nullptr;
    {
        const BusyCursor busy;
        listing = &w.Files.ListForPane(CurrentOptions(w), w.PaneCharacterLimit);
    }
    w.FinalStatus = ListedStatus(w.Files.Shown(), listing->LineCount(), listing->Full()) + note;
    w.StatusTaken = false;
    w.Fill->Start(listing->Text(), listing->LineCount());
    if (Filling(w)) {
        // The rest goes in from the message loop: the window answers
        // meanwhile and shows that it is busy. A disabled button cannot
        // keep the focus.
        if (::GetFocus() == w.Button2)
            ::SetFocus(w.RichEdit1);
        ::EnableWindow(w.Button2, FALSE);
        ::SetTimer(w.Window, kFillTimer, USER_TIMER_MINIMUM, nullptr);
        ShowFillProgress(w);
    } else {
        FillFinished(w);
    }
    if (listing->Full())
        ShowMessage(w.Window, MessageKind::Error, kApplicationTitle, Text(WindowText::PaneFull));
}

// Opens a file chosen in the dialog, dropped on the window or named on the
// command line. `othersNotOpened` files came along with it.
void ExtractFile(MainWindow& w, const std::wstring& path, std::size_t othersNotOpened = 0)
{
    if (!MayReplaceEdits(w, EditsAt::Open))
        return;
    ::SetWindowTextW(w.Edit1, path.c_str());
    {
        const BusyCursor busy;
        (void)w.Files.Open(std::filesystem::path(path));
    }
    const OpenResult& opened = w.Files.Chosen();
    // A box shown while the listing goes in may let another file be opened
    // meanwhile (dropped on the window); the warning is this file's.
    const WarningKind warning = opened.Warning;
    UpdateNotice(w);
    const std::string others = othersNotOpened > 0 ? OthersNotOpenedStatus(othersNotOpened) : std::string();
    if (opened.Listed()) {
        ShowListing(w, others);
    } else {
        // The pane keeps what it shows (the user may have typed into it);
        // the status line and the notice say so, and a fill still running
        // goes on.
        SetStatus(w, NotListedStatus(opened, w.Files.Shown()) + others);
        w.StatusTaken = Filling(w);
    }
    // After the status line, so that it already says why while the box is up.
    if (warning != WarningKind::None)
        ShowMessage(w.Window, MessageKind::Warning, Text(WindowText::WarningCaption), WarningText(warning));
}

void Button1Click(MainWindow& w)
{
    FileDialogSetup setup;
    setup.Title = Wide(WindowText::OpenTitle);
    setup.Filters = Text(WindowText::OpenFilters);
    const std::filesystem::path& current = w.Files.Chosen().Path;
    if (current.empty()) {
        setup.Folder = FirstOpenFolder();
    } else {
        setup.Folder = current.parent_path().wstring();
        setup.ProposedName = current.filename().wstring();
    }
    if (const std::optional<std::wstring> chosen = ChooseFileToOpen(w.Window, setup))
        ExtractFile(w, *chosen);
}

void Button2Click(MainWindow& w)
{
    if (w.Files.Chosen().Path.empty()) {
        Beep();
        ::SetFocus(w.Button1);
        SetStatus(w, NoFileToSaveStatus());
        return;
    }
    if (Filling(w)) {
        Beep();
        SetStatus(w, StillFillingStatus());
        w.StatusTaken = true;
        return;
    }
    // Characters that Shift-JIS lacks are found before the user is asked for
    // a name.
    const std::u16string text = PaneText(w.RichEdit1);
    const SavedText content = w.Files.PaneToBytes(text);
    if (!content.Unencodable.empty()) {
        ShowMessage(w.Window, MessageKind::Warning, Text(WindowText::WarningCaption),
                    UnencodableMessage(content.Unencodable));
        return;
    }
    const std::filesystem::path proposal = w.Files.ProposedSavePath();
    FileDialogSetup setup;
    setup.Title = Wide(WindowText::SaveTitle);
    setup.Folder = proposal.parent_path().wstring();
    setup.ProposedName = proposal.filename().wstring();
    setup.Filters = Text(WindowText::SaveFilter);
    setup.DefaultExtension = Wide(kSaveExtension);
    const std::optional<std::wstring> target = ChooseFileToSave(w.Window, setup);
    if (!target)
        return;
    if (const DWORD error = ReplaceFileWith(*target, content.Bytes); error != ERROR_SUCCESS) {
        ShowMessage(w.Window, MessageKind::Error, kApplicationTitle,
                    SaveFailedMessage(Utf8(*target), Utf8(SystemMessage(error))));
        return;
    }
    // What is saved is no longer lost when the pane is listed again or the
    // window closed.
    ::SendMessageW(w.RichEdit1, EM_SETMODIFY, FALSE, 0);
    SetStatus(w, SavedStatus(Utf8(*target), SavedLineCount(text)));
}

// A box takes effect at once on the file shown; when the user keeps the
// pane's edits instead, the box goes back.
void OptionToggled(MainWindow& w, HWND box)
{
    if (!w.Files.HasListing())
        return;
    if (!MayReplaceEdits(w, EditsAt::Relist)) {
        Button_SetCheck(box, Button_GetCheck(box) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        return;
    }
    ShowListing(w);
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The first file dropped that is not a folder is opened once the drop is
// over; the others are counted.
void TakeDrop(MainWindow& w, HDROP drop)
{
    std::wstring first;
    std::size_t others = 0;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        if (first.empty() && !path.empty() && !IsFolder(path))
            first = std::move(path);
        else
            ++others;
    }
    if (first.empty())
        return;
    w.PendingFile = std::move(first);
    w.PendingOthers = others;
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
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    const DWORD box = WS_TABSTOP | BS_AUTOCHECKBOX;
    w.Button1 = CreateChild(w, 0, WC_BUTTONW, Wide(WindowText::OpenButton), button, IDC_OPEN);
    w.Edit1 = CreateChild(w, WS_EX_CLIENTEDGE, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, IDC_PATH);
    // Each box's caption says what that box does.
    w.CheckBox1 = CreateChild(w, 0, WC_BUTTONW, Wide(WindowText::HeaderBox), box, IDC_HEADER);
    w.CheckBox2 = CreateChild(w, 0, WC_BUTTONW, Wide(WindowText::DimensionsBox), box, IDC_DIMENSIONS);
    w.CheckBox3 = CreateChild(w, 0, WC_BUTTONW, Wide(WindowText::BlocksBox), box, IDC_BLOCKS);
    w.Button2 = CreateChild(w, 0, WC_BUTTONW, Wide(WindowText::SaveButton), button, IDC_SAVE);
    w.Caption = CreateChild(w, 0, WC_STATICW, Wide(WindowText::PaneCaption), SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX,
                            IDC_CAPTION);
    w.NoticeText = CreateChild(w, 0, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, IDC_NOTICE);
    w.RichEdit1 = CreatePane(w);
    if (w.RichEdit1 == nullptr)
        return FALSE;
    // The path field and the pane have no label of their own beside them.
    SetAccessibleName(w.Edit1, Wide(WindowText::PathField));
    SetAccessibleName(w.RichEdit1, Wide(WindowText::PaneCaption));
    w.Status = std::make_unique<StatusLine>(window, IDC_STATUS, w.WindowFont.Handle(), w.WindowFont.LineHeight());
    w.Fill = std::make_unique<PaneFill>(w.RichEdit1);
    // The system's warning icon (the same number as the OEM one) at the size
    // of small icons; shared, so never destroyed.
    w.NoticeIcon = static_cast<HICON>(::LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    ::DragAcceptFiles(window, TRUE);

    RECT client{};
    ::GetClientRect(window, &client);
    w.DesignedWidth = client.right;
    LayOutControls(w);
    w.LastFocus = w.Button1;
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
    const MainWindow* w = Self(window);
    if (w == nullptr || !w->Status)
        return;
    const SIZE smallest = SmallestClient(w->Status->Height());
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
    RECT panel1 = w.Places.Panel1;
    RECT panel2 = w.Places.Panel2;
    ::DrawEdge(dc, &panel1, BDR_RAISEDINNER, BF_RECT);
    ::DrawEdge(dc, &panel2, BDR_RAISEDINNER, BF_RECT);
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

void OnCommand(HWND window, int id, HWND control, UINT code)
{
    MainWindow& w = *Self(window);
    // Buttons send BN_CLICKED (0); the keys of the accelerator table send 1.
    const bool clicked = code == BN_CLICKED || (control == nullptr && code == 1);
    switch (id) {
    case IDC_OPEN:
        if (clicked)
            Button1Click(w);
        break;
    case IDC_SAVE:
        if (clicked)
            Button2Click(w);
        break;
    case IDC_HEADER:
    case IDC_DIMENSIONS:
    case IDC_BLOCKS:
        if (code == BN_CLICKED)
            OptionToggled(w, control);
        break;
    case IDOK:
        // Enter, as the dialog manager sends it: presses the button that
        // has the focus.
        if (HWND focus = ::GetFocus(); focus == w.Button1 || focus == w.Button2)
            FORWARD_WM_COMMAND(window, ::GetDlgCtrlID(focus), focus, BN_CLICKED, ::SendMessageW);
        break;
    default:
        break;
    }
}

LRESULT OnNotify(HWND window, int, LPNMHDR header)
{
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
    if (id != kFillTimer)
        return;
    if (w.Fill->Continue())
        ShowFillProgress(w);
    else
        FillFinished(w);
}

void OnDropFiles(HWND window, HDROP drop)
{
    TakeDrop(*Self(window), drop);
    ::DragFinish(drop);
}

BOOL OnSetCursor(HWND window, HWND over, UINT hitTest, UINT message)
{
    const MainWindow& w = *Self(window);
    if (Filling(w) && hitTest == HTCLIENT) {
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
        ::SetFocus(w.LastFocus != nullptr && ::IsWindowEnabled(w.LastFocus) ? w.LastFocus : w.Button1);
    }
}

void OnAppOpen(MainWindow& w)
{
    const std::wstring path = std::move(w.PendingFile);
    w.PendingFile.clear();
    if (!path.empty())
        ExtractFile(w, path, w.PendingOthers);
}

void OnClose(HWND window)
{
    if (MayReplaceEdits(*Self(window), EditsAt::Close))
        ::DestroyWindow(window);
}

void OnDestroy(HWND window)
{
    MainWindow& w = *Self(window);
    ::KillTimer(window, kFillTimer);
    w.Fill->Stop();
    w.Files.Close();
    ::PostQuitMessage(0);
}

void OnNcDestroy(HWND window)
{
    delete Self(window);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

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
            return HANDLE_WM_CREATE(window, wParam, lParam, OnCreate);
        if (message == WM_NCDESTROY)
            OnNcDestroy(window);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
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
    case WM_APP_OPEN:
        OnAppOpen(*Self(window));
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance, std::size_t paneCharacterLimit, int show)
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

    auto state = std::make_unique<MainWindow>(paneCharacterLimit);
    HWND window = ::CreateWindowExW(0, kClassName, Wide(kWindowCaption).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                    kWindowPosition.x, kWindowPosition.y, kWindowSize.cx, kWindowSize.cy, nullptr,
                                    nullptr, instance, &state);
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
    w->PendingFile = std::move(files.front());
    w->PendingOthers = files.size() - 1;
    ::PostMessageW(window, WM_APP_OPEN, 0, 0);
}

}  // namespace vaveze::win
