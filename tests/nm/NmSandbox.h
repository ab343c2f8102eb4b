#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtTest>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

// The NetworkManager sandbox the nm_sandbox fixture runs: where it lives and how to look at the
// kernel state of its device. Every command here is a fixed program with an argument list.
struct NmSandbox
{
    QString dir = qEnvironmentVariable("LANVEX_NM_SANDBOX");
    QString tag = qEnvironmentVariable("LANVEX_NM_TAG");
    QString script = qEnvironmentVariable("LANVEX_NM_SCRIPT");

    QString netns() const { return tag + QStringLiteral("-cli"); }
    QString device() const { return tag; }

    // Empty when the sandbox can be used, else why not.
    QString unavailableReason() const
    {
        if (geteuid() != 0)
            return QStringLiteral("needs root");
        if (dir.isEmpty() || tag.isEmpty() || script.isEmpty())
            return QStringLiteral("not run by ctest with the nm_sandbox fixture");
        if (!QFile::exists(dir + QStringLiteral("/nm.ready")))
            return QStringLiteral("the sandbox did not start (not root or packages missing)");
        return {};
    }

    static QString run(const QString& program, const QStringList& args, int timeoutMs = 20000)
    {
        QProcess process;
        process.start(program, args);
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            return QStringLiteral("<timed out>");
        }
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

    QString ip(const QStringList& args) const
    {
        return run(QStringLiteral("ip"), QStringList { QStringLiteral("-n"), netns() } + args);
    }
    QString ipv4Addresses() const
    {
        return ip({ QStringLiteral("-4"), QStringLiteral("-o"), QStringLiteral("addr"), QStringLiteral("show"),
                    QStringLiteral("dev"), device() });
    }
    QString defaultRoute() const
    {
        return ip({ QStringLiteral("route"), QStringLiteral("show"), QStringLiteral("default") });
    }
    QString macAddress() const
    {
        const QString link = ip({ QStringLiteral("-o"), QStringLiteral("link"), QStringLiteral("show"), device() });
        const QRegularExpression ether(QStringLiteral("link/ether ([0-9a-f:]{17})"));
        return ether.match(link).captured(1).toUpper();
    }
    // The saved profiles, concatenated.
    QString savedProfiles() const
    {
        QString all;
        const QDir profiles(dir + QStringLiteral("/nm/profiles"));
        for (const QString& name : profiles.entryList(QDir::Files)) {
            QFile file(profiles.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                all += QString::fromUtf8(file.readAll());
        }
        return all;
    }
    // Sends NetworkManager a signal (SIGSTOP, SIGCONT).
    bool signalNetworkManager(int signal) const
    {
        QFile file(dir + QStringLiteral("/nm.pid"));
        const pid_t pid = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
        return pid > 0 && ::kill(pid, signal) == 0;
    }
    // NetworkManager asks a polkitd with the sandbox's rules, not its root-only rule.
    bool polkitRunning() const { return QFile::exists(dir + QStringLiteral("/polkit.ready")); }
    // Takes the far end of the device's cable out (false) or puts it back (true).
    bool setPeerLink(bool up) const
    {
        return QProcess::execute(QStringLiteral("ip"),
                                 { QStringLiteral("-n"), tag + QStringLiteral("-srv"), QStringLiteral("link"),
                                   QStringLiteral("set"), tag + QStringLiteral("p"),
                                   up ? QStringLiteral("up") : QStringLiteral("down") })
            == 0;
    }
    // The fixture script's service commands.
    bool stopNetworkManager() const { return control(QStringLiteral("stop-nm")); }
    bool startNetworkManager() const { return control(QStringLiteral("start-nm")); }
    bool stopDhcpServer() const { return control(QStringLiteral("stop-dhcp")); }
    bool startDhcpServer() const { return control(QStringLiteral("start-dhcp")); }
    bool control(const QString& command) const
    {
        return QProcess::execute(QStringLiteral("sh"), { script, command, dir, tag }) == 0;
    }
};
