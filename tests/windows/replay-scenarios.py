"""Replays rows of the window flow's scenario table
(tests/data/window_scenarios.json) through the Windows window's own
controls under wine: buttons and boxes clicked, text typed into the pane and
the fields, the system's dialogs answered by the table's next steps, what
the controls then show read by window-state.exe and held to the row's
expectations. Each row runs in a window of its own, in a fresh folder.
    python3 replay-scenarios.py NATIVE_TOOL VAVEZE_EXE WINDOW_STATE_EXE WINE WORK ROW...
Prints FAIL lines and "N passed, N failed" (a row each); exit status 1 on a
failure. Needs WINEPREFIX and DISPLAY set up as the window test does."""
import json
import os
import re
import subprocess
import sys
import time

native, exe, state_exe, wine, work = sys.argv[1:6]
native, exe, state_exe, work = map(os.path.abspath, (native, exe, state_exe, work))
rows = sys.argv[6:]
root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
table = json.load(open(f"{root}/tests/data/window_scenarios.json", encoding="utf-8"))["scenarios"]


def catalogue():
    """msgid -> msgstr of the Japanese catalogue."""
    texts, key, field = {}, None, None
    for line in open(f"{root}/po/ja.po", encoding="utf-8"):
        if line.startswith(("msgid ", "msgstr ")):
            field, rest = line.split(" ", 1)
            if field == "msgid":
                key = ""
            else:
                texts[key] = ""
            line = rest
        if line.startswith('"') and field:
            text = json.loads(line)
            if field == "msgid":
                key += text
            else:
                texts[key] += text
    return texts


ja = catalogue()
QUESTIONS = {
    "edits lost: relist": "The pane holds changes you made. Listing the file again with the new options replaces them. "
    "List it again?",
    "edits lost: open": "The pane holds changes you made. Opening another file replaces them. Open it?",
    "edits lost: close": "The pane holds changes you made that have not been saved. Save them?",
}
REPLIES = {answer: ja[msgid] for answer, msgid in (
    ("yes", "Yes"), ("no", "No"), ("cancel", "Cancel"), ("save", "Save"), ("don't save", "Don't save"),
    ("save edits", "Save the edits"), ("save whole", "Save the whole listing"))}
BOXES = {"header": 1003, "dimensions": 1004, "blocks": 1005}


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def state(*args):
    """window-state.exe's exit status and output. Its output goes through a
    file: a process wine starts meanwhile may hold a pipe open for good."""
    with open(f"{work}/state", "w+b") as out:
        try:
            code = subprocess.run([wine, state_exe, *args], stdout=out, stderr=subprocess.DEVNULL, timeout=30).returncode
        except subprocess.TimeoutExpired:
            code = -1
        out.seek(0)
        return code, out.read().decode("utf-8", "replace")


def until(test, seconds=20):
    deadline = time.monotonic() + seconds
    while True:
        result = test()
        if result or time.monotonic() > deadline:
            return result
        time.sleep(0.1)


