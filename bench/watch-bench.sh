#!/usr/bin/env bash
# The network watch of `lanvex --watch` against a private NetworkManager (tests/nm/nm-sandbox.sh):
#  - latency: the gateway's neighbour entry is given another MAC address, nothing else changes; the
#    time from that change until --watch prints a line with the new address, over ROUNDS rounds;
#  - idle wake-ups: the context switches of every thread of the idle watch over 60 s (from
#    /proc/PID/task/*/status), i.e. how often the kernel woke it.
# Needs root (the sandbox). Usage: bench/watch-bench.sh [LANVEX [ROUNDS]]
# (LANVEX defaults to build-test/bin/lanvex; a Release build gives the truest wake-up count.)
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build-test/bin/lanvex}")
rounds=${2:-20}
[ "$(id -u)" -eq 0 ] || { echo "watch-bench: needs root for the NetworkManager sandbox" >&2; exit 1; }
[ -x "$program" ] || { echo "watch-bench: no program at $program" >&2; exit 1; }

sandbox=/tmp/lanvex-nm-bench
tag=lvxbench
work=$(mktemp -d /tmp/lanvex-watch-bench.XXXXXX)
watch_pid=
cleanup() {
  [ -z "$watch_pid" ] || kill "$watch_pid" 2>/dev/null || true
  sh tests/nm/nm-sandbox.sh down "$sandbox" "$tag" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
sh tests/nm/nm-sandbox.sh up "$sandbox" "$tag"
[ -e "$sandbox/nm.ready" ] || { echo "watch-bench: the sandbox did not start" >&2; exit 1; }
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$sandbox/bus.sock" LANG=C.UTF-8
export ASAN_OPTIONS=detect_leaks=0

printf '[Common]\r\nSites=Lease\r\n[Lease]\r\nDHCPEnabled=1\r\n' >"$work/lanvex.ini"
"$program" --config "$work/lanvex.ini" --apply Lease >/dev/null 2>&1 || true
# The lease and its default route.
for _ in $(seq 100); do
  ip -n "$tag-cli" route show default | grep -q 10.88.0.1 && break
  sleep 0.1
done
# The lease's own traffic (its address check, the first talk to the gateway) settles first: the
# kernel would put the gateway's real MAC address back over a round's.
sleep 5

coproc WATCH { exec ip netns exec "$tag-cli" "$program" --config "$work/lanvex.ini" --watch 2>/dev/null; }
watch_pid=$WATCH_PID
read -r -t 20 line <&"${WATCH[0]}" || { echo "watch-bench: --watch printed nothing" >&2; exit 1; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }
latencies=()
for round in $(seq "$rounds"); do
  mac=$(printf '02:00:5E:10:%02X:%02X' $((round / 256)) $((round % 256)))
  sleep 1
  start=$(now_ms)
  ip -n "$tag-cli" neigh replace 10.88.0.1 lladdr "$mac" dev "$tag" nud reachable
  seen=
  while read -r -t 10 line <&"${WATCH[0]}"; do
    [ -z "${LANVEX_BENCH_VERBOSE:-}" ] || echo "  $line" >&2
    if [[ $line == *"\"GatewayMAC\":\"$mac\""* ]]; then seen=$(now_ms); break; fi
  done
  [ -n "$seen" ] || { echo "watch-bench: round $round: $mac not seen within 10 s" >&2; exit 1; }
  latencies+=($((seen - start)))
done
sorted=$(printf '%s\n' "${latencies[@]}" | sort -n)
median=$(sed -n "$(((rounds + 1) / 2))p" <<<"$sorted")
echo "gateway MAC changed -> --watch line: median ${median} ms, min $(head -1 <<<"$sorted") ms," \
  "max $(tail -1 <<<"$sorted") ms over $rounds rounds"

switches() {
  local total=0 task count
  for task in /proc/"$watch_pid"/task/*/status; do
    for count in $(awk '/ctxt_switches/ { print $2 }' "$task"); do total=$((total + count)); done
  done
  echo "$total"
}
sleep 5
before=$(switches)
sleep 60
after=$(switches)
echo "idle --watch: $((after - before)) context switches in 60 s ($(ls /proc/"$watch_pid"/task | wc -l) threads)"
