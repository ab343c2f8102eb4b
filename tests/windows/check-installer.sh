#!/usr/bin/env bash
# Runs the NSIS installer under Wine, silently, for the current user, into a folder that already
# holds a lanvex.ini, and checks what it leaves: the runnable folder, the Start-menu entry, the
# uninstall entry, the settings file untouched, a working lanvex.exe. Then the uninstaller must take
# all of it away except the settings file.
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
target=$user_dir/Programs/Lanvex
menu=$profile/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Lanvex

rm -rf "$target" "$menu"
mkdir -p "$target"
printf '[Common]\r\nSites=keep me\r\n' >"$target/lanvex.ini"
cp "$target/lanvex.ini" "$target/../lanvex.ini.before"

"$wine" "$installer" /S
for file in lanvex.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6Network.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll \
            libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll Uninstall.exe; do
  [ -f "$target/$file" ] || fail "$file is missing from $target"
done
cmp "$target/lanvex.ini" "$target/../lanvex.ini.before" || fail "the installer changed lanvex.ini"
[ -f "$menu/Lanvex.lnk" ] || fail "no Start-menu entry"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lanvex'
"$wine" reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 || fail "no uninstall entry for the current user"
version=$(cd "$target" && "$wine" lanvex.exe --version)
[[ "$version" == "lanvex "[0-9]* ]] || fail "the installed lanvex.exe prints '$version'"

# _?= keeps the uninstaller in the folder and makes it finish before returning.
"$wine" "$target/Uninstall.exe" /S "_?=$("$wine" winepath -w "$target" 2>/dev/null)"
[ ! -e "$target/lanvex.exe" ] && [ ! -e "$target/platforms" ] || fail "the uninstaller left the program behind"
[ ! -e "$menu/Lanvex.lnk" ] || fail "the uninstaller left the Start-menu entry"
! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstaller left its entry"
cmp "$target/lanvex.ini" "$target/../lanvex.ini.before" || fail "the uninstaller changed lanvex.ini"
rm -f "$target/../lanvex.ini.before"
echo "installer check: installed for the current user, lanvex.ini kept, uninstalled ($version)"
