#!/usr/bin/env bash
# Where an installed copy keeps its sites, checked on a real installation run by an ordinary
# user (nobody, when the test runs as root): it reads and writes the user's config folder;
# --config wins over it; a file beside the program wins over it; a copy in the build tree keeps
# the file beside it.
# Usage: settings-location.sh BUILD_DIR LSAN_SUPPRESSIONS
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/lanvex-location.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
home=$work/home
config=$work/xdg
mkdir -p "$home" "$config/lanvex"
cmake --install "$build" --prefix "$prefix" >/dev/null
cp "$2" "$work/lsan.supp"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody: "$home" "$config"
  as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
fi
[ "$(id -u)" -ne 0 ] || [ "$("${as_user[@]}" id -u)" -ne 0 ] || fail "cannot drop to an ordinary user"

# A settings file with one site, as the Windows tool writes it.
sites() { printf '[Common]\r\nSites=%s\r\n\r\n[%s]\r\nDHCPEnabled=1\r\n' "$1" "$1" >"$2"; chmod 644 "$2"; }
# The installed program as the ordinary user, with a clean environment. The first argument is
# XDG_CONFIG_HOME, or - for unset.
lanvex() {
  local xdg=$1
  shift
  local env=(HOME="$home" LANG=C.UTF-8 PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen
             ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}"
             LSAN_OPTIONS="suppressions=$work/lsan.supp:print_suppressions=0")
  [ "$xdg" = - ] || env+=(XDG_CONFIG_HOME="$xdg")
  (cd "$work" && "${as_user[@]}" env -i "${env[@]}" "$prefix/bin/lanvex" "$@")
}
expect() { # expect WHAT TEXT OUTPUT
  grep -qF -- "$2" <<<"$3" || fail "$1: expected \"$2\" in: $3"
}

sites XdgSite "$config/lanvex/lanvex.ini"
expect "installed, XDG_CONFIG_HOME set" "Settings file: $config/lanvex/lanvex.ini" "$(lanvex "$config" --help)"
expect "installed, XDG_CONFIG_HOME set" "config folder" "$(lanvex "$config" --help)"
expect "installed, reading the config folder" '"Name":"XdgSite"' "$(lanvex "$config" --list)"

expect "installed, XDG_CONFIG_HOME unset" "Settings file: $home/.config/lanvex/lanvex.ini" "$(lanvex - --help)"
expect "installed, nothing saved yet" "[]" "$(lanvex - --list)"
[ ! -e "$home/.config" ] || fail "reading made the config folder; only a save may"

# A save as the ordinary user (--import is the command line's save) goes to the config folder,
# which it makes, private, on the way.
sites ImportedSite "$work/import.ini"
lanvex - --import "$work/import.ini" >/dev/null || fail "--import as $("${as_user[@]}" id -un) failed"
expect "a save makes the config folder" '"Name":"ImportedSite"' "$(lanvex - --list)"
[ -f "$home/.config/lanvex/lanvex.ini" ] || fail "the save did not land in the config folder"
[ "$(stat -c %a "$home/.config/lanvex")" = 700 ] || fail "the config folder is not private"

sites OptionSite "$work/other.ini"
expect "--config" "Settings file: $work/other.ini" "$(lanvex "$config" --config other.ini --help)"
expect "--config wins" '"Name":"OptionSite"' "$(lanvex "$config" --config "$work/other.ini" --list)"

sites BesideSite "$prefix/bin/lanvex.ini"
expect "file beside an installed program" "Settings file: $prefix/bin/lanvex.ini" "$(lanvex "$config" --help)"
expect "file beside an installed program wins" '"Name":"BesideSite"' "$(lanvex "$config" --list)"
rm "$prefix/bin/lanvex.ini"

# The build tree is not an installation: its copy keeps the file beside it.
built=$(cd "$work" && env XDG_CONFIG_HOME="$config" "$build/bin/lanvex" --help)
expect "build tree" "Settings file: $build/bin/lanvex.ini" "$built"
expect "build tree" "not installed" "$built"

[ "$(ls -A "$prefix/bin")" = lanvex ] || fail "the installed program wrote beside itself: $(ls -A "$prefix/bin")"
echo "settings file location rule holds for an installed copy run as $("${as_user[@]}" id -un)"
