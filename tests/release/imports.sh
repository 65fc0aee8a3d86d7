#!/usr/bin/env bash
# The exe must stand alone: nothing but Windows system DLLs among its imports.
#   imports.sh EXE...
set -euo pipefail
for exe in "$@"; do
  imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  [ -n "$imports" ] || { echo "$exe: no imports found" >&2; exit 1; }
  for dll in $imports; do
    case "$dll" in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|ole32.dll|shell32.dll|winmm.dll|msimg32.dll|advapi32.dll|msvcrt.dll|api-ms-win-*) ;;
      *) echo "$exe imports a non-system DLL: $dll" >&2; exit 1 ;;
    esac
  done
  echo "$exe imports: $(echo $imports)"
done
