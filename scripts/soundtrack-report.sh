#!/usr/bin/env bash
# Renders the soundtrack with the engine (vale-tool render-audio) and reports what it sounds
# like in numbers: sox stats of the whole song, peak and RMS level of every order, the number
# of full-scale samples, and a spectrogram of the whole song as a PNG.
# Usage: scripts/soundtrack-report.sh [BUILD_DIR] [OUT_DIR]
set -euo pipefail
build=${1:-build}
out=${2:-$build/soundtrack-report}
mkdir -p "$out"
wav="$out/vale.wav"

"$build/bin/vale-tool" render-audio "$wav"

echo "== whole song (sox stats)"
sox "$wav" -n stats 2>&1 | grep -E 'Pk lev|RMS lev|RMS Pk|Pk count|Length|Min level|Max level'
echo "samples at full scale (32767 or -32768): $(sox "$wav" -t s16 - | od -An -v -td2 -w2 | grep -c -E '^ *(32767|-32768)$' || true)"

# 64 rows of 3 ticks of 804 frames: 154368 frames an order.
echo "== per order: peak dBFS, RMS dBFS"
orders=47
for ((o = 0; o < orders; ++o)); do
  levels=$(sox "$wav" -n trim "$((o * 154368))s" 154368s stats 2>&1 | awk '/^Pk lev dB/ { p = $4 } /^RMS lev dB/ { r = $4 } END { print p, r }')
  printf "order %2d  %s\n" "$o" "$levels"
done

sox "$wav" -n remix 1 spectrogram -x 1600 -y 400 -z 90 -t "vale soundtrack" -o "$out/spectrogram.png"
echo "spectrogram: $out/spectrogram.png"
