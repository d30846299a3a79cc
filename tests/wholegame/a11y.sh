#!/usr/bin/env bash
# Runs a11y.py against the program in a D-Bus session of its own, with the accessibility bus a
# desktop with a screen reader has. Runs on an X display of its own (xvfb.sh); $1 is the program.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# Asking the session bus for the accessibility bus starts it (at-spi-bus-launcher).
# shellcheck disable=SC2016 # expanded by the inner shell
exec dbus-run-session -- bash -c '
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null ||
    { echo "a11y: no accessibility bus"; exit 1; }
  exec /usr/bin/python3 "$1" "$2"' a11y "$here/a11y.py" "$1"
