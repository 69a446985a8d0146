#!/usr/bin/env bash
# Offline music render speed against the reference player on the same module: the embedded
# soundtrack exported as an ordinary module (so both play the same samples), rendered at 44100 Hz
# stereo 16-bit into a file in the same temporary folder, whole process each (start-up, module
# load and the file written included on both sides). Rounds are interleaved, every build then the
# reference player, so a busy spell hits all of them; each figure is the best of the rounds, as a
# multiple of real time.
#   scripts/music-speed.sh BUILD_DIR [MORE_BUILD_DIRS...]     (ROUNDS=3 by default)
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [MORE_BUILD_DIRS...]" >&2; exit 2; }
rounds=${ROUNDS:-3}
player=${OPENMPT123:-openmpt123}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
module="$work/soundtrack.xm"
"$1/bin/vale-tool" export-xm "$module"

# Seconds of audio each side produces, from one untimed render (bytes / 4 / 44100 for the player).
reference_frames=$("$player" --batch --quiet --no-float --samplerate 44100 --channels 2 --stdout "$module" | wc -c)
reference_seconds=$(awk -v b="$reference_frames" 'BEGIN { printf "%.3f", b / 4 / 44100 }')
vale_seconds=$("$1/bin/vale-tool" render-audio "$work/vale.wav" --module "$module" 2>&1 |
  awk '/frames/ { gsub(/[()]/, ""); print $(NF - 1) }')
[ -n "$vale_seconds" ] || { echo "$1/bin/vale-tool render-audio failed" >&2; exit 1; }

# Wall seconds of one run of the command, its standard output into OUT; a failure ends the script.
wall() {
  local out=$1 start=$EPOCHREALTIME
  shift
  "$@" > "$out" 2> /dev/null || { echo "failed: $*" >&2; exit 1; }
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.6f", b - a }'
}
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

declare -A best
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 1; r <= rounds; ++r)); do
  line="round $r:"
  for build in "$@"; do
    t=$(wall /dev/null "$build/bin/vale-tool" render-audio "$work/vale.wav" --module "$module")
    best[$build]=$(min "${best[$build]:-}" "$t")
    line+=" $build ${t}s"
  done
  t=$(wall "$work/reference.raw" "$player" --batch --quiet --no-float --samplerate 44100 --channels 2 --stdout "$module")
  best[ref]=$(min "${best[ref]:-}" "$t")
  echo "$line reference ${t}s  (load $(cut -d' ' -f1 /proc/loadavg))"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

ref_speed=$(awk -v s="$reference_seconds" -v t="${best[ref]}" 'BEGIN { printf "%.3f", s / t }')
printf "%-32s %9s s audio, best %.4f s: %5.0fx real time\n" "reference player" "$reference_seconds" "${best[ref]}" "$ref_speed"
for build in "$@"; do
  awk -v name="$build" -v s="$vale_seconds" -v t="${best[$build]}" -v ref="$ref_speed" \
    'BEGIN { printf "%-32s %9s s audio, best %.4f s: %5.0fx real time, %.2fx the reference player\n", name, s, t, s / t, s / t / ref }'
done
