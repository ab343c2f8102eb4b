#include "NmSandbox.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

const char kSettings[] = "[Common]\r\nSites=Office,Lab,Checked\r\n"
                         "[Office]\r\nDHCPEnabled=0\r\nIP=10.77.0.5\r\nSubNetMask=255.255.255.0\r\n"
                         "DefaultGateway=10.77.0.1\r\nChangeDNS=1\r\nDNS=10.77.0.53\r\n"
                         "[Lab]\r\nDHCPEnabled=0\r\nIP=10.77.0.9\r\nSubNetMask=255.255.255.0\r\n"
                         "DefaultGateway=10.77.0.1\r\nChangeDNS=1\r\nDNS=10.77.0.54\r\n"
                         // Nothing listens on the discard port of the peer.
                         "[Checked]\r\nDHCPEnabled=0\r\nIP=10.77.0.11\r\nSubNetMask=255.255.255.0\r\n"
                         "DefaultGateway=10.77.0.1\r\nVerifyTCP=10.77.0.1:9\r\nVerifyTimeout=3\r\n";

} // namespace

// An apply that waits to be kept, over the real NetworkManager: its checkpoint takes the change
// back when nothing confirms it, keeps it when lanvex --confirm comes, and takes it back by itself
// when the waiting program is killed. The addresses are read from the kernel.
class TestNetworkManagerRevert : public QObject
{
    Q_OBJECT

    NmSandbox m_sandbox;
    QTemporaryDir m_dir;

