#include "net/nm/NetworkManagerConnector.h"

namespace lanvex::net::nm {

NetworkManagerConnector::NetworkManagerConnector() = default;

NetworkManagerConnector::NetworkManagerConnector(const QDBusConnection& bus)
    : m_bus(bus)
{ }

std::unique_ptr<ManagementService> NetworkManagerConnector::Connect(std::string_view /*moniker*/)
{
    throw ServiceError("NetworkManager backend is not available yet");
}

} // namespace lanvex::net::nm
