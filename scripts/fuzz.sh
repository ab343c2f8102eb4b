#!/usr/bin/env bash
# Builds the settings-file parser's libFuzzer target with clang and runs it for a bounded time.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=${LANVEX_FUZZ_BUILD_DIR:-build-fuzz}
cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
corpus="$build/corpus"
mkdir -p "$corpus"
cp -n fuzz/corpus/* "$corpus"/ 2>/dev/null || true
"$build/ini_parser_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 -artifact_prefix="$build/" "$corpus" 2>&1 | tail -n 5
