#!/usr/bin/env bash
# The game with a real screen reader: Orca in a session of its own (this X display, a private D-Bus
# session with its accessibility bus, a PulseAudio null sink, and a private speech-dispatcher whose
# only voice writes down, with the time, every text it starts to say, then says it with espeak-ng into
# the null sink). orca.py drives the game with the keyboard and reads that record. Runs on an X
# display of its own (xvfb.sh); $1 is the program. Exits 77 (reported as skipped) when the session
# cannot start.
set -u
here=$(cd "$(dirname "$0")" && pwd)

skip() {
  echo "SKIPPED: no screen reader session: $*" >&2
  exit 77
}
for tool in orca speech-dispatcher pulseaudio pactl espeak-ng xdotool dbus-run-session; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (tools/ci/install-deps.sh --tests)"
done
[[ -x /usr/lib/speech-dispatcher-modules/sd_generic ]] || skip "speech-dispatcher has no generic module"

# shellcheck source=../soundsession.sh
source "$here/../soundsession.sh"
export XDG_CONFIG_HOME=$dir/home/.config XDG_DATA_HOME=$dir/home/.local
export LANG=it_IT.UTF-8 LANGUAGE=it GSETTINGS_BACKEND=memory NO_AT_BRIDGE=0
start_null_sink

# The one voice: writes "<seconds since the epoch>\t<text>" and speaks the text. speech-dispatcher
# kills it when the text is cancelled, after it was written down.
export INGRANIX_SPOKEN=$dir/spoken.log
cat >"$dir/say.sh" <<'SAY'
#!/bin/sh
printf '%s\t%s\n' "$(date +%s.%N)" "$(printf %s "$1" | tr '\n' ' ')" >>"$INGRANIX_SPOKEN"
exec espeak-ng -v it -- "$1"
SAY
chmod +x "$dir/say.sh"
mkdir -p "$dir/speechd/modules"
cat >"$dir/speechd/modules/recorder.conf" <<CONF
GenericExecuteSynth "$dir/say.sh \'\$DATA\'"
GenericLanguage "it" "it" "utf-8"
AddVoice "it" "MALE1" "it"
CONF
cat >"$dir/speechd/speechd.conf" <<CONF
AudioOutputMethod "pulse"
DefaultLanguage "it"
AddModule "recorder" "sd_generic" "recorder.conf"
DefaultModule "recorder"
LogLevel 4
CONF
start_speech_dispatcher "$dir/speechd"

# shellcheck disable=SC2016 # expanded by the inner shell
dbus-run-session -- bash -c '
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null ||
    { echo "SKIPPED: no accessibility bus"; exit 77; }
  timeout 300 /usr/bin/python3 "$1" "$2" "$3"' orca "$here/orca.py" "$1" "$dir"
exit $?
