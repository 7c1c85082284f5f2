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
