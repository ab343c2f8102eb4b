#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

// Starting a site's program: as the user, with an argument list and never through a shell, with
// no input, and ended together with everything it started when its time is up.
namespace lanvex::apply {

struct ProgramLaunch
{
    // The program, then its arguments. A program without a folder is looked up in PATH.
    std::vector<std::string> arguments;
    // Added to this program's environment, replacing variables of the same name.
    std::vector<std::pair<std::string, std::string>> environment;
    std::chrono::seconds timeout { 60 };
    // Its output goes to this program's standard error; otherwise it is dropped.
    bool outputToStderr = false;
};

struct ProgramEnd
{
    enum class Kind
    {
        Exited,
        NotStarted, // no such program, or the system would not start it
        TimedOut, // ended, with what it started, when its time was up
    };
    Kind kind = Kind::Exited;
    int exitCode = 0; // when it exited
    std::string error; // why it did not start, from the system
};

// Runs the program to its end or its timeout; the calling thread waits.
ProgramEnd RunProgram(const ProgramLaunch& launch);

} // namespace lanvex::apply
