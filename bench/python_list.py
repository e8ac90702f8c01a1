"""Times listing the large benchmark files through the Python package
against vaveze-list (every option on), median of RUNS runs each:
  - vaveze-list FILE > /dev/null
  - list_file, then to_bytes(): the same bytes, in Python
  - list_file, then the lines as str, the raw bytes and the kinds

usage: python bench/python_list.py VAVEZE_LIST BENCH_FILES_DIR [RUNS]   (vaveze installed, e.g. build-python/venv)
"""
import os
import statistics
import subprocess
import sys
import time

import vaveze

tool, folder = sys.argv[1:3]
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
ALL = dict(header=True, dimensions=True, blocks=True)


def median_ms(work):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times)


def run_tool(path):
    with open(os.devnull, "wb") as null:
        subprocess.run([tool, "--header", "--dimensions", "--blocks", path], stdout=null, check=True)


def every_field(path):
    listing = vaveze.list_file(path, **ALL)
    return list(listing), listing.raw, listing.kinds


print("| file | lines | vaveze-list | Python, to_bytes() | Python, lines + raw + kinds |")
print("|---|---|---|---|---|")
for name in ("large.zvw", "large.zvs", "largest.zvc", "largest.zvk"):
    path = os.path.join(folder, name)
    lines = len(vaveze.list_file(path, **ALL))
    cli = median_ms(lambda: run_tool(path))
    whole = median_ms(lambda: vaveze.list_file(path, **ALL).to_bytes())
    fields = median_ms(lambda: every_field(path))
    print(f"| {name} | {lines:,} | {cli:,.0f} ms | {whole:,.0f} ms ({whole / cli:.1f} ×) "
          f"| {fields:,.0f} ms ({fields / cli:.1f} ×) |")
