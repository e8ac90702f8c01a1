/*
 * vaveze.h - the C interface of VAveze: lists every text of a Zv_cad
 * drawing or symbol file (ZVW, ZVS, ZVC, ZVK, or a backup of one), one line
 * per text, in file order.
 *
 * Plain C89, usable from C++ and from any language that calls C functions
 * (Python ctypes, .NET P/Invoke, VBA Declare, ...).
 *
 *   vaveze_listing *listing = NULL;
 *   int status = vaveze_list_file("plan.zvw", VAVEZE_HEADER, &listing);
 *   if (status >= 0) {
 *       size_t i, n = vaveze_listing_count(listing);
 *       for (i = 0; i < n; ++i) {
 *           const char *text; size_t length;
 *           if (vaveze_listing_line_utf8(listing, i, &text, &length) == VAVEZE_OK)
 *               printf("%s\n", text);
 *       }
 *       vaveze_free(listing);
 *   }
 *
 * To list one file with several options, open it once as a document
 * (vaveze_open_file) and list the document as often as needed
 * (vaveze_document_list): the file is read and parsed only once.
 *
 * Rules that hold for every function:
 * - Nothing aborts and nothing throws: every failure is a returned status.
 *   A NULL pointer where a pointer is needed, or an unknown flag, gives
 *   VAVEZE_ERROR_ARGUMENT.
 * - The library allocates documents and listings; the caller frees them
 *   with vaveze_document_free and vaveze_free and nothing else. Every
 *   pointer a document or listing hands out stays valid until that document
 *   or listing is freed; a listing does not depend on the document it came
 *   from, which may be freed first. Texts returned for a status, reason,
 *   warning or format are static and never freed.
 * - Calls on different documents and listings may run in parallel; a
 *   document may be listed, and a listing read or saved, by several threads
 *   at once.
 * - File names are UTF-8 (on POSIX systems their bytes go to the system as
 *   they are). On Windows the calls ending in _w take UTF-16 names.
 */
#ifndef VAVEZE_H
#define VAVEZE_H

#include <stddef.h>

/* VAVEZE_API marks the exported functions. A program that links the static
 * library on Windows defines VAVEZE_STATIC (the CMake package and vaveze.pc
 * do this). */
#if defined(_WIN32) || defined(__CYGWIN__)
#  if defined(VAVEZE_STATIC)
#    define VAVEZE_API
#  elif defined(VAVEZE_BUILDING_LIBRARY)
#    define VAVEZE_API __declspec(dllexport)
#  else
#    define VAVEZE_API __declspec(dllimport)
#  endif
#  define VAVEZE_CALL __cdecl
#elif defined(__GNUC__) && __GNUC__ >= 4
#  define VAVEZE_API __attribute__((visibility("default")))
#  define VAVEZE_CALL
#else
#  define VAVEZE_API
#  define VAVEZE_CALL
#endif

/* The version of the library this header belongs to; vaveze_version() gives
 * the version of the library actually loaded. */
#define VAVEZE_VERSION_MAJOR 1
#define VAVEZE_VERSION_MINOR 2
#define VAVEZE_VERSION_PATCH 0
#define VAVEZE_VERSION_STRING "1.2.0"
/* The same as one number to compare, major * 10000 + minor * 100 + patch. */
#define VAVEZE_VERSION_NUMBER 10200

