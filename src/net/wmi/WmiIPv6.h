#pragma once

#include "net/AdapterConfiguration.h"
#include "net/ManagementService.h"

#include <cstdint>
#include <string>
#include <vector>
#include <wbemidl.h>

namespace lanvex::net::wmi {

// The interface an IPv6 step works on: its index and its description, as the adapter
// configuration gives them.
struct IPv6Interface
{
    std::int64_t index = 0;
    std::wstring description;
};

// Runs one of the adapter object's IPv6 methods (see AdapterConfiguration.h) through the classes
// of root\StandardCimv2 that `services` is connected to: the ms_tcpip6 binding of
// MSFT_NetAdapterBindingSettingData, MSFT_NetIPAddress, MSFT_NetRoute and
// MSFT_DNSClientServerAddress. Returns 0 or the first failure: a method's return value, or the
// HRESULT of a call that failed.
std::uint32_t RunIPv6Method(IWbemServices* services, AdapterMethod method, const std::vector<Value>& args,
                            const IPv6Interface& target);

} // namespace lanvex::net::wmi
