/* The C library's calls that take UTF-16 names, as .NET and VBA pass them:
 * in a folder holding 図面\平面図.zvw and 도면\평면도.zvk (names outside any
 * one code page), opens, lists and saves them through the _w calls. Writes
 * the listing of 평면도.zvk to standard output; exit status 0, or the number
 * of the check that failed. */
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include "vaveze.h"

static int same_bytes(const vaveze_listing *a, const vaveze_listing *b)
{
    const char *x = NULL, *y = NULL;
    size_t m = 0, n = 0;
    return vaveze_listing_bytes(a, VAVEZE_ENCODING_SHIFT_JIS, &x, &m) == VAVEZE_OK &&
           vaveze_listing_bytes(b, VAVEZE_ENCODING_SHIFT_JIS, &y, &n) == VAVEZE_OK && m == n && m > 0 &&
           memcmp(x, y, m) == 0;
}

int main(void)
{
    vaveze_document *document = NULL;
    vaveze_listing *opened = NULL, *listed = NULL, *korean = NULL, *missing = NULL;
    const char *bytes = NULL;
    size_t size = 0;
    int error = -1;

    if (vaveze_open_file_w(L"図面\\平面図.zvw", &document) != VAVEZE_OK)
        return 1;
    if (vaveze_document_list(document, VAVEZE_HEADER, &opened) != VAVEZE_OK)
        return 2;
    vaveze_document_free(document);
    if (vaveze_list_file_w(L"図面/平面図.zvw", VAVEZE_HEADER, &listed) != VAVEZE_OK || !same_bytes(opened, listed))
        return 3;
    if (vaveze_listing_save_w(opened, L"図面\\平面図-w.txt", &error) != VAVEZE_OK || error != 0)
        return 4;
    if (vaveze_listing_save_w(opened, L"無い\\平面図.txt", &error) != VAVEZE_ERROR_WRITE || error == 0)
        return 5;
    if (vaveze_list_file_w(L"図面\\無い.zvw", 0, &missing) != VAVEZE_NOT_RECOGNISED ||
        vaveze_listing_reason(missing) != VAVEZE_REASON_NO_FILE)
        return 6;
    if (vaveze_list_file_w(L"도면\\평면도.zvk", 0, &korean) != VAVEZE_OK ||
        vaveze_listing_bytes(korean, VAVEZE_ENCODING_SHIFT_JIS, &bytes, &size) != VAVEZE_OK)
        return 7;
    _setmode(_fileno(stdout), _O_BINARY);
    fwrite(bytes, 1, size, stdout);
    vaveze_free(opened);
    vaveze_free(listed);
    vaveze_free(korean);
    vaveze_free(missing);
    return 0;
}
