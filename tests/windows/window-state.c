/* What a person sees of the VAveze window and does to it, for the window
 * test. With no argument, prints
 *   focus ID        the control with the keyboard focus
 *   ID CHECK TEXT   each control: its check state (- when it has none) and
 *                   its text in UTF-8, line ends shown as \n
 * With one, edits the pane as typing would, character by character:
 *   insert LINE TEXT        a new line TEXT before line LINE
 *   delete LINE             line LINE with its line end
 *   type LINE COLUMN TEXT   TEXT at COLUMN (UTF-16 units) of line LINE
 *   size WIDTH HEIGHT       the window's outer size, as a drag would ask it
 *   places                  the client area's size, then each control's
 *                           place in it: ID LEFT TOP RIGHT BOTTOM VISIBLE
 *   others                  every other window of the program, as above
 *   hold PATH FLAG          holds the file PATH open, sharing nothing, as
 *                           long as the file FLAG exists; "held" once held
 *   end TEXT                TEXT typed at the pane's end
 *   click ID                control ID clicked (the window's or a dialog's,
 *                           by its number or its caption)
 *   key ID                  the command of a key of the window (Ctrl+F...)
 *   text ID TEXT            control ID of the window now says TEXT
 *   choose ROW              row ROW of the file list selected by the user
 *   name TEXT               TEXT typed into a file dialog's name field, OK
 *   close                   the window's close box
 * The file list also prints the entries of its rows, the pane whether it
 * was modified, the list of hits how many rows it has.
 * Lines count from 0. Exit status 1 when there is no such window, 2 for an
 * unknown command. */
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static void PrintUtf8(const wchar_t *text, int length)
{
    int i;
    for (i = 0; i < length; ++i) {
        char bytes[8];
        int size;
        if (text[i] == L'\r' || text[i] == L'\n') {
            fputs("\\n", stdout);
            if (text[i] == L'\r' && i + 1 < length && text[i + 1] == L'\n')
                ++i;
            continue;
        }
        size = WideCharToMultiByte(CP_UTF8, 0, text + i, IS_HIGH_SURROGATE(text[i]) && i + 1 < length ? 2 : 1,
                                   bytes, sizeof bytes, NULL, NULL);
        if (IS_HIGH_SURROGATE(text[i]) && i + 1 < length)
            ++i;
        fwrite(bytes, 1, (size_t)size, stdout);
    }
}

/* A list's rows, as the control's text. */
static void PrintList(HWND list)
{
    int rows = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
    int row;
    printf("%d %d ", GetDlgCtrlID(list), (int)SendMessageW(list, LB_GETCURSEL, 0, 0));
    for (row = 0; row < rows; ++row) {
        int length = (int)SendMessageW(list, LB_GETTEXTLEN, (WPARAM)row, 0);
        wchar_t *text = (wchar_t *)calloc((size_t)length + 1, sizeof *text);
        if (text == NULL)
            break;
        length = (int)SendMessageW(list, LB_GETTEXT, (WPARAM)row, (LPARAM)text);
        if (row > 0)
            fputs("\\n", stdout);
        PrintUtf8(text, length);
        free(text);
    }
    printf("\nentries");
    for (row = 0; row < rows; ++row)
        printf(" %d", (int)SendMessageW(list, LB_GETITEMDATA, (WPARAM)row, 0));
    putchar('\n');
}

/* The pane's selection: its positions count one character for each line
 * end, its text CR LF for each. */
