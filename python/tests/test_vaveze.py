"""The package from outside, installed from its wheel: held to vaveze-list
over the samples and the fuzz seeds, its errors, threads, and README's
example as written.

Environment: VAVEZE_LIST (the tool), VAVEZE_SAMPLES, VAVEZE_SEEDS (the
seed folders by format, optional), VAVEZE_README, VAVEZE_HEADER (the C
library's vaveze.h).
"""
import concurrent.futures
import errno
import itertools
import json
import os
import re
import shutil
import subprocess
import sys

import pytest

import vaveze

TOOL = os.environ["VAVEZE_LIST"]
SAMPLES = os.environ["VAVEZE_SAMPLES"]
OPTIONS = ("header", "dimensions", "blocks")
CHOICES = [dict(zip(OPTIONS, bits)) for bits in itertools.product((False, True), repeat=3)]


def tool(*args, cwd=None):
    run = subprocess.run([TOOL, *map(str, args)], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, cwd=cwd)
    return run.returncode, run.stdout


def switches(choice, *more):
    return [*more, *("--" + name for name in OPTIONS if choice[name])]


@pytest.fixture(scope="module")
def files(tmp_path_factory):
    """The samples and every seed under its format's extension, each name
    its own, and what vaveze-list saves of each under every choice of
    options, in both encodings."""
    folder = tmp_path_factory.mktemp("files")
    names = []
    for sample in sorted(os.listdir(SAMPLES)):
        stem, extension = os.path.splitext(sample)
        names.append(f"{stem}-{extension[1:]}{extension}")  # symbol.zvs and symbol.zvk save apart
        shutil.copyfile(os.path.join(SAMPLES, sample), folder / names[-1])
    seeds = os.environ.get("VAVEZE_SEEDS", "")
    for form in ("zvw", "zvs", "zvc", "zvk"):
        for i, seed in enumerate(sorted(os.listdir(os.path.join(seeds, form))) if seeds else []):
            names.append(f"{form}-{i}.{form}")
            shutil.copyfile(os.path.join(seeds, form, seed), folder / names[-1])
    saved = tmp_path_factory.mktemp("saved")
    for n, choice in enumerate(CHOICES):
        for encoding in ("", "--utf8"):
            tool("--save", "-q", "--output-dir", saved / f"{n}{encoding}", *switches(choice, encoding or "--sjis"),
                 *names, cwd=folder)
    return folder, names, saved


def test_every_file_and_option_as_the_tool_lists_and_saves_it(files, tmp_path):
    folder, names, saved = files
    for name in names:
        status, _ = tool(folder / name)
        stem = os.path.splitext(name)[0] + ".txt"
        try:
            document = vaveze.open(folder / name)
        except vaveze.NotRecognisedError:
            assert status == 1, name
            continue
        with document:
            assert (status, document.complete) in ((0, True), (3, False)), name
            for n, choice in enumerate(CHOICES):
                listing = document.listing(**choice)
                sjis = (saved / str(n) / stem).read_bytes()
                utf8 = (saved / f"{n}--utf8" / stem).read_bytes()
                assert listing.to_bytes() == sjis and listing.to_bytes("utf-8") == utf8, (name, choice)
                assert b"".join(line + b"\r\n" for line in listing.raw) == sjis, (name, choice)
                assert "".join(line + "\n" for line in listing).encode("utf-8", "surrogateescape") == utf8
                assert len(listing.kinds) == len(listing.blocks) == len(listing), (name, choice)
            listing.save(tmp_path / stem)  # over the last choice's, every option on
            assert (tmp_path / stem).read_bytes() == sjis, name


