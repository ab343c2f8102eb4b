#pragma once

#include "net/ManagementService.h"
#include "net/nm/NmBus.h"
#include "net/nm/NmDevice.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lanvex::net::nm {

// An adapter configuration's read-back properties, by name.
using AdapterProperties = std::vector<std::pair<std::string, Value>>;

// The properties of the device, numbered `index`, as NetworkManager, udev and the kernel's neighbour
// table give them. A half-read device still gets its properties; what could not be read stays empty.
AdapterProperties ReadAdapterProperties(NmBus& bus, const DeviceInfo& device, std::int64_t index);

} // namespace lanvex::net::nm
