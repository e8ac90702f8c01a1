# The two commands a new user needs: `make run` and `make test`.
BUILD_DIR ?= build
RUN_DIR ?= build-run
BENCH_DIR ?= build-bench
ASAN_DIR ?= build-asan
TSAN_DIR ?= build-tsan
WEB_DIR ?= build-web
WINDOWS_DIR ?= build-windows
PYTHON_DIR ?= build-python
# Debian's Python, whose packages build and test the wheel, before any other.
PYTHON ?= $(shell [ -x /usr/bin/python3 ] && echo /usr/bin/python3 || command -v python3)
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600
FUZZ_RUNS ?= -1
# Where `make install` puts everything: the user's own by default.
PREFIX ?= $(HOME)/.local

.PHONY: all deps configure build run install uninstall docs test test-asan test-tsan test-web web windows \
  test-windows python test-python fuzz bench bench-web clean

all: build

deps:
	@sh scripts/install-deps.sh test

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Only the window and the tool, in a build folder of their own without the
# tests, so neither GoogleTest nor the test-only packages are needed.
run:
	@sh scripts/install-deps.sh
	@cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVAVEZE_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(RUN_DIR) -j $(JOBS) --target vaveze vaveze-list
	@$(RUN_DIR)/app/vaveze

# The window, the tool and the C library from the build of `make run`, with
# the man page, the bash completion, the desktop entry with its icon and
# file types, and the licence, under $(PREFIX) (bin/, share/, lib/,
# include/); the desktop learns the file types where its tools are there.
install:
	@sh scripts/install-deps.sh
	@cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVAVEZE_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(RUN_DIR) -j $(JOBS)
	@cmake --install $(RUN_DIR) --prefix $(PREFIX)
	@! command -v update-mime-database >/dev/null 2>&1 || update-mime-database $(PREFIX)/share/mime
	@! command -v update-desktop-database >/dev/null 2>&1 || update-desktop-database -q $(PREFIX)/share/applications

# Removes what the last `make install` put in place.
uninstall:
	@[ -f $(RUN_DIR)/install_manifest.txt ] || { echo "nothing installed from $(RUN_DIR)" >&2; exit 1; }
	@tr '\n' '\0' <$(RUN_DIR)/install_manifest.txt | xargs -0 rm -f
	@! command -v update-mime-database >/dev/null 2>&1 || [ ! -d $(PREFIX)/share/mime ] || update-mime-database $(PREFIX)/share/mime

# The page's screenshots in docs/ and the README's figure of its size, from
# the build (not part of `make test`).
docs: web
	@node tools/docs/page-docs.mjs $(WEB_DIR)

# The whole suite, then the whole suite again under AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer, and the C library's under
# ThreadSanitizer. (No strict_string_checks:
# uninstrumented system libraries under the window pass unterminated
# strings with their lengths, which it reports as overflows.)
test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-python
	@$(MAKE) --no-print-directory test-web
	@$(MAKE) --no-print-directory test-asan
	@$(MAKE) --no-print-directory test-tsan
	@$(MAKE) --no-print-directory test-windows

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)
	@cd $(ASAN_DIR) && ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# The C library and its tests alone under ThreadSanitizer: one listing read
# by many threads at once, as its header allows.
test-tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS)
	@cd $(TSAN_DIR) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --output-on-failure -j $(JOBS)

# The Python package: $(PYTHON_DIR)/vaveze-<version>-py3-none-linux_x86_64.whl
# with the shared library of $(BUILD_DIR) inside, by Debian's python3-build,
# python3-setuptools and python3-wheel (no package index).
python: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target vaveze_shared
	@PYTHON=$(PYTHON) sh python/build-wheel.sh $(BUILD_DIR) $(PYTHON_DIR)

# The wheel installed into a fresh virtual environment in $(PYTHON_DIR) (with
# the system's packages, for Debian's pytest), its tests run there against
# vaveze-list on the samples and the fuzz seeds.
test-python: build python
	@rm -rf $(PYTHON_DIR)/venv
	@$(PYTHON) -m venv --system-site-packages $(PYTHON_DIR)/venv
	@$(PYTHON_DIR)/venv/bin/python -m pip install -q --no-index --no-deps $(PYTHON_DIR)/vaveze-*.whl
	@cd $(PYTHON_DIR) && VAVEZE_LIST=$(abspath $(BUILD_DIR))/cli/vaveze-list VAVEZE_SAMPLES=$(CURDIR)/samples \
	  VAVEZE_SEEDS=$(abspath $(BUILD_DIR))/fuzz/seeds VAVEZE_README=$(CURDIR)/README.md \
	  VAVEZE_HEADER=$(CURDIR)/core/capi/vaveze.h \
	  venv/bin/python -m pytest -q -p no:cacheprovider --import-mode=importlib $(CURDIR)/python/tests

