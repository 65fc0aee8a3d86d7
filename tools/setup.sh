#!/usr/bin/env bash
# Installs everything needed to build and test Vireo on Debian 12 or 13, and
# cross-builds libpng for mingw into build/deps. Idempotent: fast when all is there.
# Wine's MCI opens .mp3 and .wma files through GStreamer: base and good (MP3),
# ugly (the ASF container of .wma) and libav (the WMA decoder).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"

pkgs=(cmake ninja-build g++ pkg-config dpkg-dev
      mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
      wine wine64 xvfb x11-utils libx11-dev libxfixes-dev pulseaudio pulseaudio-utils xdotool imagemagick lame ffmpeg python3 locales
      gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
      libgtest-dev libgmock-dev googletest libbenchmark-dev libpng-dev zlib1g-dev
      clang libclang-rt-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# libpng for the Windows build, from Debian's own source package.
deps="$root/build/deps"
png="$deps/mingw"
if [ ! -f "$png/lib/libpng16.a" ] && [ ! -f "$png/lib/libpng.a" ]; then
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    echo "setup: adding deb-src entries"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      $sudo sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
    else
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $sudo tee /etc/apt/sources.list.d/vireo-src.list >/dev/null
    fi
    $sudo apt-get update -qq
  fi
  src="$deps/src"
  rm -rf "$src"; mkdir -p "$src"
  # Try every version the archive lists, newest first: a mirror may lack one.
  got=""
  for v in $(apt-cache showsrc libpng1.6 | sed -n 's/^Version: //p' | sort -rV); do
    if (cd "$src" && apt-get source -qq --download-only "libpng1.6=$v" >/dev/null 2>&1); then got=$v; break; fi
    rm -f "$src"/*
  done
  [ -n "$got" ] || { echo "setup: cannot fetch the libpng1.6 source package" >&2; exit 1; }
  (cd "$src" && dpkg-source -x --no-check ./*.dsc >/dev/null)
  pdir=$(find "$src" -maxdepth 1 -type d -name 'libpng1.6-*' | head -n1)
  echo "setup: cross-building libpng from $(basename "$pdir")"
  cmake -S "$pdir" -B "$deps/png-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF \
    -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON \
    -DCMAKE_INSTALL_PREFIX="$png" >/dev/null
  cmake --build "$deps/png-build" >/dev/null
  cmake --install "$deps/png-build" >/dev/null
fi
echo "setup: ready"
