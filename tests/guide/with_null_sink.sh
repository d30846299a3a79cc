#!/usr/bin/env bash
# Runs a command beside a sound stack of its own: PulseAudio with a null sink, and speech-dispatcher
# speaking into it, both in a fresh folder so that parallel runs never meet. The command finds them
# through PULSE_SERVER, SPEECHD_ADDRESS and INGRANIX_NULL_SINK. Everything started here is stopped
# on the way out. When the stack cannot start, says why and exits 77, which CTest reports as skipped.
set -u

skip() {
  echo "SKIPPED: no sound stack for the real voice test: $*" >&2
  exit 77
}
for tool in pulseaudio pactl parecord sox speech-dispatcher; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (tools/ci/install-deps.sh --tests)"
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/ingranix-sound.XXXXXX") || skip "no temporary folder"
daemons=()
cleanup() {
  # Each daemon leads its own process group, with the helpers it started (speech modules).
  for pid in "${daemons[@]}"; do kill -TERM -- "-$pid" 2>/dev/null; done
  for pid in "${daemons[@]}"; do
    for _ in $(seq 1 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL -- "-$pid" 2>/dev/null
  done
  wait 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

mkdir -p "$dir/home" "$dir/run" "$dir/pulse" "$dir/log" && chmod 700 "$dir/run"
export HOME=$dir/home XDG_RUNTIME_DIR=$dir/run PULSE_RUNTIME_PATH=$dir/pulse PULSE_STATE_PATH=$dir/pulse
export PULSE_SERVER=unix:$dir/pulse/native INGRANIX_NULL_SINK=ingranix_null
cat >"$dir/null-sink.pa" <<EOF
load-module module-null-sink sink_name=$INGRANIX_NULL_SINK rate=16000 channels=1
load-module module-native-protocol-unix socket=$dir/pulse/native auth-anonymous=1
set-default-sink $INGRANIX_NULL_SINK
EOF
# -n: no default configuration, only the null sink; it never exits by itself, the trap ends it.
setsid pulseaudio -n -F "$dir/null-sink.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  --disable-shm=yes --log-target=file:"$dir/log/pulseaudio.log" &
daemons+=($!)
for _ in $(seq 1 50); do timeout 2 pactl info >/dev/null 2>&1 && break; sleep 0.1; done
timeout 2 pactl info >/dev/null 2>&1 || skip "PulseAudio did not start: $(tail -n 3 "$dir/log/pulseaudio.log" 2>/dev/null)"

# A private configuration and socket: the machine's own speech service stays out of it.
cp -r /etc/speech-dispatcher "$dir/speechd" || skip "no speech-dispatcher configuration"
echo 'AudioOutputMethod "pulse"' >>"$dir/speechd/speechd.conf"
export SPEECHD_ADDRESS=unix_socket:$dir/speechd.sock
setsid speech-dispatcher --run-single --communication-method unix_socket --socket-path "$dir/speechd.sock" \
  --config-dir "$dir/speechd" --pid-file "$dir/speechd.pid" --log-dir "$dir/log" --timeout 0 \
  >"$dir/log/speechd.out" 2>&1 &
daemons+=($!)
for _ in $(seq 1 50); do [[ -S $dir/speechd.sock ]] && break; sleep 0.1; done
[[ -S $dir/speechd.sock ]] || skip "speech-dispatcher did not start: $(tail -n 3 "$dir/log/speechd.out" 2>/dev/null)"

timeout 100 "$@"