# The core as WebAssembly: the page $(WEB_DIR)/vaveze.html and the Node
# package (vaveze-list.mjs: cli/ compiled for Node; vaveze.mjs: the API).
# The page's script is bundled with its pane's editor from
# web/package-lock.json. Debian's emscripten runs its JavaScript tools with
# the system's node, which finds their modules only through NODE_PATH.
EM_ENV = NODE_PATH=/usr/share/nodejs:/usr/lib/nodejs$${NODE_PATH:+:$$NODE_PATH}
web: deps
	@cd web && npm ci --no-audit --no-fund --loglevel=error
	@$(EM_ENV) emcmake cmake -S . -B $(WEB_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DVAVEZE_BUILD_GUI=OFF -DVAVEZE_BUILD_TESTS=OFF >/dev/null
	@$(EM_ENV) cmake --build $(WEB_DIR) -j $(JOBS)

# The native tool's behaviour cases over the Node tool, its listings against
# the native one's on every sample and seed, the Node API, listBytes against
# the C library on damaged copies of the fuzz seeds, and the page in
# headless Chromium and Firefox ESR (puppeteer-core from
# web/package-lock.json).
test-web: web build
	@VAVEZE_BUILD=$(BUILD_DIR) VAVEZE_WEB=$(WEB_DIR) node --test tests/web/

# The WebAssembly build on the large benchmark files: Node against the native
# tool, and the page until a listing is shown (figures in BENCHMARKS.md).
bench-web: web build
	@[ -f $(WEB_DIR)/bench-files/large.zvw ] || $(BUILD_DIR)/bench/vaveze_make_bench_files $(WEB_DIR)/bench-files
	@node web/bench.mjs $(BUILD_DIR) $(WEB_DIR) $(WEB_DIR)/bench-files $(BENCH_RUNS)
# The Windows build, cross-compiled with mingw-w64, packed as
# $(WINDOWS_DIR)/vaveze-windows-x64.zip with the page of `make web`.
windows: deps web
	@cmake --preset windows -DVAVEZE_WEB_PAGE=$(abspath $(WEB_DIR))/vaveze.html >/dev/null
	@cmake --build $(WINDOWS_DIR) -j $(JOBS)

# The Windows tool under wine, held to the Linux one: every listing byte for
# byte and every exit status, Japanese names, CR LF, a console; then the
# Windows window driven on a virtual display (Xvfb). The wine prefix is made
# in $(WINDOWS_DIR) on first use.
test-windows: build windows
	@sh tests/windows/run-wine-tests.sh $(BUILD_DIR)/cli/vaveze-list $(WINDOWS_DIR) $(BUILD_DIR)/fuzz/seeds
	@sh tests/windows/run-wine-window-tests.sh $(BUILD_DIR)/cli/vaveze-list $(WINDOWS_DIR)

# Each fuzz target for FUZZ_SECONDS (or FUZZ_RUNS executions, if sooner),
# one after the other (needs clang); FUZZ_TARGETS picks some of them.
fuzz: build
	@FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_RUNS=$(FUZZ_RUNS) FUZZ_MAX_LEN=$(FUZZ_MAX_LEN) SEED_DIR=$(BUILD_DIR)/fuzz/seeds \
	  fuzz/run-fuzzers.sh $(FUZZ_TARGETS)

# Release build of the benchmarks, their files, every benchmark and
# comparison; the summary lands in $(BENCH_DIR)/bench-results/summary.md.
bench:
	@sh scripts/install-deps.sh bench
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVAVEZE_BUILD_BENCH=ON >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target benchmarks
	@sh bench/run-bench.sh $(BENCH_DIR)

clean:
	rm -rf $(BUILD_DIR) $(RUN_DIR) $(ASAN_DIR) $(TSAN_DIR) $(BENCH_DIR) $(WEB_DIR) $(WINDOWS_DIR) $(PYTHON_DIR) build-fuzz
