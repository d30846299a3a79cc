#!/usr/bin/env bash
# The shipped program ends at once, cleanly, on "esci" (Ctrl+Q), pressed as a player presses it.
# Runs inside xvfb-run; $1 is the program.
set -u
program=$1
"$program" &
pid=$!
window=$(timeout 30 xdotool search --sync --name '^Ingranix\(IX40\)$' | head -n 1)
if [[ -z "$window" ]]; then
  echo "esci: the window never appeared"; kill "$pid"; exit 1
fi
sleep 1 # let start-up run, so quitting happens mid-game with the guide speaking
xdotool windowfocus --sync "$window" key --clearmodifiers ctrl+q
for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"; status=$?
    echo "esci: the program ended with status $status"
    exit "$status"
  fi
  sleep 0.1
done
echo "esci: still running 10 s after Ctrl+Q"
kill -9 "$pid"
exit 1
