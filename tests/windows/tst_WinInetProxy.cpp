#include "platform/DesktopProxy.h"
#include "store/windows/WindowsText.h"

#include <doctest/doctest.h>
#include <string>
#include <windows.h>
#include <wininet.h>

using namespace lanvex;

namespace {

// The LAN connection's per-connection options as WinINet reports them now.
struct ConnectionProxy
{
    DWORD flags = 0;
    std::string server;
    std::string bypass;
    std::string pac;
};

std::string taken(wchar_t* text)
{
    std::string narrow = text ? store::windows::Narrow(text) : std::string();
    GlobalFree(text);
    return narrow;
}

ConnectionProxy queryProxy()
{
    INTERNET_PER_CONN_OPTIONW options[4] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    INTERNET_PER_CONN_OPTION_LISTW list = {};
    list.dwSize = sizeof(list);
    list.dwOptionCount = 4;
    list.pOptions = options;
    DWORD size = sizeof(list);
    REQUIRE(InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size));
    return { options[0].Value.dwValue, taken(options[1].Value.pszValue), taken(options[2].Value.pszValue),
             taken(options[3].Value.pszValue) };
}

// Wine's WinINet keeps the proxy's flags and server but not the bypass list.
bool runsUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

} // namespace

TEST_SUITE("proxy")
{
    TEST_CASE("the proxy goes into WinINet's settings of the LAN connection")
    {
        const auto store = platform::MakeDesktopProxyStore();
        const auto manual = net::ParseProxySettings({ "manual", "proxy.corp:3128", "localhost,*.corp", "" });
        REQUIRE(manual);
        REQUIRE(store->SetProxy(*manual) == net::ProxyChange::Done);
        ConnectionProxy now = queryProxy();
        CHECK((now.flags & PROXY_TYPE_PROXY) != 0);
        CHECK(now.server == "proxy.corp:3128");
        if (!runsUnderWine())
            CHECK(now.bypass == "localhost;*.corp");

        const auto none = net::ParseProxySettings({ "none", "", "", "" });
        REQUIRE(store->SetProxy(*none) == net::ProxyChange::Done);
        now = queryProxy();
        CHECK((now.flags & PROXY_TYPE_PROXY) == 0);
    }
}
