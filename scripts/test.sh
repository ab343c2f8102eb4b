#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test:
# formatting, the layers, unit and window tests, the real CUPS and NetworkManager tests, the
# installed tree, the Debian package and a short fuzz run.
# --windows: then also the Windows build and its tests under Wine (scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
windows=false
case "${1:-}" in
  --windows) windows=true ;;
  "") ;;
  *) echo "usage: $0 [--windows]" >&2; exit 2 ;;
esac

scripts/install-deps.sh test

echo "== Formatting"
scripts/check-format.sh

echo "== Layers"
scripts/check-layers.py

echo "== Build (ASan + UBSan)"
build=${LANVEX_TEST_BUILD_DIR:-$root/build-test}
# Line tables (-g1) are all the sanitizers' reports need, and build about a quarter faster than -g.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DLANVEX_SANITIZE=ON -DLANVEX_WERROR=ON -DCMAKE_CXX_FLAGS="-O1" \
  -DCMAKE_CXX_FLAGS_DEBUG="-g1" >/dev/null
cmake --build "$build" -j "$(nproc)"

echo "== Tests"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

echo "== Debian package"
tests/packaging/package-test.sh

echo "== Fuzzing the settings-file parser and the JSON import"
# Each fuzzer runs this long: the settings-file parser, then the JSON import.
scripts/fuzz.sh "${LANVEX_FUZZ_SECONDS:-15}"

if $windows; then
  echo "== Windows build and tests under Wine"
  LANVEX_LINUX_PROGRAM=$build/bin/lanvex scripts/test-windows.sh
fi

echo "All tests passed."
