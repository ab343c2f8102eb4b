#pragma once

#include "net/ManagementService.h"
#include "printer/PrinterSource.h"

#include <memory>
#include <optional>
#include <string>

namespace lanvex::app {

// The outside world the program talks to: the network management service and the printers.
struct Platform
{
    std::unique_ptr<net::ServiceConnector> connector;
    std::unique_ptr<printer::PrinterSource> printers;
};

// The simulated service of `simulateFile` when given, else the platform's real services.
Platform MakePlatform(const std::optional<std::string>& simulateFile);

} // namespace lanvex::app
