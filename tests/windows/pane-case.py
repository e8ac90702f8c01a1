"""Turns the pane case every front runs (tests/data/pane_edits.json) into
files the window test reads: case-file (the file to list), case-boxes (the
three boxes, 0 or 1), case-shown (the pane's line as window-state.exe prints
it), case-edits (window-state.exe's edit commands) and case-saved (the bytes
the save must write).
    python3 pane-case.py CASE.json FOLDER"""
import json
import shlex
import sys

case, folder = json.load(open(sys.argv[1], encoding="utf-8")), sys.argv[2]


def write(name, text):
    with open(f"{folder}/{name}", "w", encoding="utf-8") as out:
        out.write(text)


options = case["options"]
write("case-file", case["file"] + "\n")
write("case-boxes", "%d %d %d\n" % (options["header"], options["dimensions"], options["blocks"]))
write("case-shown", "1009 - " + "\\n".join(case["shown"]) + "\n")
commands = []
for edit in case["edits"]:
    if edit["edit"] == "insert":
        commands.append("insert %d %s" % (edit["line"], shlex.quote(edit["text"])))
    elif edit["edit"] == "delete":
        commands.append("delete %d" % edit["line"])
    elif edit["edit"] == "type":
        commands.append("type %d %d %s" % (edit["line"], edit["column"], shlex.quote(edit["text"])))
    else:
        sys.exit("unknown edit: " + edit["edit"])
write("case-edits", "".join(c + "\n" for c in commands))
with open(f"{folder}/case-saved", "wb") as out:
    out.write(b"".join(bytes.fromhex(line) + b"\r\n" for line in case["saved"]))
