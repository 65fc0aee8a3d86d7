#!/usr/bin/env bash
# Builds Vireo.exe and runs it under Wine with a demo music folder.
# With a display it just runs the player. Without one it plays a few seconds in
# a private Xvfb, saves a screenshot of the strip and closes the player.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset windows >/dev/null && cmake --build --preset windows --target Vireo >/dev/null
cmake --preset host >/dev/null && cmake --build --preset host --target make_demo >/dev/null

run="$root/build/run"
mkdir -p "$run/Musique"
build/host/make_demo "$run/Musique" >/dev/null
# Two of the tunes again as a FLAC and an AAC .m4a, which Media Foundation plays.
ffmpeg -loglevel error -nostdin -i "$run/Musique/02 Ruisseau.wav" -c:a flac -y "$run/Musique/05 Ruisseau.flac"
ffmpeg -loglevel error -nostdin -i "$run/Musique/03 Valse.wav" -c:a aac -b:a 96k -y "$run/Musique/06 Valse.m4a"
cp build/windows/bin/Vireo.exe "$run/"
# Vireo.ini: the key "Répertoire" in Windows-1252, the folder as Wine sees it.
folder="Z:${run//\//\\}\\Musique\\"
printf 'R\xe9pertoire = %s\r\n' "$folder" >"$run/Vireo.ini"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export PATH=/usr/lib/wine:$PATH WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX="$root/build/wine-prefix"
  cd "$run" && exec wine64 ./Vireo.exe
fi

env="$root/tests/e2e/wine-env.sh"
"$env" start
trap '"$env" stop >/dev/null 2>&1 || true' EXIT
. "$root/build/e2e/env.sh"
cd "$run"
wine64 ./Vireo.exe &
player=$!
for _ in $(seq 100); do xdotool search --name '^Vireo$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1
pos=$(xdotool search --name '^Vireo$' getwindowgeometry | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p' | head -n1)
read -r x y <<<"$pos"
press() {  # a click on the strip, at a point of MainWindow's client area
  xdotool mousemove $((x + $1)) $((y + $2)); sleep 0.3
  xdotool mousedown 1; sleep 0.1; xdotool mouseup 1
}
press 206 45    # Play
sleep 4
import -window root -crop "795x70+$x+$y" "$run/screenshot.png"
press 758 45    # Close
wait "$player" || true
echo "Played the demo for 4 s; screenshot of the strip: $run/screenshot.png"
