#!/usr/bin/env bash
# Start-up time, Start click to first frame, of one or more builds of the program, windowed under
# its own Xvfb per run (VALE_TIMING=1, the dummy audio driver as in the window tests). The builds
# take turns run by run, so that they share whatever else the machine is doing.
#   scripts/startup-timing.sh [-n RUNS] VALE [VALE...]     (default 5 runs each)
# Prints every run's timing line, then per program the fastest, the median and the slowest run,
# how many runs stayed within the start-up target (150 ms), and the load average before and
# after: on a busy machine the figures grow with the load, the generation, the synthesis and
# the first frame's drawing (llvmpipe) all wanting the same cores.
set -u
. "$(dirname "$(readlink -f "$0")")/../tests/shell/find_window.sh"
if [ "${1:-}" = --one ]; then  # one run on the display we were given (called under xvfb-run)
  vale=$2
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  SDL_AUDIODRIVER=dummy VALE_TIMING=1 "$vale" >"$log" 2>&1 &
  pid=$!
  chooser=$(find_window "Select your resolution" 300) || { echo "no chooser"; kill -9 "$pid"; exit 1; }
  sleep 0.3
  xdotool mousemove --window "$chooser" 40 190 click 1   # the "windowed" line
  sleep 0.2
  xdotool mousemove --window "$chooser" 80 234 click 1   # Start
  for _ in $(seq 1 100); do
    grep -q 'first frame of the presentation' "$log" && break
    sleep 0.1
  done
  kill -TERM "$pid" 2>/dev/null
  wait "$pid"
  grep 'first frame of the presentation' "$log" || { echo "no timing line:"; cat "$log"; exit 1; }
  exit 0
fi

runs=5
target=150
if [ "${1:-}" = -n ]; then runs=$2; shift 2; fi
[ $# -ge 1 ] || { echo "usage: $0 [-n RUNS] VALE [VALE...]" >&2; exit 2; }
self=$(readlink -f "$0")
declare -A times
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for run in $(seq 1 "$runs"); do
  for vale in "$@"; do
    line=$(xvfb-run -a -s "-screen 0 1280x1024x24" "$self" --one "$(readlink -f "$vale")")
    ms=$(echo "$line" | sed -n 's/.*vale: \([0-9.]*\) ms from the Start click.*/\1/p')
    echo "$vale run $run: ${line#vale: }"
    times[$vale]="${times[$vale]:-} ${ms:-nan}"
  done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
for vale in "$@"; do
  sorted=$(echo ${times[$vale]} | tr ' ' '\n' | sort -g | tr '\n' ' ')
  set -- $sorted
  n=$#
  eval "median=\${$(((n + 1) / 2))}"
  eval "slowest=\${$n}"
  within=$(echo ${times[$vale]} | tr ' ' '\n' | awk -v t="$target" '$1 <= t' | wc -l)
  echo "$vale: fastest $1 ms, median $median ms, slowest $slowest ms over $n runs; $within within $target ms"
done
