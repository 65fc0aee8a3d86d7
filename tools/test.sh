#!/usr/bin/env bash
# Builds everything and runs every test: host unit tests, the same under
# ASan+UBSan, a short run of each fuzz target (clang, libFuzzer), the Windows
# build with its end-to-end tests under Wine, then the release archive and its checks.
# The end-to-end cases spend their time waiting on sound and windows, so they
# run in lanes side by side (cmake/e2e.cmake) while everything else builds and
# runs beside them at the lowest priority, which leaves the players the
# processor they need. Their output follows once they are done.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
build() {
  echo "== $1"
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}
build windows
# The exe must stand alone and import nothing Windows would look for beside it;
# the check itself must refuse what it is there to refuse.
tests/release/imports.sh build/windows/bin/Vireo.exe
status=0
tests/release/test_imports.sh build/windows/bin/Vireo.exe build/windows/bin/floor.exe || status=1

# Every end-to-end case, the leak soak among them, but those that watch the
# screen, the pointer or the keyboard: they come last, with nothing beside them.
e2e_log=build/windows/e2e.log
ctest --preset windows-all -LE quiet >"$e2e_log" 2>&1 &
e2e=$!
trap 'kill $e2e 2>/dev/null || true' EXIT

beside() {
  local preset s=0
  for preset in host host-asan fuzz; do build "$preset" || return 1; done
  for preset in host host-asan fuzz; do
    echo "== tests: $preset"
    ctest --preset "$preset" || s=1
  done
  # The release: packaged from a fresh build folder and built once more
  # elsewhere to prove it reproducible.
  echo "== release"
  python3 tests/release/test_make_zip.py || s=1
  if tools/package.sh; then tests/release/reproduce.sh || s=1; else s=1; fi
  return $s
}
( renice -n 19 -p $BASHPID >/dev/null && beside ) || status=1

echo "== tests: windows (end to end, $(cmake -L -N build/windows | sed -n 's/^VIREO_E2E_LANES:STRING=//p') lanes)"
wait $e2e || status=1
trap - EXIT
cat "$e2e_log"
echo "== tests: windows (end to end: the screen, the pointer and the keyboard)"
ctest --preset windows-all -L quiet || status=1
# The archive checked as a user receives it, under Wine.
tests/release/check.sh || status=1
# One short round keeps the benchmark working; its figures never fail the run.
echo "== benchmark: one short round"
tools/bench.sh 1 1 || status=1
exit $status
