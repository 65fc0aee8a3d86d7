#!/usr/bin/env bash
# Builds everything and runs every test: host unit tests, the same under
# ASan+UBSan, then the Windows build with its end-to-end tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
for preset in host host-asan windows; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
# The exe must stand alone: nothing but system DLLs among its imports.
imports=$(x86_64-w64-mingw32-objdump -p build/windows/bin/Vireo.exe | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for dll in $imports; do
  case "$dll" in
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|ole32.dll|shell32.dll|winmm.dll|msimg32.dll|advapi32.dll|msvcrt.dll|api-ms-win-*) ;;
    *) echo "Vireo.exe imports a non-system DLL: $dll" >&2; exit 1 ;;
  esac
done
echo "Vireo.exe imports: $(echo $imports)"
status=0
for preset in host host-asan windows; do
  echo "== tests: $preset"
  ctest --preset "$preset" || status=1
done
# One short round keeps the benchmark working; its figures never fail the run.
echo "== benchmark: one short round"
tools/bench.sh 1 1 || status=1
exit $status
