#include "net/nm/NmNetworkWatch.h"
#include "platform/NetworkWatches.h"

#include <QDBusConnection>

namespace lanvex::platform {

// NetworkManager's signals where it runs. Without it (another network service, or none yet) the
// adapters are read again every four seconds, within the five seconds the user is promised.
std::unique_ptr<net::NetworkWatch> MakeSystemNetworkWatch()
{
    using namespace std::chrono_literals;
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (net::nm::NetworkManagerOnBus(bus))
        return net::nm::MakeNmNetworkWatch(bus);
    return MakePollingNetworkWatch(4s);
}

} // namespace lanvex::platform
