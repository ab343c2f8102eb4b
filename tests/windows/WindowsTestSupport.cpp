#include "WindowsTestSupport.h"

#include "store/IniModule.h"
#include "store/windows/WindowsText.h"

#include <filesystem>
#include <fstream>
#include <windows.h>

namespace lanvex::test {

using store::windows::Narrow;
using store::windows::Widen;

namespace {

constexpr const wchar_t* kStartEvent = L"Local\\lanvex-test-writers-start";

std::filesystem::path widePath(const std::string& utf8)
{
    return std::filesystem::path(Widen(utf8));
}

} // namespace

ChineseFolder::ChineseFolder()
{
    static int counter = 0;
    const std::filesystem::path folder = std::filesystem::temp_directory_path()
        / (L"设置测试-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    path_ = Narrow(folder.wstring()) + "\\";
}

ChineseFolder::~ChineseFolder()
{
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(widePath(path_), ignored))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(widePath(path_), ignored);
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(widePath(path), std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(widePath(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

int CountFiles(const std::string& folder)
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(widePath(folder)))
        ++count;
    return count;
}

std::vector<int> RunSelfTogether(const std::vector<std::wstring>& arguments)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    // The children wait for this, so that they really run at the same time.
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, kStartEvent);
    std::vector<HANDLE> processes;
    for (const std::wstring& argument : arguments) {
        std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + argument;
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process {};
        if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            processes.push_back(nullptr);
        else {
            CloseHandle(process.hThread);
            processes.push_back(process.hProcess);
        }
    }
    SetEvent(start);
    std::vector<int> codes;
    for (HANDLE process : processes) {
        DWORD code = static_cast<DWORD>(-1);
        if (process) {
            WaitForSingleObject(process, INFINITE);
            GetExitCodeProcess(process, &code);
            CloseHandle(process);
        }
        codes.push_back(static_cast<int>(code));
    }
    CloseHandle(start);
    return codes;
}

int RunWriterChild(int argc, wchar_t** argv)
{
    // --writer INI SECTION COUNT
    if (argc != 5)
        return 2;
    store::IniFileName = Narrow(argv[2]);
    const std::string section = Narrow(argv[3]);
    const int count = std::stoi(Narrow(argv[4]));
    HANDLE start = OpenEventW(SYNCHRONIZE, FALSE, kStartEvent);
    if (!start || WaitForSingleObject(start, 30000) != WAIT_OBJECT_0)
        return 3;
    CloseHandle(start);
    for (int i = 0; i < count; ++i) {
        if (!store::WriteIniString(section, "键" + std::to_string(i), "值" + std::to_string(i)))
            return 1;
    }
    return 0;
}

} // namespace lanvex::test
