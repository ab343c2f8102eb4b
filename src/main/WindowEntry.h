#pragma once

#include "app/CommandLine.h"

// How lanvex.exe reaches its window. The console build has none; the Qt build opens it when the
// command line asks for no command.
namespace lanvex::app {

// Runs the window until it closes and returns the exit code, or reports that the build has none.
int RunWindow(const CommandLine& line);

// A program built as a window program has no console of its own: its command-line output goes to
// the console of the program that started it, if any. Output already redirected stays so.
void AttachParentConsole();

} // namespace lanvex::app
