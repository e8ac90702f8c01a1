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
        with document.listing(header=True, dimensions=True, blocks=True) as everything:
            names = [line for line, kind in zip(everything, everything.kinds) if kind == vaveze.LineKind.BLOCK_NAME]

A file that cannot be read raises the ``OSError`` Python raises for it
(``FileNotFoundError``, ``PermissionError``, ``IsADirectoryError``); one that
is not a drawing or symbol file raises ``NotRecognisedError``. A file read
only up to a damaged place is listed as far as it could be read, with
``complete`` False and ``reason`` and ``offset`` saying why and where; with
``salvage=True`` the texts found past its damaged places follow, each
marked in ``salvaged``, and ``skipped`` says where it passed over.

Every call releases the interpreter lock while the library works, so
threads list files in parallel.
"""

from __future__ import annotations

import codecs
import contextlib
import ctypes
import errno
import os
import threading
import weakref
from typing import Callable, Iterable, Iterator, List, NamedTuple, Optional, Sequence, Tuple, Union, overload

from . import _enums
from ._enums import Format, LineKind, Reason, WarningKind
from ._library import WINDOWS, lib

__version__ = "1.2.0"
__all__ = [
    "Document", "Format", "LineKind", "Listing", "NotRecognisedError", "Reason", "Row", "SkippedPlace", "WarningKind",
    "library_version", "list_bytes", "list_file", "open", "open_bytes", "rows",
]

PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]

_LINE_KINDS = {kind.value: kind for kind in LineKind}
for _enum in (Format, LineKind, Reason, WarningKind):
    _enum.__module__ = __name__  # vaveze.Format, as the package offers it


def _warning_text(warning: WarningKind) -> str:
    """The window's warning, word for word (Japanese); "" for NONE."""
    return lib.vaveze_warning_text(warning).decode("utf-8")


WarningKind.text = property(_warning_text)  # type: ignore[attr-defined]


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
    if status == _enums.ERROR_MEMORY:
        raise MemoryError(lib.vaveze_status_text(status).decode())
    if status == _enums.ERROR_ARGUMENT:
        raise ValueError(lib.vaveze_status_text(status).decode())
    if status < 0:
        raise RuntimeError("libvaveze: " + lib.vaveze_status_text(status).decode())


_OS_ERRORS = {
    Reason.NO_FILE: errno.ENOENT,
    Reason.NO_PERMISSION: errno.EACCES,
    Reason.FOLDER: errno.EISDIR,
}


def _system_errno(filename: Optional[str]) -> int:
    """The errno the system gives for a file the library could not read: the
    library says only that it could not (a name too long, a loop of links,
    ...), so the system is asked again; EIO when it now finds nothing
    wrong."""
    if filename is not None:
        try:
            os.stat(filename)
        except OSError as error:
            return error.errno or errno.EIO
    return errno.EIO


def _raise_not_listed(reason: Reason, warning: WarningKind, message: str, filename: Optional[str]) -> None:
    if reason == Reason.UNREADABLE:
        raise OSError(_system_errno(filename), message, filename)
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


def _flags(header: bool, dimensions: bool, blocks: bool, salvage: bool) -> int:
    return ((_enums.HEADER if header else 0) | (_enums.DIMENSIONS if dimensions else 0)
            | (_enums.BLOCKS if blocks else 0) | (_enums.SALVAGE if salvage else 0))


class SkippedPlace(NamedTuple):
    """A place a salvage reading passed over: why reading could not go on
    there, the byte where it could not and the byte where records could be
    read again (the file's size where none could; ``start`` itself where
    bytes are missing from the file there)."""

    reason: Reason
    start: int
    end: int


def _split(data: bytes, end: bytes, count: int) -> Optional[List[bytes]]:
    """The lines of a whole listing, or None when a line itself holds the
    line end (so that splitting gives more pieces than lines)."""
    pieces = data.split(end)[:-1]
    return pieces if len(pieces) == count else None


