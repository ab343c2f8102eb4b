#include "platform/unix/KdeProxyStore.h"

#include "store/IniFile.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <utility>
#include <vector>

namespace lanvex::platform {

namespace {

const QString kGroup = QStringLiteral("[Proxy Settings]");
// kioslaverc holds a few kilobytes; far more is not a file KIO wrote.
constexpr std::int64_t kMaxBytes = std::int64_t(4) << 20;

// KIO's ProxyType: no proxy, a manual one, a PAC script.
int proxyType(net::ProxyMode mode)
{
    switch (mode) {
    case net::ProxyMode::Manual:
        return 1;
    case net::ProxyMode::Auto:
        return 2;
    default:
        return 0;
    }
}

std::vector<std::pair<QString, QString>> proxyKeys(const net::ProxySettings& settings)
{
    const bool manual = settings.mode == net::ProxyMode::Manual;
    const QString server = manual ? QStringLiteral("http://") + QString::fromStdString(settings.Server()) : QString();
    QStringList bypass;
    for (const std::string& host : settings.bypass)
        bypass << QString::fromStdString(host);
    return {
        { QStringLiteral("ProxyType"), QString::number(proxyType(settings.mode)) },
        { QStringLiteral("httpProxy"), server },
        { QStringLiteral("httpsProxy"), server },
        { QStringLiteral("ftpProxy"), server },
        { QStringLiteral("socksProxy"), QString() },
        { QStringLiteral("NoProxyFor"), bypass.join(QLatin1Char(',')) },
        { QStringLiteral("ReversedException"), QStringLiteral("false") },
        { QStringLiteral("Proxy Config Script"), QString::fromStdString(settings.pacUrl) },
    };
}

bool isGroupHeader(const QString& line)
{
    const QString trimmed = line.trimmed();
    return trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'));
}

// The key of a "key=value" line, or an empty string.
QString keyOf(const QString& line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : line.left(equals).trimmed();
}

QString kioslavercPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/kioslaverc");
}

} // namespace

QString KdeProxyStore::WithProxy(const QString& text, const net::ProxySettings& settings)
{
    const auto keys = proxyKeys(settings);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QStringList out;
    bool inGroup = false;
    bool groupSeen = false;
    const auto writeKeys = [&] {
        for (const auto& [key, value] : keys)
            out << key + QLatin1Char('=') + value;
    };
    for (const QString& line : lines) {
        if (isGroupHeader(line)) {
            inGroup = line.trimmed() == kGroup;
            out << line;
            if (inGroup && !groupSeen) {
                writeKeys();
                groupSeen = true;
            }
            continue;
        }
        // The group's own copies of the keys are replaced; anything else in it stays.
        const bool replaced = inGroup
            && std::any_of(keys.begin(), keys.end(), [&](const auto& key) { return key.first == keyOf(line); });
        if (!replaced)
            out << line;
    }
    if (!groupSeen) {
        if (!out.isEmpty() && !out.last().trimmed().isEmpty())
            out << QString();
        out << kGroup;
        writeKeys();
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

net::ProxyChange KdeProxyStore::SetProxy(const net::ProxySettings& settings)
{
    const QString path = kioslavercPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // KConfig's own lock, named as KConfig names it: beside the file its links lead to. A KDE
    // program saving kioslaverc meanwhile would otherwise write over this change, or this change
    // over its.
    const QFileInfo target(path);
    const QString lockedFile = target.exists()
        ? target.canonicalFilePath()
        : QFileInfo(target.absolutePath()).canonicalFilePath() + QStringLiteral("/kioslaverc");
    QLockFile lock(lockedFile + QStringLiteral(".lock"));
    if (!lock.tryLock(store::IniFile::kDefaultLockWait))
        return net::ProxyChange::Failed;
    // By the settings file's rules: a FIFO, a device or a huge file in its place is refused, not read.
    const store::FileBytes current = store::ReadFileBytes(path.toStdString(), kMaxBytes);
    if (!current.ok && !current.missing)
        return net::ProxyChange::Failed;
    const QByteArray text
        = WithProxy(QString::fromUtf8(current.bytes.data(), static_cast<qsizetype>(current.bytes.size())), settings)
              .toUtf8();
    if (!store::ReplaceFile(path.toStdString(),
                            std::string_view(text.constData(), static_cast<std::size_t>(text.size()))))
        return net::ProxyChange::Failed;
    // KIO's programs read the file again when they hear this.
    QDBusConnection::sessionBus().send(QDBusMessage::createSignal(QStringLiteral("/KIO/Scheduler"),
                                                                  QStringLiteral("org.kde.KIO.Scheduler"),
                                                                  QStringLiteral("reparseSlaveConfiguration"))
                                       << QString());
    return net::ProxyChange::Done;
}

} // namespace lanvex::platform
