#!/usr/bin/env bash
# Runs a command on an X display of its own:  xvfb.sh <width>x<height>x<depth> <command> [arguments...]
# xvfb-run -a looks for a free display by its lock file, so two runs starting at once, or a display
# left half-cleaned by a killed run, can give a program a display that is not its own ("could not
# connect to display"). Xvfb's -displayfd takes a free display itself and says which.
# The command's environment is the caller's, with DISPLAY set; the X server keeps the caller's too.
set -u
if (($# < 2)); then
  echo "usage: xvfb.sh <width>x<height>x<depth> <command> [arguments...]" >&2
  exit 2
fi
screen=$1
shift
dir=$(mktemp -d "${TMPDIR:-/tmp}/ingranix-xvfb.XXXXXX") || exit 1
xvfb=
cleanup() {
  if [[ -n $xvfb ]]; then
    kill -TERM "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  fi
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

mkfifo "$dir/display"
# Local connections only, and no access control beyond that: the display lives as long as the command.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
number=
read -r -t 60 number <"$dir/display"
if [[ ! $number =~ ^[0-9]+$ ]]; then
  echo "xvfb.sh: Xvfb did not start:" >&2
  cat "$dir/xvfb.log" >&2
  exit 1
fi
status=0
env -u XAUTHORITY DISPLAY=":$number" "$@" || status=$?
exit "$status"
