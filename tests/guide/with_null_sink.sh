#!/usr/bin/env bash
# Runs a command beside a sound stack of its own (../soundsession.sh): PulseAudio with a null sink and
# speech-dispatcher speaking into it. The command finds them through PULSE_SERVER, SPEECHD_ADDRESS and
# INGRANIX_NULL_SINK. When the stack cannot start, says why and exits 77, which CTest reports as skipped.
set -u

skip() {
  echo "SKIPPED: no sound stack for the real voice test: $*" >&2
  exit 77
}
for tool in pulseaudio pactl parecord sox speech-dispatcher; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (tools/ci/install-deps.sh --tests)"
done
# shellcheck source=../soundsession.sh
source "$(dirname "$0")/../soundsession.sh"

start_null_sink
cp -r /etc/speech-dispatcher "$dir/speechd" || skip "no speech-dispatcher configuration"
echo 'AudioOutputMethod "pulse"' >>"$dir/speechd/speechd.conf"
start_speech_dispatcher "$dir/speechd"

timeout 100 "$@"
