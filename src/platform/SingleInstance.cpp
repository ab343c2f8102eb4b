#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QThread>

namespace lanvex::platform {

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

CallerRequest ReadCallerRequest(const QByteArray& received, bool ended)
{
    if (!ended && !received.contains('\n') && received.size() < kMaxRequest)
        return CallerRequest::Incomplete;
    return received == kShowRequest ? CallerRequest::Show : CallerRequest::Refused;
}

bool SingleInstance::Claim()
{
    // The name is held exactly as long as its process lives, so a crashed window leaves nothing
    // behind, and of two windows starting together only one can take it.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (listen())
            return true;
        if (askRunningToShow())
            return false;
        // The other window ended between our attempts, or is still starting: a moment later it
        // has gone or answers.
        QThread::msleep(50);
    }
    // Neither listening nor reaching the other: open the window rather than nothing.
    return true;
}

} // namespace lanvex::platform
