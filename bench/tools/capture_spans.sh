#!/usr/bin/env bash
# Capture speed per span of the schedule: up to two seconds (24 rows) from the start of every
# span after the opening, at 1024 x 768, to a folder of PNG frames and to .mp4, with the frames a
# second each capture reports and the load average before it. Real time is 50 frames a second.
# Given several vale-tool programs, each span is captured by each in turn, so an old and a new
# build are compared side by side under the same load. CAPTURE_PRESET=NAME adds an .mp4 capture
# at that H.264 preset (a tool without --preset reports "failed" there). CAPTURE_OUTPUTS="folder"
# (or "mp4") measures only those outputs.
#   bench/tools/capture_spans.sh BUILD/bin/vale-tool [OTHER/bin/vale-tool ...]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 VALE_TOOL [VALE_TOOL ...]" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
size=${CAPTURE_SIZE:-1024x768}
# Span starts after the opening, as the schedule's thresholds fall on rows, and the run's end.
starts=(4.001 8.001 12.001 12.008 12.017 12.041 12.048 13.008 13.017 13.041 13.048 14.008 14.017 14.041
        16.001 17.001 20.001 24.001 28.001 46.001)
names=("cube field 3" "cube field 1" "wave floor" "ring tube" "wave floor" "lightning" "wave floor"
       "wobbling mesh 1" "wave floor" "wobbling mesh 2" "wave floor" "wobbling mesh 3" "wave floor" "opening"
       "ring tube" "blob orbit" "cube field 2" "blob tunnel" "wave floor")
rows() { echo $((10#${1%.*} * 64 + 10#${1#*.})); }
position() { printf '%d.%03d' $(($1 / 64)) $(($1 % 64)); }
for i in "${!names[@]}"; do
  from=${starts[$i]}
  a=$(rows "$from") b=$(rows "${starts[$((i + 1))]}")
  to=$(position $((b < a + 24 ? b : a + 24)))
  read -r -a outs <<< "${CAPTURE_OUTPUTS:-folder mp4}"
  [ -n "${CAPTURE_PRESET:-}" ] && outs+=("mp4-$CAPTURE_PRESET")
  for out in "${outs[@]}"; do
    for tool in "$@"; do
      target="$work/frames" extra=()
      [ "$out" != folder ] && target="$work/span.mp4"
      [ "$out" != "${out#mp4-}" ] && extra=(--preset "${out#mp4-}")
      rm -rf "$target"
      load=$(cut -d' ' -f1 /proc/loadavg)
      fps=$("$tool" capture "$target" --size "$size" --from "$from" --to "$to" "${extra[@]}" 2>&1 >/dev/null |
            grep -o '[0-9.]* fps)' | tr -d ')' || echo failed)
      printf 'span %2d %-16s %s-%s %-14s %-40s load %s: %s\n' $((i + 2)) "${names[$i]}" "$from" "$to" "$out" "$tool" "$load" "$fps"
    done
  done
done
