#include "net/wmi/WmiNetwork.h"

#include "net/AdapterConfiguration.h"
#include "store/windows/WindowsText.h"

#include <cstdio>
#include <cstring>

// The socket headers first: the IP helper declares its table functions only after them.
// clang-format off
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>
#include <objbase.h>
// clang-format on

#include "net/wmi/WmiWiFi.h"

namespace lanvex::net::wmi {

using store::windows::Narrow;
using store::windows::Widen;

namespace {

bool Resolved(NL_NEIGHBOR_STATE state)
{
    return state == NlnsReachable || state == NlnsStale || state == NlnsDelay || state == NlnsProbe
        || state == NlnsPermanent;
}

std::string FormatMac(const UCHAR* bytes)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                  bytes[5]);
    return text;
}

} // namespace

std::string NeighbourMAC(std::int64_t interfaceIndex, std::string_view gateway)
{
    const auto address = ParseIPv4(gateway);
    if (!address || interfaceIndex <= 0)
        return {};
    PMIB_IPNET_TABLE2 table = nullptr;
    if (GetIpNetTable2(AF_INET, &table) != NO_ERROR || !table)
        return {};
    const unsigned char octets[4]
        = { static_cast<unsigned char>(*address >> 24), static_cast<unsigned char>(*address >> 16),
            static_cast<unsigned char>(*address >> 8), static_cast<unsigned char>(*address) };
    ULONG wanted = 0;
    std::memcpy(&wanted, octets, sizeof wanted); // network order, as the table holds it
    std::string mac;
    for (ULONG i = 0; i < table->NumEntries && mac.empty(); ++i) {
        const MIB_IPNET_ROW2& row = table->Table[i];
        if (row.InterfaceIndex == static_cast<NET_IFINDEX>(interfaceIndex) && row.Address.si_family == AF_INET
            && row.Address.Ipv4.sin_addr.s_addr == wanted && row.PhysicalAddressLength == 6 && Resolved(row.State))
            mac = FormatMac(row.PhysicalAddress);
    }
    FreeMibTable(table);
    return mac == "00:00:00:00:00:00" ? std::string() : mac;
}

std::int64_t InterfaceIndexOf(std::string_view macAddress)
{
    const auto wanted = FormatMACAddress(macAddress);
    PMIB_IF_TABLE2 table = nullptr;
    if (!wanted || GetIfTable2(&table) != NO_ERROR || !table)
        return 0;
    std::int64_t found = 0;
    int matches = 0;
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IF_ROW2& row = table->Table[i];
        if (row.PhysicalAddressLength == 6 && FormatMac(row.PhysicalAddress) == *wanted) {
            found = row.InterfaceIndex;
            ++matches;
        }
    }
    FreeMibTable(table);
    return matches == 1 ? found : 0;
}

std::string InterfaceGuidText(std::int64_t interfaceIndex)
{
    NET_LUID luid {};
    GUID guid {};
    if (interfaceIndex <= 0 || ConvertInterfaceIndexToLuid(static_cast<NET_IFINDEX>(interfaceIndex), &luid) != NO_ERROR
        || ConvertInterfaceLuidToGuid(&luid, &guid) != NO_ERROR)
        return {};
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return Narrow(text);
}

std::string ConnectedSsid(std::string_view settingId)
{
    const auto guid = InterfaceGuid(settingId);
    const WlanApi& wlan = Wlan();
    if (!guid || !wlan)
        return {};
    HANDLE client = nullptr;
    DWORD version = 0;
    if (wlan.open(2, nullptr, &version, &client) != ERROR_SUCCESS)
        return {};
    std::string ssid;
    DWORD size = 0;
    void* data = nullptr;
    if (wlan.query(client, &*guid, wlan_intf_opcode_current_connection, nullptr, &size, &data, nullptr) == ERROR_SUCCESS
        && data) {
        const auto* connection = static_cast<const WLAN_CONNECTION_ATTRIBUTES*>(data);
        const DOT11_SSID& named = connection->wlanAssociationAttributes.dot11Ssid;
        if (size >= sizeof *connection && connection->isState == wlan_interface_state_connected
            && named.uSSIDLength <= sizeof named.ucSSID)
            ssid = SsidText(std::string_view(reinterpret_cast<const char*>(named.ucSSID), named.uSSIDLength));
    }
    if (data)
        wlan.free(data);
    wlan.close(client, nullptr);
    return ssid;
}

std::optional<std::string> DhcpDomain(std::string_view settingId)
{
    if (!InterfaceGuid(settingId))
        return std::nullopt;
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + Widen(settingId);
    HKEY parameters = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &parameters) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring domain(256, L'\0');
    DWORD bytes = static_cast<DWORD>(domain.size() * sizeof(wchar_t));
    const LSTATUS status
        = RegGetValueW(parameters, nullptr, L"DhcpDomain", RRF_RT_REG_SZ, nullptr, domain.data(), &bytes);
    RegCloseKey(parameters);
    if (status != ERROR_SUCCESS)
        return std::string(); // no lease gave one
    domain.resize(bytes / sizeof(wchar_t));
    while (!domain.empty() && domain.back() == L'\0')
        domain.pop_back();
    return Narrow(domain);
}

} // namespace lanvex::net::wmi
