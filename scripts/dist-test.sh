#!/usr/bin/env bash
# Proves the release that `make dist` builds, from the committed state (HEAD):
# - two clean clones in different folders, built one after the other, give the same bytes;
# - under wine, in a private prefix, the package installs, its program starts from the Start-menu
#   shortcut (the splash, then the main window, on the current X display), installing it again
#   leaves one entry, and removing it leaves nothing of ours behind;
# - signed with a throw-away certificate, the executable and the package verify, a changed byte
#   does not, and the signed program starts.
# One line per check, then "N passed, M failed"; the exit status is 1 when a check failed.
# Usage: dist-test.sh        (make dist-test runs it on a virtual display of its own)
# shellcheck disable=SC2016,SC2034 # the checks' expressions expand when they run, in check
set -uo pipefail # so no "grep -q" ends a pipe early: its writer would fail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/dist-test
rm -rf "$work"
mkdir -p "$work"
PASSED=0 FAILED=0
check() { # DESCRIPTION COMMAND [ARGS...]
  local what=$1
  shift
  if "$@"; then PASSED=$((PASSED + 1)) && echo "PASS: $what"; else FAILED=$((FAILED + 1)) && echo "FAIL: $what"; fi
}
started=$SECONDS
took() { echo "  ($((SECONDS - started)) s)"; }

# --- two clean clones, byte for byte ----------------------------------------------------------

first=$work/first/amorix second=$work/a-second-clone/elsewhere/amorix
head=$(git -C "$root" rev-parse HEAD)
release() { # DIR [MAKE ARGS...]: clones HEAD into DIR and makes the release there
  local dir=$1
  shift
  git clone -q "$root" "$dir" && git -C "$dir" checkout -q --detach "$head" || return 1
  make -s -C "$dir" dist "$@" >"$dir.log" 2>&1 || { cat "$dir.log"; return 1; }
}
check "a clean clone makes the release" release "$first"
check "  ... and says it is unsigned" grep -qx "dist: unsigned (no SIGN_PFX)" "$first.log"
check "another clone, elsewhere and later, with another umask" eval '(umask 077 && release "$second")'
name=$(cd "$first/build/dist" && ls -- *.msi) && name=${name%.msi}
for f in "$name.zip" "$name.msi" SHA256SUMS; do
  check "  ... gives the same $f" cmp "$first/build/dist/$f" "$second/build/dist/$f"
done
stamp=$(TZ=UTC date -d "@$(git -C "$root" log -1 --format=%ct "$head")" '+%a %b %e %H:%M:%S %Y')
check "the program's and the package's time stamps are the last commit's" eval '
  x86_64-w64-mingw32-objdump -p "$first/build/release/Quillon Amorix.exe" | grep -x "Time/Date[[:space:]]*$stamp" >/dev/null &&
  test "$(TZ=UTC msiinfo suminfo "$first/build/dist/$name.msi" | grep -cxF -e "Created: $stamp" -e "Last saved: $stamp")" = 2'
check "SHA256SUMS checks" eval '(cd "$first/build/dist" && sha256sum --quiet -c SHA256SUMS)'
took

# --- installed, started, installed again and removed, under wine ------------------------------

prefix=$work/wineprefix
"$root/scripts/wine-prefix.sh" "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k 2>/dev/null' EXIT
cp "$first/build/dist/$name.msi" "$work/"
msiexec() { (cd "$work" && wine msiexec "$1" "${2:-$name.msi}" /qn </dev/null >>"$work/wine.log" 2>&1); }
property() { msiinfo export "$work/$name.msi" Property | tr -d '\r' | awk -v p="$1" '$1 == p { print $2 }'; }
product=$(property ProductCode) version=$(property ProductVersion) upgrade=$(property UpgradeCode)
packed() { python3 -c 'import sys; h = sys.argv[1].strip("{}").replace("-", ""); print(h[7::-1] + h[11:7:-1] + h[15:11:-1] + "".join(h[i + 1] + h[i] for i in range(16, 32, 2)))' "$1"; }
installed=$prefix/drive_c/Program\ Files/Quillon/Amorix/Quillon\ Amorix.exe

