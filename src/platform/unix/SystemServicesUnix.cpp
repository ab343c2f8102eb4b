#include "net/nm/NetworkManagerConnector.h"
#include "platform/DesktopProxy.h"
#include "platform/Services.h"
#include "printer/CupsPrinterSource.h"

namespace lanvex::platform {

Services MakeSystemServices()
{
    return { std::make_unique<net::nm::NetworkManagerConnector>(), std::make_unique<printer::CupsPrinterSource>(),
             MakeDesktopProxyStore() };
}

} // namespace lanvex::platform