class Replay:
    def __init__(self, folder, pane_limit):
        self.dir = folder
        self.asked, self.offered, self.told, self.proposed = [], [], [], []
        self.saving, self.answer_next = None, False
        environment = dict(os.environ)
        if pane_limit:
            environment["VAVEZE_TEST_PANE_LIMIT"] = str(pane_limit)
        self.program = subprocess.Popen([wine, exe], cwd=folder, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, env=environment)
        if not until(lambda: state()[0] == 0, 60):
            raise RuntimeError("no window")

    def dialogs(self):
        """The program's other windows: (kind, text, field) each."""
        found = []
        for window in ("\n" + state("others")[1]).split("\nwindow ")[1:]:
            children = [line.split(" ", 2) for line in window.split("\n")[1:] if line.count(" ") >= 2]
            ids = {int(c[0]) for c in children if c[0].lstrip("-").isdigit()}
            texts = [c[2] for c in children]
            field = next((c[2] for c in children if c[0] in ("1148", "1152")), None)
            if field is not None:
                found.append(("file", "", field))
            elif any(caption in texts for caption in REPLIES.values()):
                found.append(("question", max(texts, key=len), [t for t in texts if t in REPLIES.values()]))
            elif ids:
                found.append(("box", max(texts, key=len), None))
        return found

    def dialog(self, kind):
        """Waits for a dialog of `kind`, telling the boxes said meanwhile."""
        def seen():
            for what, text, field in self.dialogs():
                if what == kind:
                    return what, text, field
                if what == "box":
                    self.tell(text)
            return None
        found = until(seen)
        if not found:
            raise RuntimeError(f"no {kind} dialog")
        return found

    def tell(self, text):
        self.told.append(text.replace("\\n", "\n"))
        state("click", "1")
        until(lambda: not self.dialogs(), 5)

    def choose_target(self, name):
        """The save dialog: its proposed name noted, `name` given (None: cancelled)."""
        _, _, field = self.dialog("file")
        self.proposed.append(field)
        state("name", windows_path(f"{self.dir}/{name}")) if name else state("click", "2")
        self.gone()
        self.saving = None

    def gone(self):
        until(lambda: not any(what != "box" for what, _, _ in self.dialogs()))

    def run(self, steps):
        for number, step in enumerate(steps, 1):
            key, value = next(iter(step.items()))
            self.answer_next = number < len(steps) and "answer" in steps[number]
            try:
                failures = self.step(key, value)
            except RuntimeError as error:
                failures = [str(error)]
            if failures:
                return [f"step {number} ({key}): {failure}" for failure in failures]
        return []

    def step(self, key, value):
        if key == "open":
            state("click", "1001")
            self.dialog("file")
            if len(value) > 1:
                state("name", windows_path(self.dir))
                time.sleep(0.5)
                state("name", " ".join(f'"{name}"' for name in value))
            else:
                state("name", windows_path(f"{self.dir}/{value[0]}"))
            self.gone()
        elif key == "toggle":
            state("click", str(BOXES[value]))
        elif key == "edit":
            state("end", value)
        elif key == "save":
            state("click", "1006")
            # A question may come before the dialog: then the dialog once it
            # is answered.
            self.saving = value
            if not self.answer_next:
                self.choose_target(value)
        elif key == "save as":
            self.choose_target(value)
        elif key in ("find", "find previous"):
            if not self.shown("1014"):
                state("key", "2001")
                until(lambda: self.shown("1014"))
            # The field finds as its text changes, from the selection's
            # start, as a user's typing does; a needle it holds already is
            # looked for again by the button.
            holds = f"\n1014 - {value}\n" in state()[1]
            if not holds:
                state("text", "1014", value)
            if holds or key == "find previous":
                state("click", "1016" if key == "find" else "1015")
        elif key == "ctrl+f":
            state("key", "2001")
        elif key == "take offer":
            state("click", "1020")
        elif key == "save all":
            state("click", "1011")
        elif key == "stop":
            state("click", "1019")
        elif key == "close":
            state("close")
        elif key == "choose":
            state("choose", str(value))
        elif key == "filter":
            state("text", "1012", value)
        elif key == "answer":
            _, text, buttons = self.dialog("question")
            self.asked.append(text.replace("\\n", "\n"))
            self.offered.append(buttons)
            state("click", REPLIES[value])
            self.gone()
            if self.saving is not None and value != "cancel":
                self.choose_target(self.saving)
            self.saving = None
        elif key == "wait":
            pass  # each expectation waits for what it expects
        elif key == "expect":
            return self.expect(value)
        else:
            return [f"not replayed here: {key}"]
        return []

    def shown(self, control):
        return any(line.split()[0] == control and line.endswith(" 1") for line in state("places")[1].split("\n")[1:] if line)

    def observe(self):
        # A read while the window is busy may time out or come back short.
        for _ in range(10):
            code, out = state()
            if code == 1 or self.program.poll() is not None:
                return {"closed": True}
            if code == 0 and "\n1005 " in out:
                break
        lines = out.split("\n")
        shown = {line.split()[0]: line.split()[-1] == "1" for line in state("places")[1].split("\n")[1:] if line}
        control = {m[1]: (m[2], m[3]) for m in (re.match(r"^(\d+) (\S+) (.*)$", line) for line in lines) if m}
        entries = next((line.split()[1:] for line in lines if line.startswith("entries")), [])
        selected = int(control.get("1013", ("-1", ""))[0])
        text = lambda id: control.get(id, ("", ""))[1]
        return {
            "closed": False, "status": text("1010"), "path": text("1002"),
            "notice": text("1008") if shown.get("1008") else "",
            "boxes": [control[str(id)][0] == "1" for id in (1003, 1004, 1005)],
            "list shown": shown.get("1013", False), "rows": text("1013").split("\\n"),
            "entries": [int(entry) for entry in entries],
            "selected": int(entries[selected]) if 0 <= selected < len(entries) else None,
            "pane": text("1009"), "edited": "modified 1" in lines, "find field": text("1014"),
            "notice offer": text("1020") if shown.get("1020") else "", "pane lines": len(text("1009").split("\\n")), "saving all": shown.get("1019", False),
            "pane selection": next((line[10:] for line in lines if line.startswith("selection ")), ""),
        }

    def listing(self, name, boxes, *form):
        options = [flag for flag, on in zip(("--header", "--dimensions", "--blocks"), boxes) if on]
        return subprocess.run([native, *form, *options, f"{self.dir}/{name}"], capture_output=True).stdout

    def mismatches(self, expect, seen):
        wrong = []
        def differ(key, want, got):
            if want != got:
                wrong.append(f"{key}: {got!r}, not {want!r}")
        for key, want in expect.items():
            if key in ("asked", "offered", "told", "proposed"):
                said = {"asked": self.asked, "offered": self.offered, "told": self.told, "proposed": self.proposed}[key]
                if key == "asked":
                    want = [ja[QUESTIONS[w]] if w in QUESTIONS else w for w in want]
                differ(key, want, said)
            elif key in ("marks", "tooltips hold", "folders", "beeps"):
                continue  # drawn or sounded, not read through the controls' texts here
            elif key == "selected" and want is not None and expect.get("hidden", [])[want:want + 1] == [True]:
                continue  # the filter hides the selected row: no row shows it
            elif seen["closed"] or key == "closed":
                differ("closed", expect.get("closed", False), seen["closed"])
            elif key in ("status", "notice"):
                # The status line is one line; the notice shows line ends.
                want = re.sub(r"\{dir\}([^」]*)", lambda m: windows_path(self.dir + m[1]), want)
                differ(key, want.replace("\n", " " if key == "status" else "\\n"), seen[key])
            elif key == "path":
                differ(key, windows_path(f"{self.dir}/{want}"), seen[key])
            elif key == "hidden":
                differ(key, want, [i not in seen["entries"] for i in range(len(want))])
            elif key == "pane":
                listing = self.listing(want["listing"], seen["boxes"], "--utf8").decode("utf-8")
                differ(key, listing.rstrip("\n").replace("\n", "\\n"), seen[key])
            elif key == "pane holds":
                if want not in seen["pane"]:
                    wrong.append(f"the pane does not hold {want!r}")
            elif key == "files":
                for name, holds in want.items():
                    path = f"{self.dir}/{name}"
                    got = open(path, "rb").read() if os.path.exists(path) else None
                    if isinstance(holds, dict):
                        holds = self.listing(holds["listing"], seen["boxes"], "--sjis")
                    elif isinstance(holds, str):
                        holds = holds.encode("utf-8")
                    differ(f"file {name}", holds, got)
            elif key in seen:
                differ(key, want, seen[key])
            else:
                wrong.append(f"not observed here: {key}")
        return wrong

    def expect(self, expect):
        def met():
            for what, text, _ in self.dialogs():
                if what == "box":
                    self.tell(text)
            return not self.mismatches(expect, self.observe())
        until(met, 20)
        wrong = self.mismatches(expect, self.observe())
        self.asked, self.offered, self.told, self.proposed = [], [], [], []
        return wrong

    def close(self):
        if self.program.poll() is None:
            self.program.kill()
            self.program.wait()


def make_files(files, folder):
    for name, how in files.items():
        path = f"{folder}/{name}"
        os.makedirs(path if how.get("folder") else os.path.dirname(path), exist_ok=True)
        if how.get("folder"):
            continue
        data = open(f"{root}/samples/{how['sample']}", "rb").read() if "sample" in how else how["text"].encode("utf-8")
        if "zero" in how:  # a damaged place: [offset, length]
            at, length = how["zero"]
            data = data[:at] + bytes(length) + data[at + length:]
        with open(path, "wb") as out:
            out.write(data[: how.get("first", len(data))])


passed = failed = 0
for number, name in enumerate(rows):
    row = next(r for r in table if r["name"] == name)
    folder = f"{work}/replay-{number}"
    make_files(row["files"], folder)
    replay = None
    try:
        replay = Replay(folder, row.get("pane limit"))
        failures = replay.run(row["steps"])
    except RuntimeError as error:
        failures = [str(error)]
    finally:
        if replay:
            replay.close()
    for failure in failures:
        print(f"FAIL: {name}: {failure}")
    passed, failed = passed + (not failures), failed + bool(failures)
print(f"replayed: {passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
