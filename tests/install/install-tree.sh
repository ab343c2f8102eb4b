#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop and a packager rely on:
# the files in their GNU places, a desktop entry and metainfo that validate without a single
# note, an icon under the entry's name, and a manual page that lists every option of --help.
# Usage: install-tree.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1
id=$2
prefix=$(mktemp -d /tmp/lanvex-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
manpage=$prefix/share/man/man1/lanvex.1.gz
for file in "$desktop" "$metainfo" "$manpage" "$prefix/share/icons/hicolor/scalable/apps/$id.svg" \
            "$prefix/share/bash-completion/completions/lanvex" "$prefix/share/zsh/vendor-completions/_lanvex" \
            "$prefix/share/fish/vendor_completions.d/lanvex.fish"; do
  [ -f "$file" ] || fail "not installed: ${file#"$prefix"/}"
done
[ -x "$prefix/bin/lanvex" ] || fail "bin/lanvex is not installed as a program"

notes=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed: $notes"
[ -z "$notes" ] || fail "desktop-file-validate has notes: $notes"
notes=$(appstreamcli validate --no-net --pedantic --no-color "$metainfo" 2>&1) || fail "appstreamcli: $notes"
! grep -qE '^[EWIP]: ' <<<"$notes" || fail "appstreamcli has notes: $notes"

# The entry starts the installed program and names the installed icon and the metainfo's id.
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = lanvex ] || fail "Exec is not the installed lanvex: $(entry Exec)"
[ "$(entry Icon)" = "$id" ] || fail "Icon is not $id"
[ -n "$(entry 'Name\[zh_CN\]')" ] || fail "no Chinese name"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launches no $id.desktop"

# Every option --help offers is described in the manual page, and so are the exit codes.
page=$(zcat "$manpage" | sed 's/\\-/-/g')
options=$("$prefix/bin/lanvex" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
[ -n "$options" ] || fail "--help lists no options"
for option in $options; do
  grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$page" || fail "the manual page does not describe $option"
done
exits=$(sed -n '/^\.SH EXIT STATUS/,/^\.SH /p' <<<"$page")
for code in 0 1 2; do
  grep -qx "\.B $code" <<<"$exits" || fail "the manual page does not explain exit code $code"
done
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$manpage" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man reports: $warnings"
echo "installed tree in $prefix is complete and valid"
