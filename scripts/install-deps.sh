#!/usr/bin/env bash
# Installs, with apt-get, only the Debian packages that the build, the tests and `make run` need
# and that are missing. Safe to run again and again.
set -euo pipefail

packages=(
  make cmake g++ clang-format
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  clang-16 libclang-rt-16-dev
  wine wine64
  xvfb xdotool x11-utils openbox imagemagick fonts-liberation fonts-urw-base35 python3 libx11-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
