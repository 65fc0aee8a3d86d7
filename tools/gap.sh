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
    my $rate = 44100; my $win = int($rate * 0.01);
    local $/; my @s = unpack("s<*", <STDIN>);
    # Per 10 ms window: 0 for silence, else the tone its zero crossings are nearest.
    my @w;
    for (my $i = 0; $i + $win <= @s; $i += $win) {
      my ($peak, $c) = (0, 0);
      for my $j ($i .. $i + $win - 1) {
        my $a = abs $s[$j]; $peak = $a if $a > $peak;
        $c++ if $j > $i && (($s[$j - 1] < 0) != ($s[$j] < 0));
      }
      my $hz = $c * 50;
      push @w, $peak < 300 ? 0 : (sort { abs($a - $hz) <=> abs($b - $hz) } 440, 660, 880)[0];
    }
    # Runs of one state; a tone heard for less than 30 ms (a window cut by the
    # edge of a burst) is taken for the nearest tone heard longer.
    my @runs;
    for my $v (@w) {
      if (@runs && $runs[-1]{v} == $v) { $runs[-1]{n}++ } else { push @runs, { v => $v, n => 1 } }
    }
    for my $i (0 .. $#runs) {
      my $r = $runs[$i];
      next unless $r->{v} && $r->{n} < 3;
      my ($tone) = map { $_->{v} } grep { $_->{v} && $_->{n} >= 3 } @runs[$i + 1 .. $#runs], reverse @runs[0 .. $i - 1];
      ($tone) = map { $_->{v} } grep { $_->{v} && $_->{n} >= 3 } reverse @runs[0 .. $i - 1] if $i > 0 && $runs[$i - 1]{v};
      $r->{v} = $tone if $tone;
    }
    my @m;
    for my $r (@runs) {
      if (@m && $m[-1]{v} == $r->{v}) { $m[-1]{n} += $r->{n} } else { push @m, { %$r } }
    }
    shift @m while @m && !$m[0]{v}; pop @m while @m && !$m[-1]{v};
    if (!@m) { print "  no sound recorded\n"; exit }
    my ($heard, @tones, @between, @within) = (0);
    my $last = 0; my $quiet = 0;
    for my $r (@m) {
      if (!$r->{v}) { $quiet += $r->{n} * 10; next }
      $heard += $r->{n} * 10;
      if ($last && $r->{v} != $last) { push @between, "$quiet ms ($last->$r->{v} Hz)" }
      elsif ($last && $quiet >= 20) { push @within, $quiet }
      push @tones, $r->{v} if $r->{v} != $last;
      $last = $r->{v}; $quiet = 0;
    }
    my %heard = map { $_ => 1 } @tones;
    my @missing = grep { !$heard{$_} } 440, 660, 880;
    printf "  sound heard: %d ms of 4500, tones in order: %s%s\n", $heard, join(" ", @tones),
      @missing ? " (never heard: " . join(" ", @missing) . ")" : "";
    printf "  silences between titles: %s\n", @between ? join(", ", @between) : "-";
    printf "  silences within a title (20 ms or more): %d (%s ms)\n", scalar @within, @within ? join(" ", @within) : "-";
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
