#!/usr/bin/env bash
# The receiving station as a user runs it from the package, on a machine without a display: the
# installed `mosaic monitor` hears a signal streamed over UDP on the loopback, saves its picture,
# serves it on its web page, refuses paths out of the pictures folder, and ends with status 0 on
# SIGTERM. Bash alone talks to it (/dev/udp, /dev/tcp): nothing beyond the package is needed.
#   packaging/check_installed_monitor.sh ROOT   (ROOT: where the package was unpacked)
set -euo pipefail

root="$1"
mosaic="$root/usr/bin/mosaic"
work="$(mktemp -d)"
monitor=""
finish() {
  [ -n "$monitor" ] && kill -KILL "$monitor" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT
fail() {
  echo "check_installed_monitor: $*" >&2
  [ -f "$work/log.jsonl" ] && cat "$work/log.jsonl" >&2
  exit 1
}

# A free port on the loopback: the monitor refuses a taken one with status 2, so try a few.
free_port() {
  local port
  for port in $(shuf -i 20000-60000 -n 20); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return
    fi
  done
  fail "no free port"
}

# "GET PATH" over HTTP/1.0; prints the status line's code, and the body into $work/body.
get() {
  local reply
  exec 5<>"/dev/tcp/127.0.0.1/$web"
  printf 'GET %s HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' "$1" >&5
  cat <&5 >"$work/reply"
  exec 5<&-
  reply="$(head -n 1 "$work/reply")"
  sed '1,/^\r$/d' "$work/reply" >"$work/body"
  echo "$reply" | cut -d ' ' -f 2
}

wait_for_event() {
  local event="$1" seconds="$2"
  for _ in $(seq 1 $((seconds * 10))); do
    grep -q "\"event\":\"$event\"" "$work/log.jsonl" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "no $event event within $seconds s"
}

# The transmitter's sound of the installed test card, as an SDR program would send it.
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
  "$mosaic" demo -o "$work/demo" >/dev/null)
tail -c +45 "$work/demo/sent.wav" >"$work/sent.raw"
echo "secret" >"$work/secret.txt"

udp="$(free_port)"
web="$(free_port)"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$mosaic" monitor --udp "127.0.0.1:$udp" \
  --web "127.0.0.1:$web" --pictures "$work/pictures" --log "$work/log.jsonl" --threshold 10 &
monitor=$!
wait_for_event started 10

# 0.1 s of sound (4800 samples) in each datagram, four times faster than real time, sent three
# times over; the monitor saves the still picture once the stream stops.
exec 4>"/dev/udp/127.0.0.1/$udp"
blocks=$(($(stat -c %s "$work/sent.raw") / 9600))
for _ in 1 2 3; do
  for ((i = 0; i < blocks; i++)); do
    dd if="$work/sent.raw" bs=9600 skip="$i" count=1 status=none >&4
    sleep 0.025
  done
done
exec 4>&-
wait_for_event picture_saved 15
picture="$(ls "$work/pictures" | head -n 1)"
[ -n "$picture" ] || fail "no picture in the folder"

[ "$(get /)" = 200 ] && grep -q "Mosaic TV station" "$work/body" || fail "the page is not served"
[ "$(get /status.json)" = 200 ] && grep -q '"lock"' "$work/body" || fail "no status"
[ "$(get "/pictures/$picture")" = 200 ] && [ "$(head -c 4 "$work/body" | tail -c 3)" = PNG ] ||
  fail "the saved picture is not served"
for path in "/pictures/../secret.txt" "/pictures/%2e%2e/secret.txt" "/../secret.txt" \
  "/pictures/%2E%2E%2Fsecret.txt" "/pictures/..%2f..%2f..$work/secret.txt" "$work/secret.txt"; do
  code="$(get "$path")"
  [[ "$code" =~ ^4 ]] && ! grep -q secret "$work/body" || fail "$path: $code, not refused"
done

kill -TERM "$monitor"
status=0
wait "$monitor" || status=$?
monitor=""
[ "$status" = 0 ] || fail "SIGTERM ended the monitor with status $status"
grep -q '"event":"stopped","reason":"SIGTERM"' "$work/log.jsonl" || fail "no stopped event"
echo "check_installed_monitor: the installed monitor received, saved, served and stopped"
