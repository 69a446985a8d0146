#!/usr/bin/env bash
# Capture throughput: frames a second of `vale-tool capture` over the first cube-field span
# (orders 4 to 6, the heaviest scene that draws today), to PNG frames at three sizes and to .mp4.
# Real time is 50 frames a second.
set -euo pipefail
tool="@CMAKE_BINARY_DIR@/bin/vale-tool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
range=(--from 4.001 --to 6.000)
for size in 640x480 1024x768 1440x1080; do
  "$tool" capture "$work/png_$size" --size "$size" "${range[@]}" 2>&1 >/dev/null | grep -o '[0-9]* frames.*fps)' |
    sed "s/^/capture PNG $size: /"
  rm -rf "$work/png_$size"
done
"$tool" capture "$work/vale.mp4" --size 1440x1080 "${range[@]}" 2>&1 | grep -o '[0-9]* frames.*fps)' |
  sed 's/^/capture .mp4 1440x1080: /'
