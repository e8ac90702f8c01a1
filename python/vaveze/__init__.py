"""List every text of Zv_cad drawing and symbol files.

A thin wrapper over the C library libvaveze (bundled in the wheel): the
files of the four formats — ZVW and ZVS (Windows edition), ZVC and ZVK
(MS-DOS edition), and backups of them — are parsed whole and their texts
listed one per line, in file order, exactly as ``vaveze-list`` lists them::

    import vaveze

    listing = vaveze.list_file("plan.zvw", header=True)
    for kind, text in zip(listing.kinds, listing):
        print(kind.name, text)
    listing.save("plan.txt")          # Shift-JIS with CR LF, as vaveze-list --save

    with vaveze.open("plan.zvw") as document:   # read once, list with any options
        texts = document.listing()
        everything = document.listing(header=True, dimensions=True, blocks=True)

A file that cannot be read raises the ``OSError`` Python raises for it
(``FileNotFoundError``, ``PermissionError``, ``IsADirectoryError``); one that
is not a drawing or symbol file raises ``NotRecognisedError``. A file read
only up to a damaged place is listed as far as it could be read, with
``complete`` False and ``reason`` and ``offset`` saying why and where.

Every call releases the interpreter lock while the library works, so
threads list files in parallel.
"""

from __future__ import annotations

import codecs
import ctypes
import enum
import errno
import os
import threading
import weakref
from typing import Iterator, List, Optional, Sequence, Tuple, Union, overload

from ._library import WINDOWS, lib

__version__ = "1.2.0"
__all__ = [
    "Document", "Format", "LineKind", "Listing", "NotRecognisedError", "Reason", "WarningKind", "library_version",
    "list_bytes", "list_file", "open", "open_bytes",
]

PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

_OK, _PARTIAL, _NOT_RECOGNISED = 0, 1, 2
_ERROR_ARGUMENT, _ERROR_MEMORY, _ERROR_INTERNAL, _ERROR_WRITE = -1, -2, -3, -4
_HEADER, _DIMENSIONS, _BLOCKS = 0x1, 0x2, 0x4
_SHIFT_JIS, _UTF8 = 0, 1


class Format(enum.IntEnum):
    """The format of a file listed."""

    ZVW = 1  #: drawing file, Windows edition
    ZVS = 2  #: symbol file, Windows edition
    ZVC = 3  #: drawing file, MS-DOS edition
    ZVK = 4  #: symbol file, MS-DOS edition


class Reason(enum.IntEnum):
    """Why a file was listed only in part, or not at all."""

    NONE = 0
    ENDS_EARLY = 1           #: the file ends inside a record
    UNSUPPORTED_VERSION = 2  #: a version the reader does not know
    IMPOSSIBLE_SIZE = 3      #: a declared count or size that cannot be right
    NUMBER_OVERFLOW = 4      #: a number beyond the range of its field
    OUT_OF_MEMORY = 5        #: a table of the file did not fit in memory
    NO_FILE = 16             #: no file of that name
    NOT_A_FILE = 17          #: a FIFO, device or socket (never opened)
    UNREADABLE = 18          #: the system failed to read the file
    UNKNOWN_EXTENSION = 19   #: the name's extension is none of the formats'
    WRONG_MAGIC = 20         #: the first bytes are not those of the format the name says
    NO_PERMISSION = 21       #: the system refused to let it be read
    FOLDER = 22              #: a folder
    EMPTY = 23               #: a file that holds no byte
    TOO_LARGE = 24           #: no memory to hold the file's bytes


class WarningKind(enum.IntEnum):
    """The warning the window shows for a .zvw or .zvs file that does not start as one."""

    NONE = 0
    NOT_ZVW = 1
    NOT_ZVS = 2

    @property
    def text(self) -> str:
        """The window's warning, word for word (Japanese); "" for NONE."""
        return lib.vaveze_warning_text(self).decode("utf-8")


class LineKind(enum.IntEnum):
    """What a line of a listing is."""

    HEADING = 1               #: a section's heading
    HEADER_TEXT = 2           #: the memo (ZVW), the two header texts (ZVC, ZVK)
    LAYER_GROUP = 3           #: a layer group's name
    LAYERS = 4                #: the names of a group's layers, joined by commas
    COLORS = 5                #: the names of the extended colours
    LINE_TYPES = 6            #: the names of the line types
    TEXT = 7                  #: a text of the drawing or symbol
    DIMENSION_TEXT = 8        #: the text of a dimension
    BLOCK_NAME = 9            #: a block definition's mark and name
    BLOCK_TEXT = 10           #: a text inside a block definition
    BLOCK_DIMENSION_TEXT = 11  #: a dimension's text inside a block definition


