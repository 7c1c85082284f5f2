#!/usr/bin/env bash
# Proves the release that `make dist` builds, from the committed state (HEAD), in the time zone
# Europe/Berlin and a German locale (neither may change a byte or a check):
# - two clean clones in different folders, built one after the other, give the same bytes: the
#   second with core.autocrlf=true, umask 077, and a changed and an untracked source file that
#   must not reach the release;
# - under wine, in a private prefix, the installer package installs, its program starts from the
#   Start-menu shortcut (the splash, then the main window, on the current X display), installing
#   it again leaves one entry, a later version (committed in a scratch clone) replaces it, and
#   removing that leaves nothing of ours behind;
# - the Debian package passes lintian, its program is hardened, stripped and built with -O2, its
#   symbols in amorix-dbgsym; it installs for real with apt-get, starts from its desktop entry,
#   and apt-get purge leaves none of its files;
# - signed with a throw-away certificate from a moved checkout, the executable and the package
#   verify, a changed byte does not, the signed program starts, and osslsigncode (which signs
#   the later version too, the password in a file) never sees the password in its arguments or
#   its environment.
# One line per check, then "N passed, M failed"; the exit status is 1 when a check failed.
# It refuses to run where an amorix package or its files are there already: it installs and
# removes its own, as root (or through sudo).
# Usage: dist-test.sh        (make dist-test runs it on a virtual display of its own)
# shellcheck disable=SC2016,SC2034 # the checks' expressions expand when they run, in check
set -uo pipefail # so no "grep -q" ends a pipe early: its writer would fail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/dist-test
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
package_files=(/usr/games/amorix /usr/share/applications/amorix.desktop
  /usr/share/metainfo/com.quillon.amorix.metainfo.xml /usr/share/icons/hicolor/64x64/apps/amorix.png
  /usr/share/man/man6/amorix.6.gz /usr/share/doc/amorix)
if dpkg-query -W -f='${db:Status-Status}' amorix 2>/dev/null | grep -qvx not-installed; then
  echo "dist-test: the package amorix is installed here already, and this test did not install it;"
  echo "  it would replace and purge it. Remove it (apt-get purge amorix) or test elsewhere."
  exit 2
fi
for f in "${package_files[@]}"; do
  if [ -e "$f" ]; then
    echo "dist-test: $f is here already, and this test did not put it there;"
    echo "  the package would overwrite it and its purge remove it. Move it away or test elsewhere."
    exit 2
  fi
done
if ! locale -a | grep -qx de_DE.utf8; then
  echo "dist-test: the de_DE.UTF-8 locale is missing (scripts/install-deps.sh generates it)"
  exit 2