    // `inDeviceNamespace`: where the device is, as the program runs on a real machine, so that its
    // checks reach the network through the device.
    void start(QProcess& process, const QStringList& args, bool inDeviceNamespace = false)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_RUNTIME_DIR"_s, m_dir.filePath(u"run"_s));
        process.setProcessEnvironment(environment);
        const QStringList command
            = QStringList { QStringLiteral(LANVEX_EXECUTABLE), "--config", m_dir.filePath(u"lanvex.ini"_s) } + args;
        if (inDeviceNamespace)
            process.start(u"ip"_s, QStringList { "netns", "exec", m_sandbox.netns() } + command);
        else
            process.start(command.front(), command.mid(1));
        QVERIFY(process.waitForStarted());
    }

    int run(const QStringList& args, QString* out = nullptr, QString* err = nullptr, bool inDeviceNamespace = false)
    {
        QProcess process;
        start(process, args, inDeviceNamespace);
        if (!process.waitForFinished(90000))
            return -1;
        if (out)
            *out = QString::fromUtf8(process.readAllStandardOutput());
        if (err)
            *err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    static bool waitsForConfirm(QProcess& process, QByteArray& err)
    {
        QDeadlineTimer deadline(60000);
        while (!err.contains("lanvex --confirm") && !deadline.hasExpired() && process.state() == QProcess::Running) {
            process.waitForReadyRead(200);
            err += process.readAllStandardError();
        }
        return err.contains("lanvex --confirm");
    }

    // The site whose address the device doesn't have now, and the address it has.
    QString otherSite() const
    {
        return m_sandbox.ipv4Addresses().contains(u"inet 10.77.0.5/"_s) ? u"Lab"_s : u"Office"_s;
    }
    static QString addressOf(const QString& site)
    {
        return site == u"Office"_s ? u"inet 10.77.0.5/24"_s : u"inet 10.77.0.9/24"_s;
    }

    // How many checkpoints NetworkManager holds (none may be left behind); -1 when it can't say.
    static int checkpoints()
    {
        const QString reply = NmSandbox::run(u"dbus-send"_s,
                                             { "--system", "--print-reply", "--dest=org.freedesktop.NetworkManager",
                                               "/org/freedesktop/NetworkManager", "org.freedesktop.DBus.Properties.Get",
                                               "string:org.freedesktop.NetworkManager", "string:Checkpoints" });
        if (!reply.contains(u"array"_s))
            return -1;
        return static_cast<int>(reply.count(u"/org/freedesktop/NetworkManager/Checkpoint/"_s));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString reason = m_sandbox.unavailableReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(m_dir.filePath(u"run"_s)));
        QVERIFY(
            QFile::setPermissions(m_dir.filePath(u"run"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QFile settings(m_dir.filePath(u"lanvex.ini"_s));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(kSettings);
        settings.close();
        // A static start, so that every test changes one static address into another.
        QCOMPARE(run({ "--apply", "Office" }), 0);
    }

    void notConfirmedRollsBack()
    {
        const QString before = m_sandbox.ipv4Addresses();
        const QString site = otherSite();
        QString out, err;
        QCOMPARE(run({ "--apply", site, "--revert-after", "2" }, &out, &err), 1);
        QVERIFY2(!err.contains(u"no checkpoint"_s), qPrintable(err)); // NetworkManager's checkpoint did it
        QVERIFY2(out.contains(u"已恢复网卡之前的设置"_s), qPrintable(out));
        QCOMPARE(m_sandbox.ipv4Addresses(), before);
        QCOMPARE(checkpoints(), 0);
    }

    void confirmedKeeps()
    {
        const QString site = otherSite();
        QProcess apply;
        start(apply, { "--apply", site, "--revert-after", "60" });
        QByteArray err;
        QVERIFY2(waitsForConfirm(apply, err), err.constData());
        QCOMPARE(checkpoints(), 1);
        QCOMPARE(run({ "--confirm" }), 0);
        QVERIFY(apply.waitForFinished(60000));
        QCOMPARE(apply.exitCode(), 0);
        QCOMPARE(checkpoints(), 0);
        QVERIFY2(m_sandbox.ipv4Addresses().contains(addressOf(site)), qPrintable(m_sandbox.ipv4Addresses()));
    }

    // A check that fails after the change takes it back through NetworkManager's checkpoint.
    void failedCheckRollsBack()
    {
        const QString before = m_sandbox.ipv4Addresses();
        QString out, err;
        QCOMPARE(run({ "--apply", "Checked" }, &out, &err, true), 1);
        QVERIFY2(out.contains(u"10.77.0.1:9"_s) && out.contains(u"已恢复网卡之前的设置"_s), qPrintable(out + err));
        QVERIFY2(!err.contains(u"no checkpoint"_s), qPrintable(err));
        QCOMPARE(m_sandbox.ipv4Addresses(), before);
        QCOMPARE(checkpoints(), 0);
    }

    // The program ends without a word, as it does with the session it ran in: NetworkManager puts
    // the old address back when the checkpoint's time runs out. Until then a new apply that waits to
    // be kept changes nothing: the old checkpoint would take it back after its confirmation.
    void killedProgramStillRollsBack()
    {
        const QString oldSite = otherSite() == u"Office"_s ? u"Lab"_s : u"Office"_s;
        const QString old = addressOf(oldSite);
        const QString site = otherSite();
        QProcess apply;
        start(apply, { "--apply", site, "--revert-after", "12" });
        QByteArray err;
        QVERIFY2(waitsForConfirm(apply, err), err.constData());
        QVERIFY2(m_sandbox.ipv4Addresses().contains(addressOf(site)), qPrintable(m_sandbox.ipv4Addresses()));
        ::kill(static_cast<pid_t>(apply.processId()), SIGKILL);
        QVERIFY(apply.waitForFinished(10000));

        QString out;
        QCOMPARE(run({ "--apply", oldSite, "--revert-after", "60" }, &out), 1);
        QVERIFY2(out.contains(u"网卡上一次的更改还在等待确认或恢复，设置未生效。"_s), qPrintable(out));
        QVERIFY2(m_sandbox.ipv4Addresses().contains(addressOf(site)), qPrintable(m_sandbox.ipv4Addresses()));
        QCOMPARE(checkpoints(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(
            m_sandbox.ipv4Addresses().contains(old) && !m_sandbox.ipv4Addresses().contains(addressOf(site)), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(checkpoints(), 0, 10000);
        QCOMPARE(run({ "--confirm" }), 1); // the killed program's socket answers nobody
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerRevert)
#include "tst_NetworkManagerRevert.moc"
