#!/usr/bin/env bash
# Both programs on the private sound server while it is ended and, after OUTAGE seconds, started
# again. Within 15 s of its return Mosaiccast is heard again, after a new 2.56 s of silence, and
# Mosaicview draws a signal that is played to it only then; both end cleanly on SIGTERM.
# Arguments: mosaiccast, mosaicview, mosaic, picture_difference, the sound server script, and the
# outage in seconds. Skipped (77) without the server.
set -u
cast="$(realpath "$1")" view="$(realpath "$2")" mosaic="$(realpath "$3")"
difference="$(realpath "$4")" server="$(realpath "$5")" outage="${6:-0.3}"
[ -n "${MOSAIC_SOUND_SERVER:-}" ] || { echo "no private sound server: skipped"; exit 77; }
export QT_QPA_PLATFORM=offscreen
work="$(mktemp -d)"
cast_pid="" view_pid="" play_pid="" record_pid="" watch_pid="" air=""
# The server is left as the tests after this one expect it: recording from "loopin".
trap 'kill -KILL $cast_pid $view_pid $play_pid $record_pid $watch_pid 2>/dev/null
  [ -n "$air" ] && pactl unload-module "$air"; pactl set-default-source loopin; rm -rf "$work"' EXIT
cd "$work"
# Never the user's own settings or pictures. Mosaicview saves the pictures it has aligned.
export HOME="$work" XDG_CONFIG_HOME="$work/config"
mkdir -p config/mosaictv pictures &&
  printf '[pictures]\nautoSave=true\nfolder=%s\n' "$work/pictures" >config/mosaictv/mosaicview.conf

fail() {
  echo "FAIL: $*"
  echo "--- mosaiccast:" && cat cast.log
  echo "--- mosaicview:" && cat view.log
  exit 1
}
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN {printf "%.1f", b - a}'; }

# Two pictures that no shift of columns turns into each other: light above dark, and the other
# way round. Each becomes a recording, and the picture the receiver makes of it when nothing
# stands in the way.
half_and_half() { printf 'P6\n64 48\n255\n'; head -c 4608 /dev/zero | tr '\0' "$1"; head -c 4608 /dev/zero | tr '\0' "$2"; }
half_and_half '\377' '\0' >before.ppm
half_and_half '\0' '\377' >after.ppm
for name in before after; do
  "$mosaic" encode $name.ppm -o $name.wav --frames 7 >/dev/null &&
    "$mosaic" decode $name.wav --aligned --scale 3 -o $name-sent.png >/dev/null ||
    fail "mosaic cannot make the $name recording"
done
apart=$("$difference" before-sent.png after-sent.png)
[ "$apart" -ge 40 ] || fail "the two pictures are too much alike ($apart) to tell apart"

# Mosaiccast plays into the server's default sink "loop"; Mosaicview records a sink of its own,
# "air", where the test plays what Mosaicview is to draw.
add_air() {
  air=$(pactl load-module module-null-sink sink_name=air rate=48000) &&
    pactl set-default-source air.monitor
}
loop_streams() {
  local loop
  loop=$(pactl list short sinks | awk '$2 == "loop" {print $1}')
  pactl list short sink-inputs 2>/dev/null | awk -v s="$loop" '$2 == s' | grep -c .
}
view_stream() { pactl list short source-outputs 2>/dev/null | awk '/9600Hz/ {print $1; exit}'; }
# The smallest difference from `sent` of the pictures Mosaicview saved after the file `mark`.
drawn() {
  find "$work/pictures" -name '*.png' -newer "$1" -print0 2>/dev/null |
    while IFS= read -r -d '' picture; do "$difference" "$picture" "$2"; done | sort -n | head -1
}
alike() { local d; d=$(drawn "$1" "$2"); [ -n "$d" ] && [ "$d" -le 12 ]; }
# Peak of 1 s recorded from the loop's monitor (what Mosaiccast sends).
peak() {
  timeout 1 pacat -r --format=s16le --channels=1 --rate=48000 -d loop.monitor >peak.raw
  od -An -v -td2 -w2 peak.raw | awk '{v = $1 < 0 ? -$1 : $1; if (v > m) m = v} END {print m + 0}'
}

