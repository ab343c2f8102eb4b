#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
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
    const qsizetype end = received.indexOf('\n');
    if (!ended && end < 0 && received.size() < kMaxRequest)
        return CallerRequest::Incomplete;
    if (received == kShowRequest)
        return CallerRequest::Show;
    // One line, whole: a name cut short or followed by more is not a request of ours.
    const qsizetype prefix = sizeof kSwitchRequest - 1;
    if (received.startsWith(kSwitchRequest) && end == received.size() - 1 && end > prefix)
        return CallerRequest::Switch;
    return CallerRequest::Refused;
}

QString SwitchRequestName(const QByteArray& received)
{
    const qsizetype prefix = sizeof kSwitchRequest - 1;
    return QString::fromUtf8(received.mid(prefix, received.size() - prefix - 1));
}

QByteArray SingleInstance::answer(const QByteArray& received)
{
    switch (ReadCallerRequest(received, true)) {
    case CallerRequest::Show:
        Q_EMIT activationRequested();
        return kShowAnswer;
    case CallerRequest::Switch:
        return m_switch && m_switch(SwitchRequestName(received)) ? kShowAnswer : kUnknownAnswer;
    default:
        return {};
    }
}

bool SingleInstance::askRunningToShow()
{
    return askRunning(kShowRequest) == QByteArray(kShowAnswer);
}

SingleInstance::HandOver SingleInstance::AskRunningToSwitch(const QString& siteName)
{
    const QByteArray request = kSwitchRequest + siteName.toUtf8() + '\n';
    // A name no request can carry is no saved site's.
    if (siteName.contains(QLatin1Char('\n')) || request.size() > kMaxRequest)
        return HandOver::UnknownSite;
    const std::optional<QByteArray> answer = askRunning(request);
    if (answer == QByteArray(kShowAnswer))
        return HandOver::Done;
    return answer == QByteArray(kUnknownAnswer) ? HandOver::UnknownSite : HandOver::NoneRunning;
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

SingleInstance::HandOver SingleInstance::SwitchStartingCopy(const QString& siteName, const QString& program,
                                                            const QStringList& arguments)
{
    HandOver result = AskRunningToSwitch(siteName);
    if (result != HandOver::NoneRunning || !QProcess::startDetached(program, arguments))
        return result;
    // The new copy listens once it has read the settings file; until then no one answers.
    const QDeadlineTimer deadline(kStartedCopyWaitMs);
    do {
        QThread::msleep(100);
        result = AskRunningToSwitch(siteName);
    } while (result == HandOver::NoneRunning && !deadline.hasExpired());
    return result;
}

} // namespace lanvex::platform
