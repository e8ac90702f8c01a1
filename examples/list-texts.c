/*
 * list-texts: lists every text of a drawing or symbol file through the C
 * library, as vaveze-list does: Shift-JIS lines with CR LF, or UTF-8 lines
 * with LF after --utf8.
 *
 *   list-texts [--header] [--dimensions] [--blocks] [--utf8] FILE
 *
 * Exit status: 0 listed, 3 listed in part, 1 not recognised, 2 usage or
 * other error.
 */
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <vaveze.h>

static int write_lines(const vaveze_listing *listing, int utf8)
{
    size_t i, count = vaveze_listing_count(listing);
    for (i = 0; i < count; ++i) {
        const char *text = NULL;
        size_t length = 0;
        int status = utf8 ? vaveze_listing_line_utf8(listing, i, &text, &length)
                          : vaveze_listing_line(listing, i, &text, &length);
        if (status != VAVEZE_OK || fwrite(text, 1, length, stdout) != length ||
            fputs(utf8 ? "\n" : "\r\n", stdout) == EOF)
            return 0;
    }
    return fflush(stdout) == 0;
}

int main(int argc, char **argv)
{
    unsigned int flags = 0;
    int utf8 = 0, i, status;
    const char *file = NULL;
    vaveze_listing *listing = NULL;

    for (i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--header") == 0)
            flags |= VAVEZE_HEADER;
        else if (strcmp(argv[i], "--dimensions") == 0)
            flags |= VAVEZE_DIMENSIONS;
        else if (strcmp(argv[i], "--blocks") == 0)
            flags |= VAVEZE_BLOCKS;
        else if (strcmp(argv[i], "--utf8") == 0)
            utf8 = 1;
        else if (file == NULL)
            file = argv[i];
        else
            file = "";
    }
    if (file == NULL || *file == '\0') {
        fprintf(stderr, "usage: list-texts [--header] [--dimensions] [--blocks] [--utf8] FILE\n"
                        "(libvaveze %s)\n", vaveze_version());
        return 2;
    }

#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY); /* CR LF stays CR LF */
#endif
    status = vaveze_list_file(file, flags, &listing);
    if (status < 0) {
        fprintf(stderr, "list-texts: %s: %s\n", file, vaveze_status_text(status));
        return 2;
    }
    if (status != VAVEZE_OK)
        fprintf(stderr, "list-texts: %s: %s\n", file, vaveze_listing_message(listing));
    if (!write_lines(listing, utf8)) {
        fprintf(stderr, "list-texts: the listing could not be written\n");
        status = -1;
    }
    vaveze_free(listing);
    return status == VAVEZE_OK ? 0 : status == VAVEZE_PARTIAL ? 3 : status == VAVEZE_NOT_RECOGNISED ? 1 : 2;
}
