# The front door: `make run` and `make test` install what is missing, build and go.
SHELL := /bin/bash
.DEFAULT_GOAL := build
EXE := build/windows/Quillon Amorix.exe
WINE_PREFIX := build/windows/wineprefix
NATIVE := build/linux/amorix
# Where `make install` puts the native program (DESTDIR is honoured too).
PREFIX ?= /usr/local

.PHONY: deps deps-native build build-host build-windows build-linux run run-wine test clean
.PHONY: install uninstall

deps:
	@scripts/install-deps.sh

deps-native:
	@scripts/install-deps.sh native

build: build-host build-windows build-linux

build-host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host

build-windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows

build-linux: deps-native
	cmake --preset linux >/dev/null
	cmake --build --preset linux

# On Linux the native program; with no display, the tour of `make demo` on a virtual one.
run: build-linux
	@if [ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then exec "$(NATIVE)"; fi; \
	AMORIX_BACKEND=gtk tests/e2e/demo.sh >/dev/null && \
	echo "make run: no display here; the tour's pictures are in build/demo/"

run-wine: build-windows
	@scripts/run.sh "$(EXE)" "$(WINE_PREFIX)"

install: build-linux
	install -Dm755 "$(NATIVE)" "$(DESTDIR)$(PREFIX)/bin/amorix"
	install -Dm644 resources/amorix.desktop "$(DESTDIR)$(PREFIX)/share/applications/amorix.desktop"
	install -Dm644 build/linux/amorix.png "$(DESTDIR)$(PREFIX)/share/icons/hicolor/64x64/apps/amorix.png"

uninstall:
	rm -f "$(DESTDIR)$(PREFIX)/bin/amorix" "$(DESTDIR)$(PREFIX)/share/applications/amorix.desktop" \
	  "$(DESTDIR)$(PREFIX)/share/icons/hicolor/64x64/apps/amorix.png"

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

# The native program under AddressSanitizer and UndefinedBehaviorSanitizer: the GTK end-to-end
# suite and the screen reader's tour once, then a seeded random monkey for SOAK_NATIVE_SECONDS
# (AMORIX_MONKEY_SEED=N repeats one).
SOAK_NATIVE_SECONDS ?= 600
.PHONY: soak-native

soak-native: deps
	cmake --preset linux-asan >/dev/null
	cmake --build --preset linux-asan
	@scripts/soak-native.sh $(SOAK_NATIVE_SECONDS)

# The real program on a virtual display: the end-to-end checks against both programs, and a
# scripted tour that leaves one picture per window in build/demo/.
.PHONY: e2e demo

e2e: build-windows build-linux
	@tests/e2e/run.sh; wine=$$?; AMORIX_BACKEND=gtk tests/e2e/run.sh && exit $$wine

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