class _Handle:
    """A handle of the library shared by threads: freed by close() once no
    call that borrowed it runs any more, or when its owner goes."""

    def __init__(self, owner: object, handle: ctypes.c_void_p, free) -> None:
        self._handle: Optional[ctypes.c_void_p] = handle
        self._finalizer = weakref.finalize(owner, free, handle)
        self._lock = threading.Lock()
        self._busy = 0  # calls that hold it right now

    @property
    def closed(self) -> bool:
        return self._handle is None

    @contextlib.contextmanager
    def borrow(self, what: str) -> Iterator[ctypes.c_void_p]:
        with self._lock:
            if self._handle is None:
                raise ValueError(f"the {what} is closed")
            handle = self._handle
            self._busy += 1
        try:
            yield handle
        finally:
            with self._lock:
                self._busy -= 1
                if self._handle is None and self._busy == 0:
                    self._finalizer()

    def close(self) -> None:
        with self._lock:
            self._handle = None
            if self._busy == 0:
                self._finalizer()


def _private(cls: type) -> object:
    """A new instance of `cls` without its public constructor."""
    return object.__new__(cls)


class Listing(Sequence[str]):
    """The listing of one file: a sequence of its lines as ``str``.

    ``listing[i]`` is line ``i`` as ``vaveze-list --utf8`` writes it: decoded
    from code page 932 (a byte that starts no character becomes U+FFFD, kept
    by the ``surrogateescape`` rule where it is not UTF-8), its control
    characters shown as their pictures (U+2400 to U+241F, U+2421), so that
    every line is one line of text. ``raw`` has the bytes as in the file.

    Made by :func:`list_file`, :func:`list_bytes` and
    :meth:`Document.listing`, not by calling the class; it holds its own copy
    of the lines. A context manager: :meth:`close` (or leaving the ``with``)
    lets the lines go, after which reading them raises ``ValueError``; the
    file's fields (``format``, ``complete``, ``reason``, ...) stay.
    """

    #: Where the file came from: its path, or the name given with its bytes.
    filename: Optional[str]
    #: The file's format.
    format: Format
    #: False when the file could not be read to its end: what was read is listed.
    complete: bool
    #: Why the listing is not complete (``Reason.NONE`` when it is).
    reason: Reason
    #: The byte offset from the file's start where the parse stopped (0 when complete).
    offset: int
    #: The window's warning for the file, if it would show one.
    warning: WarningKind
    #: One English sentence on where and why the parse stopped; "" when complete.
    message: str
    #: The places a salvage reading passed over (``salvage=True`` only), in file order.
    skipped: Tuple[SkippedPlace, ...]

    def __init__(self) -> None:
        raise TypeError("a Listing is made by vaveze.list_file, vaveze.list_bytes or Document.listing")

    @classmethod
    def _made(cls, handle: ctypes.c_void_p, document: "Document") -> "Listing":
        self: Listing = _private(cls)  # type: ignore[assignment]
        self._handle = _Handle(self, handle, lib.vaveze_free)
        self._count = lib.vaveze_listing_count(handle)
        self._forget()
        self.filename = document.filename
        self.format = document.format  # type: ignore[assignment]  # listed: never None
        self.complete = document.complete
        self.reason = document.reason
        self.offset = document.offset
        self.warning = document.warning
        self.message = document.message
        self.skipped = tuple(_skipped(handle))
        # Salvaged lines follow all others: the first of them, found by halves.
        low, high = 0, self._count
        while low < high:
            middle = (low + high) // 2
            low, high = (middle + 1, high) if lib.vaveze_listing_line_salvaged(handle, middle) == 0 else (low, middle)
        self._first_salvaged = low
        return self

    def _forget(self) -> None:
        self._lines: Optional[List[str]] = None
        self._raw: Optional[Tuple[bytes, ...]] = None
        self._kinds: Optional[Tuple[LineKind, ...]] = None
        self._blocks: Optional[Tuple[Optional[int], ...]] = None

    def __enter__(self) -> "Listing":
        return self

    def __exit__(self, *exception: object) -> None:
        self.close()

    def close(self) -> None:
        """Lets the lines go (once calls on them in other threads end). Closing
        again does nothing."""
        self._handle.close()
        self._forget()

    @property
    def closed(self) -> bool:
        """True once :meth:`close` was called."""
        return self._handle.closed

    def __len__(self) -> int:
        """The number of lines (also once closed)."""
        return self._count

    @overload
    def __getitem__(self, index: int) -> str: ...

    @overload
    def __getitem__(self, index: slice) -> List[str]: ...

    def __getitem__(self, index: Union[int, slice]) -> Union[str, List[str]]:
        """Line ``index`` as ``str`` (see the class), or a list of them for a
        slice. Raises ``IndexError`` past the end, ``ValueError`` once
        closed."""
        return self.lines[index]

    def __iter__(self) -> Iterator[str]:
        return iter(self.lines)

    def __repr__(self) -> str:
        state = "complete" if self.complete else f"{self.reason.name} at byte {self.offset}"
        closed = ", closed" if self.closed else ""
        return f"<vaveze.Listing {self.filename!r}: {self.format.name}, {self._count} lines, {state}{closed}>"

    @property
    def lines(self) -> List[str]:
        """The lines as ``str``, as ``listing[i]`` gives them (the listing
        itself is the same sequence). Raises ``ValueError`` once closed."""
        if self._lines is None:
            # One decode of the whole, far quicker than one per line; a line
            # holds no line feed there, as its control characters are shown
            # by their pictures.
            self._lines = self._whole(_enums.UTF8).decode("utf-8", "surrogateescape").split("\n")[:-1]
        return self._lines

    @property
    def raw(self) -> Tuple[bytes, ...]:
        """The lines as ``bytes``, exactly as in the file (Shift-JIS). Raises
        ``ValueError`` once closed."""
        if self._raw is None:
            pieces = _split(self._whole(_enums.SHIFT_JIS), b"\r\n", self._count)
            if pieces is None:  # a heading or name of the file holds CR LF itself
                with self._handle.borrow("listing") as handle:
                    pieces = [_line(handle, i) for i in range(self._count)]
            self._raw = tuple(pieces)
        return self._raw

    @property
    def kinds(self) -> Tuple[LineKind, ...]:
        """What each line is: a heading, a text, a block's name, ... Raises
        ``ValueError`` once closed."""
        if self._kinds is None:
            self._read_kinds()
        return self._kinds  # type: ignore[return-value]

    @property
    def salvaged(self) -> Tuple[bool, ...]:
        """Whether each line was salvaged: found past a place where the file
        is damaged (``salvage=True``), after every other line. A salvaged line
        is the text of a record read whole and checked, never a guess."""
        return (False,) * self._first_salvaged + (True,) * (self._count - self._first_salvaged)

    @property
    def blocks(self) -> Tuple[Optional[int], ...]:
        """The block definition each line belongs to, numbered from 0 in file
        order; None outside the block section. Raises ``ValueError`` once
        closed."""
        if self._blocks is None:
            self._read_kinds()
        return self._blocks  # type: ignore[return-value]

    def to_bytes(self, encoding: str = "shift_jis") -> bytes:
        """The whole listing exactly as ``vaveze-list`` writes it: each line's
        Shift-JIS bytes and CR LF ("shift_jis", also "cp932"), or each line in
        UTF-8 and LF ("utf-8", as ``vaveze-list --utf8``). Raises
        ``ValueError`` for another encoding and once closed,
        ``MemoryError`` when memory runs out."""
        forms = {"shift_jis": _enums.SHIFT_JIS, "cp932": _enums.SHIFT_JIS, "utf-8": _enums.UTF8}
        name = codecs.lookup(encoding).name
        if name not in forms:
            raise ValueError(f"a listing is written in Shift-JIS or UTF-8, not {encoding}")
        return self._whole(forms[name])

    def save(self, path: PathLike) -> None:
        """Saves the listing at ``path`` exactly as ``vaveze-list --save``
        does: Shift-JIS with CR LF, replacing an existing file only once the
        listing is complete, and leaving no file behind on failure. Returns
        None. Raises the ``OSError`` of the failure (``FileNotFoundError``
        for a missing folder, ``PermissionError``, a full disk, ...),
        ``ValueError`` once closed."""
        native = _native_path(path)
        error = ctypes.c_int()
        save = lib.vaveze_listing_save_w if WINDOWS else lib.vaveze_listing_save
        with self._handle.borrow("listing") as handle:
            status = save(handle, native, ctypes.byref(error))
        if status == _enums.ERROR_WRITE:
            raise OSError(error.value, os.strerror(error.value), _name_of(path))
        _check_call(status)

    def _read_kinds(self) -> None:
        kinds, blocks = (ctypes.c_int * self._count)(), (ctypes.c_int * self._count)()
        with self._handle.borrow("listing") as handle:
            _check_call(lib.vaveze_listing_line_kinds(handle, 0, self._count, kinds, blocks))
        self._kinds = tuple([_LINE_KINDS[kind] for kind in kinds[:]])
        self._blocks = tuple([None if block < 0 else block for block in blocks[:]])

    def _whole(self, encoding: int) -> bytes:
        data, size = ctypes.c_void_p(), ctypes.c_size_t()
        with self._handle.borrow("listing") as handle:
            _check_call(lib.vaveze_listing_bytes(handle, encoding, ctypes.byref(data), ctypes.byref(size)))
            return ctypes.string_at(data, size.value) if size.value else b""


