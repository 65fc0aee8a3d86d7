#!/usr/bin/env bash
# Builds everything and runs every test: host unit tests, the same under
# ASan+UBSan, a short run of each fuzz target (clang, libFuzzer), the Windows
# build with its end-to-end tests under Wine, then the release archive and its checks.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
for preset in host host-asan fuzz windows; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
# The exe must stand alone and import nothing Windows would look for beside it;
# the check itself must refuse what it is there to refuse.
tests/release/imports.sh build/windows/bin/Vireo.exe
status=0
tests/release/test_imports.sh build/windows/bin/Vireo.exe build/windows/bin/floor.exe || status=1
# soak: the end-to-end leak soak (a few minutes), after the other end-to-end tests.
for preset in host host-asan fuzz windows soak; do
  echo "== tests: $preset"
  ctest --preset "$preset" || status=1
done
# The release: packaged from a fresh build folder, checked as a user receives it
# (also under Wine), and built twice more elsewhere to prove it reproducible.
echo "== release"
python3 tests/release/test_make_zip.py || status=1
if tools/package.sh; then
  tests/release/check.sh || status=1
  tests/release/reproduce.sh || status=1
else
  status=1
fi
# One short round keeps the benchmark working; its figures never fail the run.
echo "== benchmark: one short round"
tools/bench.sh 1 1 || status=1
exit $status
