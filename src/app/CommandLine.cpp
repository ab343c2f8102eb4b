#include "app/CommandLine.h"

namespace lanvex::app {

namespace {

bool setMode(CommandLine& line, CommandLine::Mode mode)
{
    if (line.mode != CommandLine::Mode::Window) {
        line.error = "only one of --list, --adapters, --apply, --version and --help may be given";
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

bool parseArgument(const std::vector<std::string>& args, std::size_t& i, CommandLine& line)
{
    const std::string& arg = args[i];
    std::string value;
    if (arg == "--list")
        return setMode(line, CommandLine::Mode::List);
    if (arg == "--adapters")
        return setMode(line, CommandLine::Mode::Adapters);
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
    if (arg == "--adapter") {
        if (!takeValue(args, i, value, line))
            return false;
        line.adapterText = value;
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
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!parseArgument(args, i, line)) {
            line.mode = CommandLine::Mode::Invalid;
            return line;
        }
    }
    if (line.adapterText && line.mode != CommandLine::Mode::Apply) {
        line.mode = CommandLine::Mode::Invalid;
        line.error = "--adapter belongs to --apply";
    }
    return line;
}

std::string UsageText()
{
    return "Usage: lanvex [--simulate FILE] [--list | --adapters | --apply NAME [--adapter N] | --version | --help]\n"
           "\n"
           "Switches a network adapter between saved sites. Without a command it opens the window.\n"
           "\n"
           "  --simulate FILE     use the simulated network service described by FILE (JSON)\n"
           "  --list              print the saved sites as JSON\n"
           "  --adapters          print the adapters and their current settings as JSON\n"
           "  --apply NAME        apply the saved site NAME and print the summary\n"
           "  --adapter N         the adapter to apply to, counted from 1 (default 1)\n"
           "  --version           print the version\n"
           "  --help              print this text\n"
           "\n"
           "The sites are read from the settings file beside the program, named after it (.ini).\n"
           "Exit codes of --apply: 0 applied (or already DHCP), 1 failed, 2 bad usage.\n";
}

} // namespace lanvex::app
