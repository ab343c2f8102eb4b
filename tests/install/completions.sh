#!/usr/bin/env bash
# The shell completions against the built program: bash's function fills COMPREPLY from the
# COMP_WORDS it is given, fish answers `complete -C`. Options complete, and so do the site names of
# the settings file named by --config on the same line, spaces and Chinese included.
# Usage: completions.sh LANVEX SOURCE_DIR
set -euo pipefail
program=$1
completions=$2/packaging/completions
work=$(mktemp -d /tmp/lanvex-completions.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

printf '[Common]\r\nSites=办公 室,Lab,Lab $HOME\r\n[办公 室]\r\nDHCPEnabled=1\r\n[Lab]\r\nDHCPEnabled=1\r\n[Lab $HOME]\r\nDHCPEnabled=1\r\n' \
  | iconv -f UTF-8 -t CP936 >"$work/sites.ini" # the settings file's code page
printf '[Common]\r\nSites=Elsewhere\r\n[Elsewhere]\r\nDHCPEnabled=1\r\n' >"$work/other.ini"
mkdir "$work/bin"
ln -s "$program" "$work/bin/lanvex"
export PATH="$work/bin:$PATH" LANG=C.UTF-8

# bash: the function as bash calls it, "$1" the command, "$2" the word, "$3" the one before.
bash_complete() {
  bash -c '
    source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _lanvex lanvex "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}"' _ "$completions/lanvex.bash" "$@"
}
got=$(bash_complete lanvex --config "$work/sites.ini" --apply '')
want=$(printf '%s\n' '办公\ 室' 'Lab' 'Lab\ \$HOME')
[ "$got" = "$want" ] || fail "bash, site names: got [$got], want [$want]"
got=$(bash_complete lanvex --config "$work/sites.ini" --switch '办')
[ "$got" = '办公\ 室' ] || fail "bash, a started Chinese name: got [$got]"
got=$(bash_complete lanvex --config "$work/other.ini" --apply '')
[ "$got" = Elsewhere ] || fail "bash does not read the --config of the line: got [$got]"
got=$(bash_complete lanvex --dr)
[ "$got" = --dry-run ] || fail "bash, options: got [$got]"

# fish: the candidates, each before a tab and its description.
fish_complete() { fish --no-config -c "source $completions/lanvex.fish; complete -C \$argv[1]" "$1" | cut -f1; }
got=$(fish_complete "lanvex --config $work/sites.ini --apply ")
want=$(printf '%s\n' '办公 室' 'Lab' 'Lab $HOME')
[ "$(sort <<<"$got")" = "$(sort <<<"$want")" ] || fail "fish, site names: got [$got], want [$want]"
got=$(fish_complete "lanvex --wat")
[ "$got" = --watch ] || fail "fish, options: got [$got]"
echo "bash and fish complete options and site names"
