#!/usr/bin/env bash
# Drives the real program as a user would, on the X display it is given (Xvfb in the suite).
# usage: e2e_window.sh VALE X11_WINDOW SCENARIO
#   start    pick "windowed", press Start, see the render window, Escape ends it with code 0
#   keys     arrow keys and Enter instead of the mouse, then Escape
#   close    close the chooser window: the program ends with code 0, no render window
#   sigterm  SIGTERM while the demo runs: it ends with code 0
#   interrupt  SIGINT while the chooser waits: the program ends with code 0, no render window
#   loading  SIGTERM 20 ms after Start, while the textures load: it ends with code 0 and no frame
#            of the presentation is drawn
#   full_run the whole presentation plays; pictures taken along the way (x11_window grab) differ
#            and are not black; it ends by itself with code 0
set -u
vale=$1 x11=$2 scenario=$3
render_title="Vale of Quoms - by Orvik"
export SDL_AUDIODRIVER=dummy VALE_TIMING=1
log=$(mktemp)
trap 'rm -f "$log"' EXIT

fail() { echo "FAIL ($scenario): $*"; echo "--- program output:"; cat "$log"; kill -9 "$pid" 2>/dev/null; exit 1; }

. "$(dirname "$0")/find_window.sh"

ends_ok() {  # seconds, what was done: the program must end within them, with code 0
  local code
  for _ in $(seq 1 $(($1 * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      code=$?
      [ "$code" = 0 ] || fail "exit code $code after $2"
      return 0
    fi
    sleep 0.1
  done
  fail "still running $1 s after $2"
}

passed() { echo "ok ($scenario): $*"; exit 0; }

"$vale" >"$log" 2>&1 &
pid=$!

chooser=$(find_window "Select your resolution" 300) || fail "the chooser window did not appear"
sleep 0.3

ends_quietly() {  # what was done: the program must end with code 0 and no render window
  ends_ok 10 "$1"
  find_window "$render_title" 1 >/dev/null && fail "a render window appeared after $1"
  passed "$1 ended the program with code 0"
}

case "$scenario" in
  close)
    "$x11" close "$chooser"
    ends_quietly "closing the chooser" ;;
  interrupt)
    kill -INT "$pid"
    ends_quietly "SIGINT in the chooser" ;;
  keys)
    xdotool windowfocus --sync "$chooser" 2>/dev/null || xdotool windowfocus "$chooser"
    # Up from nothing chosen wraps to the last line, "windowed"; Enter starts.
    xdotool key Up
    sleep 0.1
    xdotool key Return ;;
  *)
    xdotool mousemove --window "$chooser" 40 190 click 1   # the "windowed" line
    sleep 0.2
    xdotool mousemove --window "$chooser" 80 234 click 1 ;; # Start
esac

if [ "$scenario" = loading ]; then
  sleep 0.02
  kill -TERM "$pid"
  ends_ok 10 "SIGTERM while loading"
  grep -q "first frame of the presentation" "$log" && { echo "skip: loading was over before the signal"; exit 0; }
  passed "SIGTERM while loading ended the run with code 0 before any frame"
fi

render=$(find_window "$render_title" 300) || fail "the render window did not appear"
geometry=$(xdotool getwindowgeometry "$render")
echo "$geometry" | grep -q "Geometry: 800x600" || fail "render window is not 800 x 600 windowed: $geometry"
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the program ended on its own"

if [ "$scenario" = full_run ]; then
  # About 165 s of music after a few seconds of loading; the pictures fall in the cube field,
  # the blob scenes, the blob tunnel and the closing wave floor, whatever the loading took.
  started=$SECONDS
  grabs=()
  for at in 30 80 95 140; do
    while [ $((SECONDS - started)) -lt "$at" ]; do
      kill -0 "$pid" 2>/dev/null || fail "the program ended after $((SECONDS - started)) s, before the picture at $at s"
      sleep 0.5
    done
    grab=$("$x11" grab "$render") || fail "cannot read the render window at $at s"
    echo "picture at $at s: $grab"
    [ "${grab#* }" -ge 20 ] || fail "the picture at $at s is black"
    grabs+=("${grab% *}")
  done
  [ "$(printf '%s\n' "${grabs[@]}" | sort -u | wc -l)" = "${#grabs[@]}" ] || fail "two pictures are the same"
  ends_ok 120 "the end of the presentation"
  passed "the presentation played to its end in $((SECONDS - started)) s and ended with code 0"
fi

if [ "$scenario" = sigterm ]; then
  kill -TERM "$pid"
  ends_ok 10 "SIGTERM"
  passed "SIGTERM ended the run with code 0"
fi

xdotool windowfocus "$render" 2>/dev/null
xdotool key Escape
ends_ok 10 "Escape"
passed "chooser, windowed render window, Escape ended it with code 0"