def _skipped(handle: ctypes.c_void_p) -> Iterator[SkippedPlace]:
    reason, start, end = ctypes.c_int(), ctypes.c_ulonglong(), ctypes.c_ulonglong()
    for index in range(lib.vaveze_listing_skipped_count(handle)):
        _check_call(lib.vaveze_listing_skipped(handle, index, ctypes.byref(reason), ctypes.byref(start),
                                               ctypes.byref(end)))
        yield SkippedPlace(Reason(reason.value), start.value, end.value)


def _line(handle: ctypes.c_void_p, index: int) -> bytes:
    data, size = ctypes.c_void_p(), ctypes.c_size_t()
    _check_call(lib.vaveze_listing_line(handle, index, ctypes.byref(data), ctypes.byref(size)))
    return ctypes.string_at(data, size.value) if size.value else b""


class Document:
    """A file read and parsed once, to be listed with any options without
    reading it again. Made by :func:`open` and :func:`open_bytes`, not by
    calling the class. A context manager: :meth:`close` (or leaving the
    ``with``) lets the parse go; listings made from it stay."""

    #: The file's path, or the name given with its bytes.
    filename: Optional[str]
    #: The file's format.
    format: Format
    #: False when the file could not be read to its end.
    complete: bool
    #: Why it could not be read to its end (``Reason.NONE`` when it could).
    reason: Reason
    #: The byte offset from the file's start where the parse stopped (0 when complete).
    offset: int
    #: The window's warning for the file, if it would show one.
    warning: WarningKind
    #: One English sentence on where and why the parse stopped; "" when complete.
    message: str

    def __init__(self) -> None:
        raise TypeError("a Document is made by vaveze.open or vaveze.open_bytes")

    @classmethod
    def _made(cls, handle: ctypes.c_void_p, filename: Optional[str]) -> "Document":
        self: Document = _private(cls)  # type: ignore[assignment]
        self._handle = _Handle(self, handle, lib.vaveze_document_free)
        self.filename = filename
        self.format = Format(lib.vaveze_document_format(handle))
        self.reason = Reason(lib.vaveze_document_reason(handle))
        self.complete = self.reason == Reason.NONE
        self.offset = lib.vaveze_document_offset(handle)
        self.warning = WarningKind(lib.vaveze_document_warning(handle))
        self.message = lib.vaveze_document_message(handle).decode("utf-8")
        return self

    def __enter__(self) -> "Document":
        return self

    def __exit__(self, *exception: object) -> None:
        self.close()

    def __repr__(self) -> str:
        state = "closed" if self.closed else self.format.name
        return f"<vaveze.Document {self.filename!r}: {state}>"

    @property
    def closed(self) -> bool:
        """True once :meth:`close` was called."""
        return self._handle.closed

    def listing(self, header: bool = False, dimensions: bool = False, blocks: bool = False,
                salvage: bool = False) -> Listing:
        """A new :class:`Listing` of the file with the header section (layer,
        group, colour and line type names; ZVW, ZVC, ZVK), the texts of
        dimensions (ZVW, ZVS) and the block section (ZVW, ZVS) as asked: the
        window's three check boxes; with ``salvage``, after them the texts a
        salvage reading found past the places where the file is damaged.
        Raises ``ValueError`` once closed, ``MemoryError`` when memory runs
        out."""
        out = ctypes.c_void_p()
        with self._handle.borrow("document") as handle:
            flags = _flags(header, dimensions, blocks, salvage)
            _check_call(lib.vaveze_document_list(handle, flags, ctypes.byref(out)))
        return Listing._made(out, self)

    def close(self) -> None:
        """Lets the parse go, once listings being made in other threads are
        made. Closing again does nothing."""
        self._handle.close()


