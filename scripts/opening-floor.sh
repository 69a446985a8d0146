#!/usr/bin/env bash
# The opening scene's frame time against its floors, at 1024 x 768 off-screen: the scene
# (BM_OpeningScene) of each build given, and the floors (BM_OpeningSpritesFloor) of the last
# one: /0 the same sprite squares filled flat, untextured and unblended, what covering those
# pixels costs the rasteriser at all; /1 the same squares textured and added as the scene adds
# them, in one draw with nothing else. Rounds are interleaved, every build's scene then the
# floors, so a busy spell hits all of them; each figure is the best of the rounds, as the wall
# median of a frame and the CPU a frame takes over all threads (the rasteriser runs one per core).
#   scripts/opening-floor.sh BUILD_DIR [MORE_BUILD_DIRS...]     (ROUNDS=3 by default)
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [MORE_BUILD_DIRS...]" >&2; exit 2; }
rounds=${ROUNDS:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
last=${*: -1}

# One benchmark's "median cpu" line from a bench_scene_frames run.
measure() {
  "$1/bin/bench_scene_frames" --benchmark_filter="$2" 2>/dev/null |
    awk '/^BM_/ { m = c = ""; for (i = 1; i <= NF; ++i) { if ($i ~ /^median_ms=/) m = substr($i, 11); if ($i ~ /^cpu_ms_per_frame=/) c = substr($i, 18) } print m, c }'
}

echo "load $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq "$rounds"); do
  k=0
  for build in "$@"; do
    k=$((k + 1))
    measure "$build" '^BM_OpeningScene' >> "$work/scene$k"
  done
  measure "$last" '^BM_OpeningSpritesFloor/0' >> "$work/flat"
  measure "$last" '^BM_OpeningSpritesFloor/1' >> "$work/drawn"
  echo "round $round: scene $(tail -qn1 "$work"/scene* | tr '\n' ' ')| flat $(tail -n1 "$work/flat") | drawn $(tail -n1 "$work/drawn")"
done

best() { sort -g -k"$2" "$1" | head -n1 | awk -v f="$2" '{ print $f }'; }
flat_m=$(best "$work/flat" 1) flat_c=$(best "$work/flat" 2)
drawn_m=$(best "$work/drawn" 1) drawn_c=$(best "$work/drawn" 2)
printf '%-44s %9s %9s  %s\n' "best of $rounds" "median ms" "cpu ms" "scene / flat, scene / drawn (median; cpu)"
printf '%-44s %9s %9s\n' "floor, flat squares" "$flat_m" "$flat_c" "floor, squares as drawn" "$drawn_m" "$drawn_c"
k=0
for build in "$@"; do
  k=$((k + 1))
  m=$(best "$work/scene$k" 1) c=$(best "$work/scene$k" 2)
  printf '%-44s %9s %9s  %s\n' "scene, $build" "$m" "$c" \
    "$(awk -v m="$m" -v c="$c" -v fm="$flat_m" -v fc="$flat_c" -v dm="$drawn_m" -v dc="$drawn_c" \
        'BEGIN { printf "%.2fx, %.2fx (%.2fx, %.2fx)", m / fm, m / dm, c / fc, c / dc }')"
done
echo "load $(cut -d' ' -f1-3 /proc/loadavg)"
