#include "net/wmi/WmiWiFi.h"

#include "net/AdapterConfiguration.h"
#include "store/windows/WindowsText.h"

#include <algorithm>
#include <chrono>
#include <objbase.h>
#include <optional>
#include <string>
#include <thread>

namespace lanvex::net::wmi {

using store::windows::Widen;

namespace {

// How long joining may take (association, then authentication) before the step gives up.
constexpr std::chrono::seconds kJoinTime { 20 };
constexpr std::chrono::milliseconds kJoinPoll { 250 };

template <typename Function> Function symbol(HMODULE library, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

std::uint32_t asResult(DWORD error)
{
    if (error == ERROR_ACCESS_DENIED)
        return kAccessDenied;
    return static_cast<std::uint32_t>(HRESULT_FROM_WIN32(error));
}

// A client handle of the WLAN service, closed at the end.
class WlanClient
{
public:
    explicit WlanClient(const WlanApi& api)
        : api_(api)
    {
        DWORD version = 0;
        opened_ = api_.open(2, nullptr, &version, &handle_);
    }
    ~WlanClient()
    {
        if (opened_ == ERROR_SUCCESS)
            api_.close(handle_, nullptr);
    }
    WlanClient(const WlanClient&) = delete;
    WlanClient& operator=(const WlanClient&) = delete;
    DWORD Opened() const { return opened_; }
    HANDLE Handle() const { return handle_; }

private:
    const WlanApi& api_;
    HANDLE handle_ = nullptr;
    DWORD opened_ = ERROR_NOT_READY;
};

// Memory the WLAN service handed out, freed at the end.
template <typename T> class WlanMemory
{
public:
    explicit WlanMemory(const WlanApi& api)
        : api_(api)
    { }
    ~WlanMemory()
    {
        if (data_)
            api_.free(data_);
    }
    WlanMemory(const WlanMemory&) = delete;
    WlanMemory& operator=(const WlanMemory&) = delete;
    T** Out() { return &data_; }
    const T* operator->() const { return data_; }
    explicit operator bool() const { return data_ != nullptr; }

private:
    const WlanApi& api_;
    T* data_ = nullptr;
};

std::string ssidOf(const DOT11_SSID& ssid)
{
    const ULONG length = std::min<ULONG>(ssid.uSSIDLength, sizeof ssid.ucSSID);
    return SsidText(std::string_view(reinterpret_cast<const char*>(ssid.ucSSID), length));
}

std::wstring xmlEscaped(std::wstring_view text)
{
    std::wstring escaped;
    for (wchar_t c : text) {
        if (c == L'&')
            escaped += L"&amp;";
        else if (c == L'<')
            escaped += L"&lt;";
        else if (c == L'>')
            escaped += L"&gt;";
        else
            escaped += c;
    }
    return escaped;
}

// Whether the WLAN service has the interface: asked first, so that nothing more is asked of a
// service about an interface it does not drive (Wine's library aborts the process on the calls it
// lacks, so only this one reaches it there).
bool isWiFiInterface(const WlanApi& api, HANDLE client, const GUID& guid, DWORD& error)
{
    WlanMemory<WLAN_INTERFACE_INFO_LIST> list(api);
    error = api.interfaces(client, nullptr, list.Out());
    if (error != ERROR_SUCCESS || !list)
        return false;
    for (DWORD i = 0; i < list->dwNumberOfItems; ++i)
        if (IsEqualGUID(list->InterfaceInfo[i].InterfaceGuid, guid))
            return true;
    return false;
}

// Whether the profile's XML names the network: profiles are usually named after their SSID, but a
// user may have renamed one.
bool profileNamesNetwork(const WlanApi& api, HANDLE client, const GUID& guid, const wchar_t* profile,
                         std::string_view ssid)
{
    LPWSTR xml = nullptr;
    DWORD flags = 0;
    if (api.profile(client, &guid, profile, nullptr, &xml, &flags, nullptr) != ERROR_SUCCESS || !xml)
        return false;
    const std::wstring_view text(xml);
    const std::size_t config = text.find(L"<SSIDConfig>");
    const bool named = config != std::wstring_view::npos
        && text.find(L"<name>" + xmlEscaped(Widen(ssid)) + L"</name>", config) != std::wstring_view::npos;
    api.free(xml);
    return named;
}

// The name of the profile the interface holds for the network; nothing without one. The error of
// a failed call (an interface that is no Wi-Fi one) is left in `error`.
std::optional<std::wstring> profileFor(const WlanApi& api, HANDLE client, const GUID& guid, std::string_view ssid,
                                       DWORD& error)
{
    WlanMemory<WLAN_PROFILE_INFO_LIST> list(api);
    error = api.profiles(client, &guid, nullptr, list.Out());
    if (error != ERROR_SUCCESS || !list)
        return std::nullopt;
    const std::wstring wanted = Widen(ssid);
    for (DWORD i = 0; i < list->dwNumberOfItems; ++i)
        if (list->ProfileInfo[i].strProfileName == wanted)
            return wanted;
    for (DWORD i = 0; i < list->dwNumberOfItems; ++i)
        if (profileNamesNetwork(api, client, guid, list->ProfileInfo[i].strProfileName, ssid))
            return std::wstring(list->ProfileInfo[i].strProfileName);
    return std::nullopt;
}

// Whether the interface's last scan saw the network.
bool inRange(const WlanApi& api, HANDLE client, const GUID& guid, std::string_view ssid)
{
    WlanMemory<WLAN_AVAILABLE_NETWORK_LIST> list(api);
    if (api.available(client, &guid, 0, nullptr, list.Out()) != ERROR_SUCCESS || !list)
        return false;
    for (DWORD i = 0; i < list->dwNumberOfItems; ++i)
        if (ssidOf(list->Network[i].dot11Ssid) == ssid)
            return true;
    return false;
}

bool connectedTo(const WlanApi& api, HANDLE client, const GUID& guid, std::string_view ssid)
{
    WlanMemory<WLAN_CONNECTION_ATTRIBUTES> connection(api);
    DWORD size = 0;
    if (api.query(client, &guid, wlan_intf_opcode_current_connection, nullptr, &size,
                  reinterpret_cast<void**>(connection.Out()), nullptr)
            != ERROR_SUCCESS
        || !connection || size < sizeof(WLAN_CONNECTION_ATTRIBUTES))
        return false;
    return connection->isState == wlan_interface_state_connected
        && ssidOf(connection->wlanAssociationAttributes.dot11Ssid) == ssid;
}

std::uint32_t join(const WlanApi& api, HANDLE client, const GUID& guid, const std::wstring& profile,
                   std::string_view ssid)
{
    WLAN_CONNECTION_PARAMETERS parameters {};
    parameters.wlanConnectionMode = wlan_connection_mode_profile;
    parameters.strProfile = profile.c_str();
    parameters.dot11BssType = dot11_BSS_type_any;
    if (const DWORD error = api.connect(client, &guid, &parameters, nullptr); error != ERROR_SUCCESS)
        return asResult(error);
    const auto deadline = std::chrono::steady_clock::now() + kJoinTime;
    while (!connectedTo(api, client, guid, ssid)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return kUnableToConfigure;
        std::this_thread::sleep_for(kJoinPoll);
    }
    return 0;
}

} // namespace

std::optional<GUID> InterfaceGuid(std::string_view settingId)
{
    GUID guid {};
    if (settingId.empty() || FAILED(CLSIDFromString(Widen(settingId).c_str(), &guid)))
        return std::nullopt;
    return guid;
}

const WlanApi& Wlan()
{
    static const WlanApi api = [] {
        WlanApi loaded;
        if (const HMODULE library = LoadLibraryExW(L"wlanapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            loaded.open = symbol<decltype(loaded.open)>(library, "WlanOpenHandle");
            loaded.query = symbol<decltype(loaded.query)>(library, "WlanQueryInterface");
            loaded.free = symbol<decltype(loaded.free)>(library, "WlanFreeMemory");
            loaded.close = symbol<decltype(loaded.close)>(library, "WlanCloseHandle");
            loaded.interfaces = symbol<decltype(loaded.interfaces)>(library, "WlanEnumInterfaces");
            loaded.profiles = symbol<decltype(loaded.profiles)>(library, "WlanGetProfileList");
            loaded.profile = symbol<decltype(loaded.profile)>(library, "WlanGetProfile");
            loaded.available = symbol<decltype(loaded.available)>(library, "WlanGetAvailableNetworkList");
            loaded.connect = symbol<decltype(loaded.connect)>(library, "WlanConnect");
        }
        return loaded;
    }();
    return api;
}

std::uint32_t ConnectWiFi(std::string_view settingId, std::string_view ssid)
{
    if (ssid.empty())
        return kInvalidParameter;
    const auto guid = InterfaceGuid(settingId);
    const WlanApi& api = Wlan();
    if (!guid || !api.CanJoin())
        return kNotSupported;
    const WlanClient client(api);
    if (client.Opened() != ERROR_SUCCESS)
        return client.Opened() == ERROR_ACCESS_DENIED ? kAccessDenied : kNotSupported;
    DWORD error = ERROR_SUCCESS;
    if (!isWiFiInterface(api, client.Handle(), *guid, error))
        return error == ERROR_ACCESS_DENIED ? kAccessDenied : kNotSupported;
    const auto profile = profileFor(api, client.Handle(), *guid, ssid, error);
    if (error == ERROR_ACCESS_DENIED)
        return kAccessDenied;
    if (error != ERROR_SUCCESS)
        return kNotSupported; // a WLAN service that cannot tell
    if (!profile)
        return kProfileNotFound;
    if (!inRange(api, client.Handle(), *guid, ssid))
        return kNetworkNotInRange;
    return join(api, client.Handle(), *guid, *profile, ssid);
}

} // namespace lanvex::net::wmi
