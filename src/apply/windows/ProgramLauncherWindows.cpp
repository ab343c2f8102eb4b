#include "apply/ProgramLauncher.h"
#include "store/windows/WindowsText.h"

#include <windows.h>

namespace lanvex::apply {

namespace {

// One argument quoted so that the C runtime of the program started splits it back unchanged.
std::wstring quoted(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring text = L"\"";
    for (auto at = argument.begin();; ++at) {
        std::size_t slashes = 0;
        while (at != argument.end() && *at == L'\\') {
            ++at;
            ++slashes;
        }
        if (at == argument.end()) {
            text.append(slashes * 2, L'\\');
            break;
        }
        if (*at == L'"')
            text.append(slashes * 2 + 1, L'\\').push_back(L'"');
        else
            text.append(slashes, L'\\').push_back(*at);
    }
    return text + L"\"";
}

std::wstring commandLineOf(const std::vector<std::string>& arguments)
{
    std::wstring line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += L' ';
        line += quoted(store::windows::Widen(argument));
    }
    return line;
}

// The program's full path: as given when it names a folder, else found in PATH (".exe" assumed).
std::wstring programPath(const std::string& program)
{
    const std::wstring wide = store::windows::Widen(program);
    wchar_t found[MAX_PATH * 4] = {};
    const DWORD length = SearchPathW(nullptr, wide.c_str(), L".exe", MAX_PATH * 4, found, nullptr);
    return length > 0 && length < MAX_PATH * 4 ? std::wstring(found, length) : wide;
}

// This program's environment block with the launch's variables in place of those of the same name
// (names compared without letter case, as Windows does).
std::wstring environmentBlock(const ProgramLaunch& launch)
{
    std::wstring block;
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; entry && *entry; entry += wcslen(entry) + 1) {
        const std::wstring text(entry);
        const std::wstring name = text.substr(0, text.find(L'=', 1));
        bool replaced = false;
        for (const auto& added : launch.environment)
            replaced = replaced
                || CompareStringOrdinal(name.c_str(), -1, store::windows::Widen(added.first).c_str(), -1, TRUE)
                    == CSTR_EQUAL;
        if (!replaced)
            block.append(text).push_back(L'\0');
    }
    if (current)
        FreeEnvironmentStringsW(current);
    for (const auto& [name, value] : launch.environment)
        block.append(store::windows::Widen(name + "=" + value)).push_back(L'\0');
    block.push_back(L'\0');
    return block;
}

HANDLE inheritable(HANDLE handle)
{
    HANDLE copy = nullptr;
    if (handle && handle != INVALID_HANDLE_VALUE)
        DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS);
    return copy;
}

std::string systemMessage(DWORD error)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? text : L"";
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : store::windows::Narrow(message);
}

// The handles the program gets, closed here once it has them.
struct StandardHandles
{
    HANDLE input = nullptr, output = nullptr, error = nullptr;
    ~StandardHandles()
    {
        for (HANDLE handle : { input, output, error })
            if (handle)
                CloseHandle(handle);
    }
};

void openStandardHandles(StandardHandles& handles, bool outputToStderr)
{
    SECURITY_ATTRIBUTES inherit { sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE };
    handles.input
        = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    if (outputToStderr) {
        handles.output = inheritable(GetStdHandle(STD_ERROR_HANDLE));
        handles.error = inheritable(GetStdHandle(STD_ERROR_HANDLE));
    }
    if (!handles.output)
        handles.output = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                     0, nullptr);
    if (!handles.error)
        handles.error = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                    0, nullptr);
}

} // namespace

ProgramEnd RunProgram(const ProgramLaunch& launch)
{
    if (launch.arguments.empty() || launch.arguments.front().empty())
        return { ProgramEnd::Kind::NotStarted, 0, systemMessage(ERROR_FILE_NOT_FOUND) };
    const std::wstring program = programPath(launch.arguments.front());
    std::wstring commandLine = commandLineOf(launch.arguments);
    std::wstring environment = environmentBlock(launch);
    StandardHandles handles;
    openStandardHandles(handles, launch.outputToStderr);

    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = handles.input;
    startup.hStdOutput = handles.output;
    startup.hStdError = handles.error;
    PROCESS_INFORMATION process {};
    // Suspended until it is in a job that ends with it everything it starts.
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(), nullptr,
                        &startup, &process))
        return { ProgramEnd::Kind::NotStarted, 0, systemMessage(GetLastError()) };
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job) {
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        AssignProcessToJobObject(job, process.hProcess);
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(launch.timeout).count();
    const bool ended = WaitForSingleObject(process.hProcess, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
    ProgramEnd end { ProgramEnd::Kind::TimedOut, 0, {} };
    if (ended) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        end = { ProgramEnd::Kind::Exited, static_cast<int>(code), {} };
    } else {
        if (job)
            TerminateJobObject(job, 1);
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hProcess);
    // Closing the job would end what the program left running; only a timed-out one is ended.
    if (job && ended) {
        limits.BasicLimitInformation.LimitFlags = 0;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    if (job)
        CloseHandle(job);
    return end;
}

} // namespace lanvex::apply