static void PrintSelection(HWND pane, const wchar_t *text, int length)
{
    DWORD start = 0, end = 0;
    int i, at = 0, from = -1, to = -1;
    SendMessageW(pane, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    for (i = 0; i <= length; ++i) {
        if ((DWORD)at == start && from < 0)
            from = i;
        if ((DWORD)at == end && to < 0)
            to = i;
        if (i < length && !(text[i] == L'\r' && i + 1 < length && text[i + 1] == L'\n'))
            ++at;
    }
    fputs("selection ", stdout);
    if (from >= 0 && to >= from)
        PrintUtf8(text + from, to - from);
    putchar('\n');
}

static BOOL CALLBACK PrintControl(HWND control, LPARAM unused)
{
    wchar_t className[64];
    const char *check = "-";
    int length;
    wchar_t *text;
    (void)unused;
    GetClassNameW(control, className, 64);
    if (lstrcmpiW(className, L"ListBox") == 0) {
        PrintList(control);
        return TRUE;
    }
    /* A list view (the list of hits) keeps its rows' texts in the program:
     * how many rows it has. */
    if (lstrcmpiW(className, L"SysListView32") == 0) {
        printf("%d - %d rows\n", GetDlgCtrlID(control), (int)SendMessageW(control, LVM_GETITEMCOUNT, 0, 0));
        return TRUE;
    }
    if (lstrcmpiW(className, L"Button") == 0 && (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX)
        check = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "1" : "0";
    length = (int)SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    text = (wchar_t *)calloc((size_t)length + 1, sizeof *text);
    if (text == NULL)
        return FALSE;
    length = (int)SendMessageW(control, WM_GETTEXT, (WPARAM)length + 1, (LPARAM)text);
    printf("%d %s ", GetDlgCtrlID(control), check);
    PrintUtf8(text, length);
    putchar('\n');
    if (GetDlgCtrlID(control) == 1009) {
        PrintSelection(control, text, length);
        printf("modified %d\n", SendMessageW(control, EM_GETMODIFY, 0, 0) != 0);
    }
    free(text);
    return TRUE;
}

/* Each window of the program shown besides the main one. */
static BOOL CALLBACK PrintOther(HWND window, LPARAM main)
{
    DWORD process = 0, mainProcess = 0;
    wchar_t className[64];
    GetWindowThreadProcessId(window, &process);
    GetWindowThreadProcessId((HWND)main, &mainProcess);
    if (window == (HWND)main || process != mainProcess || !IsWindowVisible(window))
        return TRUE;
    GetClassNameW(window, className, 64);
    fputs("window ", stdout);
    PrintUtf8(className, lstrlenW(className));
    putchar(' ');
    PrintControl(window, 0);
    EnumChildWindows(window, PrintControl, 0);
    return TRUE;
}

static BOOL CALLBACK PrintPlace(HWND control, LPARAM parent)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(NULL, (HWND)parent, (POINT *)&r, 2);
    printf("%d %ld %ld %ld %ld %d\n", GetDlgCtrlID(control), r.left, r.top, r.right, r.bottom,
           IsWindowVisible(control) ? 1 : 0);
    return TRUE;
}

static void Type(HWND pane, const wchar_t *text)
{
    for (; *text != L'\0'; ++text)
        SendMessageW(pane, WM_CHAR, (WPARAM)*text, 1);
}

/* A key as the keyboard sends it: down, the character it makes (none: 0),
 * up. */
static void Key(HWND pane, WPARAM key, wchar_t character)
{
    SendMessageW(pane, WM_KEYDOWN, key, 1);
    if (character != 0)
        SendMessageW(pane, WM_CHAR, (WPARAM)character, 1);
    SendMessageW(pane, WM_KEYUP, key, (LPARAM)0xC0000001);
}

static LRESULT LineStart(HWND pane, long line)
{
    return SendMessageW(pane, EM_LINEINDEX, (WPARAM)line, 0);
}

/* A control of the program's other windows (its dialogs), by number or
 * caption, searched below `parent`. */
struct Wanted {
    const wchar_t *what;
    HWND main;
    HWND found;
};

static BOOL CALLBACK FindChild(HWND control, LPARAM data)
{
    struct Wanted *wanted = (struct Wanted *)data;
    wchar_t text[256];
    int id;
    GetWindowTextW(control, text, 256);
    id = _wtoi(wanted->what);
    if (IsWindowVisible(control) && (id != 0 ? GetDlgCtrlID(control) == id : lstrcmpW(text, wanted->what) == 0)) {
        wanted->found = control;
        return FALSE;
    }
    return TRUE;
}

static BOOL CALLBACK FindInOther(HWND window, LPARAM data)
{
    struct Wanted *wanted = (struct Wanted *)data;
    DWORD process = 0, mainProcess = 0;
    GetWindowThreadProcessId(window, &process);
    GetWindowThreadProcessId(wanted->main, &mainProcess);
    if (window != wanted->main && process == mainProcess && IsWindowVisible(window))
        EnumChildWindows(window, FindChild, data);
    return wanted->found == NULL;
}

static HWND Control(HWND window, const wchar_t *what)
{
    struct Wanted wanted = {what, window, NULL};
    EnumWindows(FindInOther, (LPARAM)&wanted);
    if (wanted.found == NULL)
        EnumChildWindows(window, FindChild, (LPARAM)&wanted);
    return wanted.found;
}

static int Edit(HWND window, int count, wchar_t **args)
{
    HWND pane = GetDlgItem(window, 1009);
    const wchar_t *command = args[1];
    long line = count > 2 ? wcstol(args[2], NULL, 10) : 0;
    if (lstrcmpW(command, L"insert") == 0 && count == 4) {
        const LRESULT at = LineStart(pane, line);
        SendMessageW(pane, EM_SETSEL, (WPARAM)at, (LPARAM)at);
        Type(pane, args[3]);
        Key(pane, VK_RETURN, L'\r');
    } else if (lstrcmpW(command, L"delete") == 0 && count == 3) {
        SendMessageW(pane, EM_SETSEL, (WPARAM)LineStart(pane, line), (LPARAM)LineStart(pane, line + 1));
        Key(pane, VK_DELETE, 0);
    } else if (lstrcmpW(command, L"type") == 0 && count == 5) {
        const LRESULT at = LineStart(pane, line) + wcstol(args[3], NULL, 10);
        SendMessageW(pane, EM_SETSEL, (WPARAM)at, (LPARAM)at);
        Type(pane, args[4]);
    } else if (lstrcmpW(command, L"places") == 0 && count == 2) {
        RECT client;
        GetClientRect(window, &client);
        printf("client %ld %ld\n", client.right, client.bottom);
        EnumChildWindows(window, PrintPlace, (LPARAM)window);
    } else if (lstrcmpW(command, L"compose") == 0 && count == 4) {
        HWND field = GetDlgItem(window, (int)line);
        SendMessageW(field, WM_IME_STARTCOMPOSITION, 0, 0);
        SendMessageW(field, EM_SETSEL, 0, -1);
        Type(field, args[3]);
    } else if (lstrcmpW(command, L"commit") == 0 && count == 4) {
        HWND field = GetDlgItem(window, (int)line);
        SendMessageW(field, EM_SETSEL, 0, -1);
        Type(field, args[3]);
        SendMessageW(field, WM_IME_ENDCOMPOSITION, 0, 0);
    } else if (lstrcmpW(command, L"others") == 0 && count == 2) {
        EnumWindows(PrintOther, (LPARAM)window);
    } else if (lstrcmpW(command, L"hold") == 0 && count == 4) {
        HANDLE file = CreateFileW(args[2], GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return 1;
        puts("held");
        fflush(stdout);
        while (GetFileAttributesW(args[3]) != INVALID_FILE_ATTRIBUTES)
            Sleep(100);
        CloseHandle(file);
    } else if (lstrcmpW(command, L"end") == 0 && count == 3) {
        const LRESULT last = SendMessageW(pane, EM_GETLINECOUNT, 0, 0) - 1;
        const LRESULT at = LineStart(pane, last) + SendMessageW(pane, EM_LINELENGTH, (WPARAM)LineStart(pane, last), 0);
        SendMessageW(pane, EM_SETSEL, (WPARAM)at, (LPARAM)at);
        Type(pane, args[2]);
    } else if (lstrcmpW(command, L"click") == 0 && count == 3) {
        HWND control = Control(window, args[2]);
        if (control == NULL)
            return 3;
        PostMessageW(control, BM_CLICK, 0, 0);
    } else if (lstrcmpW(command, L"key") == 0 && count == 3) {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(line, 1), 0);
    } else if (lstrcmpW(command, L"text") == 0 && count == 4) {
        SendMessageW(GetDlgItem(window, (int)line), WM_SETTEXT, 0, (LPARAM)args[3]);
    } else if (lstrcmpW(command, L"choose") == 0 && count == 3) {
        HWND list = GetDlgItem(window, 1013);
        SendMessageW(list, LB_SETCURSEL, (WPARAM)line, 0);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(1013, LBN_SELCHANGE), (LPARAM)list);
    } else if (lstrcmpW(command, L"name") == 0 && count == 3) {
        /* The name field of the file dialogs: a combo box's edit, or an edit. */
        HWND field = Control(window, L"1148");
        if (field == NULL)
            field = Control(window, L"1152");
        if (field == NULL)
            return 3;
        SendMessageW(field, WM_SETTEXT, 0, (LPARAM)args[2]);
        PostMessageW(GetAncestor(field, GA_ROOT), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else if (lstrcmpW(command, L"close") == 0 && count == 2) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    } else if (lstrcmpW(command, L"size") == 0 && count == 4) {
        SetWindowPos(window, NULL, 0, 0, (int)line, (int)wcstol(args[3], NULL, 10), SWP_NOMOVE | SWP_NOZORDER);
    } else {
        return 2;
    }
    return 0;
}

int main(void)
{
    GUITHREADINFO thread;
    HWND window = FindWindowW(L"VAvezeMainWindow", NULL);
    int count = 0;
    wchar_t **args = CommandLineToArgvW(GetCommandLineW(), &count);
    _setmode(_fileno(stdout), _O_BINARY);
    if (window == NULL)
        return 1;
    if (args != NULL && count > 1)
        return Edit(window, count, args);
    thread.cbSize = sizeof thread;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &thread) && thread.hwndFocus != NULL)
        printf("focus %d\n", GetDlgCtrlID(thread.hwndFocus));
    else
        puts("focus 0");
    EnumChildWindows(window, PrintControl, 0);
    return 0;
}
