#!/usr/bin/env bash
# Measures Vireo.exe against plain floor programs under Wine, interleaved round by
# round under one wineserver, and prints medians (min-max) and ratios.
#   tools/bench.sh [ROUNDS [SECONDS]]     default 7 rounds, 6 s per CPU reading
# VIREO_BENCH_EXE=path measures that Vireo.exe instead of the fresh build;
# VIREO_BENCH_BASELINE=path runs that one too, in the same rounds, in a column of its own.
# Figures only: it never fails on a figure. It has its own display, sound and
# Wine prefix under build/bench, so it may run beside tools/test.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${1:-7}
seconds=${2:-6}

cmake --preset windows >/dev/null
cmake --build --preset windows --target Vireo vireo_bench floor floor_common >/dev/null

work="$root/build/bench/work"
mkdir -p "$work/one" "$work/big" "$work/flac" "$work/vireo-one" "$work/vireo-big" "$work/vireo-flac" \
  "$work/base-one" "$work/base-big" "$work/base-flac"
cp build/windows/bin/floor.exe build/windows/bin/floor_common.exe "$work/"
exe=${VIREO_BENCH_EXE:-build/windows/bin/Vireo.exe}
base=${VIREO_BENCH_BASELINE:-}
winpath() { echo "Z:${1//\//\\}"; }
for name in one big flac; do
  cp "$exe" "$work/vireo-$name/Vireo.exe"
  [ -z "$base" ] || cp "$base" "$work/base-$name/Vireo.exe"
  for player in vireo base; do
    printf 'R\xe9pertoire = %s\\\r\n' "$(winpath "$work/$name")" >"$work/$player-$name/Vireo.ini"
  done
done

# A 10-minute WAV, 44.1 kHz stereo 16-bit (silence plays like any sound).
wav="$work/one/long.wav"
if [ ! -s "$wav" ]; then
  bytes=$((44100 * 4 * 600))
  le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 >> 16 & 255)))\\x$(printf %02x $(($1 >> 24 & 255)))"; }
  { printf 'RIFF'; le32 $((bytes + 36)); printf 'WAVEfmt '; le32 16
    printf '\x01\x00\x02\x00'; le32 44100; le32 $((44100 * 4)); printf '\x04\x00\x10\x00'
    printf 'data'; le32 "$bytes"; head -c "$bytes" /dev/zero; } >"$wav.part"
  mv "$wav.part" "$wav"
fi
# A 10-minute FLAC, 44.1 kHz stereo, of a tone: what Media Foundation plays.
flac="$work/flac/long.flac"
if [ ! -s "$flac" ]; then
  ffmpeg -loglevel error -nostdin -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=600" -ac 2 \
    -c:a flac -y "$flac.part.flac" && mv "$flac.part.flac" "$flac"
fi
# 10,000 entries: 5,000 titles and 5,000 other files.
if [ "$(find "$work/big" -type f | wc -l)" -ne 10000 ]; then
  rm -rf "$work/big" && mkdir -p "$work/big"
  (cd "$work/big" && for i in $(seq -w 1 5000); do : >"title $i.wav"; : >"note $i.txt"; done)
fi

export VIREO_E2E_STATE="$root/build/bench/env" VIREO_WINEPREFIX="$root/build/bench/prefix"
env="$root/tests/e2e/wine-env.sh"
"$env" start >/dev/null
trap '"$env" stop >/dev/null 2>&1 || true' EXIT
. "$VIREO_E2E_STATE/env.sh"

echo "machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n1), $(wine64 --version), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "command: tools/bench.sh $rounds $seconds; Vireo.exe: $exe, $(stat -c %s "$exe") bytes"
[ -z "$base" ] || echo "baseline: $base, $(stat -c %s "$base") bytes"
wine64 build/windows/bin/vireo_bench.exe "$rounds" "$seconds" "$(winpath "$work")" ${base:+baseline}
