#!/usr/bin/env bash
# Runs the NSIS installer under Wine silently, once for the current user and once for all users
# (/AllUsers), each time into a folder that already holds a lanvex.ini, and checks what it leaves:
# the runnable folder, the Start-menu entry, the uninstall entry under HKCU or HKLM, the settings
# file untouched, a working lanvex.exe. Then the uninstaller, started as the uninstall entry says,
# must take all of it away except the settings file.
# Usage: check-installer.sh INSTALLER WINE_LOADER   (WINEPREFIX set)
set -euo pipefail
installer=$1 wine=$2
: "${WINEPREFIX:?}"

fail() {
  echo "installer check: $*" >&2
  exit 1
}

user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local | grep -v /Public/ | head -n 1)
[ -d "$user_dir" ] || fail "no user profile in $WINEPREFIX"
profile=${user_dir%/AppData/Local}
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Lanvex'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# The user's Run value Lanvex (start at login), as `reg query` prints it; empty when absent.
run_value() {
  { "$wine" reg query "$run_key" /v Lanvex 2>/dev/null || true; } | tr -d '\r' | sed -n 's/^ *Lanvex *REG_SZ *//p'
}

# The value of NAME under the uninstall key in ROOT, as `reg query` prints it.
uninstall_value() {
  "$wine" reg query "$1\\$key" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"
}

# check_round MODE TARGET MENU ROOT [INSTALLER ARGUMENTS...]
check_round() {
  local mode=$1 target=$2 menu=$3 root=$4 other=HKLM
  shift 4
  [ "$root" = HKCU ] || other=HKCU
  rm -rf "$target" "$menu"
  "$wine" reg delete "HKCU\\$key" /f >/dev/null 2>&1 || true
  "$wine" reg delete "HKLM\\$key" /f >/dev/null 2>&1 || true
  "$wine" reg delete "$run_key" /v Lanvex /f >/dev/null 2>&1 || true
  mkdir -p "$target"
  printf '[Common]\r\nSites=keep me\r\n' >"$target/lanvex.ini"
  cp "$target/lanvex.ini" "$target/../lanvex.ini.before"

  "$wine" "$installer" /S "$@"
  for file in lanvex.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6Network.dll platforms/qwindows.dll \
              styles/qwindowsvistastyle.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll Uninstall.exe; do
    [ -f "$target/$file" ] || fail "$mode: $file is missing from $target"
  done
  cmp "$target/lanvex.ini" "$target/../lanvex.ini.before" || fail "$mode: the installer changed lanvex.ini"
  [ -f "$menu/Lanvex.lnk" ] || fail "$mode: no Start-menu entry in $menu"
  # Start at login only when asked for (/Autostart), and then for this folder's program.
  local run
  run=$(run_value)
  if [[ " $* " == *" /Autostart "* ]]; then
    [[ "$run" == '"'*'\lanvex.exe" --tray' ]] || fail "$mode: /Autostart left the Run value '$run'"
  else
    [ -z "$run" ] || fail "$mode: a Run value without /Autostart: $run"
  fi
  local uninstall quiet
  uninstall=$(uninstall_value "$root" UninstallString)
  quiet=$(uninstall_value "$root" QuietUninstallString)
  [ -n "$uninstall" ] || fail "$mode: no uninstall entry under $root"
  [ -z "$(uninstall_value "$other" UninstallString)" ] || fail "$mode: an uninstall entry under $other too"
  version=$(cd "$target" && "$wine" lanvex.exe --version)
  [[ "$version" == "lanvex "[0-9]* ]] || fail "$mode: the installed lanvex.exe prints '$version'"

  # The quiet uninstall string is what deployment tools run; its arguments carry the mode.
  # _?= keeps the uninstaller in the folder and makes it finish before returning; it must come last
  # and unquoted, so it gets the short form of the folder, which has no spaces.
  local arguments=() folder
  read -r -a arguments <<<"${quiet#*Uninstall.exe\" }"
  folder=$("$wine" winepath -s "$("$wine" winepath -w "$target" 2>/dev/null)" 2>/dev/null)
  "$wine" "$target/Uninstall.exe" "${arguments[@]}" "_?=$folder"
  [ ! -e "$target/lanvex.exe" ] && [ ! -e "$target/platforms" ] || fail "$mode: the uninstaller left the program behind"
  [ ! -e "$menu/Lanvex.lnk" ] || fail "$mode: the uninstaller left the Start-menu entry"
  [ -z "$(uninstall_value "$root" UninstallString)" ] || fail "$mode: the uninstaller left its entry"
  [ -z "$(run_value)" ] || fail "$mode: the uninstaller left the Run value"
  cmp "$target/lanvex.ini" "$target/../lanvex.ini.before" || fail "$mode: the uninstaller changed lanvex.ini"
  rm -f "$target/../lanvex.ini.before"
  echo "installer check: $mode: installed, lanvex.ini kept, uninstalled with '${arguments[*]}' ($version)"
}

check_round "current user" "$user_dir/Programs/Lanvex" \
  "$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Lanvex" HKCU /Autostart
check_round "all users" "$WINEPREFIX/drive_c/Program Files/Lanvex" \
  "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Lanvex" HKLM /AllUsers
