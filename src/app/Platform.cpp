#include "app/Platform.h"

#include "net/nm/NetworkManagerConnector.h"
#include "net/sim/SimulatedService.h"
#include "printer/CupsPrinterSource.h"

namespace lanvex::app {

Platform MakePlatform(const std::optional<std::string>& simulateFile)
{
    Platform platform;
    if (simulateFile) {
        platform.connector = std::make_unique<net::sim::SimulatedConnector>(*simulateFile);
        platform.printers = std::make_unique<net::sim::SimulatedPrinters>(*simulateFile);
    } else {
        platform.connector = std::make_unique<net::nm::NetworkManagerConnector>();
        platform.printers = std::make_unique<printer::CupsPrinterSource>();
    }
    return platform;
}

} // namespace lanvex::app
