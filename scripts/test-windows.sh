#!/usr/bin/env bash
# Cross-builds the Windows console program with mingw-w64 into build-windows/ (the program is
# build-windows/bin/lanvex.exe) and runs its tests under Wine: the Windows-only code, and one whole
# apply through lanvex.exe --simulate compared with the Linux program on the same files.
#
# Then, with Qt for mingw at hand, the same for the window program in build-windows/window/: the
# runnable folder build-windows/window/bin/, its tests under Wine on an Xvfb display, and the
# portable .zip and the installer (cpack) in build-windows/window/packages/, the installer checked
# under Wine.
#
# LANVEX_LINUX_PROGRAM=path: the Linux lanvex to compare with; without it, one is built into
# build-windows/linux/.
# LANVEX_QT_MINGW_ARCHIVE=path: Qt 6 for mingw-w64 as a .tar.xz holding one qt6*/ folder (default
# ../shared/toolchains/qt6.4.2-mingw64.tar.xz beside the repository). Without it the window build
# is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${LANVEX_WINDOWS_BUILD_DIR:-$root/build-windows}

if [ -n "${LANVEX_LINUX_PROGRAM:-}" ]; then
  scripts/install-deps.sh windows
else
  scripts/install-deps.sh build
  scripts/install-deps.sh windows
fi

# Wine takes its ANSI code page from the locale: zh_CN.UTF-8 makes it code page 936, without
# which it cannot even create files with Chinese names. It is listed in /etc/locale.gen, so that a
# later locale-gen (which package installs run) keeps it, and checked on every run.
has_zh_locale() { locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; }
if [ "$(id -u)" -eq 0 ]; then SUDO=; else SUDO=sudo; fi
if ! grep -qx 'zh_CN\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
  echo "== Listing zh_CN.UTF-8 in /etc/locale.gen"
  if grep -qx '# *zh_CN\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    $SUDO sed -i 's/^# *zh_CN\.UTF-8 UTF-8$/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  else
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
fi
if ! has_zh_locale; then
  echo "== Generating the zh_CN.UTF-8 locale"
  $SUDO locale-gen
fi
if ! has_zh_locale; then
  echo "The zh_CN.UTF-8 locale is missing (locale -a): Wine cannot make Chinese file names without it" >&2
  exit 1
fi

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)

if [ -z "${LANVEX_LINUX_PROGRAM:-}" ]; then
  echo "== Build the Linux program to compare with"
  cmake -S . -B "$build/linux" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DLANVEX_WERROR=ON -DLANVEX_BUILD_TESTS=OFF \
    -DLANVEX_BUILD_BENCH=OFF >/dev/null
  cmake --build "$build/linux" --target lanvex -j "$(nproc)"
  LANVEX_LINUX_PROGRAM=$build/linux/bin/lanvex
fi

echo "== Build for Windows (mingw-w64)"
cmake -S . -B "$build" "${generator[@]}" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DLANVEX_WITH_QT=OFF -DLANVEX_WERROR=ON -DCMAKE_BUILD_TYPE=Release -DLANVEX_LINUX_PROGRAM="$LANVEX_LINUX_PROGRAM" >/dev/null
cmake --build "$build" -j "$(nproc)"

echo "== Tests under Wine"
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
wine=/usr/lib/wine/wine64
[ -f "$WINEPREFIX/system.reg" ] || echo "Creating the Wine prefix $WINEPREFIX"
# A warm wineserver starts each test in a few milliseconds. It and the prefix's background
# services start here, with their output detached: started by a test, they would hold its pipe
# open and the run would hang.
wineserver -p >/dev/null 2>&1 </dev/null &
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
"$wine" wineboot --init >/dev/null 2>&1 </dev/null
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

qt_archive=${LANVEX_QT_MINGW_ARCHIVE:-$root/../shared/toolchains/qt6.4.2-mingw64.tar.xz}
if [ ! -f "$qt_archive" ]; then
  echo "== Skipping the Windows window build: no Qt for mingw-w64 at $qt_archive"
  echo "   (set LANVEX_QT_MINGW_ARCHIVE to a Qt 6 mingw-w64 .tar.xz to build and test the window)"
  echo "Windows console tests passed."
  exit 0
fi

window=$build/window
echo "== Build the Windows window program with Qt from $qt_archive"
stamp=$window/qt.unpacked
if [ ! -f "$stamp" ] || [ "$qt_archive" -nt "$stamp" ]; then
  rm -rf "$window"/qt6*
  mkdir -p "$window"
  tar -xJf "$qt_archive" -C "$window"
  touch "$stamp"
fi
qt_dirs=("$window"/qt6*/)
qt=${qt_dirs[0]%/}
cmake -S . -B "$window" "${generator[@]}" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DMINGW_EXTRA_ROOTS="$qt" -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DCMAKE_BUILD_TYPE=Release -DLANVEX_BUILD_BENCH=OFF \
  -DLANVEX_LINUX_PROGRAM="$LANVEX_LINUX_PROGRAM" >/dev/null
cmake --build "$window" -j "$(nproc)"

echo "== Window tests under Wine on Xvfb"
# The running wineserver's desktop has no display; the next one starts on Xvfb's.
wineserver -k >/dev/null 2>&1 || true
# QTest writes its report to a file under Wine (tests/*/NAME.txt in the build folder).
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$window" --output-on-failure -j "$(nproc)"

echo "== Packages"
rm -rf "$window/packages"
(cd "$window" && cpack -B "$window/packages" >/dev/null)
ls "$window/packages"/lanvex-*-win64.zip "$window/packages"/lanvex-*-win64.exe
bash tests/windows/check-installer.sh "$window/packages"/lanvex-*-win64.exe "$wine"

echo "Windows tests passed."
