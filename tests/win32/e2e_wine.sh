#!/usr/bin/env bash
# Drives the Windows program under Wine as a user would, on its own Xvfb server, with a PulseAudio
# null sink as the sound card (it plays in real time, so the wave-out clock runs as on a PC).
# usage: e2e_wine.sh WINE WINESERVER VALE_EXE WORKDIR SCENARIO
#   windowed    pick "windowed", press Start: the render window appears and shows the demo (its
#               part of the screen is not black, and changes), the music plays, Escape ends the
#               program with code 0
#   fullscreen  inside a 1024 x 768 Wine virtual desktop, pick "8oox6oo": the display switches to
#               800 x 600, and after Escape it is back at 1024 x 768 and the program ended with 0
set -u
wine=$1 wineserver=$2 exe=$3 work=$4 scenario=$5
mkdir -p "$work"
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=$wine WINESERVER=$wineserver
run=$(mktemp -d)
log=$run/program.log
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  "$wineserver" -k 2>/dev/null
  rm -rf "$run"
}
trap cleanup EXIT
fail() { echo "FAIL ($scenario): $*"; echo "--- program output:"; cat "$log"; exit 1; }
retry() {  # tries, pause in seconds, command: true as soon as the command is
  local tries=$1 pause=$2
  shift 2
  for _ in $(seq 1 "$tries"); do
    "$@" && return 0
    sleep "$pause"
  done
  return 1
}

# One prefix for all scenarios, made once (about 15 s). Without a window manager, Wine's managed
# windows make DestroyWindow wait two seconds: unmanaged ones do not.
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1
    "$wineserver" -w
  fi
) 9>"$work/prefix.lock"

# A display of our own, on a number the server picks among the free ones.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$run/display" >/dev/null 2>&1 &
pids+=($!)
retry 50 0.1 grep -q . "$run/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$run/display")
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# A sound card: a private PulseAudio daemon with one null sink.
export PULSE_RUNTIME_PATH=$run/pulse HOME=$run
mkdir -p "$PULSE_RUNTIME_PATH"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
  --load="module-native-protocol-unix socket=$PULSE_RUNTIME_PATH/native auth-anonymous=1" \
  --load="module-null-sink sink_name=vale_null" >"$run/pulse.log" 2>&1 &
pids+=($!)
export PULSE_SERVER=unix:$PULSE_RUNTIME_PATH/native
retry 50 0.1 pactl info >/dev/null 2>&1 || { cat "$run/pulse.log"; fail "PulseAudio did not start"; }

window_id() { xdotool search --name "^$1\$" 2>/dev/null | head -n 1 | grep .; }
find_window() { retry 300 0.2 window_id "$1"; }
geometry_of() { xdotool getwindowgeometry "$1" 2>/dev/null | sed -n 's/.*Geometry: //p'; }
has_geometry() { [ "$(geometry_of "$1")" = "$2" ]; }
ended() { ! kill -0 "$pid" 2>/dev/null; }
# The screen's pixels under a window (what a viewer sees, whatever Wine draws into), as 8-bit grey.
grab_window() {  # window, file
  local pos size
  pos=$(xdotool getwindowgeometry "$1" | sed -n 's/.*Position: \([0-9]*,[0-9]*\).*/\1/p')
  size=$(geometry_of "$1")
  ffmpeg -loglevel error -f x11grab -video_size "$size" -i "$DISPLAY+$pos" -frames:v 1 -pix_fmt gray \
    -f rawvideo -y "$2" </dev/null
}
lit_pixels() { od -An -v -tu1 -w1 "$1" | awk '$1 > 24 { n++ } END { print n + 0 }'; }

# Wine draws the chooser's caption and frame inside its X window: the client area starts below them.
frame_x=3 frame_y=22
click_client() {  # window, x and y in the chooser's client area, offset of the chooser in the window
  xdotool mousemove --window "$1" $(($4 + frame_x + $2)) $(($5 + frame_y + $3)) click 1
  sleep 0.3
}

if [ "$scenario" = fullscreen ]; then
  "$wine" explorer /desktop=vale,1024x768 "$exe" >"$log" 2>&1 &
  pid=$!
  desk=$(find_window "vale - Wine desktop") || fail "the virtual desktop did not appear"
  [ "$(geometry_of "$desk")" = 1024x768 ] || fail "desktop is $(geometry_of "$desk")"
  sleep 3  # the chooser lives inside the desktop's one X window: give it time to show
  click_client "$desk" 20 46 250 200   # "8oox6oo"
  click_client "$desk" 80 234 250 200  # Start
  retry 300 0.1 has_geometry "$desk" 800x600 || fail "the display did not switch to 800 x 600 (desktop $(geometry_of "$desk"))"
  sleep 3
  xdotool windowfocus "$desk" 2>/dev/null
  xdotool key Escape
  retry 100 0.1 has_geometry "$desk" 1024x768 || fail "the desktop mode was not restored after Escape"
  # The virtual desktop ends with the last program in it.
  retry 200 0.1 ended || fail "still running 20 s after Escape"
  echo "ok: fullscreen: 1024x768 -> 800x600 -> 1024x768, ended by Escape"
  exit 0
fi

"$wine" "$exe" >"$log" 2>&1 &
pid=$!
chooser=$(find_window "Select your resolution") || fail "the chooser window did not appear"
sleep 1
click_client "$chooser" 20 190 0 0   # "windowed"
click_client "$chooser" 80 234 0 0   # Start
render=$(find_window "Vale of Quoms - by Orvik") || fail "the render window did not appear"
echo "render window: $(geometry_of "$render")"

# The music: Wine's stream on the null sink, and sound (not silence) coming out of it in real time.
# The picture: the opening on screen 3 s in, and a different one 4 s later.
sleep 3
grab_window "$render" "$run/early.gray" || fail "cannot read the screen under the render window"
pactl list short sink-inputs | grep -q . || fail "no audio stream on the sound card"
timeout 4 parec -d vale_null.monitor --raw --format=s16le --channels=2 --rate=44100 >"$run/audio.raw" 2>/dev/null
bytes=$(stat -c %s "$run/audio.raw")
peak=$(od -An -v -td2 -w2 "$run/audio.raw" | awk '{v=$1<0?-$1:$1; if(v>m)m=v} END{print m+0}')
echo "recorded $bytes bytes in 4 s, peak $peak"
[ "$bytes" -gt 500000 ] || fail "the sound card recorded only $bytes bytes in 4 s"
[ "$peak" -gt 100 ] || fail "the music is silent (peak $peak)"
kill -0 "$pid" 2>/dev/null || fail "the program ended on its own"
grab_window "$render" "$run/late.gray" || fail "cannot read the screen under the render window"
early=$(lit_pixels "$run/early.gray") late=$(lit_pixels "$run/late.gray")
changed=$(cmp -l "$run/early.gray" "$run/late.gray" | wc -l)
echo "render window on screen: $early then $late lit pixels, $changed changed"
# The opening has at least a few thousand lit pixels at any moment; a frame that never reached the
# screen leaves the window black (or unchanged).
[ "$early" -gt 2000 ] && [ "$late" -gt 2000 ] || fail "the render window is black on screen"
[ "$changed" -gt 2000 ] || fail "the render window did not change in 4 s"

xdotool windowfocus "$render" 2>/dev/null
xdotool key Escape
retry 200 0.1 ended || fail "still running 20 s after Escape"
wait "$pid"
code=$?
[ "$code" = 0 ] || fail "exit code $code after Escape"
echo "ok: windowed: chooser, render window showing the demo, music playing, Escape ended it with code 0"
