#pragma once

#include "net/ManagementService.h"
#include "net/ProxyStore.h"
#include "printer/PrinterSource.h"

#include <memory>
#include <optional>
#include <string>

namespace lanvex::platform {

// The outside world the program talks to: the network management service, the printers and the
// user's proxy.
struct Services
{
    std::unique_ptr<net::ServiceConnector> connector;
    std::unique_ptr<printer::PrinterSource> printers;
    std::unique_ptr<net::ProxyStore> proxy;
};

// The simulated service of `simulateFile` when given, else the system's own (MakeSystemServices).
Services MakeServices(const std::optional<std::string>& simulateFile);

// The system's own services: NetworkManager, CUPS and the desktop's proxy on Linux; WMI, winspool
// and WinINet on Windows.
Services MakeSystemServices();

} // namespace lanvex::platform
