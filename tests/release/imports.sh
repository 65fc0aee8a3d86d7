#!/usr/bin/env bash
# The exe must stand alone and take no DLL from its own folder, which may be a
# download folder: it imports at load time only KnownDLLs of every Windows from 7
# to 11 (tests/known_dlls.inc), which the system never looks for elsewhere; the
# other DLLs it loads from the system folder at run time. Its header keeps ASLR,
# 64-bit ASLR and DEP.
#   imports.sh EXE...
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
known=$(sed -n 's/^KNOWN("\([^"]*\)").*/\1/p' "$root/tests/known_dlls.inc")
[ -n "$known" ] || { echo "imports.sh: no KNOWN(...) line in tests/known_dlls.inc" >&2; exit 1; }
status=0
for exe in "$@"; do
  wrong=0
  header=$(x86_64-w64-mingw32-objdump -p "$exe")
  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$header" | tr 'A-Z' 'a-z' | sort -u)
  [ -n "$imports" ] || { echo "$exe: no imports found" >&2; exit 1; }
  for dll in $imports; do
    grep -qxF "$dll" <<<"$known" ||
      { echo "$exe imports $dll at load time, not a KnownDLL: Windows looks for it beside the exe first" >&2; wrong=1; }
  done
  flags=$(sed -n 's/^DllCharacteristics\s*\([0-9a-fA-F]*\)$/\1/p' <<<"$header")
  [ -n "$flags" ] || { echo "$exe: no DllCharacteristics in its header" >&2; exit 1; }
  for flag in HIGH_ENTROPY_VA:0x20 DYNAMIC_BASE:0x40 NX_COMPAT:0x100; do
    (( 16#$flags & ${flag#*:} )) || { echo "$exe: its header lacks ${flag%%:*}" >&2; wrong=1; }
  done
  if [ $wrong -eq 0 ]; then
    echo "$exe imports $(echo $imports), all KnownDLLs; DllCharacteristics $flags"
  else
    status=1
  fi
done
exit $status
