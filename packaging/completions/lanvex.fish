# fish completion for lanvex: every option, and the saved site names after --apply and --switch.

# The saved site names of the settings file the line names with --config (else the usual one), as
# `lanvex --list` prints them: one JSON object a line, its name first.
function __lanvex_sites
    set -l tokens (commandline -opc)
    set -l config
    for i in (seq 2 (math (count $tokens) - 1))
        if test "$tokens[$i]" = --config
            set config --config $tokens[(math $i + 1)]
        end
    end
    $tokens[1] $config --list 2>/dev/null \
        | string replace -rf '^\{"Name":"((?:[^"\\\\]|\\\\.)*)".*' '$1' \
        | string replace -ra '\\\\(["\\\\/])' '$1'
end

complete -c lanvex -f
complete -c lanvex -l config -r -F -d 'use FILE as the settings file'
complete -c lanvex -l simulate -r -F -d 'use the simulated network service described by FILE'
complete -c lanvex -l tray -d 'start with only the tray icon'
complete -c lanvex -l list -d 'print the saved sites as JSON'
complete -c lanvex -l adapters -d 'print the adapters and their settings as JSON'
complete -c lanvex -l detect -d "print each adapter's network and the sites that match it"
complete -c lanvex -l watch -d "print a JSON line each time an adapter's network changes"
complete -c lanvex -l apply -x -a '(__lanvex_sites)' -d 'apply a saved site'
complete -c lanvex -l adapter -x -d 'the adapter to apply to: number, name, MAC or GUID'
complete -c lanvex -l revert-after -x -d 'wait for lanvex --confirm, else restore'
complete -c lanvex -l dry-run -d 'with --apply: print what would change, change nothing'
complete -c lanvex -l json -d 'with --apply: print the outcome as JSON'
complete -c lanvex -l confirm -d 'keep the change an --apply --revert-after waits for'
complete -c lanvex -l switch -x -a '(__lanvex_sites)' -d 'hand a site to the running copy'
complete -c lanvex -l autostart -x -a 'on off' -d 'start with the desktop session'
complete -c lanvex -l export -r -F -d 'write every saved site to FILE'
complete -c lanvex -l import -r -F -d 'add the sites of FILE'
complete -c lanvex -l replace -d 'with --import: overwrite saved sites of the same name'
complete -c lanvex -l version -d 'print the version'
complete -c lanvex -l help -d 'print the usage'
