"""libvaveze loaded by ctypes, every function declared before it is called.

The wheel carries the library beside this file; without it (a source tree),
the system's installed libvaveze is used.
"""
import ctypes
import os
import sys

_handle = ctypes.c_void_p
_size = ctypes.c_size_t
_int = ctypes.c_int
_pointer = ctypes.POINTER

# (name, result, arguments) of every call the package makes.
_CALLS = [
    ("vaveze_version", ctypes.c_char_p, []),
    ("vaveze_version_number", _int, []),
    ("vaveze_open_file", _int, [ctypes.c_char_p, _pointer(_handle)]),
    ("vaveze_open_bytes", _int, [ctypes.c_char_p, _size, ctypes.c_char_p, _pointer(_handle)]),
    ("vaveze_document_list", _int, [_handle, ctypes.c_uint, _pointer(_handle)]),
    ("vaveze_document_free", None, [_handle]),
    ("vaveze_document_status", _int, [_handle]),
    ("vaveze_document_format", _int, [_handle]),
    ("vaveze_document_reason", _int, [_handle]),
    ("vaveze_document_offset", ctypes.c_ulonglong, [_handle]),
    ("vaveze_document_warning", _int, [_handle]),
    ("vaveze_document_message", ctypes.c_char_p, [_handle]),
    ("vaveze_free", None, [_handle]),
    ("vaveze_listing_count", _size, [_handle]),
    ("vaveze_listing_line", _int, [_handle, _size, _pointer(ctypes.c_void_p), _pointer(_size)]),
    ("vaveze_listing_line_utf8", _int, [_handle, _size, _pointer(ctypes.c_void_p), _pointer(_size)]),
    ("vaveze_listing_line_kinds", _int, [_handle, _size, _size, _pointer(_int), _pointer(_int)]),
    ("vaveze_listing_line_salvaged", _int, [_handle, _size]),
    ("vaveze_listing_skipped_count", _size, [_handle]),
    ("vaveze_listing_skipped", _int, [_handle, _size, _pointer(_int), _pointer(ctypes.c_ulonglong),
                                      _pointer(ctypes.c_ulonglong)]),
    ("vaveze_listing_bytes", _int, [_handle, _int, _pointer(ctypes.c_void_p), _pointer(_size)]),
    ("vaveze_listing_save", _int, [_handle, ctypes.c_char_p, _pointer(_int)]),
    ("vaveze_status_text", ctypes.c_char_p, [_int]),
    ("vaveze_reason_text", ctypes.c_char_p, [_int]),
    ("vaveze_warning_text", ctypes.c_char_p, [_int]),
]
_WINDOWS_CALLS = [
    ("vaveze_open_file_w", _int, [ctypes.c_wchar_p, _pointer(_handle)]),
    ("vaveze_listing_save_w", _int, [_handle, ctypes.c_wchar_p, _pointer(_int)]),
]

WINDOWS = sys.platform == "win32"
_NAME = "vaveze.dll" if WINDOWS else "libvaveze.so.1"


def _load():
    bundled = os.path.join(os.path.dirname(os.path.abspath(__file__)), _NAME)
    lib = ctypes.CDLL(bundled if os.path.exists(bundled) else _NAME)
    for name, result, arguments in _CALLS + (_WINDOWS_CALLS if WINDOWS else []):
        function = getattr(lib, name)
        function.restype, function.argtypes = result, arguments
    return lib


lib = _load()
