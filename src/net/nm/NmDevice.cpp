#include "net/nm/NmDevice.h"

#include <algorithm>

namespace lanvex::net::nm {

namespace {

int PathNumber(const QString& path)
{
    bool ok = false;
    const int number = path.section(QLatin1Char('/'), -1).toInt(&ok);
    return ok ? number : -1;
}

} // namespace

bool IsNoObject(const QString& path)
{
    return path.isEmpty() || path == QLatin1String("/");
}

void SortByPathNumber(QList<QString>& paths)
{
    std::sort(paths.begin(), paths.end(),
              [](const QString& a, const QString& b) { return PathNumber(a) < PathNumber(b); });
}

DeviceInfo ReadDevice(NmBus& bus, const QString& path)
{
    const QVariantMap properties = bus.Properties(path, kDeviceInterface);
    DeviceInfo device;
    device.path = path;
    device.interfaceName = properties.value(QStringLiteral("Interface")).toString();
    device.driver = properties.value(QStringLiteral("Driver")).toString();
    device.udi = properties.value(QStringLiteral("Udi")).toString();
    device.hardwareAddress = properties.value(QStringLiteral("HwAddress")).toString();
    device.type = properties.value(QStringLiteral("DeviceType")).toUInt();
    device.managed = properties.value(QStringLiteral("Managed")).toBool();
    device.activeConnection = ObjectPath(properties.value(QStringLiteral("ActiveConnection")));
    device.ip4Config = ObjectPath(properties.value(QStringLiteral("Ip4Config")));
    device.dhcp4Config = ObjectPath(properties.value(QStringLiteral("Dhcp4Config")));
    device.ip6Config = ObjectPath(properties.value(QStringLiteral("Ip6Config")));
    return device;
}

ConnectionSettings LiveSettings(NmBus& bus, const DeviceInfo& device)
{
    if (IsNoObject(device.activeConnection))
        return {};
    try {
        const QVariantList reply = bus.Call(device.path, kDeviceInterface, QStringLiteral("GetAppliedConnection"),
                                            { QVariant::fromValue(uint { 0 }) });
        if (!reply.isEmpty())
            return ToSettings(reply.front());
    } catch (const BusError&) {
        // fall through to the saved profile
    }
    const QString profile
        = ObjectPath(bus.Property(device.activeConnection, kActiveInterface, QStringLiteral("Connection")));
    const QVariantList reply = bus.Call(profile, kConnectionInterface, QStringLiteral("GetSettings"));
    return reply.isEmpty() ? ConnectionSettings() : ToSettings(reply.front());
}

} // namespace lanvex::net::nm
