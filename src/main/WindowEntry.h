#pragma once

#include "cli/CommandLine.h"

// How lanvex.exe reaches its window. The console build has none; the Qt build opens it when the
// command line asks for no command.
namespace lanvex::entry {

// Runs the window until it closes and returns the exit code, or reports that the build has none.
int RunWindow(const cli::CommandLine& line);

// --switch NAME: hands the site to the running copy, or to the tray-only copy it starts; the
// console build has no window to hand it to.
int RunSwitch(const cli::CommandLine& line);

// Readies a console command's service calls: with Qt, the application object and the catalogue of
// the user's language, so the command line speaks it as on Linux; nothing in the console build.
void PrepareConsoleCommand();

} // namespace lanvex::entry
