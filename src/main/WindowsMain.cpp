// lanvex.exe: the command-line calls, and the window when no command is given (see WindowEntry).
#include "app/CommandLine.h"
#include "app/ConsoleCommands.h"
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
        if (line.mode == CommandLine::Mode::Window)
            return lanvex::app::RunWindow(line);
        return lanvex::app::RunConsoleCommand(line, settings, std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "lanvex: " << error.what() << '\n';
        return 1;
    }
}
