#include "net/nm/NmSystemConnections.h"

#include "net/AdapterConfiguration.h"

#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QThread>

namespace lanvex::net::nm {

namespace {

// NM_ACTIVE_CONNECTION_STATE_*
constexpr uint kActivating = 1;
constexpr uint kActivated = 2;
constexpr uint kDeactivated = 4;

// How long a Wi-Fi scan may take to show a network, and how often its list is read meanwhile.
constexpr int kScanMs = 10000;
constexpr int kScanPollMs = 250;

QString IdOf(const ConnectionSettings& settings)
{
    return settings.value(QStringLiteral("connection")).value(QStringLiteral("id")).toString();
}

// A Wi-Fi profile for `ssid` that is not bound to another interface.
bool IsWiFiProfileFor(const ConnectionSettings& settings, const QByteArray& ssid, const DeviceInfo& device)
{
    const QVariantMap connection = settings.value(QStringLiteral("connection"));
    if (connection.value(QStringLiteral("type")).toString() != QLatin1String("802-11-wireless"))
        return false;
    const QString boundTo = connection.value(QStringLiteral("interface-name")).toString();
    if (!boundTo.isEmpty() && boundTo != device.interfaceName)
        return false;
    return settings.value(QStringLiteral("802-11-wireless")).value(QStringLiteral("ssid")).toByteArray() == ssid;
}

} // namespace

QList<QPair<QString, ConnectionSettings>> SavedProfiles(NmBus& bus)
{
    const QVariantList reply = bus.Call(kNmSettingsPath, kSettingsInterface, QStringLiteral("ListConnections"));
    QList<QString> paths = reply.isEmpty() ? QList<QString>() : ObjectPaths(reply.front());
    SortByPathNumber(paths);
    QList<QPair<QString, ConnectionSettings>> profiles;
    for (const QString& path : paths) {
        try {
            const QVariantList settings = bus.Call(path, kConnectionInterface, QStringLiteral("GetSettings"));
            if (!settings.isEmpty())
                profiles.append({ path, ToSettings(settings.front()) });
        } catch (const BusError& error) {
            if (IsLostAnswer(error))
                throw;
            // removed while we looked
        }
    }
    return profiles;
}

NmSystemConnections::NmSystemConnections(NmBus& bus, const WaitLimits& limits)
    : m_bus(bus)
    , m_limits(limits)
{ }

std::uint32_t NmSystemConnections::Activate(const QString& name)
{
    for (const auto& [profile, settings] : SavedProfiles(m_bus)) {
        if (IdOf(settings) == name)
            return ActivateOn(profile, QStringLiteral("/"));
    }
    return kProfileNotFound;
}

std::uint32_t NmSystemConnections::Deactivate(const QString& name)
{
    bool known = false;
    for (const auto& [profile, settings] : SavedProfiles(m_bus)) {
        if (IdOf(settings) != name)
            continue;
        known = true;
        const QString active = ActiveOf(profile);
        if (active.isEmpty())
            continue;
        m_bus.Change(kNmPath, kNmInterface, QStringLiteral("DeactivateConnection"),
                     { QVariant::fromValue(QDBusObjectPath(active)) });
        if (const std::uint32_t result = WaitForState(active, kDeactivated, m_limits.staticMs); result != kSuccess)
            return result;
    }
    return known ? kSuccess : kProfileNotFound;
}

std::uint32_t NmSystemConnections::ConnectWiFi(const DeviceInfo& device, const QByteArray& ssid)
{
    if (device.type != kDeviceTypeWifi)
        return kNotSupported;
    for (const auto& [profile, settings] : SavedProfiles(m_bus)) {
        if (!IsWiFiProfileFor(settings, ssid, device))
            continue;
        if (!InRange(device, ssid))
            return kNetworkNotInRange;
        return ActivateOn(profile, device.path);
    }
    return kProfileNotFound;
}

// The active connection running `profile`; empty when it is not up or coming up.
QString NmSystemConnections::ActiveOf(const QString& profile)
{
    for (const QString& active :
         ObjectPaths(m_bus.Property(kNmPath, kNmInterface, QStringLiteral("ActiveConnections")))) {
        try {
            const QVariantMap properties = m_bus.Properties(active, kActiveInterface);
            const uint state = properties.value(QStringLiteral("State")).toUInt();
            if (ObjectPath(properties.value(QStringLiteral("Connection"))) == profile && state <= kActivated)
                return active;
        } catch (const BusError& error) {
            if (IsLostAnswer(error))
                throw;
            // gone while we looked
        }
    }
    return {};
}

std::uint32_t NmSystemConnections::ActivateOn(const QString& profile, const QString& devicePath)
{
    if (!ActiveOf(profile).isEmpty())
        return kSuccess; // up already, or coming up
    QVariantList reply;
    try {
        reply = m_bus.Change(kNmPath, kNmInterface, QStringLiteral("ActivateConnection"),
                             { QVariant::fromValue(QDBusObjectPath(profile)),
                               QVariant::fromValue(QDBusObjectPath(devicePath)),
                               QVariant::fromValue(QDBusObjectPath(QStringLiteral("/"))) });
    } catch (const BusError& error) {
        if (IsLostAnswer(error))
            return kResultUnknown;
        throw;
    }
    const QString active = reply.isEmpty() ? QString() : ObjectPath(reply.front());
    if (IsNoObject(active))
        return kUnknownFailure;
    return WaitForState(active, kActivated, m_limits.dhcpMs);
}

// Polls the active connection until it reaches `wanted`. Coming up, a connection that goes down
// (or away) has failed; going down, its going away is the goal.
std::uint32_t NmSystemConnections::WaitForState(const QString& active, uint wanted, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        uint state = kDeactivated;
        try {
            state = m_bus.Property(active, kActiveInterface, QStringLiteral("State")).toUInt();
        } catch (const BusError& error) {
            if (IsLostAnswer(error))
                return kResultUnknown;
        }
        if (state == wanted)
            return kSuccess;
        if (state >= kDeactivated)
            return wanted == kDeactivated ? kSuccess : kUnknownFailure;
        if (clock.elapsed() >= timeoutMs)
            return kUnableToConfigure;
        QThread::msleep(static_cast<unsigned long>(m_limits.pollMs));
    }
}

// Whether the device sees the network, asking it to scan once when it does not yet.
bool NmSystemConnections::InRange(const DeviceInfo& device, const QByteArray& ssid)
{
    if (SeenNow(device, ssid))
        return true;
    try {
        m_bus.Change(device.path, kWirelessInterface, QStringLiteral("RequestScan"), { QVariantMap {} });
    } catch (const BusError& error) {
        // A scan already running is refused; its results come all the same.
        if (IsLostAnswer(error))
            throw;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kScanMs) {
        QThread::msleep(kScanPollMs);
        if (SeenNow(device, ssid))
            return true;
    }
    return false;
}

bool NmSystemConnections::SeenNow(const DeviceInfo& device, const QByteArray& ssid)
{
    const QList<QString> accessPoints
        = ObjectPaths(m_bus.Property(device.path, kWirelessInterface, QStringLiteral("AccessPoints")));
    for (const QString& accessPoint : accessPoints) {
        try {
            if (m_bus.Property(accessPoint, kAccessPointInterface, QStringLiteral("Ssid")).toByteArray() == ssid)
                return true;
        } catch (const BusError& error) {
            if (IsLostAnswer(error))
                throw;
        }
    }
    return false;
}

} // namespace lanvex::net::nm
