#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <stdexcept>

namespace lanvex::net::nm {

// A connection profile as NetworkManager passes it: setting name → key → value.
using ConnectionSettings = QMap<QString, QVariantMap>;

inline const QString kNmService = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString kNmPath = QStringLiteral("/org/freedesktop/NetworkManager");
inline const QString kNmSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
inline const QString kNmInterface = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString kDeviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
inline const QString kIp4ConfigInterface = QStringLiteral("org.freedesktop.NetworkManager.IP4Config");
inline const QString kDhcp4ConfigInterface = QStringLiteral("org.freedesktop.NetworkManager.DHCP4Config");
inline const QString kIp6ConfigInterface = QStringLiteral("org.freedesktop.NetworkManager.IP6Config");
inline const QString kWirelessInterface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
inline const QString kAccessPointInterface = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");
inline const QString kActiveInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
inline const QString kSettingsInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
inline const QString kConnectionInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");

// A D-Bus call that failed: the error name (or a local reason) and message.
class BusError : public std::runtime_error
{
public:
    BusError(const QString& name, const QString& message);
    const QString& name() const { return m_name; }

private:
    QString m_name;
};

// True when a call's answer never came (timeout, lost connection): the call may or may not have
// taken effect.
bool IsLostAnswer(const BusError& error);

// Blocking calls to NetworkManager, each bounded by a timeout so a stuck or missing service
// can never hang the program.
class NmBus
{
public:
    // Reads give up after `timeoutMs`. Changes may open the system's authorization prompt, so they
    // wait `changeTimeoutMs`, long enough for a person to type a password.
    explicit NmBus(QDBusConnection bus, int timeoutMs = 3000, int changeTimeoutMs = 150000);

    bool IsConnected() const { return m_bus.isConnected(); }

    // The reply's arguments. Throws BusError.
    QVariantList Call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& args = {});
    // A call that changes something: it allows interactive authorization. Throws BusError.
    QVariantList Change(const QString& path, const QString& interface, const QString& method,
                        const QVariantList& args = {});
    // A change through another service on the same bus (systemd-hostnamed). Throws BusError.
    QVariantList ChangeOn(const QString& service, const QString& path, const QString& interface, const QString& method,
                          const QVariantList& args = {});
    QVariant Property(const QString& path, const QString& interface, const QString& name);
    QVariantMap Properties(const QString& path, const QString& interface);

private:
    QVariantList Send(QDBusMessage message, int timeoutMs);

    QDBusConnection m_bus;
    int m_timeoutMs;
    int m_changeTimeoutMs;
};

// Registers the composite D-Bus types used here; safe to call more than once.
void RegisterNmTypes();

// Conversions of received values; empty results for values of another type.
QString ObjectPath(const QVariant& value);
QList<QString> ObjectPaths(const QVariant& value);
QList<QVariantMap> MapList(const QVariant& value);
QStringList TextList(const QVariant& value);
// A list of byte arrays ("aay", as IPv6 name servers come); empty for a value of another type.
QList<QByteArray> BytesList(const QVariant& value);
QVariantMap ToMap(const QVariant& value);
ConnectionSettings ToSettings(const QVariant& value);

} // namespace lanvex::net::nm

Q_DECLARE_METATYPE(lanvex::net::nm::ConnectionSettings)
