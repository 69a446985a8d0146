#!/usr/bin/env bash
# With no display at all the program refuses in one line, names the capture tool, exits 2.
set -u
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy timeout 10 "$1" 2>&1)
code=$?
[ "$code" = 2 ] || { echo "FAIL: exit code $code, output: $out"; exit 1; }
[ "$(printf '%s\n' "$out" | wc -l)" = 1 ] || { echo "FAIL: more than one line: $out"; exit 1; }
printf '%s\n' "$out" | grep -q "no display" || { echo "FAIL: message does not say so: $out"; exit 1; }
printf '%s\n' "$out" | grep -q "vale-tool capture" || { echo "FAIL: message does not name the capture tool: $out"; exit 1; }
echo "ok: $out"
