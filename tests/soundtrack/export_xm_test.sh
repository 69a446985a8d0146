#!/usr/bin/env bash
# The exported soundtrack opens in an independent player, lasts the song's length and is not
# silent. Usage: export_xm_test.sh VALE_TOOL OPENMPT123 WORKDIR
set -euo pipefail
tool=$1 player=$2 work=$3
mkdir -p "$work"
rm -f "$work/vale.xm" "$work/vale.xm.wav"

"$tool" export-xm "$work/vale.xm"
# 47 orders of 64 rows of 3 ticks at 137 BPM: 47 x 64 x 2412 frames of 44100 Hz.
expected=$(awk 'BEGIN { printf "%.3f", 47 * 64 * 2412 / 44100 }')

info=$("$player" --info "$work/vale.xm" 2>&1) || { echo "$info"; echo "the player rejects the module"; exit 1; }
echo "$info" | grep -E 'Type|Duration|Channels|Orders|Patterns|Instruments|Samples' || true

"$player" --render --force --quiet --no-float --samplerate 44100 "$work/vale.xm" > /dev/null 2>&1 \
  || { echo "the player cannot render the module"; exit 1; }
wav="$work/vale.xm.wav"
[ -s "$wav" ] || { echo "no rendering written"; exit 1; }

# Duration and level of the rendering.
stats=$(sox "$wav" -n stat 2>&1) || { echo "$stats"; exit 1; }
seconds=$(echo "$stats" | awk '/^Length \(seconds\)/ { print $3 }')
peak=$(echo "$stats" | awk '/^Maximum amplitude/ { print $3 }')
rms=$(echo "$stats" | awk '/^RMS     amplitude/ { print $3 }')
echo "rendered $seconds s (song $expected s), peak $peak, rms $rms"
awk -v s="$seconds" -v e="$expected" 'BEGIN { d = s - e; if (d < 0) d = -d; exit !(d <= 0.5) }' \
  || { echo "the rendering does not last the song's length"; exit 1; }
awk -v p="$peak" -v r="$rms" 'BEGIN { exit !(p > 0.03 && r > 0.003) }' \
  || { echo "the rendering is silent"; exit 1; }
echo "ok"
