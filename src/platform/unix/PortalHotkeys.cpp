#include "platform/unix/PortalHotkeys.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QRandomGenerator>
#include <QVariantMap>
#include <algorithm>

namespace {

// One shortcut as the portal passes it: its id and its properties (a(sa{sv})).
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace lanvex::platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

QString Token()
{
    return QStringLiteral("lanvex%1").arg(QRandomGenerator::global()->generate());
}

// The portal's shortcut id of key `index`.
QString ShortcutId(int index)
{
    return QStringLiteral("site%1").arg(index);
}

} // namespace

PortalShortcuts::PortalShortcuts()
    : m_bus(QDBusConnection::sessionBus())
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                  SLOT(shortcutActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

void PortalShortcuts::SetKeys(const std::vector<QKeySequence>& keys, const std::vector<QString>& names)
{
    m_keys = keys;
    m_names = names;
    // A session binds its shortcuts once: new keys take a new session.
    if (!m_session.isEmpty())
        m_bus.asyncCall(QDBusMessage::createMethodCall(
            kService, m_session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    m_session.clear();
    if (!m_keys.empty())
        createSession();
}

void PortalShortcuts::shortcutActivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                        const QVariantMap&)
{
    if (session.path() != m_session)
        return;
    for (int i = 0; i < static_cast<int>(m_keys.size()); ++i)
        if (ShortcutId(i) == id)
            Q_EMIT activated(i);
}

void PortalShortcuts::sessionCreated(uint response, const QVariantMap& results)
{
    if (response != 0) {
        refuseAll(QStringLiteral("the desktop did not open a shortcut session"));
        return;
    }
    m_session = results.value(QStringLiteral("session_handle")).toString();
    bind();
}

void PortalShortcuts::shortcutsBound(uint response, const QVariantMap& results)
{
    if (response != 0) {
        refuseAll(QStringLiteral("the desktop refused the shortcuts"));
        return;
    }
    // Keys the desktop left out (the user declined them, or another program has them).
    QList<PortalShortcut> bound;
    results.value(QStringLiteral("shortcuts")).value<QDBusArgument>() >> bound;
    for (int i = 0; i < static_cast<int>(m_keys.size()); ++i) {
        const bool taken = std::any_of(bound.cbegin(), bound.cend(),
                                       [i](const PortalShortcut& shortcut) { return shortcut.id == ShortcutId(i); });
        if (!taken)
            Q_EMIT refused(i, QStringLiteral("the desktop did not bind it"));
    }
}

// Calls `method` with a request token and hears its answer in `slot` (Response(u, a{sv})).
void PortalShortcuts::request(const QString& method, QVariantList arguments, QVariantMap options, const char* slot)
{
    const QString token = Token();
    options.insert(QStringLiteral("handle_token"), token);
    arguments << options;
    // The request's path is known in advance, so its answer cannot come before we listen.
    const QString sender = m_bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    m_bus.connect(kService, path, kRequest, QStringLiteral("Response"), this, slot);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (watcher->isError())
            refuseAll(QStringLiteral("the desktop offers no global shortcuts (%1)").arg(watcher->error().name()));
    });
}

void PortalShortcuts::createSession()
{
    request(QStringLiteral("CreateSession"), {}, { { QStringLiteral("session_handle_token"), Token() } },
            SLOT(sessionCreated(uint, QVariantMap)));
}

void PortalShortcuts::bind()
{
    QList<PortalShortcut> shortcuts;
    for (int i = 0; i < static_cast<int>(m_keys.size()); ++i)
        shortcuts.append({ ShortcutId(i),
                           { { QStringLiteral("description"), m_names.at(static_cast<std::size_t>(i)) },
                             { QStringLiteral("preferred_trigger"),
                               m_keys[static_cast<std::size_t>(i)].toString(QKeySequence::PortableText) } } });
    request(QStringLiteral("BindShortcuts"),
            { QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString() }, {},
            SLOT(shortcutsBound(uint, QVariantMap)));
}

void PortalShortcuts::refuseAll(const QString& reason)
{
    for (int i = 0; i < static_cast<int>(m_keys.size()); ++i)
        Q_EMIT refused(i, reason);
}

} // namespace lanvex::platform
