#pragma once

#include "net/ManagementService.h"
#include "net/nm/NmBus.h"
#include "net/nm/NmChangeWait.h"

#include <cstdint>
#include <memory>

namespace lanvex::net::nm {

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
    // Through the adapter's interface (InterfaceProbe.h).
    bool Probe(std::int32_t adapterNumber, ProbeKind kind, std::string_view target,
               std::chrono::milliseconds timeout) override;
    // An ARP probe of its own on the adapter's interface (AddressProbe.h).
    AddressAnswer ProbeAddress(std::int32_t adapterNumber, std::string_view address,
                               std::chrono::milliseconds timeout) override;

private:
    std::vector<ObjectRef> Enumerate();
    std::string InterfaceNameOf(std::int32_t adapterNumber);

    std::shared_ptr<NmBus> m_bus;
    WaitLimits m_limits;
};

} // namespace lanvex::net::nm