_LINE_KINDS = {kind.value: kind for kind in LineKind}


class NotRecognisedError(ValueError):
    """The file is not a drawing or symbol file (by its name and first bytes),
    or is a FIFO, device or empty file. ``reason``, ``warning`` and
    ``filename`` say which and why."""

    def __init__(self, message: str, filename: Optional[str], reason: Reason, warning: WarningKind) -> None:
        super().__init__(f"{filename}: {message}" if filename is not None else message)
        self.filename = filename
        self.reason = reason
        self.warning = warning


def library_version() -> str:
    """The version of the C library loaded, as "1.2.0"."""
    return lib.vaveze_version().decode("ascii")


def _check_call(status: int) -> None:
    """Raises for the failures of a call, which make no handle."""
    if status == _ERROR_MEMORY:
        raise MemoryError(lib.vaveze_status_text(status).decode())
    if status == _ERROR_ARGUMENT:
        raise ValueError(lib.vaveze_status_text(status).decode())
    if status < 0:
        raise RuntimeError("libvaveze: " + lib.vaveze_status_text(status).decode())


_OS_ERRORS = {
    Reason.NO_FILE: errno.ENOENT,
    Reason.NO_PERMISSION: errno.EACCES,
    Reason.FOLDER: errno.EISDIR,
    Reason.UNREADABLE: errno.EIO,
}


def _raise_not_listed(reason: Reason, warning: WarningKind, message: str, filename: Optional[str]) -> None:
    if reason in _OS_ERRORS:
        raise OSError(_OS_ERRORS[reason], message, filename)  # its subclass by the errno
    if reason == Reason.TOO_LARGE:
        raise MemoryError(f"{filename}: {message}")
    raise NotRecognisedError(message, filename, reason, warning)


def _native_path(path: PathLike) -> Union[bytes, str]:
    """A path as the library takes it: the file system's bytes (POSIX), or
    the UTF-16 name (Windows)."""
    path = os.fspath(path)
    native: Union[bytes, str] = os.fsdecode(path) if WINDOWS else os.fsencode(path)
    if (b"\0" if isinstance(native, bytes) else "\0") in native:
        raise ValueError("embedded null byte in a path")
    return native


def _name_of(path: PathLike) -> str:
    return os.fsdecode(os.fspath(path))


def _flags(header: bool, dimensions: bool, blocks: bool) -> int:
    return (_HEADER if header else 0) | (_DIMENSIONS if dimensions else 0) | (_BLOCKS if blocks else 0)


def _split(data: bytes, end: bytes, count: int) -> Optional[List[bytes]]:
    """The lines of a whole listing, or None when a line itself holds the
    line end (so that splitting gives more pieces than lines)."""
    pieces = data.split(end)[:-1]
    return pieces if len(pieces) == count else None


