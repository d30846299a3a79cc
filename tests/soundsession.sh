# Sourced by the runs that need a sound stack of their own: a fresh folder, PulseAudio with a null
# sink, and speech-dispatcher speaking into it, so that parallel runs never meet. The caller defines
# skip() (exit 77, which CTest reports as skipped). Everything started here is stopped on the way out;
# INGRANIX_KEEP_SESSION keeps the folder and its logs for a look afterwards.

dir=$(mktemp -d "${TMPDIR:-/tmp}/ingranix-session.XXXXXX") || skip "no temporary folder"
daemons=()
cleanup() {
  # Each daemon leads its own process group, with the helpers it started (speech modules).
  for pid in "${daemons[@]}"; do kill -TERM -- "-$pid" 2>/dev/null; done
  for pid in "${daemons[@]}"; do
    for _ in $(seq 1 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL -- "-$pid" 2>/dev/null
  done
  wait 2>/dev/null
  [[ -n ${INGRANIX_KEEP_SESSION:-} ]] || rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

mkdir -p "$dir/home" "$dir/run" "$dir/pulse" "$dir/log" && chmod 700 "$dir/run"
export HOME=$dir/home XDG_RUNTIME_DIR=$dir/run PULSE_RUNTIME_PATH=$dir/pulse PULSE_STATE_PATH=$dir/pulse
export PULSE_SERVER=unix:$dir/pulse/native INGRANIX_NULL_SINK=ingranix_null

# PulseAudio with only the null sink (-n: no default configuration); it never exits by itself.
start_null_sink() {
  cat >"$dir/null-sink.pa" <<PA
load-module module-null-sink sink_name=$INGRANIX_NULL_SINK rate=16000 channels=1
load-module module-native-protocol-unix socket=$dir/pulse/native auth-anonymous=1
set-default-sink $INGRANIX_NULL_SINK
PA
  setsid pulseaudio -n -F "$dir/null-sink.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disable-shm=yes --log-target=file:"$dir/log/pulseaudio.log" &
  daemons+=($!)
  for _ in $(seq 1 50); do timeout 2 pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  timeout 2 pactl info >/dev/null 2>&1 ||
    skip "PulseAudio did not start: $(tail -n 3 "$dir/log/pulseaudio.log" 2>/dev/null)"
}

# speech-dispatcher with the configuration in $1, on a private socket: the machine's own service stays
# out of it.
start_speech_dispatcher() {
  local socket=$dir/run/speech-dispatcher/speechd.sock
  mkdir -p "$dir/run/speech-dispatcher"
  export SPEECHD_ADDRESS=unix_socket:$socket
  setsid speech-dispatcher --run-single --communication-method unix_socket --socket-path "$socket" \
    --config-dir "$1" --pid-file "$dir/speechd.pid" --log-dir "$dir/log" --timeout 0 \
    >"$dir/log/speechd.out" 2>&1 &
  daemons+=($!)
  for _ in $(seq 1 50); do [[ -S $socket ]] && break; sleep 0.1; done
  [[ -S $socket ]] || skip "speech-dispatcher did not start: $(tail -n 3 "$dir/log/speechd.out" 2>/dev/null)"
}
