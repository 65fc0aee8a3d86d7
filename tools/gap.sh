#!/usr/bin/env bash
# The silence between titles in a "Tout lire" run, heard at the audio sink:
# records the PulseAudio null sink's monitor while the player plays a folder of
# three 1.5 s tones (440, 660, 880 Hz), then while the floor program plays the
# same files with the same MCI commands and the same 20 ms polling, and prints
# the silences found in each recording. WAV, then MP3.
#   tools/gap.sh [RUNS]       default 3 runs of each
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-3}

cmake --preset windows >/dev/null
cmake --build --preset windows --target Vireo vireo_bench floor >/dev/null

work="$root/build/bench/gap"
winpath() { echo "Z:${1//\//\\}"; }
for kind in wav mp3; do
  mkdir -p "$work/$kind/tones" "$work/$kind/player"
  cp build/windows/bin/Vireo.exe "$work/$kind/player/"
  printf 'R\xe9pertoire = %s\\\r\n' "$(winpath "$work/$kind/tones")" >"$work/$kind/player/Vireo.ini"
done
n=1
for hz in 440 660 880; do
  raw="$work/tone$hz.raw"
  perl -e 'my ($hz) = @ARGV; for my $i (0 .. 44100 * 1.5 - 1) { print pack("s<", int(8000 * sin(6.283185307 * $hz * $i / 44100))) }' "$hz" >"$raw"
  { printf 'RIFF'; perl -e 'print pack("V", 36 + 132300)'; printf 'WAVEfmt '
    perl -e 'print pack("VvvVVvv", 16, 1, 1, 44100, 88200, 2, 16)'; printf 'data'; perl -e 'print pack("V", 132300)'
    cat "$raw"; } >"$work/wav/tones/$n-tone$hz.wav"
  lame --quiet -r -s 44.1 -m m --bitwidth 16 --signed --little-endian -b 128 - "$work/mp3/tones/$n-tone$hz.mp3" <"$raw" 2>/dev/null
  n=$((n + 1))
done

# Its own display, sound and Wine prefix, so that it may run beside the tests.
export VIREO_E2E_STATE="$root/build/bench/env" VIREO_WINEPREFIX="$root/build/bench/prefix"
env="$root/tests/e2e/wine-env.sh"
"$env" start >/dev/null
trap '"$env" stop >/dev/null 2>&1 || true' EXIT
. "$VIREO_E2E_STATE/env.sh"

# Silences of at least 20 ms between the first and the last sound, and which tone
# each stretch of sound is (by its zero crossings).
analyse() {
  perl -e '
    my $rate = 44100; my $win = int($rate * 0.005);
    local $/; my @s = unpack("s<*", <STDIN>);
    my (@loud, @cross);  # per 5 ms window
    for (my $i = 0; $i + $win <= @s; $i += $win) {
      my ($peak, $c) = (0, 0);
      for my $j ($i .. $i + $win - 1) {
        my $a = abs $s[$j]; $peak = $a if $a > $peak;
        $c++ if $j > $i && (($s[$j - 1] < 0) != ($s[$j] < 0));
      }
      push @loud, $peak >= 300; push @cross, $c;
    }
    # Stretches of sound split by silences of 20 ms or more; each stretch is the
    # tone its zero crossings say.
    my (@parts, $quiet);
    for my $k (0 .. $#loud) {
      if ($loud[$k]) {
        if (!@parts || $quiet >= 4) { push @parts, { from => $k, c => 0, n => 0, gap => @parts ? $quiet * 5 : 0 } }
        $parts[-1]{to} = $k; $parts[-1]{c} += $cross[$k]; $parts[-1]{n}++; $quiet = 0;
      } else { $quiet++ }
    }
    if (!@parts) { print "  no sound recorded\n"; exit }
    my ($heard, @between, @within) = (0);
    for my $p (@parts) {
      my $hz = $p->{c} * $rate / ($p->{n} * $win) / 2;
      $p->{tone} = (sort { abs($a - $hz) <=> abs($b - $hz) } 440, 660, 880)[0];
      $heard += $p->{n} * 5;
    }
    for my $i (1 .. $#parts) {
      my ($a, $b) = ($parts[$i - 1], $parts[$i]);
      if ($a->{tone} != $b->{tone}) { push @between, "$b->{gap} ms ($a->{tone}->$b->{tone} Hz)" }
      else { push @within, $b->{gap} }
    }
    my @tones; for my $p (@parts) { push @tones, $p->{tone} if !@tones || $tones[-1] != $p->{tone} }
    printf "  sound heard: %d ms of 4500, tones in order: %s\n", $heard, join(" ", @tones);
    printf "  silences between titles: %s\n", @between ? join(", ", @between) : "none of 20 ms or more";
    printf "  silences within a title: %d (%s ms)\n", scalar @within, @within ? join(" ", @within) : "-";
  ' <"$1"
}

record() {  # record FILE CMD...: the sink monitor while CMD runs
  local out=$1; shift
  parec -d null.monitor --format=s16le --channels=1 --rate=44100 --raw >"$out" &
  local rec=$!
  sleep 0.5
  "$@" >/dev/null
  sleep 0.5
  kill "$rec"; wait "$rec" 2>/dev/null || true
}

echo "machine: $(nproc) cores, $(wine64 --version), load $(cut -d' ' -f1-3 /proc/loadavg); command: tools/gap.sh $runs"
for kind in wav mp3; do
  files=()
  for f in "$work/$kind/tones/"*; do files+=("$(winpath "$f")"); done
  for i in $(seq "$runs"); do
    record "$work/player-$kind-$i.raw" wine64 build/windows/bin/vireo_bench.exe playall "$(winpath "$work/$kind/player")"
    echo "$kind, run $i, Vireo.exe:"; analyse "$work/player-$kind-$i.raw"
    record "$work/floor-$kind-$i.raw" wine64 build/windows/bin/floor.exe titles "${files[@]}"
    echo "$kind, run $i, floor:"; analyse "$work/floor-$kind-$i.raw"
  done
done
