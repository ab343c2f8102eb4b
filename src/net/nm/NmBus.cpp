#include "net/nm/NmBus.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <algorithm>
#include <iterator>

namespace lanvex::net::nm {

BusError::BusError(const QString& name, const QString& message)
    : std::runtime_error((name + QStringLiteral(": ") + message).toStdString())
    , m_name(name)
{ }

bool IsLostAnswer(const BusError& error)
{
    static const QLatin1String kLost[]
        = { QLatin1String("org.freedesktop.DBus.Error.NoReply"), QLatin1String("org.freedesktop.DBus.Error.Timeout"),
            QLatin1String("org.freedesktop.DBus.Error.TimedOut"),
            QLatin1String("org.freedesktop.DBus.Error.Disconnected") };
    return std::any_of(std::begin(kLost), std::end(kLost), [&](QLatin1String name) { return error.name() == name; });
}

NmBus::NmBus(QDBusConnection bus, int timeoutMs, int changeTimeoutMs)
    : m_bus(std::move(bus))
    , m_timeoutMs(timeoutMs)
    , m_changeTimeoutMs(changeTimeoutMs)
{
    RegisterNmTypes();
}

QVariantList NmBus::Call(const QString& path, const QString& interface, const QString& method, const QVariantList& args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kNmService, path, interface, method);
    message.setArguments(args);
    return Send(std::move(message), m_timeoutMs);
}

QVariantList NmBus::Change(const QString& path, const QString& interface, const QString& method,
                           const QVariantList& args)
{
    return ChangeOn(kNmService, path, interface, method, args);
}

QVariantList NmBus::ChangeOn(const QString& service, const QString& path, const QString& interface,
                             const QString& method, const QVariantList& args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(args);
    message.setInteractiveAuthorizationAllowed(true);
    return Send(std::move(message), m_changeTimeoutMs);
}

QVariantList NmBus::Send(QDBusMessage message, int timeoutMs)
{
    if (!m_bus.isConnected())
        throw BusError(QStringLiteral("org.freedesktop.DBus.Error.Disconnected"), QStringLiteral("no bus"));
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        throw BusError(reply.errorName().isEmpty() ? QStringLiteral("org.freedesktop.DBus.Error.Failed")
                                                   : reply.errorName(),
                       reply.errorMessage());
    return reply.arguments();
}

QVariant NmBus::Property(const QString& path, const QString& interface, const QString& name)
{
    const QVariantList reply
        = Call(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), { interface, name });
    if (reply.isEmpty())
        throw BusError(QStringLiteral("org.freedesktop.DBus.Error.InvalidSignature"), QStringLiteral("empty reply"));
    return qvariant_cast<QDBusVariant>(reply.front()).variant();
}

QVariantMap NmBus::Properties(const QString& path, const QString& interface)
{
    const QVariantList reply
        = Call(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"), { interface });
    if (reply.isEmpty())
        throw BusError(QStringLiteral("org.freedesktop.DBus.Error.InvalidSignature"), QStringLiteral("empty reply"));
    return qdbus_cast<QVariantMap>(reply.front());
}

void RegisterNmTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<ConnectionSettings>();
        qDBusRegisterMetaType<QList<QVariantMap>>();
        qDBusRegisterMetaType<QList<uint>>();
        qDBusRegisterMetaType<QList<QByteArray>>();
        qDBusRegisterMetaType<QList<QDBusObjectPath>>();
        return true;
    }();
    (void)registered;
}

namespace {

template <typename T> T Demarshal(const QVariant& value)
{
    if (value.userType() == qMetaTypeId<T>())
        return value.value<T>();
    if (value.userType() != qMetaTypeId<QDBusArgument>())
        return T {};
    const QDBusArgument argument = value.value<QDBusArgument>();
    // A value of another shape than expected reads as empty rather than as garbage.
    const char* signature = QDBusMetaType::typeToSignature(QMetaType::fromType<T>());
    if (signature == nullptr || argument.currentSignature() != QLatin1String(signature))
        return T {};
    T result;
    argument >> result;
    return result;
}

} // namespace

QString ObjectPath(const QVariant& value)
{
    if (value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return {};
}

QList<QString> ObjectPaths(const QVariant& value)
{
    QList<QString> paths;
    for (const QDBusObjectPath& path : Demarshal<QList<QDBusObjectPath>>(value))
        paths.append(path.path());
    return paths;
}

QList<QVariantMap> MapList(const QVariant& value)
{
    return Demarshal<QList<QVariantMap>>(value);
}

QStringList TextList(const QVariant& value)
{
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList();
    return Demarshal<QStringList>(value);
}

QList<QByteArray> BytesList(const QVariant& value)
{
    return Demarshal<QList<QByteArray>>(value);
}

QVariantMap ToMap(const QVariant& value)
{
    return Demarshal<QVariantMap>(value);
}

ConnectionSettings ToSettings(const QVariant& value)
{
    return Demarshal<ConnectionSettings>(value);
}

} // namespace lanvex::net::nm
