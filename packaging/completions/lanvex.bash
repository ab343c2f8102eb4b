# bash completion for lanvex: every option, and the saved site names after --apply and --switch.

# The saved site names, one a line, of the settings file the line names with --config (else the
# usual one), as `lanvex --list` prints them: one JSON object a line, its name first.
_lanvex_sites()
{
    local program=$1 i
    local -a config=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} == --config ]] && ((i + 1 < COMP_CWORD)); then
            config=(--config "${COMP_WORDS[i + 1]/#\~/$HOME}")
        fi
    done
    "$program" "${config[@]}" --list 2>/dev/null |
        sed -n 's/^{"Name":"\(\([^"\\]\|\\.\)*\)".*/\1/p' |
        sed 's/\\\(["\\/]\)/\1/g'
}

_lanvex()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    case $prev in
        --apply | --switch)
            local name
            while IFS= read -r name; do
                # A name is offered as the shell must read it back: its blanks and special
                # characters escaped with a backslash.
                [[ $name == "$cur"* ]] &&
                    COMPREPLY+=("$(sed 's/[][ 	!"#$&'\''()*;<>?\\`{|}~]/\\&/g' <<<"$name")")
            done < <(_lanvex_sites "$1")
            return
            ;;
        --config | --simulate | --export | --import)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
        --autostart)
            mapfile -t COMPREPLY < <(compgen -W 'on off' -- "$cur")
            return
            ;;
        --adapter | --revert-after)
            return
            ;;
    esac
    local options='--config --simulate --tray --list --adapters --detect --watch --apply --adapter
        --revert-after --dry-run --json --confirm --switch --autostart --export --import --replace --version --help'
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
}

complete -F _lanvex lanvex
