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

# The Debian packages the build needs are asked about once: a stamp records what was found
# installed, and the question is asked again when scripts/install-deps.sh changes (or by
# `make deps`).
DEPS := build/deps.stamp
DEPS_NATIVE := build/deps-native.stamp

deps:
	@scripts/install-deps.sh --stamp $(DEPS)

deps-native:
	@scripts/install-deps.sh --stamp $(DEPS_NATIVE) native

$(DEPS): scripts/install-deps.sh
	@scripts/install-deps.sh --stamp $@

$(DEPS_NATIVE): scripts/install-deps.sh
	@scripts/install-deps.sh --stamp $@ native

build: build-host build-windows build-linux build-web

build-host: $(DEPS)
	cmake --preset host >/dev/null
	cmake --build --preset host

build-windows: $(DEPS)
	cmake --preset windows >/dev/null
	cmake --build --preset windows

build-linux: $(DEPS_NATIVE)
	cmake --preset linux >/dev/null
	cmake --build --preset linux

# The browser program: static files in build/web/ (Debian's Emscripten finds its JavaScript
# modules through NODE_PATH); run-web serves them on this machine alone.
WEB_PORT ?= 8000
.PHONY: web build-web run-web

web build-web: export NODE_PATH := /usr/share/nodejs
web build-web: $(DEPS)
	cmake --preset web >/dev/null
	cmake --build --preset web

run-web: web
	@echo "Amorix is served at http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops it)"
	@/usr/bin/python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory build/web

# On Linux the native program; with no display, the tour of `make demo` on a virtual one.
run: build-linux
	@scripts/run.sh "$(NATIVE)"

run-wine: build-windows
	@scripts/run.sh "$(EXE)" "$(WINE_PREFIX)"

# Through CMake's install rules, configured for PREFIX (DESTDIR is honoured too).
install: $(DEPS_NATIVE)
	cmake --preset linux -DCMAKE_INSTALL_PREFIX="$(PREFIX)" >/dev/null
	cmake --build --preset linux
	cmake --install build/linux

uninstall:
	@test -f build/linux/install_manifest.txt || { echo "make uninstall: nothing installed from here"; exit 1; }
	xargs -d '\n' rm -f <build/linux/install_manifest.txt

test: build
	@scripts/test.sh

clean:
	rm -rf build

# The window model held against a real program (tests/e2e/model.py): SEQUENCES sequences of what
# a person does on BACKEND=wine|gtk|chromium|webkit|firefox, from SEED (a new one unless given);
# it ends with "N passed, M failed".
BACKEND ?= gtk
SEQUENCES ?= 100
.PHONY: model

model: build
	@/usr/bin/python3 tests/e2e/model.py $(BACKEND) $(SEQUENCES) $(SEED)

# Longer runs than `make test`: the window model over many more random sequences on the headless
# platform, from a new base seed each time (AMORIX_SOAK_BASE=N repeats one), in two processes;
# then against each of the five real programs for SOAK_SECONDS and at least 100 sequences; and
# the outline fuzzer for FUZZ_SECONDS.
SOAK_SEQUENCES ?= 200000
SOAK_SECONDS ?= 600
FUZZ_SECONDS ?= 600
.PHONY: soak fuzz

soak: build
	@base=$${AMORIX_SOAK_BASE:-$$(date +%s)}; \
	echo "soak: $(SOAK_SEQUENCES) sequences from seed $$base"; \
	export AMORIX_SOAK_SEQUENCES=$(SOAK_SEQUENCES) AMORIX_SOAK_BASE=$$base GTEST_TOTAL_SHARDS=2; \
	GTEST_SHARD_INDEX=0 build/host/tests/amorix_host_tests --gtest_filter='Model/*' & first=$$!; \
	GTEST_SHARD_INDEX=1 build/host/tests/amorix_host_tests --gtest_filter='Model/*'; second=$$?; \
	wait $$first && [ $$second -eq 0 ] || exit 1; \
	failed=0; for program in wine gtk chromium webkit firefox; do \
	  /usr/bin/python3 tests/e2e/model.py $$program 100 --seconds $(SOAK_SECONDS) || failed=1; \
	done; exit $$failed

fuzz: $(DEPS)
	@scripts/fuzz.sh $(FUZZ_SECONDS)

# The native program under AddressSanitizer and UndefinedBehaviorSanitizer: the GTK end-to-end
# suite and the screen reader's tour once, then a seeded random monkey for SOAK_NATIVE_SECONDS
# (AMORIX_MONKEY_SEED=N repeats one).
SOAK_NATIVE_SECONDS ?= 600
.PHONY: soak-native

soak-native: $(DEPS)
	cmake --preset linux-asan >/dev/null
	cmake --build --preset linux-asan
	@scripts/soak-native.sh $(SOAK_NATIVE_SECONDS)

# The real programs on a virtual display: the end-to-end checks (tests/e2e), on every program or
# on PROGRAM=wine|gtk|chromium|webkit|firefox, every check or CHECK=ID (an ID of checks.txt or a
# test's name); and a scripted tour that leaves one picture per window in build/demo/.
.PHONY: e2e demo

e2e: build
	@/usr/bin/python3 -m pytest tests/e2e $(addprefix --program ,$(PROGRAM)) $(addprefix --check ,$(CHECK))

demo: build-windows build-host
	@/usr/bin/python3 tests/e2e/demo.py wine

# The performance benchmark, each program against bare programs of its platform: the tables are
# printed, written with every run to build/bench/results.md, and docs/performance.md is written
# whole. A few minutes; AMORIX_BENCH_RUNS and AMORIX_BENCH_TRIPS shorten it.
.PHONY: bench

bench: build
	@scripts/with-xvfb.sh scripts/bench.sh

# The release in build/dist/ (docs/releases.md): the zip, the installer package, the
# Debian package and SHA256SUMS, reproducible from the last commit; SIGN_PFX=file.pfx signs, with
# the password in the environment (SIGN_PASSWORD) or a file (SIGN_PASSWORD_FILE), never on the
# command line. dist-test proves it: two clean clones, byte for byte; the installer package
# installed, started and removed under wine, the Debian package for real; a signed release.
.PHONY: deb dist dist-test

deb: $(DEPS)
	@scripts/deb.sh

dist: $(DEPS)
	@scripts/dist.sh

dist-test: $(DEPS)
	@scripts/with-xvfb.sh scripts/dist-test.sh
