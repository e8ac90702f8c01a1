/* A DLL search-order attack, for the window test: built with -DPLANTED_DLL
 * as msftedit.dll (the pane's control, which the window loads by name once
 * it runs), planted beside a program, it leaves the file "loaded" beside
 * itself when a program loads it. Built without, the program that loads
 * msftedit.dll by name as any program does that does not restrict the
 * search: it must take the planted one, so that the test can tell. */
#include <windows.h>

#ifdef PLANTED_DLL
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    wchar_t path[MAX_PATH];
    DWORD length;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    length = GetModuleFileNameW(self, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\')
        --length;
    if (length == 0 || length + 7 > MAX_PATH)
        return TRUE;
    lstrcpyW(path + length, L"loaded");
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    return TRUE;
}
#else
int main(void)
{
    return LoadLibraryW(L"msftedit.dll") != NULL ? 0 : 1;
}
#endif