#ifdef __cplusplus
extern "C" {
#endif

/* A byte offset into a file: an unsigned integer of 64 bits. */
#if defined(_MSC_VER) && _MSC_VER < 1600
typedef unsigned __int64 vaveze_offset;
#elif defined(__GNUC__)
__extension__ typedef unsigned long long vaveze_offset;
#else
typedef unsigned long long vaveze_offset;
#endif

/* A file read and parsed once, to be listed with any options: opaque, made
 * by vaveze_open_file or vaveze_open_bytes, freed by vaveze_document_free.
 * (Since 1.1.0.) */
typedef struct vaveze_document vaveze_document;

/* The listing of one file: opaque, made by vaveze_list_file,
 * vaveze_list_bytes or vaveze_document_list, freed by vaveze_free. */
typedef struct vaveze_listing vaveze_listing;

/* What a call returns. The three values from 0 up describe a file and come
 * with a listing; the negative ones are failures of the call, which then
 * makes no listing. */
typedef enum vaveze_status {
    VAVEZE_OK = 0,             /* listed: the file was read to its end */
    VAVEZE_PARTIAL = 1,        /* listed, but the file could not be read to
                                  its end: what was read is listed, and the
                                  reason and offset say where and why */
    VAVEZE_NOT_RECOGNISED = 2, /* not a drawing or symbol file by its name
                                  and first bytes, or no file to read: no
                                  lines; the reason and warning say more */
    VAVEZE_ERROR_ARGUMENT = -1, /* a NULL pointer, an unknown flag or an
                                   index past the last line */
    VAVEZE_ERROR_MEMORY = -2,   /* the listing did not fit in memory */
    VAVEZE_ERROR_INTERNAL = -3, /* a fault of the library itself */
    VAVEZE_ERROR_WRITE = -4     /* a listing could not be saved (since 1.1.0) */
} vaveze_status;

/* Options, to be combined with |: the window's three check boxes. */
#define VAVEZE_HEADER 0x1u     /* the header section: layer, group, colour and
                                  line type names (ZVW, ZVC, ZVK) */
#define VAVEZE_DIMENSIONS 0x2u /* the texts of dimensions (ZVW, ZVS) */
#define VAVEZE_BLOCKS 0x4u     /* the block section with the texts of every
                                  block definition (ZVW, ZVS) */
#define VAVEZE_SALVAGE 0x8u    /* where the file is damaged, also the texts of
                                  the records a salvage reading finds past the
                                  places where reading stops, after the other
                                  lines (since 1.2.0); see
                                  vaveze_listing_line_salvaged */

typedef enum vaveze_format {
    VAVEZE_FORMAT_NONE = 0, /* not recognised */
    VAVEZE_FORMAT_ZVW = 1,  /* drawing file, Windows edition */
    VAVEZE_FORMAT_ZVS = 2,  /* symbol file, Windows edition */
    VAVEZE_FORMAT_ZVC = 3,  /* drawing file, MS-DOS edition */
    VAVEZE_FORMAT_ZVK = 4   /* symbol file, MS-DOS edition */
} vaveze_format;

/* Why a file was listed only in part (VAVEZE_PARTIAL) or not at all
 * (VAVEZE_NOT_RECOGNISED). New reasons may be added in later versions;
 * vaveze_reason_text describes any value. */
typedef enum vaveze_reason {
    VAVEZE_REASON_NONE = 0,
    /* The parse stopped early at the listing's offset. */
    VAVEZE_REASON_ENDS_EARLY = 1,          /* the file ends inside a record */
    VAVEZE_REASON_UNSUPPORTED_VERSION = 2, /* a version the reader does not know */
    VAVEZE_REASON_IMPOSSIBLE_SIZE = 3,     /* a declared count or size that cannot
                                              be right for this file */
    VAVEZE_REASON_NUMBER_OVERFLOW = 4,     /* a number beyond the range of its field */
    VAVEZE_REASON_OUT_OF_MEMORY = 5,       /* a table of the file did not fit in memory */
    VAVEZE_REASON_DAMAGED_RECORD = 6,      /* a record that cannot be right: given only
                                              for the places a salvage reading passed
                                              over (since 1.2.0) */
    /* The file was not recognised. */
    VAVEZE_REASON_NO_FILE = 16,            /* no file of that name (or a folder of
                                              its path is missing) */
    VAVEZE_REASON_NOT_A_FILE = 17,         /* a FIFO, device or socket: never opened,
                                              so never waited on (before 1.1.0 also
                                              a folder) */
    VAVEZE_REASON_UNREADABLE = 18,         /* the system failed to read the file; the
                                              message gives its words (before 1.1.0
                                              also no permission, too large) */
    VAVEZE_REASON_UNKNOWN_EXTENSION = 19,  /* the name's extension is none of
                                              .zvw .zvs .zvc .zvk .bak .bk? .zv$ */
    VAVEZE_REASON_WRONG_MAGIC = 20,        /* the first bytes are not those of the
                                              format the extension names (or, for a
                                              backup's name, of any format) */
    /* Since 1.1.0: */
    VAVEZE_REASON_NO_PERMISSION = 21,      /* the system refused to let it be read */
    VAVEZE_REASON_FOLDER = 22,             /* a folder */
    VAVEZE_REASON_EMPTY = 23,              /* a file that holds no byte */
    VAVEZE_REASON_TOO_LARGE = 24           /* no memory to hold the file's bytes */
} vaveze_reason;

/* The two warnings the window shows for a file named .zvw or .zvs whose
 * first bytes are not those of that format. */
typedef enum vaveze_warning {
    VAVEZE_WARNING_NONE = 0,
    VAVEZE_WARNING_NOT_ZVW = 1,
    VAVEZE_WARNING_NOT_ZVS = 2
} vaveze_warning;

/* What each line of a listing is (since 1.1.0). A drawing's text may read
 * exactly as a heading does; its kind tells them apart. */
typedef enum vaveze_line_kind {
    VAVEZE_LINE_HEADING = 1,               /* the section headings: header, texts,
                                              texts in blocks */
    VAVEZE_LINE_HEADER_TEXT = 2,           /* the memo (ZVW), the two header texts
                                              (ZVC, ZVK) */
    VAVEZE_LINE_LAYER_GROUP = 3,           /* a layer group's name */
    VAVEZE_LINE_LAYERS = 4,                /* the names of a group's layers, joined
                                              by commas */
    VAVEZE_LINE_COLORS = 5,                /* the names of the extended colours */
    VAVEZE_LINE_LINE_TYPES = 6,            /* the names of the line types */
    VAVEZE_LINE_TEXT = 7,                  /* a text of the drawing or symbol */
    VAVEZE_LINE_DIMENSION_TEXT = 8,        /* the text of a dimension */
    VAVEZE_LINE_BLOCK_NAME = 9,            /* a block definition's mark and name */
    VAVEZE_LINE_BLOCK_TEXT = 10,           /* a text inside a block definition */
    VAVEZE_LINE_BLOCK_DIMENSION_TEXT = 11  /* a dimension's text inside a block
                                              definition */
} vaveze_line_kind;

/* The two forms of a whole listing's bytes (since 1.1.0). */
typedef enum vaveze_encoding {
    VAVEZE_ENCODING_SHIFT_JIS = 0, /* each line's Shift-JIS bytes and CR LF, no
                                      byte-order mark: what vaveze-list writes
                                      and saves, and the window saves */
    VAVEZE_ENCODING_UTF8 = 1       /* each line in UTF-8 and LF: what
                                      vaveze-list --utf8 writes */
} vaveze_encoding;

/* The library's version, "1.2.0"; static text. */
VAVEZE_API const char *VAVEZE_CALL vaveze_version(void);

/* The library's version as VAVEZE_VERSION_NUMBER gives it, 10200 (since
 * 1.1.0). */
VAVEZE_API int VAVEZE_CALL vaveze_version_number(void);

/* Reads and parses the file at `path` (UTF-8) once, for vaveze_document_list
 * to list with any options (since 1.1.0). The format is decided by the
 * name's extension and the file's first bytes. Returns the status the
 * document's listings have: VAVEZE_OK, VAVEZE_PARTIAL or
 * VAVEZE_NOT_RECOGNISED, and then *document receives a new document, to be
 * freed with vaveze_document_free; on a negative status it receives NULL. */
VAVEZE_API int VAVEZE_CALL vaveze_open_file(const char *path, vaveze_document **document);

/* The same for `size` bytes in memory as the content of a file named `name`
 * (UTF-8; a bare name or a path, only its extension counts). `bytes` may be
 * NULL when `size` is 0. The bytes are not kept after the call. */
VAVEZE_API int VAVEZE_CALL vaveze_open_bytes(const void *bytes, size_t size, const char *name,
                                             vaveze_document **document);

/* Lists the document with `flags` (VAVEZE_HEADER, VAVEZE_DIMENSIONS and
 * VAVEZE_BLOCKS combined, or 0) without reading the file again. *listing
 * receives a new listing as from vaveze_list_file, with the document's
 * status, format, reason, offset, warning and message; a document not
 * recognised gives a listing with no line. */
VAVEZE_API int VAVEZE_CALL vaveze_document_list(const vaveze_document *document, unsigned int flags,
                                                vaveze_listing **listing);

/* Frees a document; NULL is allowed. Its listings stay valid. */
VAVEZE_API void VAVEZE_CALL vaveze_document_free(vaveze_document *document);

/* The document's fields, as the vaveze_listing_ calls of the same names
 * give them for its listings. */
VAVEZE_API int VAVEZE_CALL vaveze_document_status(const vaveze_document *document);
VAVEZE_API int VAVEZE_CALL vaveze_document_format(const vaveze_document *document);
VAVEZE_API int VAVEZE_CALL vaveze_document_reason(const vaveze_document *document);
VAVEZE_API vaveze_offset VAVEZE_CALL vaveze_document_offset(const vaveze_document *document);
VAVEZE_API int VAVEZE_CALL vaveze_document_warning(const vaveze_document *document);
VAVEZE_API const char *VAVEZE_CALL vaveze_document_message(const vaveze_document *document);

/* Lists the file at `path` (UTF-8): vaveze_open_file, vaveze_document_list
 * and vaveze_document_free in one call. The format is decided by the name's
 * extension and the file's first bytes. `flags` combines VAVEZE_HEADER,
 * VAVEZE_DIMENSIONS and VAVEZE_BLOCKS, or is 0.
 * On VAVEZE_OK, VAVEZE_PARTIAL and VAVEZE_NOT_RECOGNISED, *listing receives a
 * new listing, to be freed with vaveze_free; on a negative status it
 * receives NULL. */
VAVEZE_API int VAVEZE_CALL vaveze_list_file(const char *path, unsigned int flags, vaveze_listing **listing);

/* Lists `size` bytes in memory as the content of a file named `name`
 * (UTF-8; a bare name or a path, only its extension counts). `bytes` may be
 * NULL when `size` is 0. The bytes are not kept after the call. Otherwise as
 * vaveze_list_file. */
VAVEZE_API int VAVEZE_CALL vaveze_list_bytes(const void *bytes, size_t size, const char *name, unsigned int flags,
                                             vaveze_listing **listing);

/* Frees a listing and everything it handed out; NULL is allowed. */
VAVEZE_API void VAVEZE_CALL vaveze_free(vaveze_listing *listing);

/* The listing's status: VAVEZE_OK, VAVEZE_PARTIAL or VAVEZE_NOT_RECOGNISED;
 * VAVEZE_ERROR_ARGUMENT for NULL. */
VAVEZE_API int VAVEZE_CALL vaveze_listing_status(const vaveze_listing *listing);

/* The recognised format; VAVEZE_FORMAT_NONE when not recognised or NULL. */
VAVEZE_API int VAVEZE_CALL vaveze_listing_format(const vaveze_listing *listing);

/* Why the listing is partial or the file not recognised; VAVEZE_REASON_NONE
 * for a complete listing or NULL. */
VAVEZE_API int VAVEZE_CALL vaveze_listing_reason(const vaveze_listing *listing);

/* For a partial listing, the byte offset from the file's start where the
 * parse stopped; otherwise 0. */
VAVEZE_API vaveze_offset VAVEZE_CALL vaveze_listing_offset(const vaveze_listing *listing);

/* The window's warning for the file, if it would show one. */
VAVEZE_API int VAVEZE_CALL vaveze_listing_warning(const vaveze_listing *listing);

/* One English sentence on what went wrong ("the file ends at byte 3,000
 * inside a text record"); "" for a complete listing. Owned by the listing. */
VAVEZE_API const char *VAVEZE_CALL vaveze_listing_message(const vaveze_listing *listing);

/* The number of lines; 0 for NULL. */
VAVEZE_API size_t VAVEZE_CALL vaveze_listing_count(const vaveze_listing *listing);

/* Line `index` (from 0) as the file's own Shift-JIS bytes, exactly as
 * listed and saved. *bytes receives the line, followed by a terminating NUL
 * that is not part of it; *length (when `length` is not NULL) receives its
 * length in bytes. A line may itself hold NUL bytes, so use the length
 * where that matters. VAVEZE_OK, or VAVEZE_ERROR_ARGUMENT. */
VAVEZE_API int VAVEZE_CALL vaveze_listing_line(const vaveze_listing *listing, size_t index, const char **bytes,
                                               size_t *length);

/* The same line decoded to UTF-8 for convenience: bytes that start no valid
 * Shift-JIS character become U+FFFD. Otherwise as vaveze_listing_line; the
 * first call for a listing decodes all its lines, and may give
 * VAVEZE_ERROR_MEMORY. */
VAVEZE_API int VAVEZE_CALL vaveze_listing_line_utf8(const vaveze_listing *listing, size_t index, const char **text,
                                                    size_t *length);

/* What line `index` is: a vaveze_line_kind; VAVEZE_ERROR_ARGUMENT for NULL
 * or an index past the last line (since 1.1.0). */
VAVEZE_API int VAVEZE_CALL vaveze_listing_line_kind(const vaveze_listing *listing, size_t index);

/* The block definition line `index` belongs to, numbered from 0 in file
 * order; -1 outside the block section, and for NULL or an index past the
 * last line (since 1.1.0): vaveze_listing_line_block_number tells the two
 * apart. */
VAVEZE_API int VAVEZE_CALL vaveze_listing_line_block(const vaveze_listing *listing, size_t index);

/* What vaveze_listing_line_block_number gives for a line outside the block
 * section (since 1.2.0). */
#define VAVEZE_NO_BLOCK (-1)

/* The block definition line `index` belongs to, into *block: its number
 * from 0 in file order, or VAVEZE_NO_BLOCK outside the block section (and
 * for a salvaged line whose definition's place in the list is not known).
 * VAVEZE_OK, or VAVEZE_ERROR_ARGUMENT for a NULL pointer or an index past
 * the last line, *block then left as it was (since 1.2.0). */
VAVEZE_API int VAVEZE_CALL vaveze_listing_line_block_number(const vaveze_listing *listing, size_t index, int *block);

/* Whether line `index` was salvaged: 1 for a line of a listing made with
 * VAVEZE_SALVAGE that a salvage reading found past a place where the file
 * is damaged (such lines follow every other line, under their sections'
 * headings repeated), 0 for any other; VAVEZE_ERROR_ARGUMENT for NULL or an
 * index past the last line. A salvaged line is the text of a record read
 * whole and checked, never a guess. vaveze_list_file and vaveze_list_bytes
 * read a file so only when VAVEZE_SALVAGE asks; a document is read so
 * whenever its file cannot be read to its end, so that any of its listings
 * may ask. The status, reason and offset stay those of the ordinary
 * reading (since 1.2.0). */
VAVEZE_API int VAVEZE_CALL vaveze_listing_line_salvaged(const vaveze_listing *listing, size_t index);

/* The places a salvage reading passed over, in file order, for a listing
 * made with VAVEZE_SALVAGE; 0 for any other, or NULL (since 1.2.0). */
VAVEZE_API size_t VAVEZE_CALL vaveze_listing_skipped_count(const vaveze_listing *listing);

/* Place `index` (from 0): why reading could not go on there (a
 * vaveze_reason) into *reason, the byte where it could not into *from, and
 * the byte where records could be read again into *to (the file's size
 * where none could; *from itself where bytes are missing from the file
 * there); any of the three may be NULL. VAVEZE_OK, or VAVEZE_ERROR_ARGUMENT
 * for NULL or an index past the last place (since 1.2.0). */
VAVEZE_API int VAVEZE_CALL vaveze_listing_skipped(const vaveze_listing *listing, size_t index, int *reason,
                                                  vaveze_offset *from, vaveze_offset *to);

/* The kinds and blocks of `count` lines from line `first` at once, into
 * kinds[0 .. count - 1] and blocks[0 .. count - 1] (either may be NULL), as
 * vaveze_listing_line_kind and vaveze_listing_line_block give them: for a
 * binding that takes every line's kind in one call. VAVEZE_OK, or
 * VAVEZE_ERROR_ARGUMENT when the lines run past the last (since 1.1.0). */
VAVEZE_API int VAVEZE_CALL vaveze_listing_line_kinds(const vaveze_listing *listing, size_t first, size_t count,
                                                     int *kinds, int *blocks);

/* The whole listing as one run of bytes in `encoding` (a vaveze_encoding),
 * exactly as vaveze-list writes it (since 1.1.0). *bytes receives them,
 * followed by a terminating NUL that is not part of them, and *size their
 * number. The bytes are owned by the listing: made on the first call for
 * each encoding, valid until the listing is freed, never freed by the
 * caller. VAVEZE_OK, VAVEZE_ERROR_ARGUMENT, or VAVEZE_ERROR_MEMORY. */
VAVEZE_API int VAVEZE_CALL vaveze_listing_bytes(const vaveze_listing *listing, int encoding, const char **bytes,
                                                size_t *size);

/* Saves the listing to the file at `path` (UTF-8) exactly as
 * vaveze-list --save does: Shift-JIS with CR LF (the bytes of
 * VAVEZE_ENCODING_SHIFT_JIS). The listing is written to a new file beside
 * the target, which then replaces the target at once: an existing file is
 * replaced only by a complete listing (keeping its permissions) and a
 * failure leaves no file behind. Missing folders are not made (since
 * 1.1.0).
 * Returns VAVEZE_OK when saved; VAVEZE_ERROR_ARGUMENT, writing nothing, for
 * the listing of a file that was not recognised, which has nothing to save
 * (VAVEZE_NOT_RECOGNISED before 1.2.0); VAVEZE_ERROR_WRITE when it could not
 * be saved, and then *error_number (when `error_number` is not
 * NULL) receives the C library's errno value for why (ENOENT a missing
 * folder, EACCES no permission, ENOSPC a full disk, ...; these numbers are
 * the same on Linux and Windows); else *error_number receives 0. */
VAVEZE_API int VAVEZE_CALL vaveze_listing_save(const vaveze_listing *listing, const char *path, int *error_number);

#ifdef _WIN32
/* On Windows, the calls that take a file name as UTF-16 (wchar_t), as .NET
 * and VBA strings hold it; otherwise as the calls without _w (since
 * 1.1.0). */
VAVEZE_API int VAVEZE_CALL vaveze_open_file_w(const wchar_t *path, vaveze_document **document);
VAVEZE_API int VAVEZE_CALL vaveze_list_file_w(const wchar_t *path, unsigned int flags, vaveze_listing **listing);
VAVEZE_API int VAVEZE_CALL vaveze_listing_save_w(const vaveze_listing *listing, const wchar_t *path,
                                                 int *error_number);
#endif

/* English descriptions, static ASCII texts, for any value (an unknown one
 * gets a text that says so). */
VAVEZE_API const char *VAVEZE_CALL vaveze_status_text(int status);
VAVEZE_API const char *VAVEZE_CALL vaveze_reason_text(int reason);
/* "ZVW", "ZVS", "ZVC", "ZVK" or "none". */
VAVEZE_API const char *VAVEZE_CALL vaveze_format_name(int format);
/* The window's warning word for word, in UTF-8 (Japanese); "" for
 * VAVEZE_WARNING_NONE or an unknown value. */
VAVEZE_API const char *VAVEZE_CALL vaveze_warning_text(int warning);

#ifdef __cplusplus
}
#endif

#endif /* VAVEZE_H */
