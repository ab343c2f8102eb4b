#!/usr/bin/env bash
# Builds in Release and times the start-up read of the settings file with 10, 1,000 and 10,000
# sites, measures the peak memory of reading large files and of importing them (at most 3 times the
# largest file involved), then `lanvex --list` with 10 and 1,000 sites (which must take at most twice as long).
# Usage: scripts/bench.sh [RUNS]   (RUNS: --list runs per size, default 15)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
build=${LANVEX_BENCH_BUILD_DIR:-build-bench}

scripts/install-deps.sh build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DLANVEX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target lanvex_bench_load lanvex_bench_memory lanvex_bench_import -j "$(nproc)"

echo "== Loading the settings file (best of 7 runs)"
"$build/bin/lanvex_bench_load" 10 1000 10000

echo "== Peak memory of reading a 32 MiB settings file, by its shape"
"$build/bin/lanvex_bench_memory" 32

echo "== Peak memory of importing 99,990 sites, by the file's shape"
"$build/bin/lanvex_bench_import"

echo "== lanvex --list"
if ! cmake --build "$build" --target lanvex -j "$(nproc)"; then
  echo "lanvex does not build yet: --list not timed" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for sites in 10 1000; do
  mkdir "$work/$sites"
  cp "$build/bin/lanvex" "$work/$sites/lanvex"
  "$build/bin/lanvex_bench_load" --generate "$sites" "$work/$sites/lanvex.ini"
  listed=$("$work/$sites/lanvex" --list | grep -c '"Name"')
  if [ "$listed" -ne "$sites" ]; then
    echo "lanvex --list printed $listed sites, expected $sites" >&2
    exit 1
  fi
done

now_ns() { date +%s%N; }
# The two sizes take turns, so a change in the machine's load hits both alike.
declare -A times
for ((run = 0; run < runs; run++)); do
  for sites in 10 1000; do
    start=$(now_ns)
    "$work/$sites/lanvex" --list >/dev/null
    times[$sites]+="$(( ($(now_ns) - start) / 1000 )) "
  done
done

median_us() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
small=$(echo "${times[10]}" | median_us)
large=$(echo "${times[1000]}" | median_us)
awk -v small="$small" -v large="$large" 'BEGIN {
  printf "%8s %14s\n", "sites", "median ms"
  printf "%8d %14.1f\n%8d %14.1f\n", 10, small / 1000, 1000, large / 1000
  ratio = large / small
  printf "ratio 1000/10: %.2f (at most 2.00)\n", ratio
  if (ratio > 2) { print "lanvex --list with 1,000 sites takes more than twice as long as with 10" > "/dev/stderr"; exit 1 }
}'