fi
export TZ=Europe/Berlin LC_ALL=de_DE.UTF-8
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
installed_deb=0
cleanup() {
  wineserver -k 2>/dev/null
  [ "$installed_deb" = 1 ] && $sudo apt-get purge -y -q amorix >/dev/null 2>&1
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- two clean clones, byte for byte ----------------------------------------------------------

first=$work/first/amorix second=$work/a-second-clone/elsewhere/amorix
head=$(git -C "$root" rev-parse HEAD)
epoch=$(git -C "$root" log -1 --format=%ct "$head")
clone() { # DIR [GIT CLONE OPTIONS...]: clones HEAD into DIR
  local dir=$1
  shift
  git clone -q "$@" "$root" "$dir" && git -C "$dir" checkout -q --detach "$head"
}
release() { # DIR [MAKE ARGS...]: makes the release in the checkout DIR
  local dir=$1
  shift
  make -s -C "$dir" dist "$@" >"$dir.log" 2>&1 || { cat "$dir.log"; return 1; }
}
same() { # FILE FILE: the same bytes, or what differs
  cmp -s "$1" "$2" || { diffoscope --text - "$1" "$2" 2>&1 | head -n 60; return 1; }
}
check "a clean clone makes the release (in UTC and the C locale)" eval 'clone "$first" && TZ=UTC LC_ALL=C release "$first"'
check "  ... and says it is unsigned" grep -qx "dist: unsigned (no SIGN_PFX)" "$first.log"
check "another clone, elsewhere and later, with core.autocrlf=true, umask 077, $TZ and $LC_ALL" eval '
  clone "$second" -c core.autocrlf=true && test "$(git -C "$second" config core.autocrlf)" = true &&
  ! grep -q $'"'"'\r'"'"' "$second/scripts/dist.sh" &&
  echo "#error not committed" >>"$second/app/program.cpp" &&
  echo "#error not committed" >"$second/app/not_committed.cpp" &&
  (umask 077 && release "$second")'
check "  ... which builds the commit alone and says so" grep -q "what is not committed is left out" "$second.log"
name=$(cd "$first/build/dist" && ls -- *.msi) && name=${name%.msi}
deb=$(cd "$first/build/dist" && ls -- *.deb)
for f in "$name.zip" "$name.msi" "$deb" SHA256SUMS; do
  check "  ... gives the same $f" same "$first/build/dist/$f" "$second/build/dist/$f"
done
# objdump and msiinfo print times with ctime(): in the local zone, in English.
stamp=$(LC_ALL=C TZ=UTC date -d "@$epoch" '+%a %b %e %H:%M:%S %Y')
check "the program's and the packages' time stamps are the last commit's" eval '
  LC_ALL=C TZ=UTC x86_64-w64-mingw32-objdump -p "$first/build/release/build/Quillon Amorix.exe" | grep -x "Time/Date[[:space:]]*$stamp" >/dev/null &&
  test "$(LC_ALL=C TZ=UTC msiinfo suminfo "$first/build/dist/$name.msi" | grep -cxF -e "Created: $stamp" -e "Last saved: $stamp")" = 2 &&
  test "$(dpkg-deb --fsys-tarfile "$first/build/dist/$deb" | tar -tv --full-time | awk "{ print \$4, \$5 }" | sort -u)" = \
       "$(TZ=$TZ date -d "@$epoch" "+%F %T")"'
check "SHA256SUMS checks, the three files" eval '(cd "$first/build/dist" && sha256sum --quiet -c SHA256SUMS && test "$(wc -l <SHA256SUMS)" = 3)'
check "the zip carries the licence" eval 'unzip -p "$first/build/dist/$name.zip" LICENSE.txt | tr -d "\r" | cmp -s - "$root/LICENSE"'
took

# --- a throw-away signer -----------------------------------------------------------------------

signer=$work/signer
mkdir -p "$signer"
password=throwaway-$RANDOM$RANDOM
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Amorix throw-away signer" \
  -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature \
  -keyout "$signer/key.pem" -out "$signer/cert.pem" 2>/dev/null &&
  openssl pkcs12 -export -inkey "$signer/key.pem" -in "$signer/cert.pem" -passout stdin <<<"$password" \
    -out "$signer/signer.pfx"
# A stand-in for osslsigncode first on PATH notes its arguments and environment, then signs.
stand_in=$signer/stand-in
mkdir -p "$stand_in"
cat >"$stand_in/osslsigncode" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$stand_in/arguments"
env >>"$stand_in/environment"
exec $(command -v osslsigncode) "\$@"
EOF
chmod +x "$stand_in/osslsigncode"
(umask 077 && printf '%s' "$password" >"$signer/password")
signs() { # the number of signatures osslsigncode was asked for, the password read from a pipe
  grep -c -e "-readpass - " "$stand_in/arguments" 2>/dev/null
}

# --- installed, started, installed again and removed, under wine ------------------------------

prefix=$work/wineprefix
"$root/scripts/wine-prefix.sh" "$prefix"
. "$root/scripts/wine-env.sh"
export WINEPREFIX=$prefix
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
later=9.99 scratch=$work/later/amorix
check "a later version, $later, is committed in a scratch clone and made, signed" eval '
  git clone -q "$first" "$scratch" &&
  sed -i "s/\"ProductVersion\", \"$version\"/\"ProductVersion\", \"$later\"/" "$scratch/resources/amorix.rc" &&
  sed -i "1s/($version-1)/($later-1)/" "$scratch/debian/changelog" &&
  git -C "$scratch" -c user.name=dist-test -c user.email=dist-test@invalid commit -qam "Version $later" &&
  SIGN_PASSWORD_FILE=$signer/password PATH=$stand_in:$PATH release "$scratch" SIGN_PFX="$signer/signer.pfx" &&
  cp "$scratch/build/dist/Quillon-Amorix-$later-win64.msi" "$work/"'
check "  ... signed, the password read from SIGN_PASSWORD_FILE and given on a pipe" test "$(signs)" = 2
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

# --- the Debian package, for real -----------------------------------------------------------

debfile=$first/build/dist/$deb
check "lintian: no error, no warning" eval 'lintian --allow-root --fail-on error,warning "$debfile" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log"; false; }'
dpkg-deb -x "$debfile" "$work/deb"
check "  ... its program is hardened" eval '"$root/scripts/hardening-check.sh" "$work/deb/usr/games/amorix" >"$work/hardening.log" ||
  { cat "$work/hardening.log"; false; }'
# The program's symbols, in the -dbgsym package beside it, under its build ID (readelf finds no
# program interpreter in a file of symbols alone, and says so).
debug_file() {
  local id
  id=$(LC_ALL=C readelf -n "$work/deb/usr/games/amorix" | awk '/Build ID:/ { print $3 }')
  dpkg-deb -x "$first"/build/deb/amorix-dbgsym_*.deb "$work/dbgsym" &&
    echo "$work/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
}
check "  ... stripped, its symbols in amorix-dbgsym, built with -O2" eval 'debug=$(debug_file) && test -f "$debug" &&
  ! LC_ALL=C readelf -S "$work/deb/usr/games/amorix" | grep -w .symtab >/dev/null &&
  LC_ALL=C readelf --debug-dump=info "$debug" 2>/dev/null | grep "DW_AT_producer" >"$work/producers" &&
  grep -q -- " -O2 " "$work/producers" && ! grep -v -- " -O2 " "$work/producers"'
check "  ... its desktop entry passes desktop-file-validate" desktop-file-validate "$work/deb/usr/share/applications/amorix.desktop"
check "  ... its AppStream metadata passes appstreamcli validate --no-net" eval '
  appstreamcli validate --no-net "$work"/deb/usr/share/metainfo/*.xml >"$work/appstream.log" 2>&1 || { cat "$work/appstream.log"; false; }'
package_paths() { dpkg-deb -c "$debfile" | awk '{ print substr($6, 2) }' | sed 's|/$||' | grep .; }
present() { # the package's files and folders that are on this machine
  package_paths | while read -r path; do if [ -e "$path" ]; then echo "$path"; fi; done
}
status() { dpkg-query -W -f='${db:Status-Status}' amorix 2>/dev/null; }
present >"$work/deb.before"
apt() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=600 "$@" >>"$work/apt.log" 2>&1; }
installed_deb=1
check "apt-get install ./build/dist/$deb installs it" eval '(cd "$first" && apt install "./build/dist/$deb") ||
  { tail -n 20 "$work/apt.log"; false; }'
check "  ... version 6.00-1, its files in place" eval 'test "$(dpkg-query -W -f="\${Version}" amorix)" = 6.00-1 &&
  present | cmp -s - <(package_paths)'
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/amorix.desktop 2>/dev/null)
check "  ... its desktop entry starts /usr/games/amorix" test "$exec_line" = /usr/games/amorix
native_starts() { # the desktop entry's command, with a home of its own: the splash, then the main window
  local home=$work/home pid status
  mkdir -p "$home"
  HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache XDG_DATA_HOME=$home/.local \
    GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS= $exec_line >"$work/native.log" 2>&1 &
  pid=$!
  wait_for Amorix 30 && wait_for Amorix-Nimbus 15 && wait_for Amorix 5 gone
  status=$?
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return $status
}
check "  ... which shows the splash, then the main window" native_starts
check "apt-get purge amorix removes it" eval 'apt purge amorix && installed_deb=0 &&
  case $(status) in "" | not-installed) true ;; *) false ;; esac'
check "  ... and leaves none of its files or folders behind" eval 'present | cmp -s - "$work/deb.before" &&
  ! compgen -G "/var/lib/dpkg/info/amorix.*" >/dev/null'
took

# --- signed ------------------------------------------------------------------------------------

moved=$work/moved/amorix
mkdir -p "$work/moved" && mv "$first" "$moved"
check "make dist SIGN_PFX=... signs the release, in the checkout moved elsewhere" eval \
  'SIGN_PASSWORD=$password PATH=$stand_in:$PATH release "$moved" SIGN_PFX="$signer/signer.pfx"'
check "  ... the password taken from SIGN_PASSWORD and given on a pipe" test "$(signs)" = 4
check "osslsigncode never saw the password in its arguments or its environment" eval '! grep -qF -e "$password" "$stand_in/arguments" "$stand_in/environment"'
first=$moved
check "  ... without saying it is unsigned" eval '! grep -q unsigned "$moved.log"'
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

echo "$PASSED passed, $FAILED failed in $((SECONDS - started)) s"
[ "$FAILED" -eq 0 ]