# Files and registry keys of the prefix, once wine has written its registry out.
snapshot() {
  wineserver -w
  (cd "$prefix/drive_c" && find . | LC_ALL=C sort) >"$work/$1.files"
  sed -n 's/^\(\[.*\]\) [0-9]*$/\1/p' "$prefix"/*.reg | LC_ALL=C sort >"$work/$1.keys"
}
uninstall_entry() {
  KEY="[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\$product]" \
    awk 'index($0, ENVIRON["KEY"]) == 1 { on = 1; next } /^\[/ { on = 0 } on' "$prefix/system.reg"
}
has_value() { uninstall_entry | grep -xF "\"$1\"=\"$2\"" >/dev/null; }
entries() {
  awk '/^\[/ { uninstall = index($0, "\\\\Uninstall\\\\") > 0 }
       uninstall && $0 == "\"DisplayName\"=\"Quillon Amorix\"" { n++ } END { print n + 0 }' "$prefix/system.reg"
}
shortcut() { find "$prefix/drive_c" -path '*/Start Menu/Programs/Quillon Amorix.lnk'; }
mapped() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }
wait_for() { # CAPTION SECONDS: waits for a window CAPTION to be mapped (or, with "gone", not)
  for _ in $(seq $(($2 * 10))); do
    if [ "${3:-}" = gone ]; then [ -z "$(mapped "$1")" ] && return 0; else [ -n "$(mapped "$1")" ] && return 0; fi
    sleep 0.1
  done
  return 1
}
starts() { # the splash, then the main window in its place; every process of the prefix ends then
  wait_for Amorix 30 && wait_for Amorix-Nimbus 15 && wait_for Amorix 5 gone
  local status=$?
  wineserver -k 2>/dev/null
  wineserver -w
  return $status
}
ours() { # names any trace of the package left in the prefix
  cat "$work/$1.files" "$prefix"/*.reg |
    grep -i -e quillon -e amorix -e "${product//[\{\}]/}" -e "$(packed "$product")" -e "$(packed "$upgrade")"
}

snapshot before
check "msiexec /i installs the package" msiexec /i
check "  ... the program under Program Files\\Quillon\\Amorix" cmp "$installed" "$first/build/release/stage/Quillon Amorix.exe"
lnk=$(shortcut)
check "  ... one Start-menu shortcut 'Quillon Amorix'" test "$(wc -l <<<"$lnk")" = 1 -a -f "$lnk"
check "  ... to the program" eval 'strings -n 3 "$lnk" | grep -x "Quillon Amorix.exe" >/dev/null'
check "  ... with the program's icon" eval 'strings -el "$lnk" | grep -F "$product\\amorix.ico" >/dev/null &&
  cmp -s "$prefix/drive_c/windows/Installer/$product/amorix.ico" "$root/resources/amorix.ico"'
wineserver -w
check "  ... an uninstall entry named 'Quillon Amorix'" has_value DisplayName "Quillon Amorix"
check "  ... version $version" has_value DisplayVersion "$version"
check "  ... publisher 'Quillon'" has_value Publisher Quillon
check "  ... and the icon for Add/Remove Programs" grep -qF "\"ProductIcon\"=\"C:\\\\windows\\\\Installer\\\\$product\\\\amorix.ico\"" "$prefix/system.reg"
wine start /unix "$lnk" </dev/null >>"$work/wine.log" 2>&1
check "the shortcut starts the program: the splash, then the main window" starts
check "msiexec /i again succeeds" msiexec /i
wineserver -w
check "  ... and leaves one uninstall entry" test "$(entries)" = 1
later=9.99 rc=$first/resources/amorix.rc
sed -i "s/\"ProductVersion\", \"$version\"/\"ProductVersion\", \"$later\"/" "$rc"
check "a later version, $later, is made" eval 'make -s -C "$first" dist >"$first.later.log" 2>&1 &&
  cp "$first/build/dist/Quillon-Amorix-$later-win64.msi" "$work/"'
git -C "$first" checkout -q -- resources/amorix.rc
check "  ... and installs over this one" msiexec /i "Quillon-Amorix-$later-win64.msi"
wineserver -w
check "  ... which it replaces: one uninstall entry, of version $later" eval 'test "$(entries)" = 1 &&
  test -z "$(uninstall_entry)" && grep -qxF "\"DisplayVersion\"=\"$later\"" "$prefix/system.reg"'
check "msiexec /x removes it" msiexec /x "Quillon-Amorix-$later-win64.msi"
snapshot after
# What the Windows Installer keeps for itself, empty once the package is gone.
containers() {
  cat <<'EOF'
./windows/Installer
[Software\\Classes\\Installer\\Features]
[Software\\Classes\\Installer\\Products]
[Software\\Classes\\Installer\\UpgradeCodes]
[Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UpgradeCodes]
[Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components]
[Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products]
EOF
}
left() { LC_ALL=C comm -13 "$work/before.$1" "$work/after.$1" | grep -vxF -f <(containers); }
check "  ... and every file and folder it made" eval '! left files'
check "  ... every registry key" eval '! left keys'
check "  ... and every trace of it" eval '! ours after'
took

# --- signed ------------------------------------------------------------------------------------

signer=$work/signer
mkdir -p "$signer"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Amorix throw-away signer" \
  -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature \
  -keyout "$signer/key.pem" -out "$signer/cert.pem" 2>/dev/null &&
  openssl pkcs12 -export -inkey "$signer/key.pem" -in "$signer/cert.pem" -passout pass:throwaway \
    -out "$signer/signer.pfx"
check "make dist SIGN_PFX=... signs the release" eval \
  'make -s -C "$first" dist SIGN_PFX="$signer/signer.pfx" SIGN_PASSWORD=throwaway >"$signer/dist.log" 2>&1'
check "  ... without saying it is unsigned" eval '! grep -q unsigned "$signer/dist.log"'
unzip -o -q "$first/build/dist/$name.zip" "Quillon Amorix.exe" -d "$signer/zip"
msiextract -C "$signer/msi" "$first/build/dist/$name.msi" >/dev/null
signed=$signer/zip/Quillon\ Amorix.exe
verify() { osslsigncode verify -CAfile "$signer/cert.pem" -in "$1" >"$1.verify" 2>&1; }
sha256() { grep -Eq "^Message digest algorithm +: SHA256" "$1.verify"; }
check "osslsigncode verify accepts the executable in the zip" verify "$signed"
check "  ... which is the one in the package" cmp "$signed" "$(find "$signer/msi" -name 'Quillon Amorix.exe')"
check "  ... and accepts the package" verify "$first/build/dist/$name.msi"
check "  ... both signed with SHA-256" eval 'sha256 "$signed" && sha256 "$first/build/dist/$name.msi"'
cp "$signed" "$signer/changed.exe"
printf 'Q' | dd of="$signer/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
check "  ... and refuses the executable with one byte changed" eval '! verify "$signer/changed.exe"'
check "the SHA256SUMS of the signed release check" eval '(cd "$first/build/dist" && sha256sum --quiet -c SHA256SUMS)'
wine "$signed" </dev/null >>"$work/wine.log" 2>&1 &
check "the signed program starts: the splash, then the main window" starts
took

echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
