"""Writes the package's enums from the C library's header, so that the codes
Python hands out are the ones the library returns, by construction.

    python3 make_enums.py vaveze.h OUT/_enums.py

Each enum of the header becomes an ``enum.IntEnum`` named as below, its
members named without their common prefix and documented by the header's
comment; the statuses, encodings and flags become constants of the module.
"""
import re
import sys

# C enum -> (Python class, its docstring, the prefix its members drop).
ENUMS = {
    "vaveze_format": ("Format", "The format of a file listed.", "VAVEZE_FORMAT_"),
    "vaveze_reason": ("Reason", "Why a file was listed only in part, or not at all.", "VAVEZE_REASON_"),
    "vaveze_warning": ("WarningKind", "The warning the window shows for a .zvw or .zvs file that does not start "
                       "as one.", "VAVEZE_WARNING_"),
    "vaveze_line_kind": ("LineKind", "What a line of a listing is.", "VAVEZE_LINE_"),
}
# C enums and flags that stay inside the package, as constants.
CONSTANTS = {"vaveze_status": "VAVEZE_", "vaveze_encoding": "VAVEZE_ENCODING_"}
FLAGS = ("VAVEZE_HEADER", "VAVEZE_DIMENSIONS", "VAVEZE_BLOCKS", "VAVEZE_SALVAGE")


def members(header, name):
    """The (name, value, comment) of each value of the C enum `name`."""
    body = re.search(r"typedef enum %s \{(.*?)\} %s;" % (name, name), header, re.S)
    if body is None:
        raise SystemExit(f"make_enums.py: no enum {name} in the header")
    found = []
    pattern = r"(VAVEZE_\w+) = (-?\d+),?[ \t]*(?:/\*(.*?)\*/)?"
    for match in re.finditer(pattern, body.group(1), re.S):
        comment = " ".join(match.group(3).split()) if match.group(3) else ""
        found.append((match.group(1), int(match.group(2)), comment))
    return found


def main(header_path, out_path):
    header = open(header_path, encoding="utf-8").read()
    lines = ['"""The C library\'s codes as its header vaveze.h declares them (written by',
             'make_enums.py when the package is built)."""', "import enum", ""]
    for c_name, prefix in CONSTANTS.items():
        for name, value, _ in members(header, c_name):
            lines.append(f"{name[len(prefix):]} = {value}")
    for flag in FLAGS:
        value = re.search(r"#define %s (0x[0-9a-f]+)u" % flag, header).group(1)
        lines.append(f"{flag[len('VAVEZE_'):]} = {value}")
    for c_name, (py_name, doc, prefix) in ENUMS.items():
        lines += ["", "", f"class {py_name}(enum.IntEnum):", f'    """{doc}"""', ""]
        for name, value, comment in members(header, c_name):
            lines.append(f"    {name[len(prefix):]} = {value}" + (f"  #: {comment}" if comment else ""))
    with open(out_path, "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(*sys.argv[1:])
