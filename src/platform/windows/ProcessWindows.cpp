#include "platform/Process.h"
#include "store/windows/WindowsText.h"

#include <cstdio>
#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <io.h>
#include <iostream>
#include <windows.h>

namespace lanvex::platform {

namespace {

bool IsOpen(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// Points a standard stream that has no handle at `target`, the console or NUL. The C runtime
// reopens such a stream in place; one that will not (Wine's refuses a stream that was never open)
// leaves the C++ stream a buffer of its own on the target. That buffer lives to the end of the
// program, past the final flush of std::cout.
void Reopen(std::FILE* file, std::ostream& stream, const char* target)
{
    if (std::freopen(target, "wb", file) != nullptr)
        return;
    if (std::FILE* own = std::fopen(target, "wb"))
        stream.rdbuf(new __gnu_cxx::stdio_filebuf<char>(own, std::ios::out));
}

} // namespace

std::string ProgramPath(const char*)
{
    return store::windows::ProgramPath();
}

void AttachParentConsole()
{
    // Handles given by the parent (a pipe, a file) are already the C runtime's streams.
    const bool outputOpen = IsOpen(GetStdHandle(STD_OUTPUT_HANDLE));
    const bool errorsOpen = IsOpen(GetStdHandle(STD_ERROR_HANDLE));
    if (outputOpen && errorsOpen)
        return;
    // With no console to attach to either (started detached, or by a program without a console
    // that gave no handles), the output is thrown away as on NUL: a command then ends as it would
    // with its output seen, rather than failing on a stream that cannot be written.
    const char* target = AttachConsole(ATTACH_PARENT_PROCESS) ? "CONOUT$" : "NUL";
    if (!outputOpen)
        Reopen(stdout, std::cout, target);
    if (!errorsOpen)
        Reopen(stderr, std::cerr, target);
}

// Windows has no SIGPIPE: a write to a closed pipe fails with ERROR_NO_DATA already.
void IgnoreBrokenPipe() { }

void PrepareConsoleOutput()
{
    SetConsoleOutputCP(CP_UTF8);
    // A stream without a handle (a window started without a console) is left alone.
    for (std::FILE* stream : { stdout, stderr }) {
        if (_fileno(stream) >= 0)
            _setmode(_fileno(stream), _O_BINARY);
    }
}

} // namespace lanvex::platform
