#!/usr/bin/env bash
# With no display at all the program refuses in one line, names the capture tool, exits 2;
# the command it names then works without a display (a short range to a folder).
set -u
vale=$1
tool=$2
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy timeout 10 "$vale" 2>&1)
code=$?
[ "$code" = 2 ] || { echo "FAIL: exit code $code, output: $out"; exit 1; }
[ "$(printf '%s\n' "$out" | wc -l)" = 1 ] || { echo "FAIL: more than one line: $out"; exit 1; }
printf '%s\n' "$out" | grep -q "no display" || { echo "FAIL: message does not say so: $out"; exit 1; }
printf '%s\n' "$out" | grep -q "vale-tool capture" || { echo "FAIL: message does not name the capture tool: $out"; exit 1; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 "$tool" capture "$dir/frames" --size 64x48 --from 4.000 --to 4.008 \
  >"$dir/log" 2>&1 || { echo "FAIL: vale-tool capture did not work without a display:"; cat "$dir/log"; exit 1; }
[ -s "$dir/frames/soundtrack.wav" ] || { echo "FAIL: no soundtrack written"; exit 1; }
ls "$dir/frames"/frame_*.png >/dev/null 2>&1 || { echo "FAIL: no frames written"; exit 1; }
echo "ok: $out; capture wrote $(ls "$dir/frames" | grep -c png) frames"