class Listing(Sequence[str]):
    """The listing of one file: a sequence of its lines as ``str``, decoded
    from code page 932 as the library decodes them (bytes that start no
    character become U+FFFD).

    Made by :func:`list_file`, :func:`list_bytes` and
    :meth:`Document.listing`; it holds its own copy of the lines.
    """

    def __init__(self, handle: ctypes.c_void_p, document: "Document") -> None:
        self._handle = handle
        self._finalizer = weakref.finalize(self, lib.vaveze_free, handle)
        self._count: int = lib.vaveze_listing_count(handle)
        self._lines: Optional[List[str]] = None
        self._raw: Optional[Tuple[bytes, ...]] = None
        self._kinds: Optional[Tuple[LineKind, ...]] = None
        self._blocks: Optional[Tuple[Optional[int], ...]] = None
        #: Where the file came from: its path, or the name given with its bytes.
        self.filename: Optional[str] = document.filename
        #: The file's format.
        self.format: Format = document.format  # type: ignore[assignment]  # listed: never None
        #: False when the file could not be read to its end: what was read is listed.
        self.complete: bool = document.complete
        #: Why the listing is not complete (Reason.NONE when it is).
        self.reason: Reason = document.reason
        #: The byte offset from the file's start where the parse stopped (0 when complete).
        self.offset: int = document.offset
        #: The window's warning for the file, if it would show one.
        self.warning: WarningKind = document.warning
        #: One English sentence on where and why the parse stopped; "" when complete.
        self.message: str = document.message

    def __len__(self) -> int:
        return self._count

    @overload
    def __getitem__(self, index: int) -> str: ...

    @overload
    def __getitem__(self, index: slice) -> List[str]: ...

    def __getitem__(self, index: Union[int, slice]) -> Union[str, List[str]]:
        return self.lines[index]

    def __iter__(self) -> Iterator[str]:
        return iter(self.lines)

    def __repr__(self) -> str:
        state = "complete" if self.complete else f"{self.reason.name} at byte {self.offset}"
        return f"<vaveze.Listing {self.filename!r}: {self.format.name}, {self._count} lines, {state}>"

    @property
    def lines(self) -> List[str]:
        """The lines as ``str`` (the listing itself is the same sequence)."""
        if self._lines is None:
            # One decode of the whole: far quicker than one per line.
            lines = self._whole(_UTF8).decode("utf-8", "surrogateescape").split("\n")[:-1]
            if len(lines) != self._count:  # a line itself holds a line feed
                lines = [self._line(lib.vaveze_listing_line_utf8, i).decode("utf-8", "surrogateescape")
                         for i in range(self._count)]
            self._lines = lines
        return self._lines

    @property
    def raw(self) -> Tuple[bytes, ...]:
        """The lines as ``bytes``, exactly as in the file (Shift-JIS)."""
        if self._raw is None:
            pieces = _split(self._whole(_SHIFT_JIS), b"\r\n", self._count)
            if pieces is None:
                pieces = [self._line(lib.vaveze_listing_line, i) for i in range(self._count)]
            self._raw = tuple(pieces)
        return self._raw

    @property
    def kinds(self) -> Tuple[LineKind, ...]:
        """What each line is: a heading, a text, a block's name, ..."""
        if self._kinds is None:
            self._read_kinds()
        return self._kinds  # type: ignore[return-value]

    @property
    def blocks(self) -> Tuple[Optional[int], ...]:
        """The block definition each line belongs to, numbered from 0 in file
        order; None outside the block section."""
        if self._blocks is None:
            self._read_kinds()
        return self._blocks  # type: ignore[return-value]

    def to_bytes(self, encoding: str = "shift_jis") -> bytes:
        """The whole listing exactly as ``vaveze-list`` writes it: each line's
        Shift-JIS bytes and CR LF ("shift_jis", also "cp932"), or each line in
        UTF-8 and LF ("utf-8", as ``vaveze-list --utf8``)."""
        forms = {"shift_jis": _SHIFT_JIS, "cp932": _SHIFT_JIS, "utf-8": _UTF8}
        name = codecs.lookup(encoding).name
        if name not in forms:
            raise ValueError(f"a listing is written in Shift-JIS or UTF-8, not {encoding}")
        return self._whole(forms[name])

    def save(self, path: PathLike) -> None:
        """Saves the listing at ``path`` exactly as ``vaveze-list --save``
        does: Shift-JIS with CR LF, replacing an existing file only once the
        listing is complete, and leaving no file behind on failure. Raises
        the ``OSError`` of the failure (a missing folder,
        ``PermissionError``, a full disk, ...)."""
        native = _native_path(path)
        error = ctypes.c_int()
        save = lib.vaveze_listing_save_w if WINDOWS else lib.vaveze_listing_save
        status = save(self._handle, native, ctypes.byref(error))
        if status == _ERROR_WRITE:
            raise OSError(error.value, os.strerror(error.value), _name_of(path))
        _check_call(status)

    def _read_kinds(self) -> None:
        kinds, blocks = (ctypes.c_int * self._count)(), (ctypes.c_int * self._count)()
        _check_call(lib.vaveze_listing_line_kinds(self._handle, 0, self._count, kinds, blocks))
        self._kinds = tuple([_LINE_KINDS[kind] for kind in kinds[:]])
        self._blocks = tuple([None if block < 0 else block for block in blocks[:]])

    def _whole(self, encoding: int) -> bytes:
        data, size = ctypes.c_void_p(), ctypes.c_size_t()
        _check_call(lib.vaveze_listing_bytes(self._handle, encoding, ctypes.byref(data), ctypes.byref(size)))
        return ctypes.string_at(data, size.value) if size.value else b""

    def _line(self, function, index: int) -> bytes:
        data, size = ctypes.c_void_p(), ctypes.c_size_t()
        _check_call(function(self._handle, index, ctypes.byref(data), ctypes.byref(size)))
        return ctypes.string_at(data, size.value) if size.value else b""


