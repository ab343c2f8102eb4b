#pragma once

#include "net/ManagementService.h"
#include "net/nm/NmBus.h"

#include <cstdint>
#include <memory>

namespace lanvex::net::nm {

// How long a method waits for its change to show in the live state.
struct WaitLimits
{
    int staticMs = 5000;
    int dhcpMs = 20000;
    int pollMs = 20;
};

// The adapter configurations are NetworkManager's managed Ethernet and Wi-Fi devices, ordered by
// their D-Bus object path (NetworkManager numbers devices as it finds them), Index 1, 2, 3, …
class NetworkManagerService : public ManagementService
{
public:
    NetworkManagerService(std::shared_ptr<NmBus> bus, WaitLimits limits);

    std::vector<ObjectRef> ExecQuery(std::string_view query, std::string_view language, std::int32_t flags) override;
    ObjectRef Get(std::string_view objectPath, std::int32_t flags) override;

private:
    std::vector<ObjectRef> Enumerate();

    std::shared_ptr<NmBus> m_bus;
    WaitLimits m_limits;
};

} // namespace lanvex::net::nm
