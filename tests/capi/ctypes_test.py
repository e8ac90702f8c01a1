"""Calls the shared library through ctypes, as a script in the field would,
and compares its listings, bytes and saved files with vaveze-list's; then
runs README's ctypes example as it stands there.

usage: ctypes_test.py LIBVAVEZE SAMPLES_DIR VAVEZE_LIST README
"""
import ctypes
import os
import re
import shutil
import subprocess
import sys
import tempfile

library, samples, vaveze_list, readme = sys.argv[1:5]
lib = ctypes.CDLL(library)
handle, size, pointer = ctypes.c_void_p, ctypes.c_size_t, ctypes.POINTER
for name, result, arguments in [
    ("vaveze_version", ctypes.c_char_p, []),
    ("vaveze_version_number", ctypes.c_int, []),
    ("vaveze_list_file", ctypes.c_int, [ctypes.c_char_p, ctypes.c_uint, pointer(handle)]),
    ("vaveze_list_bytes", ctypes.c_int, [ctypes.c_char_p, size, ctypes.c_char_p, ctypes.c_uint, pointer(handle)]),
    ("vaveze_open_file", ctypes.c_int, [ctypes.c_char_p, pointer(handle)]),
    ("vaveze_document_list", ctypes.c_int, [handle, ctypes.c_uint, pointer(handle)]),
    ("vaveze_document_free", None, [handle]),
    ("vaveze_free", None, [handle]),
    ("vaveze_listing_offset", ctypes.c_ulonglong, [handle]),
    ("vaveze_listing_message", ctypes.c_char_p, [handle]),
    ("vaveze_listing_count", size, [handle]),
    ("vaveze_listing_bytes", ctypes.c_int, [handle, ctypes.c_int, pointer(ctypes.c_void_p), pointer(size)]),
    ("vaveze_listing_save", ctypes.c_int, [handle, ctypes.c_char_p, pointer(ctypes.c_int)]),
    ("vaveze_status_text", ctypes.c_char_p, [ctypes.c_int]),
] + [("vaveze_listing_" + name, ctypes.c_int, [handle]) for name in ("status", "format", "reason", "warning")] + [
    ("vaveze_listing_" + name, ctypes.c_int, [handle, size, pointer(ctypes.c_void_p), pointer(size)])
    for name in ("line", "line_utf8")
] + [("vaveze_listing_line_" + name, ctypes.c_int, [handle, size]) for name in ("kind", "block")]:
    getattr(lib, name).restype, getattr(lib, name).argtypes = result, arguments
ALL = 0x1 | 0x2 | 0x4
OPTIONS = {0x1: "--header", 0x2: "--dimensions", 0x4: "--blocks"}


def whole(listing, encoding):
    data, length = ctypes.c_void_p(), size()
    assert lib.vaveze_listing_bytes(listing, encoding, ctypes.byref(data), ctypes.byref(length)) == 0
    return ctypes.string_at(data, length.value)


def take(status, listing):
    """The listing's fields, lines and bytes; frees it."""
    assert status >= 0, lib.vaveze_status_text(status)
    try:
        lines = {}
        for name in ("line", "line_utf8"):
            lines[name] = []
            for i in range(lib.vaveze_listing_count(listing)):
                text, length = ctypes.c_void_p(), size()
                assert getattr(lib, "vaveze_listing_" + name)(listing, i, ctypes.byref(text),
                                                              ctypes.byref(length)) == 0
                lines[name].append(ctypes.string_at(text, length.value))
        kinds = [lib.vaveze_listing_line_kind(listing, i) for i in range(len(lines["line"]))]
        assert all(1 <= kind <= 11 for kind in kinds), kinds
        return dict(status=lib.vaveze_listing_status(listing), format=lib.vaveze_listing_format(listing),
                    reason=lib.vaveze_listing_reason(listing), offset=lib.vaveze_listing_offset(listing),
                    message=lib.vaveze_listing_message(listing).decode(), sjis=whole(listing, 0),
                    utf8=whole(listing, 1), **lines)
    finally:
        lib.vaveze_free(listing)


def list_bytes(data, name, flags=ALL):
    listing = handle()
    return take(lib.vaveze_list_bytes(data, len(data), name.encode(), flags, ctypes.byref(listing)), listing)


def tool(*args):
    # Shift-JIS named, as to a pipe the tool follows the locale; a later --utf8 wins.
    return subprocess.run([vaveze_list, "--sjis", *args], stdout=subprocess.PIPE, check=False).stdout


assert lib.vaveze_version().decode() == "1.2.0" and lib.vaveze_version_number() == 10200
with tempfile.TemporaryDirectory() as folder:
    for sample in sorted(os.listdir(samples)):
        # A Japanese name, given as UTF-8, as a script would pass it.
        path = os.path.join(folder, "平面図" + os.path.splitext(sample)[1])
        shutil.copyfile(os.path.join(samples, sample), path)
        document = handle()
        assert lib.vaveze_open_file(path.encode(), ctypes.byref(document)) == 0, sample
        try:
            for flags in range(ALL + 1):
                options = [option for bit, option in OPTIONS.items() if flags & bit]
                listing = handle()
                got = take(lib.vaveze_document_list(document, flags, ctypes.byref(listing)), listing)
                assert (got["status"], got["reason"], got["message"]) == (0, 0, ""), (sample, got)
                assert got["sjis"] == b"".join(line + b"\r\n" for line in got["line"]) == tool(*options, path)
                assert got["utf8"] == b"".join(line + b"\n" for line in got["line_utf8"]) == tool(
                    "--utf8", *options, path), (sample, flags)
        finally:
            lib.vaveze_document_free(document)
        # The library's save against the tool's, over a file already there.
        listing, error = handle(), ctypes.c_int()
        saved = os.path.join(folder, "saved.txt")
        with open(saved, "wb") as f:
            f.write(b"old")
        assert lib.vaveze_list_file(path.encode(), ALL, ctypes.byref(listing)) == 0
        assert lib.vaveze_listing_save(listing, saved.encode(), ctypes.byref(error)) == 0, error.value
        lib.vaveze_free(listing)
        tool("--save", *OPTIONS.values(), path)
        with open(saved, "rb") as ours, open(os.path.splitext(path)[0] + ".txt", "rb") as tools:
            assert ours.read() == tools.read(), sample

with open(os.path.join(samples, "plan.zvw"), "rb") as f:
    plan = f.read()
cut = list_bytes(plan[:17000], "plan.zvw", 0)
assert (cut["status"], cut["format"], cut["reason"], cut["offset"]) == (1, 1, 1, 17000), cut
assert "17,000" in cut["message"], cut["message"]
assert cut["line"] and cut["line"] == list_bytes(plan, "plan.zvw", 0)["line"][:len(cut["line"])]

# README's example, as written, in a folder holding plan.zvw, the library
# found as README says.
with open(readme, encoding="utf-8") as f:
    section = f.read().split("## The C library", 1)[1].split("\n## ", 1)[0]
example = re.search(r"```python\n(.*?)```", section, re.S).group(1)
with tempfile.TemporaryDirectory() as folder:
    shutil.copyfile(os.path.join(samples, "plan.zvw"), os.path.join(folder, "plan.zvw"))
    environment = dict(os.environ, LD_LIBRARY_PATH=os.path.dirname(os.path.abspath(library)))
    run = subprocess.run([sys.executable, "-c", example], cwd=folder, env=environment, stdout=subprocess.PIPE,
                         check=True)
    assert run.stdout == tool("--utf8", os.path.join(folder, "plan.zvw")), run.stdout
print("ok")
