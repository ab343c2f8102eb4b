#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QKeySequence>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <vector>

namespace lanvex::platform {

// Keys of the whole desktop on Wayland, through the desktop's GlobalShortcuts portal
// (xdg-desktop-portal), which KDE Plasma 6 and GNOME 48 offer. The desktop may ask the user to
// confirm the keys or choose others. Where the portal is missing, every key is refused, saying so.
class PortalShortcuts : public QObject
{
    Q_OBJECT
public:
    PortalShortcuts();

    // Binds `keys` in a new session, in place of those bound before; `names[i]` describes keys[i]
    // in the desktop's list.
    void SetKeys(const std::vector<QKeySequence>& keys, const std::vector<QString>& names);

Q_SIGNALS:
    void activated(int index);
    void refused(int index, const QString& reason);

private Q_SLOTS:
    void shortcutActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                           const QVariantMap& options);
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutsBound(uint response, const QVariantMap& results);

private:
    void request(const QString& method, QVariantList arguments, QVariantMap options, const char* slot);
    void createSession();
    void bind();
    void refuseAll(const QString& reason);

    QDBusConnection m_bus;
    QString m_session;
    std::vector<QKeySequence> m_keys;
    std::vector<QString> m_names;
};

} // namespace lanvex::platform
