#!/usr/bin/env bash
# Checks the archive tools/package.sh wrote, as a user receives it: its sums, its
# entries and LISEZMOI.txt, the exe's imports, PE header and strings, and then the
# exe unpacked into a fresh folder under Wine (tests/e2e/cases_release.cpp).
#   check.sh [PACKAGE_DIR]     (default build/package)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
out=${1:-build/package}
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct HEAD)}

zips=("$out"/Vireo-*-win64.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || { echo "check: not one archive in $out" >&2; exit 1; }
zip=${zips[0]}
version=$(basename "$zip" | sed 's/^Vireo-\(.*\)-win64\.zip$/\1/')
want=$(sed -n 's/^project(Vireo VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ "$version" = "$want" ] || { echo "check: archive version $version, project version $want" >&2; exit 1; }
IFS=. read -r major minor patch tweak <<<"$version"
shown=$(printf '%s.%s.%02d.%s' "$major" "$minor" "$patch" "$tweak")
(cd "$out" && sha256sum --quiet -c SHA256SUMS) || { echo "check: SHA256SUMS does not match" >&2; exit 1; }
echo "check: $(cat "$out/SHA256SUMS"), $(stat -c %s "$zip") bytes"

python3 tests/release/check_archive.py "$zip" "$epoch" "$shown"

# A fresh folder, as a user's download would be.
dest="$root/build/release-check"
rm -rf "$dest"
mkdir -p "$dest/Vireo"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$dest/Vireo"
exe="$dest/Vireo/Vireo.exe"

tests/release/imports.sh "$exe"
stamp=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^Time\/Date\s*//p')
case "$stamp" in
  "Thu Jan  1 00:00:00 1970"|"$(LC_ALL=C date -u -d "@$epoch" '+%a %b %e %H:%M:%S %Y')") echo "check: PE time stamp: $stamp" ;;
  *) echo "check: the PE header holds the link time: $stamp" >&2; exit 1 ;;
esac
leaks=$(strings -a "$exe" | grep -E "$root|/work/|/tmp/|/home/|/usr/|/build/" || true)
[ -z "$leaks" ] || { echo "check: paths of the build machine in the exe:" >&2; echo "$leaks" >&2; exit 1; }
echo "check: no build-machine path in the exe"

# Under Wine: the demo folder named by Vireo.ini, the About date, the version resource.
[ -x build/host/make_demo ] || { cmake --preset host >/dev/null && cmake --build --preset host --target make_demo >/dev/null; }
[ -f build/windows/bin/vireo_driver.exe ] ||
  { cmake --preset windows >/dev/null && cmake --build --preset windows --target vireo_driver >/dev/null; }
build/host/make_demo "$dest/Vireo/Musique" >/dev/null
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
printf 'R\xe9pertoire = %s\\Musique\\\r\n' "$(winpath "$dest/Vireo")" >"$dest/Vireo/Vireo.ini"
env="$root/tests/e2e/wine-env.sh"
"$env" start >"$dest/wine-env.log" 2>&1 </dev/null || { cat "$dest/wine-env.log" >&2; exit 1; }
trap '"$env" stop >/dev/null 2>&1 || true' EXIT
VIREO_RELEASE_DIR="$(winpath "$dest/Vireo")\\" \
VIREO_RELEASE_VERSION="$version" VIREO_RELEASE_VERSION_TEXT="$shown" \
VIREO_RELEASE_DATE=$(date -u -d "@$epoch" +%d.%m.%Y) VIREO_RELEASE_TIME=$(date -u -d "@$epoch" +%H:%M:%S) \
  "$env" run build/windows/bin/vireo_driver.exe release_package </dev/null
