#!/usr/bin/env bash
# Every test: the programs' hardening, the host tests on the headless platform, the Windows tests
# under wine on a private virtual display, then the end-to-end harness once per program (the
# Windows program under wine, the native Linux one, the browser program in every engine), and a
# short run of the outline fuzzer. A suite that fails does not stop the others; the status is 1
# when any failed.
set -uo pipefail
cd "$(dirname "$0")/.."
failed=()
# Each suite says how long it took.
run() {
  local start=$SECONDS
  "$@" || failed+=("$*")
  echo "--- $* took $((SECONDS - start)) s"
}
# The programs we ship, hardened: the native one through Debian's hardening-check, the Windows
# one by its PE header and its stack protector.
run scripts/hardening-check.sh
run ctest --preset host --output-on-failure -j2
run scripts/with-xvfb.sh scripts/windows-tests.sh
# The real programs driven as a person would, each check written once (tests/e2e).
for program in wine gtk chromium webkit firefox; do
  echo "--- end to end: $program"
  run /usr/bin/python3 -m pytest tests/e2e --program "$program"
done
# A short run of the outline fuzzer (clang, sanitizers); `make fuzz` runs it longer.
run scripts/fuzz.sh 20
if [ ${#failed[@]} -gt 0 ]; then
  printf 'failed: %s\n' "${failed[@]}"
  exit 1
fi
