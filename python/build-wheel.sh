#!/bin/sh
# Builds the wheel of the Python package with the shared library of a build
# folder inside it and its enums written from the library's header, from a
# copy of python/ (the source folder stays clean).
#   [PYTHON=python3] build-wheel.sh BUILD_DIR OUT_DIR  ->  OUT_DIR/vaveze-<version>-py3-none-<platform>.whl
set -eu
build=$1 out=$2
root=$(cd "$(dirname "$0")/.." && pwd)
stage=$out/package
rm -rf "$stage" "$out"/vaveze-*.whl
mkdir -p "$stage"
cp -R "$root/python/vaveze" "$root/python/pyproject.toml" "$root/python/setup.py" "$root/python/README.md" \
    "$root/LICENSE" "$stage/"
find "$stage" -name __pycache__ -prune -exec rm -rf {} +
cp -L "$build/core/capi/libvaveze.so.1" "$stage/vaveze/"
"${PYTHON:-python3}" "$root/python/make_enums.py" "$root/core/capi/vaveze.h" "$stage/vaveze/_enums.py"
if ! "${PYTHON:-python3}" -m build --wheel --no-isolation --outdir "$out" "$stage" >"$out/build.log" 2>&1; then
    cat "$out/build.log" >&2
    exit 1
fi
ls "$out"/vaveze-*.whl
