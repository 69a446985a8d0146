# Sourced by the scripts that drive the real program under X: waits for a window by its title.
# find_window TITLE TRIES: tries every 0.1 s; prints the first matching window's id, or fails.
find_window() {
  for _ in $(seq 1 "$2"); do
    xdotool search --name "^$1\$" 2>/dev/null | head -n 1 | grep . && return 0
    sleep 0.1
  done
  return 1
}