def test_errors_are_those_python_users_expect(tmp_path):
    plan = open(os.path.join(SAMPLES, "plan.zvw"), "rb").read()
    (tmp_path / "folder.zvw").mkdir()
    (tmp_path / "empty.zvw").write_bytes(b"")
    (tmp_path / "symbol.zvw").write_bytes(open(os.path.join(SAMPLES, "symbol.zvs"), "rb").read())
    (tmp_path / "plan.dat").write_bytes(plan)
    os.mkfifo(tmp_path / "pipe.zvw")
    listing = vaveze.list_bytes(plan, "plan.zvw")
    closed = vaveze.open(os.path.join(SAMPLES, "plan.zvw"))
    closed.close()
    cases = [
        (lambda: vaveze.open(tmp_path / "none.zvw"), FileNotFoundError, None),
        (lambda: vaveze.list_file(tmp_path / "folder.zvw"), IsADirectoryError, None),
        (lambda: vaveze.open(tmp_path / "pipe.zvw"), vaveze.NotRecognisedError, vaveze.Reason.NOT_A_FILE),
        (lambda: vaveze.open(tmp_path / "empty.zvw"), vaveze.NotRecognisedError, vaveze.Reason.EMPTY),
        (lambda: vaveze.open(tmp_path / "symbol.zvw"), vaveze.NotRecognisedError, vaveze.Reason.WRONG_MAGIC),
        (lambda: vaveze.open(str(tmp_path / "plan.dat")), vaveze.NotRecognisedError,
         vaveze.Reason.UNKNOWN_EXTENSION),
        (lambda: vaveze.list_bytes(plan, "plan.zvc"), ValueError, vaveze.Reason.WRONG_MAGIC),
        (lambda: vaveze.list_bytes(b"", "a.zvw"), vaveze.NotRecognisedError, vaveze.Reason.EMPTY),
        (lambda: vaveze.list_bytes("text", "plan.zvw"), TypeError, None),
        (lambda: vaveze.open(42), TypeError, None),
        (lambda: vaveze.open("plan\0.zvw"), ValueError, None),
        (lambda: closed.listing(), ValueError, None),
        (lambda: listing.save(tmp_path / "no" / "plan.txt"), FileNotFoundError, None),
        (lambda: listing.save(tmp_path / "folder.zvw"), IsADirectoryError, None),
        (lambda: listing.to_bytes("utf-16"), ValueError, None),
    ]
    if os.geteuid() != 0:  # root reads any file
        (tmp_path / "locked.zvw").write_bytes(plan)
        os.chmod(tmp_path / "locked.zvw", 0)
        cases.append((lambda: vaveze.open(tmp_path / "locked.zvw"), PermissionError, None))
    for call, error, reason in cases:
        with pytest.raises(error) as raised:
            call()
        assert reason is None or raised.value.reason == reason, raised.value
    with pytest.raises(OSError) as raised:
        vaveze.open(tmp_path / ("x" * 300 + ".zvw"))
    assert raised.value.errno == errno.ENAMETOOLONG  # as the system says it, not EIO
    assert vaveze.NotRecognisedError.__mro__[1] is ValueError
    with pytest.raises(vaveze.NotRecognisedError) as raised:
        vaveze.open(tmp_path / "symbol.zvw")
    assert raised.value.warning == vaveze.WarningKind.NOT_ZVW and raised.value.warning.text
    # A cut file is listed as far as it could be read, and says where it stops.
    cut = vaveze.list_bytes(bytearray(plan[:17000]), "plan.zvw")
    assert (cut.complete, cut.reason, cut.offset) == (False, vaveze.Reason.ENDS_EARLY, 17000)
    assert "17,000" in cut.message and cut.raw == vaveze.list_bytes(plan, "plan.zvw").raw[:len(cut)]
    assert vaveze.__version__ == vaveze.library_version()
    assert "site-packages" in vaveze.__file__  # the wheel installed, not the source folder


def test_codes_are_the_headers_and_kinds_the_tools():
    header = open(os.environ["VAVEZE_HEADER"], encoding="utf-8").read()
    for enum, prefix in ((vaveze.Format, "FORMAT"), (vaveze.Reason, "REASON"), (vaveze.WarningKind, "WARNING"),
                         (vaveze.LineKind, "LINE")):
        declared = {name: int(value) for name, value in re.findall(r"VAVEZE_%s_(\w+) = (-?\d+)" % prefix, header)}
        assert {member.name: member.value for member in enum} == declared, enum
    plan = os.path.join(SAMPLES, "plan.zvw")
    _, lines = tool("--json", "--header", "--dimensions", "--blocks", plan)
    with vaveze.list_file(plan, header=True, dimensions=True, blocks=True) as listing:
        assert [kind.name.lower() for kind in listing.kinds] == [json.loads(line)["kind"] for line in lines.splitlines()]


def test_salvage_lists_what_it_found_after_the_rest_as_the_tool_does(tmp_path):
    plan = open(os.path.join(SAMPLES, "plan.zvw"), "rb").read()
    damaged = plan[:12000] + plan[12007:]  # a run out of the header: the entities are read out of step
    (tmp_path / "damaged.zvw").write_bytes(damaged)
    ordinary = vaveze.list_bytes(damaged, "damaged.zvw", blocks=True)
    salvaged = vaveze.list_bytes(damaged, "damaged.zvw", blocks=True, salvage=True)
    assert not salvaged.complete and salvaged.offset == ordinary.offset
    assert salvaged[:len(ordinary)] == list(ordinary) and len(salvaged) > len(ordinary) + 1
    assert salvaged.salvaged == (False,) * len(ordinary) + (True,) * (len(salvaged) - len(ordinary))
    assert ordinary.salvaged == (False,) * len(ordinary) and ordinary.skipped == ()
    place = salvaged.skipped[0]
    assert isinstance(place.reason, vaveze.Reason) and place.start < place.end <= len(damaged)
    assert tool("--sjis", "--blocks", "--salvage", tmp_path / "damaged.zvw") == (3, salvaged.to_bytes())


