/* How long the VAveze window keeps a caller waiting while it works: asks it
 * for nothing (WM_NULL) and for its status line every 20 ms until the line
 * stops saying that the pane is being filled, then prints the time taken,
 * the longest wait while the pane filled and the longest before (the file's
 * parse and listing, when the window was started with a file).
 *   window-latency.exe   (a benchmark for bench-window-fill.sh; no test) */
#include <windows.h>

#include <stdio.h>

static double Now(void)
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return (double)count.QuadPart / (double)frequency.QuadPart;
}

/* The status line says "... 1,234 / 5,678 ..." only while the pane fills. */
static int Filling(HWND window)
{
    wchar_t text[512];
    HWND status = GetDlgItem(window, 1010);
    text[0] = L'\0';
    SendMessageTimeoutW(status, WM_GETTEXT, 512, (LPARAM)text, SMTO_BLOCK, 60000, NULL);
    return wcsstr(text, L" / ") != NULL;
}

int main(void)
{
    HWND window = NULL;
    double start, worstFilling = 0, worstBefore = 0, fillStart = 0, end;
    int i, probes = 0, seenFilling = 0;
    for (i = 0; i < 3000 && (window = FindWindowW(L"VAvezeMainWindow", NULL)) == NULL; ++i)
        Sleep(10);
    if (window == NULL)
        return 1;
    start = Now();
    for (;;) {
        DWORD_PTR result;
        double before = Now(), waited;
        int filling;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 60000, &result))
            return 1;
        waited = Now() - before;
        before = Now();
        filling = Filling(window);
        if (Now() - before > waited)
            waited = Now() - before;
        ++probes;
        if (seenFilling && waited > worstFilling)
            worstFilling = waited;
        if (!seenFilling && waited > worstBefore)
            worstBefore = waited;
        if (filling && !seenFilling) {
            seenFilling = 1;
            fillStart = Now();
        } else if (!filling && seenFilling) {
            break;
        }
        if (Now() - start > 600)
            return 1;
        Sleep(20);
    }
    end = Now();
    printf("pane filled in %.1f s (%d probes); longest wait while filling %.3f s, before %.3f s\n", end - fillStart,
           probes, worstFilling, worstBefore);
    return 0;
}
