#!/usr/bin/env bash
# Builds the release into build/dist/: the zip (the executable, a read-me and the licence), the
# Windows Installer package (dist/amorix.wxs, made with wixl), the Debian package (scripts/deb.sh)
# and SHA256SUMS over all three. Everything is built from the last commit alone, exported with
# git archive into a fresh folder and configured afresh: nothing untracked or changed goes in.
# Reproducible: every time stamp is the last commit's (SOURCE_DATE_EPOCH), so two checkouts of
# one commit, anywhere and at any time, give the same bytes. The linker takes its PE time stamp
# from SOURCE_DATE_EPOCH; the compiler maps the checkout's folder away; zip gets fixed times,
# modes and order; wixl and msibuild run under a clock stopped at it (faketime -f, not the
# ticking clock of plain faketime), and msibuild sets the package code, which wixl draws at
# random, to one derived from the version, the commit and the executable. With SIGN_PFX the
# executable and the package are signed with Authenticode, SHA-256, the signing time being the
# commit's too. The key's password comes from the environment (SIGN_PASSWORD) or a file
# (SIGN_PASSWORD_FILE), never from a command line: the variable is unset before anything is
# started, and osslsigncode reads the password from a pipe.
# Usage: dist.sh        (SIGN_PFX=file.pfx with SIGN_PASSWORD or SIGN_PASSWORD_FILE signs)
set -euo pipefail
password=${SIGN_PASSWORD-}
unset SIGN_PASSWORD
if [ -n "${SIGN_PASSWORD_FILE:-}" ]; then password=$(<"$SIGN_PASSWORD_FILE"); fi
pfx=${SIGN_PFX:+$(realpath "$SIGN_PFX")}
cd "$(dirname "$0")/.."
out=build/dist
rm -rf "$out"
# The Debian package first, in the caller's time zone and locale: it does not depend on them.
scripts/deb.sh

SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
commit=$(git rev-parse HEAD)
[ -z "$(git status --porcelain)" ] ||
  echo "dist: builds commit ${commit:0:12}; what is not committed is left out"
# The commit's files alone, in a build folder configured afresh.
release=build/release src=build/release/src
rm -rf "$release"
mkdir -p "$src"
git archive HEAD | tar -x -C "$src"

version=$(sed -n 's/.*VALUE "ProductVersion", "\(.*\)".*/\1/p' "$src/resources/amorix.rc")
upgrade_code=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/\1/p' "$src/dist/amorix.wxs")
name=Quillon-Amorix-$version-win64
frozen=$(date -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')

cmake --preset windows -S "$src" -B "$release/build" -DAMORIX_TESTS=OFF >/dev/null
cmake --build "$release/build" -j2 >/dev/null

stage=$release/stage
mkdir -p "$stage"
cp "$release/build/Quillon Amorix.exe" "$stage/"
sign() { # FILE [OPTIONS]: signs FILE in place
  printf '%s' "$password" | osslsigncode sign -pkcs12 "$pfx" -readpass - -h sha256 \
    -n "Quillon Amorix" -time "$SOURCE_DATE_EPOCH" "${@:2}" -in "$1" -out "$1.signed" >/dev/null
  mv "$1.signed" "$1"
}
if [ -n "$pfx" ]; then sign "$stage/Quillon Amorix.exe"; else echo "dist: unsigned (no SIGN_PFX)"; fi
sed "s/@VERSION@/$version/g; s/\$/\r/" "$src/dist/README.txt" >"$stage/README.txt"
sed 's/$/\r/' "$src/LICENSE" >"$stage/LICENSE.txt"
cp "$src/resources/amorix.ico" "$stage/"
chmod 0644 "$stage"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

(cd "$stage" && zip -X -D -q "../../../$out/$name.zip" "Quillon Amorix.exe" README.txt LICENSE.txt)

uuid() { python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' "$@"; }
product_code=$(uuid "$upgrade_code" "$version")
package_code=$(uuid "$upgrade_code" "$version $commit $(sha256sum <"$stage/Quillon Amorix.exe")")
msi=$out/$name.msi
(cd "$stage" && faketime -f "$frozen" wixl -a x64 -D "Version=$version" \
  -D "ProductCode=$product_code" -D "ExeFile=Quillon Amorix.exe" -D IconFile=amorix.ico \
  -o "../../../$msi" ../src/dist/amorix.wxs)
faketime -f "$frozen" msibuild "$msi" -s "Quillon Amorix $version" Quillon "x64;1033" "{$package_code}"
# The package's signature covers its streams' metadata too (MsiDigitalSignatureEx).
if [ -n "$pfx" ]; then sign "$msi" -add-msi-dse; fi

deb=$(cd "$out" && ls amorix_*.deb)
(cd "$out" && sha256sum "$name.zip" "$name.msi" "$deb" >SHA256SUMS)
echo "dist: $out/$name.zip, $out/$name.msi, $out/$deb, $out/SHA256SUMS"
