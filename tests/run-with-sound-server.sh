#!/usr/bin/env bash
# Runs a command with a private PulseAudio server whose default sink "loop" plays into a
# monitor that is remapped as the default source "loopin", so that what one program plays
# another can record. Without pulseaudio installed the command runs as it is.
set -uo pipefail

if ! command -v pulseaudio >/dev/null 2>&1; then
  exec "$@"
fi

# Starts the server in $XDG_RUNTIME_DIR and waits until it answers.
start_server() {
  pulseaudio -D -n --exit-idle-time=-1 --disallow-exit --daemonize=yes --use-pid-file=yes \
    --system=false --log-target=file:"$XDG_RUNTIME_DIR/pulse.log" \
    -L "module-null-sink sink_name=loop rate=48000 norewinds=1" \
    -L "module-remap-source master=loop.monitor source_name=loopin" \
    -L module-native-protocol-unix >/dev/null 2>&1
  for _ in $(seq 1 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
}

# A test that ends the running server and starts it again, as a sound server restart does:
# run-with-sound-server.sh --restart (inside a command run by this script).
if [ "${1:-}" = "--restart" ]; then
  pulseaudio --kill >/dev/null 2>&1
  sleep "${2:-0.3}"
  start_server
  pactl set-default-sink loop && pactl set-default-source loopin
  exit $?
fi

runtime="$(mktemp -d)"
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
export PULSE_RUNTIME_PATH="$runtime/pulse"
unset PULSE_SERVER

start_server

if pactl info >/dev/null 2>&1; then
  pactl set-default-sink loop
  pactl set-default-source loopin
  export MOSAIC_SOUND_SERVER=1
else
  echo "run-with-sound-server: PulseAudio did not start; sound tests are skipped" >&2
fi

"$@"
status=$?

pulseaudio --kill >/dev/null 2>&1 || true
sleep 0.2
rm -rf "$runtime"
exit $status
