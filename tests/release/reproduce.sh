#!/usr/bin/env bash
# Builds the release of the current commit twice, in two folders of different
# depth, one after the other, and checks that the exe and the zip are the same
# bytes. The first is the package tools/package.sh made in this tree, where it
# is the commit as it stands (no change, built after the last commit), else a
# clone's; the second, always a clone's, finds libpng in another prefix, given
# only through CMAKE_PREFIX_PATH, as a Windows developer's package manager would.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
commit=$(git rev-parse HEAD)
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct "$commit")}"
deps="$root/build/deps/mingw"
[ -d "$deps/lib" ] || { echo "reproduce: no libpng in $deps (run tools/setup.sh)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vireo-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The same libpng, installed under a prefix of its own.
other="$work/elsewhere/libpng"
if [ -f "$root/build/deps/png-build/cmake_install.cmake" ]; then
  cmake --install "$root/build/deps/png-build" --prefix "$other" >/dev/null
else
  mkdir -p "$other" && cp -a "$deps/." "$other/"
fi

build() {  # clone folder, libpng prefix
  local src=$1 prefix=$2
  git clone -q --no-checkout "$root" "$src"
  git -C "$src" checkout -q "$commit"
  echo "== release build in $src"
  CMAKE_PREFIX_PATH="$prefix" VIREO_PACKAGE_DIR="$src/out" "$src/tools/package.sh"
  # The clone has no build/deps: libpng can only have come from $prefix.
  grep -q "^-- Found PNG: $prefix/lib/libpng" "$src/build/release/configure.log" ||
    { echo "reproduce: libpng not found under $prefix" >&2; grep 'Found PNG' "$src/build/release/configure.log" >&2; return 1; }
}
# This tree's package, laid out as a clone's: build/release and out/.
one="$work/one/vireo"
read -r built epoch state package <"$root/build/release/source" 2>/dev/null || true
if [ "${built:-}" = "$commit" ] && [ "${epoch:-}" = "$SOURCE_DATE_EPOCH" ] && [ "${state:-}" = clean ] &&
   [ -z "$(git status --porcelain --untracked-files=no)" ] && [ -f "$package/SHA256SUMS" ]; then
  echo "== release build in $root (tools/package.sh, this tree at its commit)"
  mkdir -p "$one/build/release/bin" && cp "$root/build/release/bin/Vireo.exe" "$one/build/release/bin/"
  cp -r "$package" "$one/out"
else
  build "$one" "$deps"
fi
build "$work/second/build/tree/vireo" "$other"

status=0
for f in "build/release/bin/Vireo.exe" "out/SHA256SUMS" "out/$(cd "$one/out" && ls Vireo-*-win64.zip)"; do
  a=$(sha256sum <"$one/$f" | cut -d' ' -f1)
  b=$(sha256sum <"$work/second/build/tree/vireo/$f" | cut -d' ' -f1)
  if [ "$a" = "$b" ]; then
    echo "reproduce: same $(basename "$f"): $a"
  else
    echo "reproduce: $(basename "$f") differs: $a vs $b" >&2
    status=1
  fi
done
exit $status
