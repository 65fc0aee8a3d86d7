#!/usr/bin/env bash
# The end-to-end test environment: a private Xvfb display, a PulseAudio null sink
# (MCI only advances in real time with an audio sink) and a Wine prefix under build/.
#   wine-env.sh start            start display, sound and wineserver; create the prefix once
#   wine-env.sh run CMD ARGS...  run a Windows program in that environment
#   wine-env.sh stop             stop what start started
#   wine-env.sh start-lanes N    start N lanes side by side, each its own display, sound, prefix and server
#   wine-env.sh stop-lanes N     stop them
# A lane is picked by VIREO_E2E_LANE, or by the lane ctest gives a test (its resource group "lanes").
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# VIREO_E2E_STATE and VIREO_WINEPREFIX let a second environment run beside the first.
base_state="${VIREO_E2E_STATE:-$root/build/e2e}"
lane=${VIREO_E2E_LANE:-}
if [ -z "$lane" ] && [ -n "${CTEST_RESOURCE_GROUP_0_LANES:-}" ]; then
  lane=${CTEST_RESOURCE_GROUP_0_LANES#id:}; lane=${lane%%,*}
fi
state="$base_state${lane:+/lane$lane}"
prefix_of() { echo "${VIREO_WINEPREFIX:-$root/build/wine-prefix}${1:+-lane$1}"; }
envfile="$state/env.sh"
mkdir -p "$state"

base_env() {
  export PATH=/usr/lib/wine:$PATH
  export WINEPREFIX="$(prefix_of "$lane")" WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export XDG_RUNTIME_DIR="$state/runtime"
}

start() {
  base_env
  mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
  [ -f "$envfile" ] && stop >/dev/null 2>&1 || true
  pulseaudio -n --daemonize=yes --exit-idle-time=-1 --system=no \
    -L module-null-sink -L module-native-protocol-unix >/dev/null 2>&1 || true
  # The server picks a display no other server holds and says which: a lock
  # file is not enough, as a server in another root (a chroot) holds its
  # display by an abstract socket that no file here shows. Wide enough for the
  # strip at 200 % (1590 pixels).
  local d="" displayfile="$state/display"
  rm -f "$displayfile"
  Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do d=$(cat "$displayfile" 2>/dev/null); [ -n "$d" ] && break; sleep 0.1; done
  [ -n "$d" ] || { echo "wine-env: Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$d"
  # Another prefix (a lane's, the benchmark's) is a copy of the first one, made
  # once: faster than a boot.
  local first="$root/build/wine-prefix"
  if [ "$WINEPREFIX" != "$first" ] && [ ! -f "$WINEPREFIX/.vireo-classic" ] && [ -f "$first/.vireo-classic" ]; then
    rm -rf "$WINEPREFIX" && cp -a "$first" "$WINEPREFIX.part" && mv "$WINEPREFIX.part" "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/.vireo-ready" ]; then
    rm -rf "$WINEPREFIX"
    wine64 wineboot -i >/dev/null 2>&1
    wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wine64 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vireo-ready"
  fi
  if [ ! -f "$WINEPREFIX/.vireo-classic" ]; then
    # Windows draws a program without a visual-styles manifest in the classic
    # look; Wine's default theme would draw some controls themed anyway.
    wine64 reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /t REG_SZ /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vireo-classic"
  fi
  # The server and the session processes the first program starts outlive this
  # script: keep them off the caller's pipes.
  wineserver -p </dev/null >/dev/null 2>&1
  wine64 cmd /c exit </dev/null >/dev/null 2>&1 || true
  fixtures
  cat >"$envfile" <<EOT
export PATH="$PATH" WINEPREFIX="$WINEPREFIX" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" DISPLAY="$DISPLAY"
EOT
  echo "e2e environment up on DISPLAY=$DISPLAY"
}

# Files only Linux tools can make, for the driver to copy: .mp3 files (lame) of
# a 3.2 s and a 1.2 s tone, a .wma (ffmpeg, wmav2) of the 3.2 s one, and for
# Media Foundation a FLAC (3.2 s), an AAC .m4a (2.2 s, and again with its
# header before its samples, for the driver to cut), an ALAC .m4a (1.7 s) and
# an ADTS .aac (1.2 s). The driver finds them through VIREO_E2E_FIXTURES, a
# Windows path.
fixtures_dir="$base_state/fixtures"
tone() {  # $1 seconds (3.2 by default) of 440 Hz, 16-bit mono PCM at 22050 Hz, on stdout
  perl -e 'for my $i (0 .. 22050 * $ARGV[0] - 1) { print pack("s<", int(4000 * sin(6.283185307 * 440 * $i / 22050))) }' "${1:-3.2}"
}
fixtures() {
  export VIREO_E2E_FIXTURES="Z:${fixtures_dir//\//\\}"
  cursor_tool
  mkdir -p "$fixtures_dir"
  local mp3 seconds wma="$fixtures_dir/tone-3.2s.wma"
  for seconds in 3.2 1.2; do
    mp3="$fixtures_dir/tone-${seconds}s.mp3"
    [ -s "$mp3" ] && continue
    if command -v lame >/dev/null; then
      tone "$seconds" | lame --quiet -r -s 22.05 -m m --bitwidth 16 --signed --little-endian -b 64 - "$mp3.part" 2>/dev/null &&
        mv "$mp3.part" "$mp3" || echo "wine-env: could not make $mp3" >&2
    else
      echo "wine-env: lame is missing (tools/setup.sh installs it): no MP3 fixture" >&2
    fi
  done
  local fixture name
  for fixture in "3.2 flac flac flac" "2.2 aac-m4a aac ipod" "2.2 aac-front-m4a aac ipod +faststart" \
                 "1.7 alac-m4a alac ipod" "1.2 adts aac adts"; do
    set -- $fixture
    case "$2" in *-m4a) name="tone-$1s-${2%-m4a}.m4a" ;; adts) name="tone-$1s.aac" ;; *) name="tone-$1s.$2" ;; esac
    [ -s "$fixtures_dir/$name" ] && continue
    tone "$1" | ffmpeg -loglevel error -nostdin -f s16le -ar 22050 -ac 1 -i - -c:a "$3" ${5:+-movflags "$5"} -f "$4" \
      -y "$fixtures_dir/$name.part" &&
      mv "$fixtures_dir/$name.part" "$fixtures_dir/$name" || echo "wine-env: could not make $name" >&2
  done
  if [ ! -s "$wma" ]; then
    if command -v ffmpeg >/dev/null; then
      tone | ffmpeg -loglevel error -nostdin -f s16le -ar 22050 -ac 1 -i - -c:a wmav2 -b:a 64k -f asf -y "$wma.part" &&
        mv "$wma.part" "$wma" || echo "wine-env: could not make $wma" >&2
    else
      echo "wine-env: ffmpeg is missing (tools/setup.sh installs it): no WMA fixture" >&2
    fi
  fi
  return 0
}

