#!/usr/bin/env bash
# imports.sh must refuse what it is there to refuse: an exe that imports a DLL
# outside KnownDLLs, and a header without each of the three flags.
#   test_imports.sh VIREO_EXE OTHER_EXE    (OTHER_EXE imports winmm.dll, as the floor does)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$1 other=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/vireo-imports.XXXXXX")
trap 'rm -rf "$work"' EXIT

# A copy of the exe with bits of DllCharacteristics cleared.
without() {  # mask name
  python3 - "$exe" "$work/$2.exe" "$1" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
at = struct.unpack_from("<I", data, 0x3C)[0] + 24 + 70  # PE header, optional header, DllCharacteristics
struct.pack_into("<H", data, at, struct.unpack_from("<H", data, at)[0] & ~int(sys.argv[3], 16))
open(sys.argv[2], "wb").write(data)
PY
  echo "$work/$2.exe"
}

status=0
expect() {  # what exe want-status want-message
  local out rc=0
  out=$("$here/imports.sh" "$2" 2>&1) || rc=$?
  if [ "$rc" -eq "$3" ] && grep -q -- "$4" <<<"$out"; then
    echo "ok    $1"
  else
    echo "FAIL  $1: exit $rc, output: $out"
    status=1
  fi
}
expect "the player passes" "$exe" 0 "all KnownDLLs"
expect "an import of winmm.dll fails" "$other" 1 "imports winmm.dll at load time"
expect "no HIGH_ENTROPY_VA fails" "$(without 0x20 no-high-entropy)" 1 "lacks HIGH_ENTROPY_VA"
expect "no DYNAMIC_BASE fails" "$(without 0x40 no-dynamic-base)" 1 "lacks DYNAMIC_BASE"
expect "no NX_COMPAT fails" "$(without 0x100 no-nx)" 1 "lacks NX_COMPAT"
exit $status
