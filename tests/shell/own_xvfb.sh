#!/usr/bin/env bash
# Runs a command on an Xvfb server of its own. The server picks a free display number itself
# (-displayfd), so tests started side by side never share one, as a search for a free number
# followed by a start may.
# usage: own_xvfb.sh COMMAND [ARGS...]
set -u
run=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$run/display" >"$run/xvfb.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$run"' EXIT
for _ in $(seq 1 100); do
  grep -q . "$run/display" && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
grep -q . "$run/display" || { echo "FAIL: Xvfb did not start"; cat "$run/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n 1 "$run/display")"
"$@"
