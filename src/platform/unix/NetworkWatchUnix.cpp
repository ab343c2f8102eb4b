#include "platform/NetworkWatch.h"

namespace lanvex::platform {

std::unique_ptr<net::NetworkWatch> MakeSystemNetworkWatch()
{
    using namespace std::chrono_literals;
    return MakePollingNetworkWatch(4s);
}

} // namespace lanvex::platform
