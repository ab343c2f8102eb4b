#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QFileInfo>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace lanvex::app {

namespace {

// The user the name belongs to: Windows' pipe names are shared by all the machine's sessions.
QString UserId()
{
#ifdef _WIN32
    wchar_t name[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(name, &size))
        return QString();
    const QByteArray hash
        = QCryptographicHash::hash(QString::fromWCharArray(name).toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(hash.toHex().left(12));
#else
    return QString::number(::getuid());
#endif
}

} // namespace

SingleInstance::SingleInstance(const QString& settingsPath, QObject* parent)
    : QObject(parent)
    , m_name(ServerName(settingsPath))
{ }

SingleInstance::~SingleInstance() = default;

QString SingleInstance::ServerName(const QString& settingsPath)
{
    const QString path = QFileInfo(settingsPath).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    return QStringLiteral("lanvex-%1-%2").arg(UserId()).arg(QString::fromLatin1(hash));
}

bool SingleInstance::Claim()
{
    // The name is held exactly as long as its process lives, so a crashed window leaves nothing
    // behind, and of two windows starting together only one can take it.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (listen())
            return true;
        if (askRunningToShow())
            return false;
        // The other window ended between our attempts; try to take its place.
    }
    // Neither listening nor reaching the other: open the window rather than nothing.
    return true;
}

} // namespace lanvex::app
