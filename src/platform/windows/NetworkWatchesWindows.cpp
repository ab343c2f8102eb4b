#include "platform/NetworkWatches.h"

namespace lanvex::platform {

// WMI's change events would need a sink per adapter class instance; a query every four seconds
// keeps within the five seconds the user is promised and costs little.
std::unique_ptr<net::NetworkWatch> MakeSystemNetworkWatch()
{
    using namespace std::chrono_literals;
    return MakePollingNetworkWatch(4s);
}

} // namespace lanvex::platform
