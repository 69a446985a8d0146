#!/usr/bin/env bash
# Renders the soundtrack with the engine (vale-tool render-audio) and reports what it sounds
# like in numbers, with the mix targets the song is held to: level and loudness, spectrum,
# stereo width, movement between orders, offset per order, the balance of the parts (each
# channel rendered alone), and the arrangement checks of vale-song-checks (key, bass under the
# kick, the ending). Also writes a spectrogram of the whole song.
# Needs sox and ffmpeg. Usage: scripts/soundtrack-report.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
build=${1:-build}
out=${2:-$build/soundtrack-report}
mkdir -p "$out"
wav="$out/vale.wav"
tool="$build/bin/vale-tool"
checks="$build/bin/vale-song-checks"
here=$(cd "$(dirname "$0")/.." && pwd)

"$tool" render-audio "$wav" 2> /dev/null

# 64 rows of 3 ticks of 804 frames: 154368 frames an order. The beat runs over orders 4 to 31.
order=154368
beat_from=$((4 * order)) beat_len=$((28 * order))

misses=0
# target NAME VALUE LO HI UNIT: prints the figure and whether it lies within [LO, HI].
target() {
  local verdict
  verdict=$(awk -v v="$2" -v lo="$3" -v hi="$4" 'BEGIN { print (v >= lo && v <= hi) ? "ok" : "MISS" }')
  [ "$verdict" = ok ] || misses=$((misses + 1))
  printf "  %-44s %9s %-5s (target %s .. %s) %s\n" "$1" "$2" "$5" "$3" "$4" "$verdict"
}
# Overall RMS level in dB of the file after the given sox effects.
rms_db() { sox -V1 "$wav" -n "$@" stats 2>&1 | awk '/^RMS lev dB/ { print $4 }'; }
# Integrated loudness (LUFS) of a file.
lufs() { ffmpeg -hide_banner -nostats -i "$1" -af ebur128 -f null - 2>&1 | awk '/^ *I:/ { v = $2 } END { print v }'; }

echo "== whole song"
sox "$wav" -n stats 2>&1 | grep -E 'DC offset|Pk lev|RMS lev|Length'
peak=$(sox "$wav" -n stats 2>&1 | awk '/^Pk lev dB/ { print $4 }')
fullscale=$(sox "$wav" -t s16 - | od -An -v -td2 -w2 | grep -c -E '^ *(32767|-32768)$' || true)
loudness=$(lufs "$wav")

echo "== spectrum (share of the energy)"
total=$(rms_db vol 0.5)
# Band filters with transition bands narrow enough for the low edges (sox's default is far wider).
share() { awk -v b="$(rms_db vol 0.5 sinc "$@")" -v t="$total" 'BEGIN { printf "%.1f", 100 * 10 ^ ((b - t) / 10) }'; }
printf "  below 60 Hz    %6s %%\n" "$(share -t 20 -60)"
printf "  60..250 Hz     %6s %%\n" "$(share -t 20 60-250 -t 20)"
printf "  250..2000 Hz   %6s %%\n" "$(share -t 20 250-2000 -t 100)"
printf "  2..6 kHz       %6s %%\n" "$(share -t 100 2000-6000 -t 100)"
printf "  above 6 kHz    %6s %%\n" "$(share -t 100 6000)"
mid=$(share -t 20 250-6000 -t 100)

echo "== stereo over orders 4 to 31"
read -r l r < <(sox "$wav" -n trim "${beat_from}s" "${beat_len}s" stats 2>&1 | awk '/^RMS lev dB/ { print $5, $6 }')
m=$(rms_db trim "${beat_from}s" "${beat_len}s" remix -m 1v0.5,2v0.5)
d=$(rms_db trim "${beat_from}s" "${beat_len}s" remix -m 1v0.5,2v-0.5)
corr=$(awk -v l="$l" -v r="$r" -v m="$m" -v d="$d" \
  'BEGIN { if (d == "-inf") { print "1.000"; exit } printf "%.3f", (10 ^ (m / 10) - 10 ^ (d / 10)) / 10 ^ ((l + r) / 20) }')
echo "  left RMS $l dB, right RMS $r dB, mid $m dB, side $d dB"

echo "== per order: peak dBFS, RMS dBFS, offset % of full scale (largest side)"
orders=47
rms_lo=0 rms_hi=-200 worst_dc=0
for ((o = 0; o < orders; ++o)); do
  read -r pk rms dc < <(sox "$wav" -n trim "$((o * order))s" "${order}s" stats 2>&1 | awk '
    /^DC offset/ { a = $4 < 0 ? -$4 : $4; b = $5 < 0 ? -$5 : $5; dc = 100 * (a > b ? a : b) }
    /^Pk lev dB/ { p = $4 } /^RMS lev dB/ { r = $4 } END { printf "%s %s %.3f\n", p, r, dc }')
  printf "  order %2d  %7s %7s %7s\n" "$o" "$pk" "$rms" "$dc"
  if ((o >= 4 && o <= 31)); then
    rms_lo=$(awk -v a="$rms_lo" -v b="$rms" -v first=$((o == 4)) 'BEGIN { print ((first || b < a) ? b : a) }')
    rms_hi=$(awk -v a="$rms_hi" -v b="$rms" 'BEGIN { print (b > a ? b : a) }')
  fi
  worst_dc=$(awk -v a="$worst_dc" -v b="$dc" 'BEGIN { print (b > a ? b : a) }')
done
spread=$(awk -v a="$rms_hi" -v b="$rms_lo" 'BEGIN { printf "%.1f", a - b }')

echo "== parts over orders 4 to 31, each channel alone (LUFS)"
names=(kick bass hats "snare/clap/toms" "pad 1" "pad 2" "stabs/drones" lead arpeggio noise)
declare -a part
for c in $(seq 1 10); do
  "$tool" render-audio "$out/channel$c.wav" --from 4 --to 31 --channels "$c" 2> /dev/null
  part[$c]=$(lufs "$out/channel$c.wav")
  printf "  %2d %-16s %7s\n" "$c" "${names[$((c - 1))]}" "${part[$c]}"
done
lead_gap=$(awk -v a="${part[8]}" -v b="${part[2]}" 'BEGIN { d = a - b; printf "%.1f", d < 0 ? -d : d }')

echo "== targets"
target "share of energy 250 Hz .. 6 kHz" "$mid" 15 100 %
target "left-right correlation, orders 4..31" "$corr" 0.3 0.95 ""
target "per-order RMS spread, orders 4..31" "$spread" 4 99 dB
target "integrated loudness" "$loudness" -16 -11 LUFS
target "peak" "$peak" -3 -0.5 dBFS
target "samples at full scale" "$fullscale" 0 0 ""
target "largest mean offset of an order" "$worst_dc" 0 0.2 "%FS"
target "lead (8) against bass (2), loudness gap" "$lead_gap" 0 6 dB

if [ -x "$checks" ]; then
  echo "== arrangement"
  "$checks" "$here/data/soundtrack/vale.song" || misses=$((misses + 1))
fi

sox "$wav" -n remix 1 spectrogram -x 1600 -y 400 -z 90 -t "vale soundtrack" -o "$out/spectrogram.png"
echo "spectrogram: $out/spectrogram.png"
echo "targets missed: $misses"