def _open(opened: int, handle: ctypes.c_void_p, filename: Optional[str]) -> Document:
    _check_call(opened)
    document = Document._made(handle, filename)
    if opened == _enums.NOT_RECOGNISED:
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


def list_file(path: PathLike, *, header: bool = False, dimensions: bool = False, blocks: bool = False,
              salvage: bool = False) -> Listing:
    """The listing of the file at ``path``: :func:`open` and
    :meth:`Document.listing` in one call, with the same errors."""
    with open(path) as document:
        return document.listing(header, dimensions, blocks, salvage)


def list_bytes(data: Union[bytes, bytearray, memoryview], name: PathLike, *, header: bool = False,
               dimensions: bool = False, blocks: bool = False, salvage: bool = False) -> Listing:
    """The listing of a file's bytes in memory, named ``name``:
    :func:`open_bytes` and :meth:`Document.listing` in one call."""
    with open_bytes(data, name) as document:
        return document.listing(header, dimensions, blocks, salvage)


class Row(NamedTuple):
    """One line of one file's listing: a row of the table ``vaveze-list
    --csv`` writes of many files."""

    file: str            #: the file's path, as given or as found in a folder
    line: int            #: the line's number in the file's listing, from 1
    kind: LineKind       #: what the line is (``kind.name.lower()`` is the table's name for it)
    block: Optional[int]  #: the block definition, from 0; None outside the block section
    text: str            #: the line, as the listing gives it


