// lanvex.exe: the command-line calls, and the window when no command is given (see WindowEntry).
#include "app/AdapterCommands.h"
#include "app/CommandLine.h"
#include "app/ListCommand.h"
#include "app/Platform.h"
#include "app/SiteTransfer.h"
#include "app/WindowEntry.h"
#include "store/IniModule.h"
#include "store/SettingsLocation.h"
#include "store/WindowsText.h"

#include <fcntl.h>
#include <io.h>
#include <iostream>
#include <string>
#include <vector>
#include <windows.h>

namespace {

using lanvex::app::CommandLine;

// The arguments as UTF-8. They come as UTF-16 (wmain): the narrow argv holds only what the ANSI
// code page can represent.
std::vector<std::string> arguments(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(lanvex::store::windows::Narrow(argv[i]));
    return args;
}

std::string programPath()
{
    return lanvex::store::windows::ProgramPath();
}

// Output is UTF-8 bytes, in a console as in a pipe.
void prepareOutput()
{
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

int run(const CommandLine& line, const lanvex::store::SettingsLocation& settings)
{
    switch (line.mode) {
    case CommandLine::Mode::Version:
        std::cout << "lanvex " << LANVEX_VERSION_MAJOR << '.' << LANVEX_VERSION_MINOR << '.' << LANVEX_VERSION_REVISION
                  << '\n';
        return 0;
    case CommandLine::Mode::Help:
        std::cout << lanvex::app::UsageText() << '\n' << lanvex::store::DescribeSettingsLocation(settings);
        return 0;
    case CommandLine::Mode::List:
        return lanvex::app::RunListCommand(std::cout, std::cerr);
    case CommandLine::Mode::Export:
        return lanvex::app::RunExportCommand(line.transferFile, std::cout, std::cerr);
    case CommandLine::Mode::Import:
        return lanvex::app::RunImportCommand(line.transferFile, line.replace, std::cout, std::cerr);
    case CommandLine::Mode::Window:
        return lanvex::app::RunWindow(line);
    default:
        break;
    }
    lanvex::app::Platform platform = lanvex::app::MakePlatform(line.simulateFile);
    if (line.mode == CommandLine::Mode::Adapters)
        return lanvex::app::RunAdaptersCommand(platform, std::cout, std::cerr);
    return lanvex::app::RunApplyCommand(platform, line.siteName, line.adapterText, std::cout, std::cerr);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    CommandLine line;
    try {
        line = lanvex::app::ParseCommandLine(arguments(argc, argv));
    } catch (const std::exception&) {
        return 1;
    }
    if (line.mode != CommandLine::Mode::Window)
        lanvex::app::AttachParentConsole();
    prepareOutput();
    try {
        if (line.mode == CommandLine::Mode::Invalid) {
            std::cerr << "lanvex: " << line.error << "\n\n" << lanvex::app::UsageText();
            return 2;
        }
        const auto settings = lanvex::store::FindSettingsLocation(line.configFile, programPath());
        lanvex::store::UseSettingsLocation(settings);
        return run(line, settings);
    } catch (const std::exception& error) {
        std::cerr << "lanvex: " << error.what() << '\n';
        return 1;
    }
}
