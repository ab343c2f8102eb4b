#include "net/nm/NmCheckpoint.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QMap>

namespace lanvex::net::nm {

namespace {

// NMCheckpointCreateFlags: a profile the apply adds is deleted again by the rollback.
constexpr uint kDeleteNewConnections = 0x02;
// NMRollbackResult: the device is back as it was.
constexpr uint kRollbackOk = 0;
const QString kCheckpointInterface = QStringLiteral("org.freedesktop.NetworkManager.Checkpoint");

class NmCheckpoint : public Checkpoint
{
public:
    NmCheckpoint(std::shared_ptr<NmBus> bus, QString path)
        : m_bus(std::move(bus))
        , m_path(std::move(path))
    { }

    void RestartTimeout(std::uint32_t seconds) override
    {
        try {
            m_bus->Change(
                kNmPath, kNmInterface, QStringLiteral("CheckpointAdjustRollbackTimeout"),
                { QVariant::fromValue(QDBusObjectPath(m_path)), QVariant::fromValue(static_cast<uint>(seconds)) });
        } catch (const BusError& error) {
            throw ServiceError(error.what());
        }
    }

    bool Keep() override
    {
        try {
            m_bus->Change(kNmPath, kNmInterface, QStringLiteral("CheckpointDestroy"),
                          { QVariant::fromValue(QDBusObjectPath(m_path)) });
            return true;
        } catch (const BusError&) {
            // The checkpoint is gone: its time ran out and NetworkManager has rolled back.
            return false;
        }
    }

    void Rollback() override
    {
        QVariantList reply;
        try {
            reply = m_bus->Change(kNmPath, kNmInterface, QStringLiteral("CheckpointRollback"),
                                  { QVariant::fromValue(QDBusObjectPath(m_path)) });
        } catch (const BusError& error) {
            throw ServiceError(error.what());
        }
        QMap<QString, uint> results; // device path → NMRollbackResult
        if (!reply.isEmpty() && reply.front().userType() == qMetaTypeId<QDBusArgument>())
            reply.front().value<QDBusArgument>() >> results;
        for (const uint result : results)
            if (result != kRollbackOk)
                throw ServiceError("NetworkManager could not roll a device back");
    }

private:
    std::shared_ptr<NmBus> m_bus;
    QString m_path;
};

// Whether one of NetworkManager's checkpoints holds the device. Asked only after a refusal, so
// that the refusal of a device in another checkpoint is not taken for one of permission.
bool inCheckpoint(NmBus& bus, const QString& devicePath)
{
    try {
        for (const QString& checkpoint :
             ObjectPaths(bus.Property(kNmPath, kNmInterface, QStringLiteral("Checkpoints"))))
            if (ObjectPaths(bus.Property(checkpoint, kCheckpointInterface, QStringLiteral("Devices")))
                    .contains(devicePath))
                return true;
    } catch (const BusError&) {
        // A checkpoint that runs out while it is read is gone, and NetworkManager says no more.
    }
    return false;
}

} // namespace

std::unique_ptr<Checkpoint> CreateDeviceCheckpoint(std::shared_ptr<NmBus> bus, const QString& interfaceName,
                                                   std::uint32_t rollbackSeconds)
{
    QString devicePath;
    try {
        const QVariantList device
            = bus->Call(kNmPath, kNmInterface, QStringLiteral("GetDeviceByIpIface"), { interfaceName });
        devicePath = device.isEmpty() ? QString() : ObjectPath(device.front());
        if (devicePath.isEmpty())
            throw ServiceError("no NetworkManager device is named " + interfaceName.toStdString());
        const QVariantList reply = bus->Change(
            kNmPath, kNmInterface, QStringLiteral("CheckpointCreate"),
            { QVariant::fromValue(QList<QDBusObjectPath> { QDBusObjectPath(devicePath) }),
              QVariant::fromValue(static_cast<uint>(rollbackSeconds)), QVariant::fromValue(kDeleteNewConnections) });
        const QString path = reply.isEmpty() ? QString() : ObjectPath(reply.front());
        if (path.isEmpty() || path == QLatin1String("/"))
            throw ServiceError("NetworkManager gave no checkpoint");
        return std::make_unique<NmCheckpoint>(std::move(bus), path);
    } catch (const BusError& error) {
        if (!devicePath.isEmpty() && !IsLostAnswer(error) && inCheckpoint(*bus, devicePath))
            throw CheckpointPending(error.what());
        throw ServiceError(error.what());
    }
}

} // namespace lanvex::net::nm
