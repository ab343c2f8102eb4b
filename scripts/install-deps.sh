#!/usr/bin/env bash
# Installs the Debian packages Lanvex needs to build, run and test. Skips what is already there.
# Usage: scripts/install-deps.sh [build|run|package|test|windows]   (default: test, which needs
# everything on Linux; windows: the mingw-w64 cross build and Wine for scripts/test-windows.sh)
set -euo pipefail

purpose=${1:-test}

build_packages=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools
                qt6-qpa-plugins qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools nlohmann-json3-dev libcups2-dev libpng-dev
                fonts-noto-cjk clang-format librsvg2-bin libxcb1-dev libxcb-damage0-dev)
run_packages=(xvfb xauth x11-utils imagemagick)
package_packages=(dpkg-dev)
windows_packages=(cmake make g++-mingw-w64-x86-64-posix wine wine64 nlohmann-json3-dev doctest-dev locales
                  # the window: host moc/rcc, the art as PNG, the installer, and an X display for Wine
                  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
                  librsvg2-bin imagemagick nsis xvfb xauth fonts-noto-cjk)
test_packages=(clang gsettings-desktop-schemas libclang-rt-14-dev cups cups-client cups-bsd network-manager dnsmasq-base iproute2 dbus
               procps xvfb xauth x11-utils trayer desktop-file-utils appstream man-db dpkg-dev lintian
               systemd polkitd
               fish)  # the shell completions are tested in bash and fish

packages=("${build_packages[@]}")
case "$purpose" in
  build) ;;
  run) packages+=("${run_packages[@]}") ;;
  package) packages+=("${package_packages[@]}") ;;
  test) packages+=("${test_packages[@]}") ;;
  windows) packages=("${windows_packages[@]}") ;;
  *) echo "usage: $0 [build|run|package|test|windows]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO=sudo; else
    echo "error: these Debian packages are missing and I am not root: ${missing[*]}" >&2
    echo "       install them with: apt-get install ${missing[*]}" >&2
    exit 1
  fi
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
if ! $SUDO apt-get update -qq || ! $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
  echo "error: could not install the Debian packages: ${missing[*]}" >&2
  exit 1
fi
