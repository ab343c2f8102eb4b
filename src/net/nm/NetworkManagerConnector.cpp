#include "net/nm/NetworkManagerConnector.h"

#include "net/AdapterConfiguration.h"
#include "net/nm/NmBus.h"

namespace lanvex::net::nm {

namespace {

// Long enough for a busy NetworkManager, short enough that a dead one cannot stall start-up.
constexpr int kCallTimeoutMs = 3000;
constexpr int kProbeTimeoutMs = 2000;

} // namespace

NetworkManagerConnector::NetworkManagerConnector() = default;

NetworkManagerConnector::NetworkManagerConnector(const QDBusConnection& bus, WaitLimits limits)
    : m_bus(bus)
    , m_limits(limits)
{ }

std::unique_ptr<ManagementService> NetworkManagerConnector::Connect(std::string_view moniker)
{
    if (!IsServiceMoniker(moniker))
        throw ServiceError("unsupported moniker: " + std::string(moniker));
    const QDBusConnection bus = m_bus ? *m_bus : QDBusConnection::systemBus();
    if (!bus.isConnected())
        throw ServiceError("the system bus is not available");
    try {
        NmBus probe(bus, kProbeTimeoutMs);
        probe.Property(kNmPath, kNmInterface, QStringLiteral("Version"));
    } catch (const BusError& error) {
        throw ServiceError(std::string("NetworkManager is not reachable: ") + error.what());
    }
    return std::make_unique<NetworkManagerService>(std::make_shared<NmBus>(bus, kCallTimeoutMs, m_limits.answerMs),
                                                   m_limits);
}

} // namespace lanvex::net::nm
