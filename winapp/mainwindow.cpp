#include "winapp/mainwindow.h"

// After windows.h, which they need; the message crackers of WM_DROPFILES
// only after shellapi.h.
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/session/batchsave.h"
#include "core/session/filelist.h"
#include "core/session/session.h"
#include "core/session/texts.h"
#include "core/writing/filewriting.h"
#include "winapp/accessibility.h"
#include "winapp/dialogs.h"
#include "winapp/filespanel.h"
#include "winapp/findbar.h"
#include "winapp/font.h"
#include "winapp/layout.h"
#include "winapp/pane.h"
#include "winapp/panefill.h"
#include "winapp/resource.h"
#include "winapp/startup.h"
#include "winapp/statusline.h"
#include "winapp/wide.h"

namespace vaveze::win {
namespace {

constexpr wchar_t kClassName[] = L"VAvezeMainWindow";
constexpr UINT_PTR kFillTimer = 1;
// A step of "save every listing": a timer's, as timers come after the
// keyboard and the mouse, so the window answers (and Stop is heard) between
// two files.
constexpr UINT_PTR kSaveAllTimer = 2;
// The files to open, set aside by a drop or the command line.
constexpr UINT WM_APP_OPEN = WM_APP + 1;
// The user selected an entry of the file list; taken once the list is done
// with the mouse.
constexpr UINT WM_APP_CHOOSE = WM_APP + 2;

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
    HWND Button3 = nullptr;  // save every listing of the file list
    HWND Caption = nullptr;
    HWND NoticeText = nullptr;
    HWND RichEdit1 = nullptr;
    std::unique_ptr<StatusLine> Status;
    HWND Progress = nullptr;    // while every listing is saved ...
    HWND StopButton = nullptr;  // ... and the way to stop it
    std::unique_ptr<PaneFill> Fill;
    FileList List;  // the files chosen or dropped together
    std::size_t EntryShown = 0;  // the entry of the list last opened
    std::unique_ptr<FilesPanel> Panel;  // shown for a list of several files
    std::unique_ptr<FindBar> Find;
    std::unique_ptr<BatchSave> Batch;  // while every listing is saved
    HWND FocusBeforeBatch = nullptr;  // where the keyboard was before Stop took it
    HICON NoticeIcon = nullptr;
    Layout Places{};
    int DesignedWidth = 0;  // of the client area
    HWND LastFocus = nullptr;
    std::string FinalStatus;   // the status line's text once the fill is done
    bool StatusTaken = false;  // a later message replaced the fill's progress
    std::wstring StatusAside;  // the status line's text before find or the filter spoke
    std::wstring LastAside;    // what they said last, while the line still says it
    std::vector<std::wstring> PendingFiles;  // for WM_APP_OPEN
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

Shown WhatIsShown(const MainWindow& w, int width)
{
    Shown shown;
    shown.NoticeTextHeight = NoticeTextHeight(w, width);
    shown.StatusHeight = w.Status->Height();
    shown.FileList = w.Panel->Visible();
    shown.FindBar = w.Find->Visible();
    shown.Progress = w.Batch != nullptr;
    return shown;
}

void LayOutControls(MainWindow& w)
{
    RECT client{};
    ::GetClientRect(w.Window, &client);
    const Shown shown = WhatIsShown(w, client.right);
    w.Places = LayOut(client.right, client.bottom, w.DesignedWidth, shown);
    const Layout& l = w.Places;
    Place(w.Button1, l.Button1);
    Place(w.Edit1, l.Edit1);
    Place(w.CheckBox1, l.CheckBox1);
    Place(w.CheckBox2, l.CheckBox2);
    Place(w.CheckBox3, l.CheckBox3);
    Place(w.Button2, l.Button2);
    Place(w.Button3, l.Button3);
    Place(w.Caption, l.Caption);
    Place(w.NoticeText, l.NoticeText);
    ::ShowWindow(w.NoticeText, shown.NoticeTextHeight > 0 ? SW_SHOWNA : SW_HIDE);
    w.Panel->Place(l.Filter, l.FileList);
    Place(w.RichEdit1, l.Pane);
    w.Find->Place(l);
    w.Status->Place(l.Status);
    if (shown.Progress) {
        Place(w.Progress, l.Progress);
        Place(w.StopButton, l.Stop);
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
// the pane.
void ShowListing(MainWindow& w)
{
    if (!w.Files.HasListing())
        return;
    const PaneListing* listing = nullptr;
    {
        const BusyCursor busy;
        listing = &w.Files.ListForPane(CurrentOptions(w), w.PaneCharacterLimit);
    }
    w.FinalStatus = ListedStatus(w.Files.Shown(), listing->LineCount(), listing->Full());
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

// Opens entry i of the file list into the pane, as opening it would.
void OpenEntry(MainWindow& w, std::size_t index)
{
    const std::filesystem::path path = w.List[index].Where.Path;
    w.EntryShown = index;
    w.Panel->Select(index);
    ::SetWindowTextW(w.Edit1, path.wstring().c_str());
    {
        const BusyCursor busy;
        (void)w.Files.Open(path);
    }
    const OpenResult& opened = w.Files.Chosen();
    w.List.Record(index, opened);
    w.Panel->UpdateEntry(index);
    // A box shown while the listing goes in may let another file be opened
    // meanwhile (chosen in the list); the warning is this file's.
    const WarningKind warning = opened.Warning;
    UpdateNotice(w);
    if (opened.Listed()) {
        ShowListing(w);
    } else {
        // The pane keeps what it shows (the user may have typed into it);
        // the status line and the notice say so, and a fill still running
        // goes on.
        SetStatus(w, NotListedStatus(opened, w.Files.Shown()));
        w.StatusTaken = Filling(w);
    }
    // After the status line, so that it already says why while the box is up.
    if (warning != WarningKind::None)
        ShowMessage(w.Window, MessageKind::Warning, Text(WindowText::WarningCaption), WarningText(warning));
}

// Files chosen in the dialog, dropped on the window or named on the command
// line become the file list, and its first file is listed; one file is
// opened as it always was. With `walkFolders` (a drop, the command line)
// folders are walked for their drawings.
void ExtractFiles(MainWindow& w, const std::vector<std::wstring>& chosen, bool walkFolders)
{
    // The list is the batch's while every listing is saved.
    if (chosen.empty() || w.Batch || !MayReplaceEdits(w, EditsAt::Open))
        return;
    std::vector<std::filesystem::path> paths(chosen.begin(), chosen.end());
    FileList files = FileList::Chosen(paths, walkFolders);
    if (files.Empty()) {
        // Folders without a drawing: the list and the pane stay as they were.
        Beep();
        SetStatus(w, NoDrawingsStatus());
        return;
    }
    w.List = std::move(files);
    w.Panel->ShowList();
    if (const bool several = w.List.Size() > 1; several != w.Panel->Visible()) {
        // A hidden control cannot keep the keyboard.
        if (HWND focus = ::GetFocus(); !several && (focus == w.Panel->Filter() || focus == w.Panel->List()))
            ::SetFocus(w.RichEdit1);
        w.Panel->Show(several);
        LayOutControls(w);
    }
    OpenEntry(w, 0);
}

// The user selected entry i of the file list: asked first when the pane
// holds edits.
void ChooseEntry(MainWindow& w, std::size_t index)
{
    if (index >= w.List.Size() || (index == w.EntryShown && w.Files.Chosen().Path == w.List[index].Where.Path))
        return;
    if (!MayReplaceEdits(w, EditsAt::Open)) {
        w.Panel->Select(w.EntryShown);
        return;
    }
    OpenEntry(w, index);
}

void Button1Click(MainWindow& w)
{
    // Ctrl+O too: the list is the batch's while every listing is saved.
    if (w.Batch)
        return;
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
    // The dialog gives files: a folder is an entry of its own.
    ExtractFiles(w, ChooseFilesToOpen(w.Window, setup), false);
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
    if (const int error = SaveBytes(std::filesystem::path(*target), content.Bytes); error != 0) {
        ShowMessage(w.Window, MessageKind::Error, kApplicationTitle,
                    SaveFailedMessage(Utf8(*target), WritingErrorText(error)));
        return;
    }
    // What is saved is no longer lost when the pane is listed again or the
    // window closed.
    ::SendMessageW(w.RichEdit1, EM_SETMODIFY, FALSE, 0);
    SetStatus(w, SavedStatus(Utf8(*target), content.Lines));
}

// A box takes effect at once on the file shown; when the user keeps the
// pane's edits instead, the box goes back.
void OptionToggled(MainWindow& w, HWND box)
{
    if (!w.Files.HasListing()) {
        w.Panel->Refilter();
        return;
    }
    if (!MayReplaceEdits(w, EditsAt::Relist)) {
        Button_SetCheck(box, Button_GetCheck(box) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        return;
    }
    ShowListing(w);
    // What the files' listings hold depends on the boxes.
    w.Panel->Refilter();
}

// Every file and folder dropped is opened once the drop is over.
void TakeDrop(MainWindow& w, HDROP drop)
{
    std::vector<std::wstring> paths;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        path.resize(::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
        if (!path.empty())
            paths.push_back(std::move(path));
    }
    // The list is the batch's while every listing is saved.
    if (paths.empty() || w.Batch)
        return;
    w.PendingFiles = std::move(paths);
    ::PostMessageW(w.Window, WM_APP_OPEN, 0, 0);
}

// Find's and the filter's words in the status line: "" puts back what the
// line said before them, unless something else spoke meanwhile.
void SayAside(MainWindow& w, const std::string& text)
{
    if (!text.empty()) {
        if (w.LastAside.empty() || w.Status->Text() != w.LastAside)
            w.StatusAside = w.Status->Text();
        SetStatus(w, text);
        w.LastAside = w.Status->Text();
        return;
    }
    if (!w.LastAside.empty() && w.Status->Text() == w.LastAside)
        SetStatus(w, Utf8(w.StatusAside));
    w.LastAside.clear();
}

// ---- Save every listing --------------------------------------------------

void SaveAllFinished(MainWindow& w)
{
    ::KillTimer(w.Window, kSaveAllTimer);
    const BatchSummary summary = w.Batch->Summary();
    w.Batch.reset();
    // The keyboard goes back where it was when Stop had it.
    const HWND focus = ::GetFocus();
    const bool giveBack = focus == w.StopButton || focus == w.Window || focus == nullptr;
    ::EnableWindow(w.Button1, TRUE);
    ::EnableWindow(w.Button3, TRUE);
    if (giveBack) {
        HWND back = w.FocusBeforeBatch;
        const bool usable = back != nullptr && ::IsChild(w.Window, back) && ::IsWindowVisible(back) &&
                            ::IsWindowEnabled(back);
        ::SetFocus(usable ? back : w.Button3);
    }
    ::ShowWindow(w.Progress, SW_HIDE);
    ::ShowWindow(w.StopButton, SW_HIDE);
    LayOutControls(w);
    SetStatus(w, SaveAllSummary(summary));
    w.StatusTaken = Filling(w);
}

// Every listing of the file list saved beside its source, a file per timer
// tick, after one question when any would replace a file or leave the
// pane's edits out.
void Button3Click(MainWindow& w)
{
    if (w.Batch)
        return;
    if (w.List.Empty()) {
        Beep();
        ::SetFocus(w.Button1);
        SetStatus(w, NoFileToSaveStatus());
        return;
    }
    const HWND focus = ::GetFocus();
    auto batch = std::make_unique<BatchSave>(w.List, CurrentOptions(w));
    const std::string question = SaveAllQuestion(batch->ExistingTargets(), batch->Count(), HoldsEdits(w));
    if (!question.empty() && !Confirm(w.Window, kApplicationTitle, question))
        return;
    // What an earlier batch saved is no longer what the list says.
    batch->Begin();
    for (std::size_t i = 0; i < w.List.Size(); ++i)
        w.Panel->UpdateEntry(i);
    w.Batch = std::move(batch);
    w.FocusBeforeBatch = focus;
    ::SendMessageW(w.Progress, PBM_SETRANGE32, 0, static_cast<LPARAM>(w.Batch->Count()));
    ::SendMessageW(w.Progress, PBM_SETPOS, 0, 0);
    ::ShowWindow(w.Progress, SW_SHOWNA);
    ::ShowWindow(w.StopButton, SW_SHOWNA);
    LayOutControls(w);
    // Stop takes the keyboard before the buttons that cannot be used meanwhile
    // are disabled, so the focus is never lost.
    ::SetFocus(w.StopButton);
    ::EnableWindow(w.Button1, FALSE);
    ::EnableWindow(w.Button3, FALSE);
    SetStatus(w, SaveAllProgressStatus(0, w.Batch->Count(), w.List[0].Where.Path));
    w.StatusTaken = Filling(w);
    ::SetTimer(w.Window, kSaveAllTimer, USER_TIMER_MINIMUM, nullptr);
}

void SaveAllStep(MainWindow& w)
{
    if (!w.Batch)
        return;
    if (w.Batch->Finished()) {
        SaveAllFinished(w);
        return;
    }
    const std::size_t done = w.Batch->SaveNext();
    w.Panel->UpdateEntry(done);
    ::SendMessageW(w.Progress, PBM_SETPOS, static_cast<WPARAM>(w.Batch->Position()), 0);
    if (!w.Batch->Finished())
        SetStatus(w, SaveAllProgressStatus(w.Batch->Position(), w.Batch->Count(), w.List[w.Batch->Position()].Where.Path));
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
    w.Button3 = CreateChild(w, 0, WC_BUTTONW, Wide(WindowText::SaveAllButton), button, IDC_SAVEALL);
    w.Caption = CreateChild(w, 0, WC_STATICW, Wide(WindowText::PaneCaption), SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX,
                            IDC_CAPTION);
    w.NoticeText = CreateChild(w, 0, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, IDC_NOTICE);
    // The Tab order: the file list and its filter, the pane, the find bar,
    // then Stop.
    w.Panel = std::make_unique<FilesPanel>(window, w.WindowFont.Handle(), w.List, w.Files,
                                           [&w] { return CurrentOptions(w); });
    w.RichEdit1 = CreatePane(window, w.WindowFont.Handle(), w.PaneCharacterLimit);
    if (w.RichEdit1 == nullptr)
        return FALSE;
    w.Find = std::make_unique<FindBar>(window, w.RichEdit1, w.WindowFont.Handle());
    // The path field and the pane have no label of their own beside them.
    SetAccessibleName(w.Edit1, Wide(WindowText::PathField));
    SetAccessibleName(w.RichEdit1, Wide(WindowText::PaneCaption));
    w.Status = std::make_unique<StatusLine>(window, IDC_STATUS, w.WindowFont.Handle(), w.WindowFont.LineHeight());
    w.Progress = CreateChild(w, 0, PROGRESS_CLASSW, L"", 0, IDC_PROGRESS);
    w.StopButton = CreateChild(w, 0, WC_BUTTONW, Wide(WindowText::StopButton), button, IDC_STOP);
    ::ShowWindow(w.Progress, SW_HIDE);
    ::ShowWindow(w.StopButton, SW_HIDE);
    w.Fill = std::make_unique<PaneFill>(w.RichEdit1);
    w.Panel->Says = [&w](const std::string& text) { SayAside(w, text); };
    w.Find->Says = [&w](const std::string& text) { SayAside(w, text); };
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
    Shown shown;
    shown.StatusHeight = w->Status->Height();
    shown.FindBar = w->Find && w->Find->Visible();
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

bool IsPushButton(HWND control)
{
    wchar_t className[16]{};
    ::GetClassNameW(control, className, 16);
    const auto type = static_cast<DWORD>(::GetWindowLongPtrW(control, GWL_STYLE)) & BS_TYPEMASK;
    return ::lstrcmpiW(className, WC_BUTTONW) == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

// Enter and Escape, as the dialog manager sends them (IDOK, IDCANCEL): in the
// find field Enter finds the next (with Shift the previous); on a button it
// presses it; Escape closes the find bar from any of its controls.
void OnDialogKey(MainWindow& w, int id)
{
    HWND focus = ::GetFocus();
    if (id == IDCANCEL) {
        if (w.Find->Holds(focus)) {
            w.Find->Close();
            LayOutControls(w);
        }
        return;
    }
    if (focus == w.Find->Field())
        (void)w.Find->Find(::GetKeyState(VK_SHIFT) < 0 ? FindDirection::Backward : FindDirection::Forward);
    else if (focus != nullptr && ::IsChild(w.Window, focus) && IsPushButton(focus))
        FORWARD_WM_COMMAND(w.Window, ::GetDlgCtrlID(focus), focus, BN_CLICKED, ::SendMessageW);
}

// Ctrl+F opens the find bar; F3 and Shift+F3 find the next and the previous,
// opening the bar first when it is closed.
void OnFindKey(MainWindow& w, int id)
{
    if (id != IDM_FIND && w.Find->Visible()) {
        (void)w.Find->Find(id == IDM_FINDNEXT ? FindDirection::Forward : FindDirection::Backward);
        return;
    }
    const bool wasVisible = w.Find->Visible();
    w.Find->Open();
    if (!wasVisible)
        KeepSmallestSize(w);
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
    case IDC_SAVEALL:
        if (clicked)
            Button3Click(w);
        break;
    case IDC_STOP:
        if (clicked && w.Batch)
            w.Batch->Stop();
        break;
    case IDC_HEADER:
    case IDC_DIMENSIONS:
    case IDC_BLOCKS:
        if (code == BN_CLICKED)
            OptionToggled(w, control);
        break;
    case IDC_FILELIST:
        if (code == LBN_SELCHANGE)
            ::PostMessageW(window, WM_APP_CHOOSE, 0, 0);
        break;
    case IDC_FILTER:
        if (code == EN_CHANGE)
            w.Panel->FilterChanged();
        break;
    case IDC_FINDFIELD:
        if (code == EN_CHANGE)
            w.Find->FieldChanged();
        break;
    case IDC_FINDPREVIOUS:
    case IDC_FINDNEXT:
        if (clicked)
            (void)w.Find->Find(id == IDC_FINDNEXT ? FindDirection::Forward : FindDirection::Backward);
        break;
    case IDC_FINDCLOSE:
        if (clicked) {
            w.Find->Close();
            LayOutControls(w);
        }
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
    if (id == kSaveAllTimer) {
        SaveAllStep(w);
        return;
    }
    if (id != kFillTimer) {
        (void)w.Panel->OnTimer(id);
        return;
    }
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
        const bool usable = w.LastFocus != nullptr && ::IsWindowEnabled(w.LastFocus) && ::IsWindowVisible(w.LastFocus);
        ::SetFocus(usable ? w.LastFocus : w.Button1);
    }
}

void OnAppOpen(MainWindow& w)
{
    const std::vector<std::wstring> paths = std::move(w.PendingFiles);
    w.PendingFiles.clear();
    ExtractFiles(w, paths, true);
}

void OnDrawItem(HWND window, const DRAWITEMSTRUCT* item)
{
    if (item->CtlID == IDC_FILELIST)
        Self(window)->Panel->Draw(*item);
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
    // The file being saved is complete: every step saves one whole file.
    ::KillTimer(window, kSaveAllTimer);
    w.Batch.reset();
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
        HANDLE_MSG(window, WM_DRAWITEM, OnDrawItem);
    case WM_APP_OPEN:
        OnAppOpen(*Self(window));
        return 0;
    case WM_APP_CHOOSE:
        if (const std::optional<std::size_t> entry = Self(window)->Panel->Selected())
            ChooseEntry(*Self(window), *entry);
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
    w->PendingFiles = std::move(files);
    ::PostMessageW(window, WM_APP_OPEN, 0, 0);
}

}  // namespace vaveze::win