class Document:
    """A file read and parsed once, to be listed with any options without
    reading it again. A context manager; :meth:`close` lets the parse go
    (listings made from it stay). Made by :func:`open` and
    :func:`open_bytes`."""

    def __init__(self, handle: ctypes.c_void_p, filename: Optional[str]) -> None:
        self._handle: Optional[ctypes.c_void_p] = handle
        self._finalizer = weakref.finalize(self, lib.vaveze_document_free, handle)
        self._lock = threading.Lock()
        self._busy = 0  # listings being made right now
        #: The file's path, or the name given with its bytes.
        self.filename = filename
        number = lib.vaveze_document_format(handle)
        #: The file's format (None only while a file not recognised is turned down).
        self.format: Optional[Format] = Format(number) if number else None
        self.reason = Reason(lib.vaveze_document_reason(handle))
        self.complete = self.reason == Reason.NONE
        self.offset: int = lib.vaveze_document_offset(handle)
        self.warning = WarningKind(lib.vaveze_document_warning(handle))
        self.message: str = lib.vaveze_document_message(handle).decode("utf-8")

    def __enter__(self) -> "Document":
        return self

    def __exit__(self, *exception: object) -> None:
        self.close()

    def __repr__(self) -> str:
        state = "closed" if self._handle is None else self.format.name
        return f"<vaveze.Document {self.filename!r}: {state}>"

    @property
    def closed(self) -> bool:
        return self._handle is None

    def listing(self, header: bool = False, dimensions: bool = False, blocks: bool = False) -> Listing:
        """The listing with the header section (layer, group, colour and line
        type names; ZVW, ZVC, ZVK), the texts of dimensions (ZVW, ZVS) and the
        block section (ZVW, ZVS) as asked: the window's three check boxes."""
        with self._lock:
            if self._handle is None:
                raise ValueError("the document is closed")
            handle = self._handle
            self._busy += 1
        try:
            out = ctypes.c_void_p()
            status = lib.vaveze_document_list(handle, _flags(header, dimensions, blocks), ctypes.byref(out))
            _check_call(status)
            return Listing(out, self)
        finally:
            with self._lock:
                self._busy -= 1
                if self._handle is None and self._busy == 0:
                    self._finalizer()

    def close(self) -> None:
        """Lets the parse go; once listings being made end, if any."""
        with self._lock:
            self._handle = None
            if self._busy == 0:
                self._finalizer()


def _open(opened: int, handle: ctypes.c_void_p, filename: Optional[str]) -> Document:
    _check_call(opened)
    document = Document(handle, filename)
    if opened == _NOT_RECOGNISED:
        document.close()
        _raise_not_listed(document.reason, document.warning, document.message, filename)
    return document


def open(path: PathLike) -> Document:  # noqa: A001 - the package's own open, as gzip.open
    """Reads and parses the file at ``path`` (``str``, ``bytes`` or
    ``os.PathLike``, any characters) once. The format is decided by the
    name's extension and the file's first bytes.

    Raises ``FileNotFoundError``, ``PermissionError``, ``IsADirectoryError``
    or ``OSError`` for a file that cannot be read, :class:`NotRecognisedError`
    for one that is not a drawing or symbol file, ``MemoryError`` when
    memory runs out. A file read only in part is not an error: the
    document's ``complete`` is False."""
    native = _native_path(path)
    handle = ctypes.c_void_p()
    open_file = lib.vaveze_open_file_w if WINDOWS else lib.vaveze_open_file
    return _open(open_file(native, ctypes.byref(handle)), handle, _name_of(path))


def open_bytes(data: Union[bytes, bytearray, memoryview], name: PathLike) -> Document:
    """As :func:`open`, for a file's bytes in memory; only the extension of
    ``name`` counts (``"plan.zvw"``). The bytes are not kept."""
    if not isinstance(data, bytes):
        data = memoryview(data).tobytes()  # a TypeError for what holds no bytes
    name = _name_of(name)
    encoded = name.encode("utf-8", "surrogatepass" if WINDOWS else "surrogateescape")
    if b"\0" in encoded:
        raise ValueError("embedded null byte in a name")
    handle = ctypes.c_void_p()
    return _open(lib.vaveze_open_bytes(data, len(data), encoded, ctypes.byref(handle)), handle, name)


def list_file(path: PathLike, *, header: bool = False, dimensions: bool = False, blocks: bool = False) -> Listing:
    """The listing of the file at ``path``: :func:`open` and
    :meth:`Document.listing` in one call, with the same errors."""
    with open(path) as document:
        return document.listing(header, dimensions, blocks)


def list_bytes(data: Union[bytes, bytearray, memoryview], name: PathLike, *, header: bool = False,
               dimensions: bool = False, blocks: bool = False) -> Listing:
    """The listing of a file's bytes in memory, named ``name``:
    :func:`open_bytes` and :meth:`Document.listing` in one call."""
    with open_bytes(data, name) as document:
        return document.listing(header, dimensions, blocks)
