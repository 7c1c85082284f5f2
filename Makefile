# The front door: `make run` and `make test` install what is missing, build and go.
SHELL := /bin/bash
.DEFAULT_GOAL := build
EXE := build/windows/Quillon Amorix.exe
PREFIX := build/windows/wineprefix

.PHONY: deps build build-host build-windows run test test-host test-windows test-e2e clean

deps:
	@scripts/install-deps.sh

build: build-host build-windows

build-host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host

build-windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows

run: build-windows
	@scripts/run.sh "$(EXE)" "$(PREFIX)"

test: build
	@scripts/test.sh

clean:
	rm -rf build

# Longer runs than `make test`: the window model over many more random sequences, from a new base
# seed each time (AMORIX_SOAK_BASE=N repeats one), in two processes; and the outline fuzzer for
# FUZZ_SECONDS.
SOAK_SEQUENCES ?= 200000
FUZZ_SECONDS ?= 600
.PHONY: soak fuzz

soak: build-host
	@base=$${AMORIX_SOAK_BASE:-$$(date +%s)}; \
	echo "soak: $(SOAK_SEQUENCES) sequences from seed $$base"; \
	export AMORIX_SOAK_SEQUENCES=$(SOAK_SEQUENCES) AMORIX_SOAK_BASE=$$base GTEST_TOTAL_SHARDS=2; \
	GTEST_SHARD_INDEX=0 build/host/tests/amorix_host_tests --gtest_filter='Model/*' & first=$$!; \
	GTEST_SHARD_INDEX=1 build/host/tests/amorix_host_tests --gtest_filter='Model/*'; second=$$?; \
	wait $$first && exit $$second

fuzz: deps
	@scripts/fuzz.sh $(FUZZ_SECONDS)

# The real program on a virtual display: the end-to-end checks, and a scripted tour that leaves
# one picture per window in build/demo/.
.PHONY: e2e demo

e2e: build-windows
	@tests/e2e/run.sh

demo: build-windows
	@tests/e2e/demo.sh

# The performance benchmark against a bare Win32 window (README, "Performance"): the table is
# printed and written to build/bench/results.md. A few minutes; AMORIX_BENCH_RUNS and
# AMORIX_BENCH_TRIPS shorten it.
.PHONY: bench

bench: build
	@scripts/with-xvfb.sh scripts/bench.sh

# The Windows release in build/dist/ (README, "Making a release"): the zip, the installer package
# and SHA256SUMS, reproducible from the last commit; SIGN_PFX=file.pfx SIGN_PASSWORD=... signs.
# dist-test proves it: two clean clones, byte for byte; the package installed, started and
# removed under wine; a signed release checked and started.
.PHONY: dist dist-test

dist: deps
	@scripts/dist.sh

dist-test: deps
	@scripts/with-xvfb.sh scripts/dist-test.sh
