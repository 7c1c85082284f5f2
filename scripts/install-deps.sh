#!/usr/bin/env bash
# Installs, with apt-get, only the Debian packages that the build, the tests and `make run` need
# and that are missing. Safe to run again and again. With "native", only what building and
# running the native Linux program needs (no wine, no cross compiler). With --stamp FILE, the
# packages found installed and their versions are written to FILE at the end: the Makefile asks
# again only when this script is newer than its stamp.
# Usage: install-deps.sh [--stamp FILE] [native]
set -euo pipefail
stamp=""
if [ "${1:-}" = --stamp ]; then
  stamp=$2
  shift 2
fi

native=(
  make cmake g++ pkg-config libgtk-3-dev libglib2.0-dev-bin fonts-liberation fonts-urw-base35
  imagemagick xvfb xdotool x11-utils python3-xlib python3-pil
)
packages=(
  "${native[@]}" clang-format
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libstb-dev
  clang-16 libclang-rt-16-dev
  wine wine64
  openbox xcompmgr python3 python3-pytest python3-hypothesis libx11-dev xclip xsettingsd
  dbus at-spi2-core python3-gi gir1.2-atspi-2.0
  git zip unzip wixl msitools faketime osslsigncode openssl
  debhelper dpkg-dev devscripts lintian appstream desktop-file-utils diffoscope-minimal locales
  emscripten chromium chromium-driver python3-selenium webkit2gtk-driver firefox-esr
  python3-websocket python3-fonttools python3-brotli optipng
)
[ "${1:-}" = native ] && packages=("${native[@]}")
# npm, for axe-core below; some Node.js builds carry their own.
[ "${1:-}" = native ] || command -v npm >/dev/null || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The release is tested in a German locale too: generate it once.
if [ "${1:-}" != native ] && ! locale -a | grep -x de_DE.utf8 >/dev/null; then
  echo "de_DE.UTF-8 UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

# axe-core, which the browser suite runs over the page, from the npm registry into the build tree.
axe_dir="$(cd "$(dirname "$0")/.." && pwd)/build/npm"
if [ "${1:-}" != native ] && [ ! -f "$axe_dir/node_modules/axe-core/axe.min.js" ]; then
  echo "Installing axe-core into build/npm"
  npm install --prefix "$axe_dir" --no-save --no-audit --no-fund --loglevel=error axe-core@4.14.1
fi

if [ -n "$stamp" ]; then
  mkdir -p "$(dirname "$stamp")"
  dpkg-query -W -f='${Package} ${Version}\n' "${packages[@]}" >"$stamp.new"
  mv "$stamp.new" "$stamp"
fi
