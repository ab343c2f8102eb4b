#pragma once

#include "net/AdapterConfiguration.h"
#include "net/ManagementService.h"
#include "net/nm/NmAdapterProperties.h"
#include "net/nm/NmBus.h"
#include "net/nm/NmChangeWait.h"
#include "net/nm/NmDevice.h"
#include "net/nm/NmProfileChange.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace lanvex::net::nm {

// One NetworkManager device as an adapter configuration: its properties as read when it was
// listed, and the adapter methods, each a change of the device's profile.
class NmAdapterConfiguration : public ManagementObject
{
public:
    NmAdapterConfiguration(std::shared_ptr<NmBus> bus, WaitLimits limits, DeviceInfo device, std::int64_t index);

    Value Property(std::string_view name) const override;
    std::uint32_t ExecMethod(std::string_view method, const std::vector<Value>& args) override;

private:
    // The methods around the adapter: Wi-Fi, system connections, firewall zone, computer name.
    std::uint32_t ExecAround(AdapterMethod method, const std::vector<Value>& args, NmProfileChange& change);

    std::shared_ptr<NmBus> m_bus;
    WaitLimits m_limits;
    DeviceInfo m_device;
    AdapterProperties m_properties;
};

} // namespace lanvex::net::nm
