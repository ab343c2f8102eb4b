#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (the settings-file parser, and the import's reading of a
# JSON site list or a settings file) and runs each for a bounded time.
# Usage: scripts/fuzz.sh [SECONDS]   (each target's time, default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=${LANVEX_FUZZ_BUILD_DIR:-build-fuzz}
cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
# Each target keeps its own corpus; the import also reads settings files, so it starts from both.
run() {
  local fuzzer=$1
  shift
  local corpus="$build/corpus-$fuzzer"
  mkdir -p "$corpus"
  for seeds in "$@"; do cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true; done
  echo "== $fuzzer"
  "$build/$fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 -artifact_prefix="$build/$fuzzer-" "$corpus" 2>&1 \
    | tail -n 5
}
run ini_parser_fuzzer fuzz/corpus
run json_import_fuzzer fuzz/corpus-json fuzz/corpus