# x_cursor: reads the pointer the X server shows (XFixes), for the driver's
# pointer checks; rebuilt when its source changes.
cursor_tool() {
  local src="$root/tests/e2e/x_cursor.c" bin="$fixtures_dir/x_cursor"
  [ -x "$bin" ] && [ "$bin" -nt "$src" ] && return 0
  mkdir -p "$fixtures_dir"
  cc -O2 -o "$bin.part" "$src" -lXfixes -lX11 2>"$fixtures_dir/x_cursor.log" && mv "$bin.part" "$bin" ||
    echo "wine-env: could not build $bin (libxfixes-dev and libx11-dev from tools/setup.sh): $(cat "$fixtures_dir/x_cursor.log")" >&2
}

stop() {
  base_env
  if [ -f "$envfile" ]; then . "$envfile"; fi
  wineserver -k 2>/dev/null || true
  if [ -f "$state/xvfb.pid" ]; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; rm -f "$state/xvfb.pid"; fi
  pulseaudio --kill 2>/dev/null || true
  rm -f "$envfile"
}

# The lanes, each started as the environment of one lane; start-lanes first
# starts and stops the plain environment, which makes the prefix the lanes
# copy and the fixtures they share.
lanes() {
  local what=$1 n=$2 i
  for i in $(seq 0 $((n - 1))); do
    VIREO_E2E_LANE=$i "$0" "$what" || return 1
  done
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  start-lanes) VIREO_E2E_LANE= "$0" start >/dev/null && VIREO_E2E_LANE= "$0" stop && lanes start "${2:?lanes}" ;;
  stop-lanes) lanes stop "${2:?lanes}" ;;
  run)
    shift
    [ -f "$envfile" ] || start >/dev/null
    . "$envfile"
    fixtures
    # The strip's golden images (cases_pixels.cpp), read from the source tree.
    export VIREO_E2E_GOLDEN="Z:${root//\//\\}\\tests\\e2e\\golden"
    # VIREO_E2E_LOCALE (ru_RU.UTF-8, ja_JP.UTF-8): the Unix locale Wine takes the
    # system's code page from, built here so that no system locale is needed.
    if [ -n "${VIREO_E2E_LOCALE:-}" ]; then
      locales="$state/locales"
      if [ ! -d "$locales/$VIREO_E2E_LOCALE" ]; then
        mkdir -p "$locales"; rm -rf "$locales/part"
        localedef -i "${VIREO_E2E_LOCALE%%.*}" -f UTF-8 "$locales/part" && mv "$locales/part" "$locales/$VIREO_E2E_LOCALE" ||
          { echo "wine-env: could not build the locale $VIREO_E2E_LOCALE (tools/setup.sh installs locales)" >&2; exit 1; }
      fi
      # Only for Wine: this shell has no such locale to switch to.
      exec env LOCPATH="$locales" LC_ALL="$VIREO_E2E_LOCALE" wine64 "$@"
    fi
    exec wine64 "$@"
    ;;
  *) echo "usage: $0 start|run CMD...|stop" >&2; exit 2 ;;
esac
