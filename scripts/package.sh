#!/usr/bin/env bash
# Builds the Debian package: a Release build for /usr with Debian's hardening flags, packed by
# CPack, its dependencies found by dpkg-shlibdeps. Prints the path of the .deb. CPack strips the
# program, so no debug information is built only to be thrown away (-g0 after Debian's -g).
# Usage: scripts/package.sh   (build folder: $LANVEX_PACKAGE_BUILD_DIR, default build-package/)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh package

build=${LANVEX_PACKAGE_BUILD_DIR:-$root/build-package}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DLANVEX_BUILD_TESTS=OFF -DLANVEX_BUILD_BENCH=OFF \
      -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS) -g0" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j "$(nproc)" >&2
rm -f "$build"/lanvex_*.deb
(cd "$build" && cpack -G DEB >&2)
ls "$build"/lanvex_*.deb
