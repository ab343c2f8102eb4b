#pragma once

#include "net/ManagementService.h"
#include "printer/PrinterSource.h"

#include <memory>
#include <optional>
#include <string>

namespace lanvex::platform {

// The outside world the program talks to: the network management service and the printers.
struct Services
{
    std::unique_ptr<net::ServiceConnector> connector;
    std::unique_ptr<printer::PrinterSource> printers;
};

// The simulated service of `simulateFile` when given, else the system's own (MakeSystemServices).
Services MakeServices(const std::optional<std::string>& simulateFile);

// The system's own services: NetworkManager and CUPS on Linux, WMI and winspool on Windows.
Services MakeSystemServices();

} // namespace lanvex::platform
