#include "cli/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <utility>

namespace lanvex::cli {

namespace {

bool setMode(CommandLine& line, CommandLine::Mode mode)
{
    if (line.mode != CommandLine::Mode::Window) {
        line.error = "only one of --list, --adapters, --detect, --watch, --apply, --switch, --autostart, --confirm, "
                     "--export, --import, --version and --help may be given";
        return false;
    }
    line.mode = mode;
    return true;
}

bool takeValue(const std::vector<std::string>& args, std::size_t& i, std::string& value, CommandLine& line)
{
    if (i + 1 >= args.size()) {
        line.error = args[i] + " needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

// A whole number of seconds, 1 to kMaxRevertSeconds, in plain decimal digits.
bool parseRevertSeconds(const std::string& text, CommandLine& line)
{
    std::uint32_t seconds = 0;
    const bool digits
        = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (!digits || ec != std::errc() || end != text.data() + text.size() || seconds < 1
        || seconds > kMaxRevertSeconds) {
        line.error = "--revert-after needs a whole number of seconds from 1 to " + std::to_string(kMaxRevertSeconds)
            + ": " + text;
        return false;
    }
    line.revertAfter = seconds;
    return true;
}

bool parseArgument(const std::vector<std::string>& args, std::size_t& i, CommandLine& line)
{
    const std::string& arg = args[i];
    std::string value;
    if (arg == "--list")
        return setMode(line, CommandLine::Mode::List);
    if (arg == "--adapters")
        return setMode(line, CommandLine::Mode::Adapters);
    if (arg == "--detect")
        return setMode(line, CommandLine::Mode::Detect);
    if (arg == "--watch")
        return setMode(line, CommandLine::Mode::Watch);
    if (arg == "--confirm")
        return setMode(line, CommandLine::Mode::Confirm);
    if (arg == "--version")
        return setMode(line, CommandLine::Mode::Version);
    if (arg == "--help" || arg == "-h")
        return setMode(line, CommandLine::Mode::Help);
    if (arg == "--apply") {
        if (!setMode(line, CommandLine::Mode::Apply) || !takeValue(args, i, value, line))
            return false;
        line.siteName = value;
        return true;
    }
    if (arg == "--switch") {
        if (!setMode(line, CommandLine::Mode::Switch) || !takeValue(args, i, value, line))
            return false;
        line.siteName = value;
        return true;
    }
    if (arg == "--autostart") {
        if (!setMode(line, CommandLine::Mode::Autostart))
            return false;
        // The value is optional: alone, the call asks how the login entry stands.
        if (i + 1 < args.size() && (args[i + 1] == "on" || args[i + 1] == "off"))
            line.autostart = args[++i] == "on";
        return true;
    }
    if (arg == "--export" || arg == "--import") {
        const auto mode = arg == "--export" ? CommandLine::Mode::Export : CommandLine::Mode::Import;
        return setMode(line, mode) && takeValue(args, i, line.transferFile, line);
    }
    for (const auto& [name, flag] :
         { std::pair { "--replace", &CommandLine::replace }, std::pair { "--tray", &CommandLine::tray },
           std::pair { "--dry-run", &CommandLine::dryRun }, std::pair { "--json", &CommandLine::json } })
        if (arg == name) {
            line.*flag = true;
            return true;
        }
    if (arg == "--adapter") {
        if (!takeValue(args, i, value, line))
            return false;
        line.adapterText = value;
        return true;
    }
    if (arg == "--revert-after")
        return takeValue(args, i, value, line) && parseRevertSeconds(value, line);
    if (arg == "--config") {
        if (!takeValue(args, i, value, line))
            return false;
        if (value.empty()) {
            line.error = "--config needs a file name";
            return false;
        }
        line.configFile = value;
        return true;
    }
    if (arg == "--simulate") {
        if (!takeValue(args, i, value, line))
            return false;
        line.simulateFile = value;
        return true;
    }
    line.error = "unknown argument: " + arg;
    return false;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        // An option given twice would leave one of its values unused: bad usage, not a guess.
        if (args[i].size() > 2 && args[i].compare(0, 2, "--") == 0 && !seen.insert(args[i]).second) {
            line.mode = CommandLine::Mode::Invalid;
            line.error = args[i] + " may be given only once";
            return line;
        }
        if (!parseArgument(args, i, line)) {
            line.mode = CommandLine::Mode::Invalid;
            return line;
        }
    }
    if (line.adapterText && line.mode != CommandLine::Mode::Apply) {
        line.mode = CommandLine::Mode::Invalid;
        line.error = "--adapter belongs to --apply";
    }
    if (line.revertAfter && line.mode != CommandLine::Mode::Apply) {
        line.mode = CommandLine::Mode::Invalid;
        line.error = "--revert-after belongs to --apply";
    }
    if ((line.dryRun || line.json) && line.mode != CommandLine::Mode::Apply) {
        line.mode = CommandLine::Mode::Invalid;
        line.error = std::string(line.dryRun ? "--dry-run" : "--json") + " belongs to --apply";
    }
    if (line.dryRun && line.revertAfter) {
        line.mode = CommandLine::Mode::Invalid;
        line.error = "--dry-run changes nothing, so there is nothing for --revert-after to take back";
    }
    if (line.replace && line.mode != CommandLine::Mode::Import) {
        line.mode = CommandLine::Mode::Invalid;
        line.error = "--replace belongs to --import";
    }
    if (line.tray && line.mode != CommandLine::Mode::Window) {
        line.mode = CommandLine::Mode::Invalid;
        line.error = "--tray starts the window; it takes no other command";
    }
    return line;
}

std::string UsageText()
{
    return "Usage: lanvex [--config FILE] [--simulate FILE]\n"
           "              [--tray | --list | --adapters | --detect | --watch\n"
           "              | --apply NAME [--adapter N] [--revert-after SECONDS] [--dry-run] [--json]\n"
           "              | --confirm | --switch NAME | --autostart [on|off]\n"
           "              | --export FILE | --import FILE [--replace] | --version | --help]\n"
           "\n"
           "Switches a network adapter between saved sites. Without a command it opens the window.\n"
           "\n"
           "  --config FILE       use FILE as the settings file\n"
           "  --simulate FILE     use the simulated network service described by FILE (JSON)\n"
           "  --list              print the saved sites as JSON\n"
           "  --adapters          print the adapters and their current settings as JSON\n"
           "  --detect            print each adapter's network (gateway, its MAC address, Wi-Fi name,\n"
           "                      DNS domain), the sites that match it and the site it holds, as JSON\n"
           "  --watch             until ended, print a line of JSON (the fields of --detect) for every\n"
           "                      adapter at the start and each time its network changes\n"
           "  --apply NAME        apply the saved site NAME and print the summary\n"
           "  --adapter N         the adapter to apply to: its number counted from 1, its interface\n"
           "                      name, its MAC address or its GUID; without it, the site's own\n"
           "                      adapter (its Adapter key), else adapter 1\n"
           "  --revert-after SECONDS\n"
           "                      with --apply: then wait up to SECONDS (1 to 3600) for lanvex --confirm;\n"
           "                      without it, restore the adapter's previous settings\n"
           "  --dry-run           with --apply: print what it would change, setting by setting, as the\n"
           "                      adapter has it now and as the site sets it; change nothing\n"
           "  --json              with --apply: print the outcome (or with --dry-run the changes) as JSON\n"
           "  --confirm           keep the change an --apply --revert-after of this user waits for\n"
           "  --switch NAME       hand the saved site NAME to the running window or tray, which applies it\n"
           "                      as its menu does; without one, start the tray and apply it there\n"
           "  --autostart on|off  start lanvex in the tray at login, or no longer; alone, print on or off\n"
           "  --export FILE       write every saved site to FILE: JSON when it ends in .json, else a\n"
           "                      settings file in the Windows form (code page 936, CRLF)\n"
           "  --import FILE       add the sites of FILE (either form); a saved name is skipped\n"
           "  --replace           with --import: overwrite saved sites of the same name instead\n"
           "  --tray              start with only the tray icon\n"
           "  --version           print the version\n"
           "  --help              print this text\n"
           "\n"
           "The settings file: --config FILE; else the file beside the program, named after it (.ini), when it\n"
           "exists or the program is not installed; else lanvex/lanvex.ini in $XDG_CONFIG_HOME (~/.config).\n"
           "Exit codes of --apply: 0 applied (or already DHCP), 1 failed, 2 bad usage; with --revert-after, 0 kept,\n"
           "1 restored or failed. Exit codes of --confirm: 0 a waiting change is kept, 1 none was waiting.\n"
           "Exit codes of --import: 0 all added, 1 some skipped or FILE unreadable (nothing changed), 2 bad usage.\n"
           "Exit codes of --switch: 0 handed over, 1 no saved site is named NAME or no copy could take it.\n";
}

} // namespace lanvex::cli
