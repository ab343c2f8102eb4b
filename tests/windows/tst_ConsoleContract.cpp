// lanvex.exe started the ways a script or another program starts it: with its output in pipes or
// files, without a console, with no standard input. Each way gives the same output and exit code.
#include "WindowsTestSupport.h"
#include "store/windows/WindowsText.h"

#include <doctest/doctest.h>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

using lanvex::store::windows::Widen;
using lanvex::test::ChineseFolder;

namespace {

struct Run
{
    DWORD code = 0;
    std::string out;
    std::string err;
};

// lanvex.exe sits beside this test program, with the libraries it needs.
std::wstring Program()
{
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"lanvex.exe";
}

std::wstring CommandLine(const std::vector<std::string>& arguments)
{
    std::wstring line = L"\"" + Program() + L"\"";
    for (const std::string& argument : arguments)
        line += L" \"" + Widen(argument) + L"\"";
    return line;
}

std::string ReadAll(HANDLE handle)
{
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(handle, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

DWORD Finish(const PROCESS_INFORMATION& process)
{
    DWORD code = STILL_ACTIVE;
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// Starts lanvex.exe with these standard handles (none at all when both are null), standard input
// closed, and the creation flags.
bool Start(const std::vector<std::string>& arguments, HANDLE out, HANDLE err, DWORD flags, PROCESS_INFORMATION& process)
{
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    const bool handles = out != nullptr || err != nullptr;
    if (handles) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = out;
        startup.hStdError = err;
    }
    std::wstring line = CommandLine(arguments);
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, handles ? TRUE : FALSE, flags, nullptr, nullptr,
                          &startup, &process);
}

// Output and errors in pipes, no console of its own.
Run WithPipes(const std::vector<std::string>& arguments)
{
    SECURITY_ATTRIBUTES inherit { sizeof inherit, nullptr, TRUE };
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    REQUIRE(CreatePipe(&outRead, &outWrite, &inherit, 0));
    REQUIRE(CreatePipe(&errRead, &errWrite, &inherit, 0));
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION process {};
    const bool started = Start(arguments, outWrite, errWrite, CREATE_NO_WINDOW, process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    Run run;
    if (started) {
        std::thread errors([&] { run.err = ReadAll(errRead); });
        run.out = ReadAll(outRead);
        errors.join();
        run.code = Finish(process);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    REQUIRE(started);
    return run;
}

// Output and errors in files, as `lanvex.exe ... >out.txt 2>err.txt` gives them.
Run WithFiles(const std::vector<std::string>& arguments, const ChineseFolder& folder)
{
    SECURITY_ATTRIBUTES inherit { sizeof inherit, nullptr, TRUE };
    const std::wstring outPath = Widen(folder / "输出.txt"), errPath = Widen(folder / "错误.txt");
    HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    REQUIRE(out != INVALID_HANDLE_VALUE);
    REQUIRE(err != INVALID_HANDLE_VALUE);
    PROCESS_INFORMATION process {};
    const bool started = Start(arguments, out, err, 0, process);
    Run run;
    if (started)
        run.code = Finish(process);
    CloseHandle(out);
    CloseHandle(err);
    REQUIRE(started);
    run.out = lanvex::test::FileBytes(folder / "输出.txt");
    run.err = lanvex::test::FileBytes(folder / "错误.txt");
    return run;
}

// No console and no standard handles at all: only the exit code comes back.
DWORD Detached(const std::vector<std::string>& arguments)
{
    PROCESS_INFORMATION process {};
    REQUIRE(Start(arguments, nullptr, nullptr, DETACHED_PROCESS, process));
    return Finish(process);
}

} // namespace

TEST_SUITE("console")
{
    TEST_CASE("every way of starting lanvex.exe gives the same output and exit code")
    {
        const ChineseFolder folder;
        lanvex::test::WriteFileBytes(folder / "lanvex.ini",
                                     "[Common]\r\nSites=Office\r\n[Office]\r\nIP=172.20.0.9\r\n"
                                     "SubNetMask=255.255.0.0\r\nDefaultGateway=172.20.0.1\r\n");
        lanvex::test::WriteFileBytes(
            folder / "网络.json",
            R"({"unavailable": false, "printers": [], "defaultPrinter": "", "calls": [], "adapters": [)"
            R"({"Description": "Wired", "MACAddress": "00:11:22:33:44:55", "IPEnabled": true, "DHCPEnabled": false,)"
            R"( "IPAddress": ["192.168.9.10"], "IPSubnet": ["255.255.255.0"], "DefaultIPGateway": ["192.168.9.1"],)"
            R"( "DNSServerSearchOrder": [], "WINSPrimaryServer": "", "WINSSecondaryServer": ""}]})");
        const std::vector<std::string> common { "--simulate", folder / "网络.json", "--config", folder / "lanvex.ini" };
        const auto call = [&common](std::vector<std::string> arguments) {
            arguments.insert(arguments.begin(), common.begin(), common.end());
            return arguments;
        };

        struct Case
        {
            std::vector<std::string> arguments;
            DWORD code;
            std::string outStart;
            std::string errStart;
        };
        const Case cases[] = {
            { call({ "--apply", "Office", "--adapter", "1" }), 0, "更新IP及子网掩码成功。\n", "" },
            { call({ "--apply", "没有这个", "--adapter", "1" }), 2, "", "lanvex: no saved site is named 没有这个\n" },
            { call({ "--adapters" }), 0, "[\n", "" },
            { call({ "--aply" }), 2, "", "lanvex: " },
        };
        for (const Case& c : cases) {
            CAPTURE(c.arguments[4]);
            const Run piped = WithPipes(c.arguments);
            CHECK(piped.code == c.code);
            CHECK(piped.out.rfind(c.outStart, 0) == 0);
            CHECK(piped.err.rfind(c.errStart, 0) == 0);
            const Run filed = WithFiles(c.arguments, folder);
            CHECK(filed.code == c.code);
            CHECK(filed.out == piped.out);
            CHECK(filed.err == piped.err);
            CHECK(Detached(c.arguments) == c.code);
        }
    }
}
