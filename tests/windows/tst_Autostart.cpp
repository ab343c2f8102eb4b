// Start at login as the user's Run value, and a site's launcher as a shell link on the desktop.
#include "platform/Autostart.h"
#include "store/windows/WindowsText.h"

#include <doctest/doctest.h>
#include <objbase.h>
#include <optional>
#include <shellapi.h>
#include <shobjidl.h>
#include <string>
#include <windows.h>

using lanvex::platform::Autostart;
using lanvex::store::windows::Narrow;
using lanvex::store::windows::Widen;

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run value Lanvex as the registry holds it; nothing when it is absent.
std::optional<std::wstring> RunValue()
{
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Lanvex", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

} // namespace

TEST_SUITE("autostart")
{
    TEST_CASE("on writes the Run value that starts the tray, off removes it, twice over")
    {
        std::string error;
        REQUIRE_MESSAGE(Autostart::Set(false, "", error), error);
        CHECK(!Autostart::IsOn());
        CHECK(!RunValue());

        const std::string program = "C:\\Program Files\\Lanvex 办公\\lanvex.exe";
        REQUIRE_MESSAGE(Autostart::Set(true, program, error), error);
        CHECK(Autostart::IsOn());
        REQUIRE(RunValue());
        CHECK(Narrow(*RunValue()) == "\"" + program + "\" --tray");
        // Written again, it is the one value still.
        REQUIRE_MESSAGE(Autostart::Set(true, program, error), error);
        CHECK(Narrow(*RunValue()) == "\"" + program + "\" --tray");

        REQUIRE_MESSAGE(Autostart::Set(false, program, error), error);
        CHECK(!Autostart::IsOn());
        CHECK(!RunValue());
        CHECK_MESSAGE(Autostart::Set(false, program, error), error);
    }

    TEST_CASE("a site's launcher runs lanvex --switch with the name as one argument")
    {
        const std::string program = "C:\\Program Files\\Lanvex\\lanvex.exe";
        const std::string site = "总部 \"A\" 区\\";
        std::string error;
        const std::string path = lanvex::platform::WriteSiteLauncher(site, program, error);
        REQUIRE_MESSAGE(!path.empty(), error);
        CHECK(path.find("总部 _A_ 区_ - Lanvex.lnk") != std::string::npos);

        REQUIRE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        IShellLinkW* link = nullptr;
        REQUIRE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link))));
        IPersistFile* file = nullptr;
        REQUIRE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
        CHECK(SUCCEEDED(file->Load(Widen(path).c_str(), STGM_READ)));
        wchar_t arguments[512] = {};
        CHECK(SUCCEEDED(link->GetArguments(arguments, 512)));
        // CommandLineToArgvW's rules: the quote escaped, the backslash before the closing quote doubled.
        CHECK(Narrow(arguments) == "--switch \"总部 \\\"A\\\" 区\\\\\"");
        int count = 0;
        wchar_t** argv = CommandLineToArgvW((std::wstring(L"lanvex.exe ") + arguments).c_str(), &count);
        REQUIRE(count == 3);
        CHECK(Narrow(argv[2]) == site);
        LocalFree(argv);
        file->Release();
        link->Release();
        DeleteFileW(Widen(path).c_str());
        CoUninitialize();
    }
}
