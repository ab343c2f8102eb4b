#pragma once

#include "net/ManagementService.h"
#include "net/nm/NmBus.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace lanvex::net::nm {

// NetworkManager's own checkpoint of one device: it rolls the device and its profiles back by
// itself after rollbackSeconds, unless kept first, and removes a profile made after it. Throws
// ServiceError when NetworkManager refuses it (for instance without the checkpoint permission).
std::unique_ptr<Checkpoint> CreateDeviceCheckpoint(std::shared_ptr<NmBus> bus, const QString& interfaceName,
                                                   std::uint32_t rollbackSeconds);

} // namespace lanvex::net::nm