add_air || fail "cannot add the sink air"
"$cast" >cast.log 2>&1 & cast_pid=$!
"$view" >view.log 2>&1 & view_pid=$!

# Before: Mosaicview draws what is played to it, and Mosaiccast is heard after its silence.
for _ in $(seq 1 50); do [ -n "$(view_stream)" ] && break; sleep 0.2; done
[ -n "$(view_stream)" ] || fail "Mosaicview does not record"
touch before.mark
paplay --device=air before.wav & play_pid=$!
for _ in $(seq 1 15); do sleep 1; alike before.mark before-sent.png && break; done
alike before.mark before-sent.png || fail "Mosaicview does not draw the picture played to it"
kill $play_pid 2>/dev/null; wait $play_pid 2>/dev/null; play_pid=""
heard=$(peak)
[ "$heard" -gt 1000 ] || fail "Mosaiccast is not heard before the restart (peak $heard)"
echo "before the restart: Mosaiccast peak $heard, Mosaicview draws what it is sent"

"$server" --restart "$outage" || fail "the server did not start again"
back=$(now)
add_air || fail "cannot add the sink air again"
pacat -r --format=s16le --channels=1 --rate=48000 -d loop.monitor >after.raw & record_pid=$!
recording=$(now)
# When Mosaiccast's stream is back, in seconds of the recording, watched closely on its own.
(while [ "$(loop_streams)" -lt 1 ]; do sleep 0.05; done; since "$recording" >cast.back) &
watch_pid=$!
cast_back="" view_back="" drawn_after=""
while [ "$(since "$back" | cut -d. -f1)" -lt 15 ]; do
  [ -z "$cast_back" ] && [ -s cast.back ] && cast_back=$(cat cast.back)
  if [ -z "$view_back" ] && id=$(view_stream) && [ -n "$id" ]; then
    view_back=$(since "$back")
    pactl move-source-output "$id" air.monitor
    touch after.mark
    paplay --device=air after.wav & play_pid=$!
  fi
  if [ -n "$view_back" ] && [ -z "$drawn_after" ] && alike after.mark after-sent.png; then
    drawn_after=$(since "$back")
  fi
  # Done once Mosaicview has drawn and Mosaiccast's silence is surely over.
  if [ -n "$drawn_after" ] && [ -n "$cast_back" ] &&
    awk -v a="$(since "$recording")" -v b="$cast_back" 'BEGIN {exit !(a > b + 4)}'; then
    break
  fi
  sleep 0.1
done
kill $record_pid $watch_pid $play_pid 2>/dev/null
wait $record_pid $watch_pid $play_pid 2>/dev/null
record_pid="" watch_pid="" play_pid=""
# Where Mosaiccast's signal starts in the recording made since the server came back.
signal=$(od -An -v -td2 -w2 after.raw |
  awk '{v = $1 < 0 ? -$1 : $1} v > 1000 {printf "%.2f", NR / 48000; found = 1; exit} END {if (!found) print ""}')
echo "after the restart (outage ${outage} s): Mosaiccast playing again after ${cast_back:-never} s," \
  "its signal after ${signal:-never} s of the recording; Mosaicview recording after" \
  "${view_back:-never} s, drawing the new signal after ${drawn_after:-never} s"
[ -n "$cast_back" ] && [ -n "$signal" ] || fail "Mosaiccast is not heard again within 15 s"
# Two silent buffers come first; one (1.28 s) or none would not do, whatever the polling's delay.
awk -v s="$signal" -v b="$cast_back" 'BEGIN {exit !(s - b >= 1.6)}' ||
  fail "Mosaiccast resumed without its 2.56 s of silence first"
[ -n "$drawn_after" ] || fail "Mosaicview does not draw the signal played after the restart"

kill -TERM $cast_pid $view_pid
wait $cast_pid; cast_status=$?
wait $view_pid; view_status=$?
cast_pid="" view_pid=""
echo "exit status on SIGTERM: mosaiccast $cast_status, mosaicview $view_status"
[ $cast_status -eq 0 ] && [ $view_status -eq 0 ] || fail "a program did not end cleanly"
