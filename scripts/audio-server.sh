# Sourced by the test scripts: a private PulseAudio server with a null sink, in its own runtime folder,
# so audio tests never touch a desktop's sound server.

start_audio_server() {
    export TAPELINK_AUDIO_DIR
    TAPELINK_AUDIO_DIR=$(mktemp -d /tmp/tapelink-pulse-XXXXXX)
    export PULSE_RUNTIME_PATH="$TAPELINK_AUDIO_DIR/runtime"
    export PULSE_STATE_PATH="$TAPELINK_AUDIO_DIR/state"
    export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
    mkdir -p "$PULSE_RUNTIME_PATH" "$PULSE_STATE_PATH"
    if ! command -v pulseaudio >/dev/null; then
        echo "pulseaudio is not installed; audio tests will skip" >&2
        return 0
    fi
    pulseaudio --daemonize=yes --system=no --exit-idle-time=-1 --disallow-exit=no \
        --log-target=file:"$TAPELINK_AUDIO_DIR/pulse.log" \
        -n --load="module-native-protocol-unix socket=$PULSE_RUNTIME_PATH/native auth-anonymous=1" \
        --load="module-null-sink sink_name=tapelink_null" \
        --load="module-always-sink" 2>>"$TAPELINK_AUDIO_DIR/pulse.log" || true
    for _ in $(seq 1 50); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl set-default-sink tapelink_null >/dev/null 2>&1 || echo "audio server did not start; audio tests will skip" >&2
}

stop_audio_server() {
    [ -n "${TAPELINK_AUDIO_DIR:-}" ] || return 0
    pactl exit >/dev/null 2>&1 || true
    rm -rf "$TAPELINK_AUDIO_DIR"
}
