#pragma once

#include "net/ManagementService.h"
#include "net/nm/NetworkManagerService.h"

#include <QDBusConnection>
#include <memory>
#include <optional>
#include <string_view>

namespace lanvex::net::nm {

// Connects to NetworkManager over D-Bus and presents its Ethernet and Wi-Fi devices as adapter
// configurations. Uses the system bus unless a connection is given (tests use a private bus).
class NetworkManagerConnector : public ServiceConnector
{
public:
    NetworkManagerConnector();
    explicit NetworkManagerConnector(const QDBusConnection& bus, WaitLimits limits = {});

    // Throws ServiceError promptly when the bus or NetworkManager cannot be reached.
    std::unique_ptr<ManagementService> Connect(std::string_view moniker) override;

private:
    std::optional<QDBusConnection> m_bus;
    WaitLimits m_limits;
};

} // namespace lanvex::net::nm
