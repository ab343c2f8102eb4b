#include "app/Platform.h"

#include "net/sim/SimulatedService.h"
#ifdef _WIN32
#include "net/wmi/WmiConnector.h"
#include "printer/WinspoolPrinterSource.h"
#else
#include "net/nm/NetworkManagerConnector.h"
#include "printer/CupsPrinterSource.h"
#endif

namespace lanvex::app {

Platform MakePlatform(const std::optional<std::string>& simulateFile)
{
    Platform platform;
    if (simulateFile) {
        platform.connector = std::make_unique<net::sim::SimulatedConnector>(*simulateFile);
        platform.printers = std::make_unique<net::sim::SimulatedPrinters>(*simulateFile);
        return platform;
    }
    // The system's own services: WMI and winspool on Windows, NetworkManager and CUPS elsewhere.
#ifdef _WIN32
    platform.connector = std::make_unique<net::wmi::WmiConnector>();
    platform.printers = std::make_unique<printer::WinspoolPrinterSource>();
#else
    platform.connector = std::make_unique<net::nm::NetworkManagerConnector>();
    platform.printers = std::make_unique<printer::CupsPrinterSource>();
#endif
    return platform;
}

} // namespace lanvex::app
