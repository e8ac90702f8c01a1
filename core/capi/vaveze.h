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
 * Rules that hold for every function:
 * - Nothing aborts and nothing throws: every failure is a returned status.
 *   A NULL pointer where a pointer is needed, or an unknown flag, gives
 *   VAVEZE_ERROR_ARGUMENT.
 * - The library allocates the listing; the caller frees it with vaveze_free
 *   and nothing else. Every pointer a listing hands out stays valid until
 *   that listing is freed. Texts returned for a status, reason, warning or
 *   format are static and never freed.
 * - Calls on different listings may run in parallel; a listing may be read
 *   by several threads at once.
 * - File names are UTF-8.
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
#define VAVEZE_VERSION_MINOR 1
#define VAVEZE_VERSION_PATCH 0
#define VAVEZE_VERSION_STRING "1.1.0"

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

/* The listing of one file: opaque, made by vaveze_list_file or
 * vaveze_list_bytes, freed by vaveze_free. */
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
    VAVEZE_ERROR_INTERNAL = -3  /* a fault of the library itself */
} vaveze_status;

/* Options, to be combined with |: the window's three check boxes. */
#define VAVEZE_HEADER 0x1u     /* the header section: layer, group, colour and
                                  line type names (ZVW, ZVC, ZVK) */
#define VAVEZE_DIMENSIONS 0x2u /* the texts of dimensions (ZVW, ZVS) */
#define VAVEZE_BLOCKS 0x4u     /* the block section with the texts of every
                                  block definition (ZVW, ZVS) */

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
    /* The file was not recognised. */
    VAVEZE_REASON_NO_FILE = 16,            /* no file of that name */
    VAVEZE_REASON_NOT_A_FILE = 17,         /* a folder or other non-regular file */
    VAVEZE_REASON_UNREADABLE = 18,         /* the file exists but cannot be read */
    VAVEZE_REASON_UNKNOWN_EXTENSION = 19,  /* the name's extension is none of
                                              .zvw .zvs .zvc .zvk .bak .bk? .zv$ */
    VAVEZE_REASON_WRONG_MAGIC = 20         /* the first bytes are not those of the
                                              format the extension names */
} vaveze_reason;

/* The two warnings the window shows for a file named .zvw or .zvs whose
 * first bytes are not those of that format. */
typedef enum vaveze_warning {
    VAVEZE_WARNING_NONE = 0,
    VAVEZE_WARNING_NOT_ZVW = 1,
    VAVEZE_WARNING_NOT_ZVS = 2
} vaveze_warning;

/* The library's version, "1.1.0"; static text. */
VAVEZE_API const char *VAVEZE_CALL vaveze_version(void);

/* Lists the file at `path` (UTF-8). The format is decided by the name's
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
 * Shift-JIS character become U+FFFD. Otherwise as vaveze_listing_line. */
VAVEZE_API int VAVEZE_CALL vaveze_listing_line_utf8(const vaveze_listing *listing, size_t index, const char **text,
                                                    size_t *length);

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
