#include "app/Platform.h"
#include "net/sim/SimulatedService.h"
#include "net/wmi/WmiConnector.h"
#include "printer/WinspoolPrinterSource.h"

namespace lanvex::app {

Platform MakePlatform(const std::optional<std::string>& simulateFile)
{
    Platform platform;
    if (simulateFile) {
        platform.connector = std::make_unique<net::sim::SimulatedConnector>(*simulateFile);
        platform.printers = std::make_unique<net::sim::SimulatedPrinters>(*simulateFile);
    } else {
        platform.connector = std::make_unique<net::wmi::WmiConnector>();
        platform.printers = std::make_unique<printer::WinspoolPrinterSource>();
    }
    return platform;
}

} // namespace lanvex::app
