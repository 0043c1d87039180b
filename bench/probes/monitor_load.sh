#!/usr/bin/env bash
# The receiving station's cost while it listens with its web page open: `mosaic monitor` plays a
# recording (--realtime: at the speed of a live signal; --fast: as fast as it decodes) with
# --web, while CLIENTS pollers ask for the page as its script does (the status every 400 ms, the
# live picture whenever its number changes). Prints the monitor's CPU as a share of one core
# over the run, its peak resident memory, and the pictures and answers counted. Figures only.
#   bench/probes/monitor_load.sh MOSAIC RECORDING [--realtime|--fast] [CLIENTS]
set -euo pipefail

mosaic=$1
recording=$2
pace=${3:---realtime}
clients=${4:-1}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
options=(monitor --input "$recording" --web "127.0.0.1:$port" --pictures "$work/pictures"
         --log "$work/log.jsonl")
[ "$pace" = --realtime ] && options+=(--realtime)

start=$(date +%s.%N)
/usr/bin/time -f '%U %S %M' -o "$work/usage" "$mosaic" "${options[@]}" 2>"$work/stderr" &
monitor=$!

poll() {
  local shown=0 answers=0
  while :; do
    status=$(curl -s --max-time 2 "http://127.0.0.1:$port/status.json") || { sleep 0.4; continue; }
    answers=$((answers + 1))
    number=$(grep -o '"picture":[0-9]*' <<<"$status" | head -1 | cut -d: -f2 || true)
    if [ -n "$number" ] && [ "$number" != "$shown" ] && [ "$number" != 0 ]; then
      curl -s --max-time 2 -o /dev/null "http://127.0.0.1:$port/live.png?n=$number" || true
      shown=$number
    fi
    echo "$answers $shown" >"$work/poller.$BASHPID"
    sleep 0.4
  done
}
for _ in $(seq 1 "$clients"); do poll & done

wait "$monitor"
end=$(date +%s.%N)
read -r user system peak <"$work/usage"
python3 - "$start" "$end" "$user" "$system" "$peak" "$clients" "$work" <<'PY'
import glob, json, sys
start, end, user, system, peak = map(float, sys.argv[1:6])
clients, work = int(sys.argv[6]), sys.argv[7]
wall = end - start
answers = sum(int(open(f).read().split()[0]) for f in glob.glob(work + "/poller.*"))
events = [json.loads(line)["event"] for line in open(work + "/log.jsonl")]
print(f"wall {wall:.1f} s, cpu {user + system:.1f} s = {100 * (user + system) / wall:.2f} % of one core")
print(f"peak resident memory {peak / 1024:.1f} MB")
print(f"{clients} client(s), {answers} status answers; pictures saved {events.count('picture_saved')}")
PY
