#include "platform/Services.h"

#include "net/sim/SimulatedService.h"

namespace lanvex::platform {

Services MakeServices(const std::optional<std::string>& simulateFile)
{
    if (!simulateFile)
        return MakeSystemServices();
    return { std::make_unique<net::sim::SimulatedConnector>(*simulateFile),
             std::make_unique<net::sim::SimulatedPrinters>(*simulateFile),
             std::make_unique<net::sim::SimulatedProxy>(*simulateFile) };
}

} // namespace lanvex::platform
