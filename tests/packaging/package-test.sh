#!/usr/bin/env bash
# Builds the Debian package with the README's command and checks it: the installed tree in its
# Debian places, owned by root; dependencies found by dpkg-shlibdeps; no lintian error.
# Lintian's warnings are printed for the record.
set -euo pipefail
cd "$(dirname "$0")/../.."
fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$(scripts/package.sh)
[ -f "$deb" ] || fail "scripts/package.sh made no package"
id=org.lanvex.lanvex

contents=$(dpkg-deb --contents "$deb")
for path in ./usr/bin/lanvex "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml" \
            "./usr/share/icons/hicolor/scalable/apps/$id.svg" "./usr/share/icons/hicolor/48x48/apps/$id.png" \
            ./usr/share/man/man1/lanvex.1.gz ./usr/share/doc/lanvex/copyright ./usr/share/doc/lanvex/changelog.gz \
            ./usr/share/bash-completion/completions/lanvex ./usr/share/zsh/vendor-completions/_lanvex \
            ./usr/share/fish/vendor_completions.d/lanvex.fish; do
  grep -qE " $path\$" <<<"$contents" || fail "the package lacks $path"
done
! grep -vE '^[-dl]\S+ root/root ' <<<"$contents" || fail "files not owned by root"
! grep -vE ' \./usr(/|$)' <<<"$contents" || fail "files outside /usr"
# The English catalogue travels inside the program.
! grep -q 'lanvex_en\.qm' <<<"$contents" || fail "the package carries a separate lanvex_en.qm"
grep -qE '^-rwxr-xr-x .* \./usr/bin/lanvex$' <<<"$contents" || fail "usr/bin/lanvex is not an executable"

# The libraries the program links, Qt's among them, are found by dpkg-shlibdeps with versions.
depends=$(dpkg-deb --field "$deb" Depends)
grep -qE '(^|, )libqt6widgets6 \(>= 6' <<<"$depends" || fail "Depends lacks Qt Widgets: $depends"
grep -qE '(^|, )libc6 \(>= ' <<<"$depends" || fail "Depends lacks libc6: $depends"
# The printer list opens libcups at run time, out of dpkg-shlibdeps' sight.
grep -qE '(^|, )libcups2($|,| )' <<<"$depends" || fail "Depends lacks libcups2: $depends"

# The packaged program's login entry (lanvex --autostart) is a valid desktop entry starting the tray,
# and goes again with off. The site launchers are validated the same way by tst_WindowAccess.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked/root"
run_packaged() { env HOME="$unpacked" XDG_CONFIG_HOME="$unpacked/config" "$unpacked/root/usr/bin/lanvex" "$@"; }
[ "$(run_packaged --autostart)" = off ] || fail "--autostart is not off in a new profile"
run_packaged --autostart on || fail "--autostart on failed"
entry="$unpacked/config/autostart/$id.desktop"
[ -f "$entry" ] || fail "--autostart on wrote no $entry"
desktop-file-validate "$entry" || fail "the autostart entry is not valid"
grep -qxF "Exec=\"$unpacked/root/usr/bin/lanvex\" --tray" "$entry" || fail "the autostart entry does not start the tray: $(cat "$entry")"
[ "$(run_packaged --autostart)" = on ] || fail "--autostart does not say on"
run_packaged --autostart off || fail "--autostart off failed"
[ ! -e "$entry" ] && [ "$(run_packaged --autostart)" = off ] || fail "--autostart off left the entry"

# Lintian refuses nothing; its warnings are kept in view.
report=$(lintian --tag-display-limit 0 --display-level '>=warning' "$deb" 2>&1 || true)
grep -vE '^(running with root privileges|N: )' <<<"$report" | sed '/^$/d' || true
! grep -q '^E: ' <<<"$report" || fail "lintian reports errors"
echo "package $deb is complete; lintian reports no error"
