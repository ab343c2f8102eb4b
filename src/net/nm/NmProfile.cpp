#include "net/nm/NmProfile.h"

#include "net/AdapterConfiguration.h"

#include <QUuid>

namespace lanvex::net::nm {

namespace {

constexpr uint kConnectionFlagExternal = 0x8;

// A profile NetworkManager made up for a device configured by others is not ours to change.
bool IsUsable(NmBus& bus, const QString& profile)
{
    const uint flags = bus.Property(profile, kConnectionInterface, QStringLiteral("Flags")).toUInt();
    return (flags & kConnectionFlagExternal) == 0;
}

QString ProfileForInterface(NmBus& bus, const DeviceInfo& device)
{
    const QVariantList reply = bus.Call(kNmSettingsPath, kSettingsInterface, QStringLiteral("ListConnections"));
    QList<QString> saved = reply.isEmpty() ? QList<QString>() : ObjectPaths(reply.front());
    SortByPathNumber(saved);
    for (const QString& profile : saved) {
        const QVariantList settings = bus.Call(profile, kConnectionInterface, QStringLiteral("GetSettings"));
        const QVariantMap connection
            = settings.isEmpty() ? QVariantMap() : ToSettings(settings.front()).value(QStringLiteral("connection"));
        if (connection.value(QStringLiteral("interface-name")).toString() == device.interfaceName
            && connection.value(QStringLiteral("type")).toString() == QLatin1String("802-3-ethernet")
            && IsUsable(bus, profile))
            return profile;
    }
    return {};
}

} // namespace

ChosenProfile ChooseProfile(NmBus& bus, const DeviceInfo& device)
{
    if (!IsNoObject(device.activeConnection)) {
        const QString profile
            = ObjectPath(bus.Property(device.activeConnection, kActiveInterface, QStringLiteral("Connection")));
        if (!IsNoObject(profile) && IsUsable(bus, profile))
            return { profile, true };
    }
    QList<QString> available
        = ObjectPaths(bus.Property(device.path, kDeviceInterface, QStringLiteral("AvailableConnections")));
    SortByPathNumber(available);
    for (const QString& profile : available) {
        if (IsUsable(bus, profile))
            return { profile, false };
    }
    // Without a link no profile is available; the one saved for this interface is still the one
    // to change, rather than a second one beside it.
    return { ProfileForInterface(bus, device), false };
}

ConnectionSettings NewProfile(const DeviceInfo& device)
{
    ConnectionSettings settings;
    settings.insert(QStringLiteral("connection"),
                    QVariantMap { { QStringLiteral("id"), QStringLiteral("Lanvex ") + device.interfaceName },
                                  { QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces) },
                                  { QStringLiteral("type"), QStringLiteral("802-3-ethernet") },
                                  { QStringLiteral("interface-name"), device.interfaceName },
                                  { QStringLiteral("autoconnect"), true } });
    settings.insert(QStringLiteral("802-3-ethernet"), QVariantMap {});
    settings.insert(QStringLiteral("ipv4"), QVariantMap { { QStringLiteral("method"), kMethodAuto } });
    return settings;
}

std::uint32_t EditSection(ConnectionSettings& settings, const QString& name, const SectionEdit& edit)
{
    QVariantMap section = settings.value(name);
    // NetworkManager prefers the legacy "addresses" key (which also carries a gateway) over
    // "address-data" and "gateway" when both come in, so it must not go back.
    if (section.contains(QStringLiteral("address-data")))
        section.remove(QStringLiteral("addresses"));
    if (const std::uint32_t refused = edit(section); refused != kSuccess)
        return refused;
    settings.insert(name, section);
    return kSuccess;
}

} // namespace lanvex::net::nm
