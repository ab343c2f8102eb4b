#include "net/wmi/WmiConnector.h"
#include "platform/DesktopProxy.h"
#include "platform/Services.h"
#include "printer/WinspoolPrinterSource.h"

namespace lanvex::platform {

Services MakeSystemServices()
{
    return { std::make_unique<net::wmi::WmiConnector>(), std::make_unique<printer::WinspoolPrinterSource>(),
             MakeDesktopProxyStore() };
}

} // namespace lanvex::platform
