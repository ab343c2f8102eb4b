#include "net/nm/NmNetworkWatch.h"

#include "net/nm/KernelRouteMessages.h"
#include "net/nm/NmBus.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <utility>

namespace lanvex::net::nm {

namespace {

const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// The properties whose change may change an adapter's network or settings, by interface; the
// rest (signal strength, scans, statistics, connectivity checks) change all the time and tell
// nothing. An empty set takes every property of the interface.
bool TellsOfNetwork(const QString& interface, const QVariantMap& changed)
{
    static const QHash<QString, QSet<QString>> kWatched = {
        { kNmInterface,
          { QStringLiteral("State"), QStringLiteral("ActiveConnections"), QStringLiteral("PrimaryConnection"),
            QStringLiteral("Devices") } },
        { kDeviceInterface,
          { QStringLiteral("State"), QStringLiteral("Managed"), QStringLiteral("ActiveConnection"),
            QStringLiteral("Ip4Config"), QStringLiteral("Dhcp4Config"), QStringLiteral("HwAddress") } },
        { kWirelessInterface, { QStringLiteral("ActiveAccessPoint") } },
        { kActiveInterface, { QStringLiteral("State"), QStringLiteral("Ip4Config"), QStringLiteral("Dhcp4Config") } },
        { kIp4ConfigInterface, {} },
        { kDhcp4ConfigInterface, {} },
    };
    const auto watched = kWatched.constFind(interface);
    if (watched == kWatched.constEnd())
        return false;
    if (watched->isEmpty())
        return true;
    for (auto it = changed.constBegin(); it != changed.constEnd(); ++it) {
        if (watched->contains(it.key()))
            return true;
    }
    return false;
}

class NmSignals : public QObject
{
    Q_OBJECT

public:
    NmSignals(const QDBusConnection& bus, WatchTiming timing, std::function<void()> changed)
        : m_bus(bus)
        , m_changed(std::move(changed))
        , m_owner(kNmService, m_bus, QDBusServiceWatcher::WatchForOwnerChange)
    {
        m_settle.setSingleShot(true);
        m_settle.setInterval(timing.settle);
        connect(&m_settle, &QTimer::timeout, this, [this] { m_changed(); });
        connect(&m_owner, &QDBusServiceWatcher::serviceOwnerChanged, this, &NmSignals::Changed);

        // Every object of NetworkManager's: its devices, their configurations, leases and access
        // points come and go with their own paths.
        m_bus.connect(kNmService, QString(), kPropertiesInterface, QStringLiteral("PropertiesChanged"), this,
                      SLOT(PropertiesChanged(QDBusMessage)));
        for (const auto& [interface, name] : { std::pair { kNmInterface, QStringLiteral("StateChanged") },
                                               std::pair { kNmInterface, QStringLiteral("DeviceAdded") },
                                               std::pair { kNmInterface, QStringLiteral("DeviceRemoved") },
                                               std::pair { kDeviceInterface, QStringLiteral("StateChanged") } })
            m_bus.connect(kNmService, QString(), interface, name, this, SLOT(Changed()));
    }

public Q_SLOTS:
    void Changed()
    {
        if (!m_settle.isActive())
            m_settle.start();
    }

    void PropertiesChanged(const QDBusMessage& message)
    {
        const QList<QVariant> args = message.arguments();
        if (args.size() >= 2 && TellsOfNetwork(args.at(0).toString(), ToMap(args.at(1))))
            Changed();
    }

private:
    QDBusConnection m_bus;
    std::function<void()> m_changed;
    QDBusServiceWatcher m_owner;
    QTimer m_settle;
    KernelRouteMessages m_kernel { [this] { Changed(); } };
};

class NmNetworkWatch : public NetworkWatch
{
public:
    NmNetworkWatch(const QDBusConnection& bus, WatchTiming timing)
        : m_bus(bus)
        , m_timing(timing)
    { }

    void Start(std::function<void()> changed) override
    {
        m_signals = std::make_unique<NmSignals>(m_bus, m_timing, std::move(changed));
    }

private:
    QDBusConnection m_bus;
    WatchTiming m_timing;
    std::unique_ptr<NmSignals> m_signals;
};

} // namespace

bool NetworkManagerOnBus(const QDBusConnection& bus)
{
    if (!bus.isConnected())
        return false;
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << kNmService;
    const QDBusMessage reply = QDBusConnection(bus).call(ask, QDBus::Block, 1000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        && reply.arguments().front().toBool();
}

std::unique_ptr<NetworkWatch> MakeNmNetworkWatch(const QDBusConnection& bus, WatchTiming timing)
{
    return std::make_unique<NmNetworkWatch>(bus, timing);
}

} // namespace lanvex::net::nm

#include "NmNetworkWatch.moc"
