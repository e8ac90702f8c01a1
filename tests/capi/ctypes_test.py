"""Calls the shared library through ctypes, as a script in the field would,
and compares its listings with vaveze-list's.

usage: ctypes_test.py LIBVAVEZE SAMPLES_DIR VAVEZE_LIST
"""
import ctypes
import os
import shutil
import subprocess
import sys
import tempfile

library, samples, vaveze_list = sys.argv[1:4]
lib = ctypes.CDLL(library)
handle = ctypes.c_void_p
lib.vaveze_version.restype = ctypes.c_char_p
lib.vaveze_list_file.argtypes = [ctypes.c_char_p, ctypes.c_uint, ctypes.POINTER(handle)]
lib.vaveze_list_bytes.argtypes = [ctypes.c_char_p, ctypes.c_size_t, ctypes.c_char_p, ctypes.c_uint,
                                  ctypes.POINTER(handle)]
lib.vaveze_free.argtypes = [handle]
for name in ("status", "format", "reason", "warning"):
    getattr(lib, "vaveze_listing_" + name).argtypes = [handle]
for name, result in (("offset", ctypes.c_ulonglong), ("message", ctypes.c_char_p), ("count", ctypes.c_size_t)):
    getattr(lib, "vaveze_listing_" + name).argtypes = [handle]
    getattr(lib, "vaveze_listing_" + name).restype = result
for name in ("line", "line_utf8"):
    getattr(lib, "vaveze_listing_" + name).argtypes = [
        handle, ctypes.c_size_t, ctypes.POINTER(ctypes.c_void_p), ctypes.POINTER(ctypes.c_size_t)]
ALL = 0x1 | 0x2 | 0x4


def take(status, listing):
    """The listing's fields and lines; frees it."""
    assert status >= 0, lib.vaveze_status_text(status)
    try:
        lines = {}
        for name in ("line", "line_utf8"):
            lines[name] = []
            for i in range(lib.vaveze_listing_count(listing)):
                text, length = ctypes.c_void_p(), ctypes.c_size_t()
                assert getattr(lib, "vaveze_listing_" + name)(listing, i, ctypes.byref(text),
                                                              ctypes.byref(length)) == 0
                lines[name].append(ctypes.string_at(text, length.value))
        return dict(status=lib.vaveze_listing_status(listing), format=lib.vaveze_listing_format(listing),
                    reason=lib.vaveze_listing_reason(listing), offset=lib.vaveze_listing_offset(listing),
                    message=lib.vaveze_listing_message(listing).decode(), **lines)
    finally:
        lib.vaveze_free(listing)


def list_file(path, flags=ALL):
    listing = handle()
    return take(lib.vaveze_list_file(path.encode(), flags, ctypes.byref(listing)), listing)


def list_bytes(data, name, flags=ALL):
    listing = handle()
    return take(lib.vaveze_list_bytes(data, len(data), name.encode(), flags, ctypes.byref(listing)), listing)


def tool(*args):
    return subprocess.run([vaveze_list, *args], stdout=subprocess.PIPE, check=False).stdout


assert lib.vaveze_version().decode().startswith("1."), lib.vaveze_version()
with tempfile.TemporaryDirectory() as folder:
    for sample in sorted(os.listdir(samples)):
        # A Japanese name, given as UTF-8, as a script would pass it.
        path = os.path.join(folder, "平面図" + os.path.splitext(sample)[1])
        shutil.copyfile(os.path.join(samples, sample), path)
        got = list_file(path)
        assert (got["status"], got["reason"], got["message"]) == (0, 0, ""), (sample, got)
        assert b"".join(line + b"\r\n" for line in got["line"]) == tool("--header", "--dimensions", "--blocks",
                                                                        path), sample
        assert b"".join(line + b"\n" for line in got["line_utf8"]) == tool(
            "--utf8", "--header", "--dimensions", "--blocks", path), sample

with open(os.path.join(samples, "plan.zvw"), "rb") as f:
    plan = f.read()
cut = list_bytes(plan[:17000], "plan.zvw", 0)
assert (cut["status"], cut["format"], cut["reason"], cut["offset"]) == (1, 1, 1, 17000), cut
assert "17,000" in cut["message"], cut["message"]
assert cut["line"] and cut["line"] == list_bytes(plan, "plan.zvw", 0)["line"][:len(cut["line"])]
print("ok")
