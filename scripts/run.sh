#!/usr/bin/env bash
# Builds Lanvex and opens its window over the simulated network (a fresh copy of the sample file,
# so the demo never changes the shipped one). With no display it runs the window under Xvfb,
# writes a screenshot and prints its path.
# Usage: scripts/run.sh [extra lanvex arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh run

build=${LANVEX_BUILD_DIR:-$root/build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DLANVEX_BUILD_TESTS=OFF -DLANVEX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target lanvex

exe="$build/bin/lanvex"
# The settings file lives beside the program; start the demo with a few sample sites.
[ -e "$build/bin/lanvex.ini" ] || cp examples/lanvex.ini "$build/bin/lanvex.ini"
demo_dir=$(mktemp -d /tmp/lanvex-demo.XXXXXX)
cp examples/simulated-network.json "$demo_dir/network.json"
echo "Simulated network: $demo_dir/network.json"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$exe" --simulate "$demo_dir/network.json" "$@"
fi

echo "No display: running the window under Xvfb to take a screenshot."
shot="$demo_dir/lanvex-window.png"
export LANVEX_EXE="$exe" LANVEX_SIM="$demo_dir/network.json" LANVEX_SHOT="$shot"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$LANVEX_EXE" --simulate "$LANVEX_SIM" & pid=$!
  for _ in $(seq 1 100); do
    xwininfo -root -tree 2>/dev/null | grep -q "Lanvex" && break
    kill -0 $pid 2>/dev/null || { echo "lanvex exited early" >&2; exit 1; }
    sleep 0.1
  done
  sleep 1
  import -window root "$LANVEX_SHOT"
  kill $pid; wait $pid 2>/dev/null || true'
echo "Screenshot: $shot"
