#!/usr/bin/env bash
# The program as a viewer, on the X display it is given (Xvfb in the suite).
# usage: e2e_viewer.sh VALE VALE_TOOL X11_WINDOW
# `vale --windowed --at 17.010 --paused` shows the frame `vale-tool frame --at 17.010 --size
# 800x600` draws; the picture holds still while paused; Right shows another one, still held;
# Space resumes and the picture moves; Escape ends the program with code 0.
#
# The comparison allows a difference of 2 levels in at most 1% of the pixels: rendered into the
# window's own framebuffer (no alpha, the X visual's channel order) Mesa's software rasteriser
# rounds a few blended pixels differently from the tool's RGBA framebuffer; the same frame drawn
# into an RGBA framebuffer object in the window's context matches the tool's exactly. Any state a
# seek failed to bring back (charges, counters, camera) moves whole surfaces, far past that bound.
set -u
. "$(dirname "$0")/find_window.sh"
vale=$1 tool=$2 x11=$3
at=17.010
export SDL_AUDIODRIVER=dummy VALE_TIMING=1
work=$(mktemp -d)
log=$work/log
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*"; echo "--- program output:"; cat "$log"; kill -9 "$pid" 2>/dev/null; exit 1; }

"$tool" frame "$work/expected.png" --at "$at" --size 800x600 2>"$log" || { cat "$log"; echo "FAIL: vale-tool frame"; exit 1; }

"$vale" --windowed --at "$at" --paused >"$log" 2>&1 &
pid=$!

render=$(find_window "Vale of Quoms - by Orvik" 300) || fail "the render window did not appear"

seeks() { grep -c "vale: seek to" "$log"; }
wait_seeks() {  # count: until that many seeks have drawn their frame
  for _ in $(seq 1 300); do
    [ "$(seeks)" -ge "$1" ] && { sleep 0.3; return 0; }
    kill -0 "$pid" 2>/dev/null || fail "the program ended while seeking"
    sleep 0.1
  done
  fail "seek $1 never drew its frame"
}
grab() { "$x11" grab "$render" | cut -d' ' -f1; }

wait_seeks 1
result=$("$x11" compare "$render" "$work/expected.png")
echo "paused at $at: $result"
differing=$(echo "$result" | awk '{print $1}') worst=$(echo "$result" | awk '{print $(NF-2)}')
[ -n "$differing" ] && [ "$differing" -le 4800 ] && [ "$worst" -le 2 ] ||
  fail "the paused picture is not the frame vale-tool draws at $at: $result"

first=$(grab)
sleep 1
[ "$(grab)" = "$first" ] || fail "the picture moved while paused"

xdotool windowfocus "$render" 2>/dev/null
xdotool key Right
wait_seeks 2
second=$(grab)
[ "$second" != "$first" ] || fail "Right did not change the picture"
sleep 0.5
[ "$(grab)" = "$second" ] || fail "the picture moved while paused after Right"

xdotool key space
sleep 0.5
a=$(grab)
sleep 0.5
b=$(grab)
[ "$a" != "$b" ] && [ "$a" != "$second" ] || fail "the picture did not move after Space"

xdotool key Escape
for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    code=$?
    [ "$code" = 0 ] || fail "exit code $code after Escape"
    grep "vale: seek to" "$log"
    echo "ok: paused at $at as vale-tool draws it, held, Right, Space, Escape"
    exit 0
  fi
  sleep 0.1
done
fail "still running 10 s after Escape"
