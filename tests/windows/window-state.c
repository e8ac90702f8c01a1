/* Prints what a person sees of the VAveze window, for the window test:
 *   focus ID        the control with the keyboard focus
 *   ID CHECK TEXT   each control: its check state (- when it has none) and
 *                   its text in UTF-8, line ends shown as \n
 * Exit status 1 when there is no such window. */
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>

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

static BOOL CALLBACK PrintControl(HWND control, LPARAM unused)
{
    wchar_t className[64];
    const char *check = "-";
    int length;
    wchar_t *text;
    (void)unused;
    GetClassNameW(control, className, 64);
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
    free(text);
    return TRUE;
}

int main(void)
{
    GUITHREADINFO thread;
    HWND window = FindWindowW(L"VAvezeMainWindow", NULL);
    _setmode(_fileno(stdout), _O_BINARY);
    if (window == NULL)
        return 1;
    thread.cbSize = sizeof thread;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &thread) && thread.hwndFocus != NULL)
        printf("focus %d\n", GetDlgCtrlID(thread.hwndFocus));
    else
        puts("focus 0");
    EnumChildWindows(window, PrintControl, 0);
    return 0;
}