def _drawing_name(name: str) -> bool:
    """Whether a walk of a folder takes the file, by its extension in any
    case: the four formats' and the backups' (.bak, .bk?, .zv$)."""
    dot = name.rfind(".")
    extension = "".join(c.upper() if "a" <= c <= "z" else c for c in name[dot:]) if dot >= 0 else ""
    return extension in (".ZVW", ".ZVS", ".ZVC", ".ZVK", ".BAK", ".ZV$") or extension[:3] == ".BK"


def _sort_key(name: Union[str, bytes]) -> bytes:
    """A name's UTF-8 bytes (the file system's own on POSIX): folders are
    walked in their bytewise order, on every system."""
    return os.fsdecode(name).encode("utf-8", "surrogatepass") if WINDOWS else os.fsencode(name)


def _walk(folder: Union[str, bytes], onerror: Optional[Callable[[OSError], None]]) -> Iterator[Union[str, bytes]]:
    """The drawings of a folder and below as ``vaveze-list -r`` finds them:
    names in bytewise order, depth first, links to folders not followed."""
    try:
        with os.scandir(folder) as it:
            entries = sorted(it, key=lambda entry: _sort_key(entry.name))
    except OSError as error:
        if onerror is None:
            raise
        onerror(error)
        return
    for entry in entries:
        if entry.is_dir(follow_symlinks=False):
            yield from _walk(entry.path, onerror)
        elif _drawing_name(os.fsdecode(entry.name)) and not (entry.is_symlink() and os.path.isdir(entry.path)):
            yield entry.path


def rows(paths: Union[PathLike, Iterable[PathLike]], *, header: bool = False, dimensions: bool = False,
         blocks: bool = False, salvage: bool = False,
         onerror: Optional[Callable[[Exception], None]] = None) -> Iterator[Row]:
    """Every line of every file's listing, file after file: the table
    ``vaveze-list --csv`` writes, as rows, without a CSV step and with
    every text as the listing holds it (the table's apostrophe before a
    formula-looking text is never added here).

    ``paths`` is one path or several; a folder brings its drawings as
    ``vaveze-list -r`` walks it. A file that cannot be listed raises as
    :func:`list_file` does, and a folder that cannot be read its
    ``OSError``; with ``onerror``, ``onerror(error)`` is called instead and
    the rows go on with the next file, as ``os.walk`` does::

        for row in vaveze.rows("drawings", onerror=print):
            if row.kind == vaveze.LineKind.TEXT and "浴室" in row.text:
                print(row.file, row.line, row.text)
    """
    named = [paths] if isinstance(paths, (str, bytes, os.PathLike)) else list(paths)
    for path in named:
        files = _walk(os.fspath(path), onerror) if os.path.isdir(path) else [path]
        for file in files:
            try:
                listing = list_file(file, header=header, dimensions=dimensions, blocks=blocks, salvage=salvage)
            except (OSError, NotRecognisedError, MemoryError) as error:
                if onerror is None:
                    raise
                onerror(error)
                continue
            name = _name_of(file)
            for number, (text, kind, block) in enumerate(zip(listing, listing.kinds, listing.blocks), 1):
                yield Row(name, number, kind, block, text)
