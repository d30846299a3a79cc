#!/usr/bin/env bash
# The shipped program under a window manager: its caption reads exactly as designed, F2 loads the
# notebook's module (beside the program, or in ../lib/ingranix once installed), and it ends at once,
# cleanly, on "esci" (Ctrl+Q), pressed as a player presses it.
# Runs on an X display of its own (xvfb.sh); $1 is the program.
set -u
program=$1
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 1 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
"$program" &
pid=$!
finish() { kill "$wm" 2>/dev/null; exit "$1"; }
window=$(timeout 30 xdotool search --sync --name 'Ingranix\(IX40\)' | head -n 1)
if [[ -z "$window" ]]; then
  echo "esci: the window never appeared"; kill "$pid"; finish 1
fi
caption=$(xdotool getwindowname "$window")
if [[ "$caption" != "Ingranix(IX40)" ]]; then
  echo "esci: the caption reads \"$caption\""; kill "$pid"; finish 1
fi
sleep 1 # let start-up run, so quitting happens mid-game with the guide speaking
# F2 by its keycode (68 in both the evdev and the xfree86 keycodes): newer keyboard data puts the
# F2 keysym on more than one key, and xdotool may then pick one that needs Alt.
xdotool windowactivate --sync "$window" key 68
for _ in $(seq 1 50); do
  grep -q ingranix-notebook.so "/proc/$pid/maps" && break
  sleep 0.1
done
if ! grep -q ingranix-notebook.so "/proc/$pid/maps"; then
  echo "esci: F2 did not load the notebook's module"; kill "$pid"; finish 1
fi
xdotool windowactivate --sync "$window" key --clearmodifiers ctrl+q
for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"; status=$?
    echo "esci: the program ended with status $status"
    finish "$status"
  fi
  sleep 0.1
done
echo "esci: still running 10 s after Ctrl+Q"
kill -9 "$pid"
finish 1