def test_a_listing_closes_as_a_file_does():
    with vaveze.list_file(os.path.join(SAMPLES, "plan.zvw")) as listing:
        first = listing[0]
        assert not listing.closed
    assert listing.closed and first and len(listing) > 0
    for read in (lambda: listing[0], lambda: listing.raw, lambda: listing.kinds, listing.to_bytes,
                 lambda: listing.save("plan.txt")):
        with pytest.raises(ValueError, match="closed"):
            read()
    listing.close()  # again: nothing
    for made in (vaveze.Listing, vaveze.Document):
        with pytest.raises(TypeError):
            made()


def test_metadata_names_the_licence():
    from importlib import metadata

    assert metadata.metadata("vaveze")["License"] == "MIT"
    assert any(file.name == "LICENSE" for file in metadata.files("vaveze"))


def test_twenty_threads_list_as_one_does():
    paths = [os.path.join(SAMPLES, name) for name in sorted(os.listdir(SAMPLES))] * 5
    shared = vaveze.open(paths[0])

    def work(path):
        return [list(shared.listing(**choice)) for choice in CHOICES], vaveze.list_file(path, blocks=True).raw

    one = [work(path) for path in paths]
    with concurrent.futures.ThreadPoolExecutor(max_workers=20) as pool:
        assert list(pool.map(work, paths)) == one


def test_readme_example_runs_as_written(tmp_path):
    with open(os.environ["VAVEZE_README"], encoding="utf-8") as f:
        section = f.read().split("\n## Python", 1)[1].split("\n## ", 1)[0]
    example = re.search(r"```python\n(.*?)```", section, re.S).group(1)
    drawings = tmp_path / "drawings"
    drawings.mkdir()
    for sample in os.listdir(SAMPLES):
        shutil.copyfile(os.path.join(SAMPLES, sample), drawings / sample)
    (drawings / "notes.txt").write_text("not a drawing")
    run = subprocess.run([sys.executable, "-c", example], cwd=tmp_path, stdout=subprocess.PIPE, check=True)
    rows = run.stdout.decode("utf-8").splitlines()
    assert [row.split("\t")[0] for row in rows] == sorted(os.listdir(SAMPLES)), rows
    for row in rows:
        _, listed = tool("--utf8", drawings / row.split("\t")[0])
        assert listed.decode("utf-8").splitlines()[1] in row, row


def test_rows_are_the_table_of_the_tool_without_its_csv(tmp_path):
    """vaveze.rows over a tree equals vaveze-list --csv read back with the
    csv module, but for the apostrophe the table puts before a text that
    looks like a formula; a file that cannot be listed raises, or goes to
    onerror and the rows go on."""
    import csv

    tree = tmp_path / "tree"
    (tree / "b" / "c").mkdir(parents=True)
    for n, sample in enumerate(sorted(os.listdir(SAMPLES))):
        shutil.copyfile(os.path.join(SAMPLES, sample), tree / ("b/c" if n % 2 else "b") / sample)
    shutil.copyfile(os.path.join(SAMPLES, "plan.zvw"), tree / "plan.BAK")
    (tree / "b" / "notes.txt").write_text("not a drawing")
    (tree / "b" / "wrong.zvw").write_text("not a drawing")
    status, table = tool("--csv", "-", "--utf8", "--blocks", "-r", tree)
    assert status == 1
    expected = list(csv.reader(table.decode("utf-8-sig").splitlines(True)))
    assert expected[0] == ["file", "line", "kind", "block", "text"]
    failed = []
    got = [[row.file, str(row.line), row.kind.name.lower(), "" if row.block is None else str(row.block),
            "'" + row.text if row.text[:1] in ("=", "+", "-", "@", "\t", "\r") else row.text]
           for row in vaveze.rows(str(tree), blocks=True, onerror=failed.append)]
    assert got == expected[1:]
    assert [error.filename for error in failed] == [str(tree / "b" / "wrong.zvw")]
    with pytest.raises(vaveze.NotRecognisedError):
        list(vaveze.rows([tree / "plan.BAK", tree / "b" / "wrong.zvw"]))
    assert next(vaveze.rows(tree / "plan.BAK")) == vaveze.Row(str(tree / "plan.BAK"), 1, vaveze.LineKind.HEADING, None,
                                                             "■文字情報")
