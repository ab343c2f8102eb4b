#include "platform/DesktopProxy.h"
#include "platform/windows/WinInetProxyStore.h"

namespace lanvex::platform {

std::unique_ptr<net::ProxyStore> MakeDesktopProxyStore()
{
    return std::make_unique<WinInetProxyStore>();
}

} // namespace lanvex::platform
