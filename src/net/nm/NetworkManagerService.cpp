#include "net/nm/NetworkManagerService.h"

#include "net/AdapterConfiguration.h"
#include "net/nm/AddressProbe.h"
#include "net/nm/InterfaceProbe.h"
#include "net/nm/NmAdapterConfiguration.h"
#include "net/nm/NmCheckpoint.h"
#include "net/nm/NmDevice.h"

#include <QDBusArgument>
#include <QMap>
#include <string>
#include <utility>

namespace lanvex::net::nm {

NetworkManagerService::NetworkManagerService(std::shared_ptr<NmBus> bus, WaitLimits limits)
    : m_bus(std::move(bus))
    , m_limits(limits)
{ }

std::vector<ObjectRef> NetworkManagerService::ExecQuery(std::string_view query, std::string_view language,
                                                        std::int32_t /*flags*/)
{
    if (!EqualsNoCase(language, "WQL"))
        throw ServiceError("unsupported query language");
    if (!IsAdapterQuery(query))
        throw ServiceError("unsupported query: " + std::string(query));
    return Enumerate();
}

ObjectRef NetworkManagerService::Get(std::string_view objectPath, std::int32_t /*flags*/)
{
    const auto index = ParseAdapterPath(objectPath);
    if (!index)
        throw ServiceError("invalid object path: " + std::string(objectPath));
    const std::vector<ObjectRef> adapters = Enumerate();
    if (*index < 1 || *index > static_cast<std::int64_t>(adapters.size()))
        throw ServiceError("not found: " + std::string(objectPath));
    return adapters[static_cast<std::size_t>(*index - 1)];
}

ChangePermission NetworkManagerService::MayChange()
{
    QMap<QString, QString> permissions; // permission → "yes", "no" or "auth"
    try {
        const QVariantList reply = m_bus->Call(kNmPath, kNmInterface, QStringLiteral("GetPermissions"));
        if (!reply.isEmpty() && reply.front().userType() == qMetaTypeId<QDBusArgument>()) {
            const QDBusArgument argument = reply.front().value<QDBusArgument>();
            if (argument.currentSignature() == QLatin1String("a{ss}"))
                argument >> permissions;
        }
    } catch (const BusError& error) {
        throw ServiceError(error.what());
    }
    // An apply saves a system profile and makes it live.
    static const QString kNeeded[] = { QStringLiteral("org.freedesktop.NetworkManager.settings.modify.system"),
                                       QStringLiteral("org.freedesktop.NetworkManager.network-control") };
    ChangePermission result = ChangePermission::Granted;
    for (const QString& permission : kNeeded) {
        const QString answer = permissions.value(permission);
        if (answer == QLatin1String("no"))
            return ChangePermission::Denied;
        if (answer == QLatin1String("auth"))
            result = ChangePermission::NeedsAuthorization;
    }
    return result;
}

std::string NetworkManagerService::InterfaceNameOf(std::int32_t adapterNumber)
{
    const std::vector<ObjectRef> adapters = Enumerate();
    if (adapterNumber < 1 || static_cast<std::size_t>(adapterNumber) > adapters.size())
        throw ServiceError("no adapter has the number " + std::to_string(adapterNumber));
    const Value name = adapters[static_cast<std::size_t>(adapterNumber - 1)]->Property("InterfaceName");
    const auto* interfaceName = std::get_if<std::string>(&name);
    if (!interfaceName)
        throw ServiceError("the adapter has no interface name");
    return *interfaceName;
}

std::unique_ptr<Checkpoint> NetworkManagerService::CreateCheckpoint(std::int32_t adapterNumber,
                                                                    std::uint32_t rollbackSeconds)
{
    return CreateDeviceCheckpoint(m_bus, QString::fromStdString(InterfaceNameOf(adapterNumber)), rollbackSeconds);
}

bool NetworkManagerService::Probe(std::int32_t adapterNumber, ProbeKind kind, std::string_view target,
                                  std::chrono::milliseconds timeout)
{
    return ProbeThroughInterface(InterfaceNameOf(adapterNumber), kind, target, timeout);
}

AddressAnswer NetworkManagerService::ProbeAddress(std::int32_t adapterNumber, std::string_view address,
                                                  std::chrono::milliseconds timeout)
{
    std::string interfaceName;
    try {
        interfaceName = InterfaceNameOf(adapterNumber);
    } catch (const ServiceError&) {
        return {}; // no such adapter: nothing to ask
    }
    return ProbeAddressOnInterface(interfaceName, address, timeout);
}

std::vector<ObjectRef> NetworkManagerService::Enumerate()
{
    try {
        const QVariantList reply = m_bus->Call(kNmPath, kNmInterface, QStringLiteral("GetDevices"));
        QList<QString> paths = reply.isEmpty() ? QList<QString>() : ObjectPaths(reply.front());
        SortByPathNumber(paths);
        std::vector<ObjectRef> adapters;
        for (const QString& path : paths) {
            DeviceInfo device;
            try {
                device = ReadDevice(*m_bus, path);
            } catch (const BusError&) {
                continue; // removed while we looked
            }
            const bool ethernetOrWifi = device.type == kDeviceTypeEthernet || device.type == kDeviceTypeWifi
                || device.type == kDeviceTypeVeth;
            if (!ethernetOrWifi || !device.managed)
                continue;
            const auto index = static_cast<std::int64_t>(adapters.size()) + 1;
            adapters.push_back(std::make_shared<NmAdapterConfiguration>(m_bus, m_limits, std::move(device), index));
        }
        return adapters;
    } catch (const BusError& error) {
        throw ServiceError(error.what());
    }
}

} // namespace lanvex::net::nm
