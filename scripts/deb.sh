#!/usr/bin/env bash
# Builds the Debian package (debian/) from the last commit alone: git archive unpacks it under
# build/deb/ (dpkg-buildpackage writes its results into the folder above the source), and the
# .deb goes to build/dist/ (its -dbgsym package, the program's symbols, stays in build/deb/).
# Its one time is the commit's: SOURCE_DATE_EPOCH, which dpkg-buildpackage keeps when it is set,
# stamps every file and the archive's members. The version in debian/changelog must be the one
# in the program's version block.
# Usage: deb.sh
set -euo pipefail
cd "$(dirname "$0")/.."
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
work=build/deb
rm -rf "$work"
mkdir -p "$work/amorix" build/dist
git archive HEAD | tar -x -C "$work/amorix"
# The package's version is the program's, with the Debian revision after it.
program=$(sed -n 's/.*VALUE "ProductVersion", "\(.*\)".*/\1/p' "$work/amorix/resources/amorix.rc")
package=$(dpkg-parsechangelog -l "$work/amorix/debian/changelog" -S Version)
if [ "${package%-*}" != "$program" ]; then
  echo "deb: the program is version $program, debian/changelog's last entry $package: add an entry"
  exit 1
fi
if ! (cd "$work/amorix" && dpkg-buildpackage -b -us -uc -j2) >"$work/build.log" 2>&1; then
  tail -n 40 "$work/build.log"
  exit 1
fi
cp "$work"/amorix_*.deb build/dist/
