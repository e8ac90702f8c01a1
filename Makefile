# The two commands a new user needs: `make run` and `make test`.
BUILD_DIR ?= build
BENCH_DIR ?= build-bench
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@sh scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@$(BUILD_DIR)/app/vaveze

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# Release build of the benchmarks, their files, every benchmark and
# comparison; the summary lands in $(BENCH_DIR)/bench-results/summary.md.
bench:
	@sh scripts/install-deps.sh bench
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVAVEZE_BUILD_BENCH=ON >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target benchmarks
	@sh bench/run-bench.sh $(BENCH_DIR)

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR)
