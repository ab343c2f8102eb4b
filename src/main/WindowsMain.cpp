// lanvex.exe: the command-line calls, and the window when no command is given (see WindowEntry).
#include "cli/CommandLine.h"
#include "cli/ConsoleCommands.h"
#include "main/WindowEntry.h"
#include "platform/Process.h"
#include "store/IniModule.h"
#include "store/SettingsLocation.h"
#include "store/windows/WindowsText.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace lanvex;
using cli::CommandLine;

// The arguments as UTF-8. They come as UTF-16 (wmain): the narrow argv holds only what the ANSI
// code page can represent.
std::vector<std::string> arguments(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(store::windows::Narrow(argv[i]));
    return args;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    CommandLine line;
    try {
        line = cli::ParseCommandLine(arguments(argc, argv));
    } catch (const std::exception&) {
        return 1;
    }
    if (line.mode != CommandLine::Mode::Window)
        platform::AttachParentConsole();
    platform::PrepareConsoleOutput();
    try {
        if (line.mode == CommandLine::Mode::Invalid) {
            std::cerr << "lanvex: " << line.error << "\n\n" << cli::UsageText();
            return 2;
        }
        const auto settings = store::FindSettingsLocation(line.configFile, platform::ProgramPath(nullptr));
        store::UseSettingsLocation(settings);
        if (line.mode == CommandLine::Mode::Window)
            return entry::RunWindow(line);
        if (line.mode == CommandLine::Mode::Switch)
            return entry::RunSwitch(line);
        return cli::RunConsoleCommand(line, settings, std::cout, std::cerr, entry::PrepareConsoleCommand);
    } catch (const std::exception& error) {
        std::cerr << "lanvex: " << error.what() << '\n';
        return 1;
    }
}
