#pragma once

#include "net/ManagementService.h"
#include "net/nm/NmBus.h"

#include <cstdint>
#include <memory>

namespace lanvex::net::nm {

// How long a method waits for its change to show in the live state, and for an answer to a call
// that changes something (the user may be answering an authorization prompt) or from a
// NetworkManager that stopped answering in the middle of a change.
struct WaitLimits
{
    int staticMs = 5000;
    int dhcpMs = 20000;
    int pollMs = 20;
    int answerMs = 150000;
};

// The adapter configurations are NetworkManager's managed Ethernet and Wi-Fi devices, ordered by
// their D-Bus object path (NetworkManager numbers devices as it finds them), Index 1, 2, 3, …
class NetworkManagerService : public ManagementService
{
public:
    NetworkManagerService(std::shared_ptr<NmBus> bus, WaitLimits limits);

    std::vector<ObjectRef> ExecQuery(std::string_view query, std::string_view language, std::int32_t flags) override;
    ObjectRef Get(std::string_view objectPath, std::int32_t flags) override;
    // From NetworkManager's permissions for changing system profiles and controlling the network.
    ChangePermission MayChange() override;
    // NetworkManager's checkpoint of the adapter's device.
    std::unique_ptr<Checkpoint> CreateCheckpoint(std::int32_t adapterNumber, std::uint32_t rollbackSeconds) override;

private:
    std::vector<ObjectRef> Enumerate();

    std::shared_ptr<NmBus> m_bus;
    WaitLimits m_limits;
};

} // namespace lanvex::net::nm
