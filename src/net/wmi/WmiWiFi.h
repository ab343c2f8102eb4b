#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <wlanapi.h>
// clang-format on

namespace lanvex::net::wmi {

// The WLAN service's functions, from its library where it is installed (not on every Windows
// Server): a system without it has no Wi-Fi network to tell or to join. Loaded at run time, so
// that the program starts there too.
struct WlanApi
{
    decltype(&WlanOpenHandle) open = nullptr;
    decltype(&WlanQueryInterface) query = nullptr;
    decltype(&WlanFreeMemory) free = nullptr;
    decltype(&WlanCloseHandle) close = nullptr;
    decltype(&WlanEnumInterfaces) interfaces = nullptr;
    decltype(&WlanGetProfileList) profiles = nullptr;
    decltype(&WlanGetProfile) profile = nullptr;
    decltype(&WlanGetAvailableNetworkList) available = nullptr;
    decltype(&WlanConnect) connect = nullptr;
    // What reading the joined network needs.
    explicit operator bool() const { return open && query && free && close; }
    // What joining one needs besides.
    bool CanJoin() const { return *this && interfaces && profiles && profile && available && connect; }
};

const WlanApi& Wlan();

// The interface GUID of a SettingID ("{GUID}"), by which the WLAN service and the network list
// know an adapter; nothing for another text.
std::optional<GUID> InterfaceGuid(std::string_view settingId);

// Joins the Wi-Fi network `ssid` on the interface `settingId` ("{GUID}") with the profile the
// system holds for it, and waits (bounded) until the interface is connected to it. 0 when joined;
// kProfileNotFound without a profile for it, kNetworkNotInRange when the interface cannot see it,
// kNotSupported for an interface that is no Wi-Fi one (or no WLAN service), kUnableToConfigure
// when the connection did not come up in time; otherwise the failure as an HRESULT.
std::uint32_t ConnectWiFi(std::string_view settingId, std::string_view ssid);

} // namespace lanvex::net::wmi
