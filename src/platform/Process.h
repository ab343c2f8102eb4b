#pragma once

#include <string>

namespace lanvex::platform {

// The full path of the running program; `argv0` where the system cannot tell.
std::string ProgramPath(const char* argv0);

// A program built as a window program (Windows) has no console of its own: its command-line output
// goes to the console of the program that started it, if any, and is thrown away when there is
// none. Output already redirected stays so. Elsewhere a program always has its parent's terminal,
// and this does nothing.
void AttachParentConsole();

// A write to a pipe whose reader has gone fails instead of ending the program, so a command can
// end by itself when its output is no longer read.
void IgnoreBrokenPipe();

// Standard output and error carry the program's UTF-8 bytes unchanged, in a console as in a pipe.
// A write to a pipe whose reader has gone fails and only loses that output: it never ends the
// program, which may still have a change to take back.
void PrepareConsoleOutput();

} // namespace lanvex::platform
