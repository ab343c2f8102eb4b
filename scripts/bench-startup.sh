#!/usr/bin/env bash
# Builds in Release and compares the window's start-up with a minimal Qt window that shows one
# Chinese label, under Xvfb: the median time until each window is mapped and first painted, the
# median resident memory, and their ratios. The two programs take turns, start after start.
# Usage: scripts/bench-startup.sh [RUNS]   (RUNS: starts of each program, default 12)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-12}
build=${LANVEX_BENCH_BUILD_DIR:-build-bench}

scripts/install-deps.sh run
scripts/install-deps.sh build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DLANVEX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target lanvex lanvex_bench_minimal_window lanvex_bench_startup -j "$(nproc)"

# The program over the sample files, in a folder of its own: the settings file sits beside it.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/bin/lanvex" "$work/lanvex"
cp examples/lanvex.ini "$work/lanvex.ini"
cp examples/simulated-network.json "$work/network.json"

export LANVEX_BENCH_ARGS="$runs $build/bin/lanvex_bench_minimal_window -- $work/lanvex --simulate $work/network.json"
export LANVEX_BENCH_EXE="$build/bin/lanvex_bench_startup"
# The X platform, whatever the caller's environment says.
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '"$LANVEX_BENCH_EXE" $LANVEX_BENCH_ARGS'
