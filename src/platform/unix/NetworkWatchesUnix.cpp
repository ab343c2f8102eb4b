#include "net/nm/KernelRouteMessages.h"
#include "net/nm/NmNetworkWatch.h"
#include "platform/NetworkWatches.h"

#include <QDBusConnection>

namespace lanvex::platform {

// NetworkManager's signals with the kernel's routing messages where it runs; without it (another
// network service, or none yet) the kernel's messages alone. Neither wakes the program while the
// network stays as it is.
std::unique_ptr<net::NetworkWatch> MakeSystemNetworkWatch()
{
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (net::nm::NetworkManagerOnBus(bus))
        return net::nm::MakeNmNetworkWatch(bus);
    return net::nm::MakeKernelNetworkWatch();
}

} // namespace lanvex::platform
