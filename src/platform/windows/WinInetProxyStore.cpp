#include "platform/windows/WinInetProxyStore.h"

#include "store/windows/WindowsText.h"

#include <string>
#include <vector>
#include <windows.h>
#include <wininet.h>

namespace lanvex::platform {

namespace {

DWORD connectionFlags(net::ProxyMode mode)
{
    switch (mode) {
    case net::ProxyMode::Manual:
        return PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY;
    case net::ProxyMode::Auto:
        return PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_PROXY_URL;
    default:
        return PROXY_TYPE_DIRECT;
    }
}

// WinINet separates bypass entries with ";".
std::wstring bypassList(const std::vector<std::string>& hosts)
{
    std::string joined;
    for (const std::string& host : hosts)
        joined += (joined.empty() ? "" : ";") + host;
    return store::windows::Widen(joined);
}

} // namespace

net::ProxyChange WinInetProxyStore::SetProxy(const net::ProxySettings& settings)
{
    std::wstring server = store::windows::Widen(settings.mode == net::ProxyMode::Manual ? settings.Server() : "");
    std::wstring bypass = bypassList(settings.bypass);
    std::wstring pac = store::windows::Widen(settings.pacUrl);

    INTERNET_PER_CONN_OPTIONW options[4] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[0].Value.dwValue = connectionFlags(settings.mode);
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[1].Value.pszValue = server.data();
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[2].Value.pszValue = bypass.data();
    options[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    options[3].Value.pszValue = pac.data();

    INTERNET_PER_CONN_OPTION_LISTW list = {};
    list.dwSize = sizeof(list);
    list.pszConnection = nullptr; // the LAN connection
    list.dwOptionCount = 4;
    list.pOptions = options;
    if (!InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof(list)))
        return net::ProxyChange::Failed;
    InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
    InternetSetOptionW(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
    return net::ProxyChange::Done;
}

} // namespace lanvex::platform
