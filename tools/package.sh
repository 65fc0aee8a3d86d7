#!/usr/bin/env bash
# Builds the release archive: build/package/Vireo-<version>-win64.zip (Vireo.exe
# and LISEZMOI.txt) and its SHA256SUMS. The same commit gives the same bytes
# wherever and whenever it is built: SOURCE_DATE_EPOCH (the About box's date and
# the archive's times) defaults to the date of the commit.
#   CMAKE_PREFIX_PATH   where the Windows libpng is; by default what tools/setup.sh builds
#   VIREO_PACKAGE_DIR   where the archive goes; by default build/package
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD) ||
    { echo "package: no commit to date the build by; set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH
commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
state=clean
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  echo "package: warning: uncommitted changes; this archive is not commit $commit as it stands" >&2
  state=changed
fi

configure_args=()
if [ -n "${CMAKE_PREFIX_PATH:-}" ]; then
  configure_args+=("-DCMAKE_PREFIX_PATH=$CMAKE_PREFIX_PATH")
elif [ ! -d build/deps/mingw/lib ]; then
  tools/setup.sh
fi

# Always a fresh build folder: nothing left over from an earlier configuration.
bin="$root/build/release"
rm -rf "$bin"
mkdir -p "$bin"
cmake --preset release "${configure_args[@]}" >"$bin/configure.log" 2>&1 ||
  { cat "$bin/configure.log" >&2; exit 1; }
grep -E '^-- Found (PNG|ZLIB):' "$bin/configure.log" || true
cmake --build --preset release >"$bin/build.log" 2>&1 || { cat "$bin/build.log" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$bin/CMakeCache.txt")
shown=$(sed -n 's/^#define VIREO_VERSION_TEXT "\(.*\)"$/\1/p' "$bin/generated/version.h")
[ -n "$version" ] && [ -n "$shown" ] || { echo "package: no version in $bin" >&2; exit 1; }

out="${VIREO_PACKAGE_DIR:-$root/build/package}"
mkdir -p "$out"
name="Vireo-$version-win64.zip"
rm -f "$out"/Vireo-*-win64.zip "$out/SHA256SUMS"
python3 "$root/tools/make_zip.py" "$out/$name" "$SOURCE_DATE_EPOCH" \
  "LISEZMOI.txt=text:$root/docs/LISEZMOI.txt:$shown" "Vireo.exe=$bin/bin/Vireo.exe"
(cd "$out" && sha256sum "$name" >SHA256SUMS)
# What was built, for tests/release/reproduce.sh to compare with.
echo "$(git rev-parse HEAD 2>/dev/null || echo unknown) $SOURCE_DATE_EPOCH $state $out" >"$bin/source"

echo "package: commit $commit, SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC'))"
echo "package: $(sha256sum "$bin/bin/Vireo.exe" | cut -d' ' -f1)  Vireo.exe"
echo "package: $(cat "$out/SHA256SUMS")"
echo "package: $out/$name, $(stat -c %s "$out/$name") bytes"
