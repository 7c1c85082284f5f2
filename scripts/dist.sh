#!/usr/bin/env bash
# Builds the Windows release into build/dist/: the zip (the executable and a read-me), the
# Windows Installer package (dist/amorix.wxs, made with wixl) and SHA256SUMS over both.
# Reproducible: every time stamp is the last commit's (SOURCE_DATE_EPOCH), so two checkouts of
# one commit, anywhere and at any time, give the same bytes. The linker takes its PE time stamp
# from SOURCE_DATE_EPOCH; the compiler maps the checkout's folder away; zip gets fixed times,
# modes and order; wixl and msibuild run under a clock stopped at it (faketime -f, not the
# ticking clock of plain faketime), and msibuild sets the package code, which wixl draws at
# random, to one derived from the version, the commit and the executable. With SIGN_PFX (and
# SIGN_PASSWORD) the executable and the package are signed with Authenticode, SHA-256, the
# signing time being the commit's too.
# Usage: dist.sh        (SIGN_PFX=file.pfx SIGN_PASSWORD=secret dist.sh signs)
set -euo pipefail
pfx=${SIGN_PFX:+$(realpath "$SIGN_PFX")}
cd "$(dirname "$0")/.."

SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
commit=$(git rev-parse HEAD)
version=$(sed -n 's/.*VALUE "ProductVersion", "\(.*\)".*/\1/p' resources/amorix.rc)
upgrade_code=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/\1/p' dist/amorix.wxs)
name=Quillon-Amorix-$version-win64
frozen=$(date -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')
git diff --quiet HEAD -- || echo "dist: the tree differs from commit ${commit:0:12}; so will the release"

# The executable, linked again so that it carries this commit's time.
cmake --preset windows -B build/release -DAMORIX_TESTS=OFF >/dev/null
rm -f "build/release/Quillon Amorix.exe"
cmake --build build/release -j2 >/dev/null

stage=build/release/stage out=build/dist
rm -rf "$stage" "$out"
mkdir -p "$stage" "$out"
cp "build/release/Quillon Amorix.exe" "$stage/"
sign() { # FILE [OPTIONS]: signs FILE in place
  osslsigncode sign -pkcs12 "$pfx" -pass "${SIGN_PASSWORD:-}" -h sha256 -n "Quillon Amorix" \
    -time "$SOURCE_DATE_EPOCH" "${@:2}" -in "$1" -out "$1.signed" >/dev/null
  mv "$1.signed" "$1"
}
if [ -n "$pfx" ]; then sign "$stage/Quillon Amorix.exe"; else echo "dist: unsigned (no SIGN_PFX)"; fi
sed "s/@VERSION@/$version/g; s/\$/\r/" dist/README.txt >"$stage/README.txt"
cp resources/amorix.ico "$stage/"
chmod 0644 "$stage"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*

(cd "$stage" && zip -X -D -q "../../../$out/$name.zip" "Quillon Amorix.exe" README.txt)

uuid() { python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' "$@"; }
product_code=$(uuid "$upgrade_code" "$version")
package_code=$(uuid "$upgrade_code" "$version $commit $(sha256sum <"$stage/Quillon Amorix.exe")")
msi=$out/$name.msi
(cd "$stage" && faketime -f "$frozen" wixl -a x64 -D "Version=$version" \
  -D "ProductCode=$product_code" -D "ExeFile=Quillon Amorix.exe" -D IconFile=amorix.ico \
  -o "../../../$msi" ../../../dist/amorix.wxs)
faketime -f "$frozen" msibuild "$msi" -s "Quillon Amorix $version" Quillon "x64;1033" "{$package_code}"
# The package's signature covers its streams' metadata too (MsiDigitalSignatureEx).
if [ -n "$pfx" ]; then sign "$msi" -add-msi-dse; fi

(cd "$out" && sha256sum "$name.zip" "$name.msi" >SHA256SUMS)
echo "dist: $out/$name.zip, $out/$name.msi, $out/SHA256SUMS"
