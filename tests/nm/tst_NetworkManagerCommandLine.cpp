#include "NmSandbox.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Sites as a user keeps them; the text is plain ASCII, which reads the same in code page 936.
const char kSettings[] = "[Common]\r\n"
                         "Sites=Office,Home\r\n"
                         "[Office]\r\n"
                         "DHCPEnabled=0\r\nIP=10.77.0.5\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=10.77.0.1\r\n"
                         "ChangeDNS=1\r\nDNS=10.77.0.53\r\nAuxDNS=10.77.0.54\r\n"
                         "ChangeWINS=0\r\nWINS=\r\nAuxWINS=\r\nChangePrinter=0\r\nPrinterName=\r\n"
                         "[Home]\r\n"
                         "DHCPEnabled=1\r\nIP=\r\nSubNetMask=\r\nDefaultGateway=\r\nChangeDNS=0\r\nDNS=\r\nAuxDNS=\r\n"
                         "ChangeWINS=0\r\nWINS=\r\nAuxWINS=\r\nChangePrinter=0\r\nPrinterName=\r\n";

struct Run
{
    int exitCode = -1;
    QString out;
    qint64 ms = 0;
};

} // namespace

// The lanvex executable over the real NetworkManager: a copy beside its own settings file. Each
// change is checked in the kernel after the program has ended, so it must not depend on the
// program staying alive. The backend's own cases are tested through the library.
class TestNetworkManagerCommandLine : public QObject
{
    Q_OBJECT

    NmSandbox m_sandbox;
    QTemporaryDir m_dir;
    QString m_program;

    Run Lanvex(const QStringList& args)
    {
        QProcess process;
        Run run;
        QElapsedTimer timer;
        timer.start();
        process.start(m_program, args);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            run.out = u"<timed out>"_s;
            return run;
        }
        run.ms = timer.elapsed();
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        return run;
    }

    QJsonObject Adapter()
    {
        const Run run = Lanvex({ u"--adapters"_s });
        const QJsonArray adapters = QJsonDocument::fromJson(run.out.toUtf8()).array();
        return adapters.size() == 1 ? adapters.first().toObject() : QJsonObject();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString reason = m_sandbox.unavailableReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
        QVERIFY(m_dir.isValid());
        m_program = m_dir.filePath(u"lanvex"_s);
        QVERIFY(QFile::copy(QStringLiteral(LANVEX_EXECUTABLE), m_program));
        QFile settings(m_dir.filePath(u"lanvex.ini"_s));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(kSettings);
    }

    void appliesStaticSite()
    {
        const Run run = Lanvex({ u"--apply"_s, u"Office"_s, u"--adapter"_s, u"1"_s });
        qInfo("lanvex --apply Office (static): %lld ms for the whole process", run.ms);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.split(QLatin1Char('\n')),
                 (QStringList { "更新IP及子网掩码成功。", "更新网关成功。", "更新DNS成功。", "更新WINS服务器成功。" }));
        const QString addresses = m_sandbox.ipv4Addresses();
        QVERIFY2(addresses.contains(u"inet 10.77.0.5/24"_s), qPrintable(addresses));
        QVERIFY2(m_sandbox.defaultRoute().contains(u"default via 10.77.0.1"_s), qPrintable(m_sandbox.defaultRoute()));
        const QJsonObject adapter = Adapter();
        QCOMPARE(adapter.value(u"position"_s).toInt(-1), 0);
        QCOMPARE(adapter.value(u"Index"_s).toInt(), 1);
        QVERIFY(adapter.value(u"Description"_s).toString().startsWith(m_sandbox.device()));
        QCOMPARE(adapter.value(u"MACAddress"_s).toString(), m_sandbox.macAddress());
        QCOMPARE(adapter.value(u"IP"_s).toString(), u"10.77.0.5"_s);
    }

    void appliesDhcpSite()
    {
        const Run run = Lanvex({ u"--apply"_s, u"Home"_s });
        qInfo("lanvex --apply Home (DHCP): %lld ms for the whole process", run.ms);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, u"设定为DHCP工作方式成功。"_s);
        const QString addresses = m_sandbox.ipv4Addresses();
        QVERIFY2(QRegularExpression(u"inet 10\\.88\\.0\\.1([0-4][0-9]|50)/24"_s).match(addresses).hasMatch(),
                 qPrintable(addresses));
        QCOMPARE(Adapter().value(u"DHCPEnabled"_s).toBool(false), true);
    }

    // Runs last: stops NetworkManager and starts it again afterwards.
    void failsPromptlyWithoutNetworkManager()
    {
        QVERIFY(m_sandbox.stopNetworkManager());
        const auto restart = qScopeGuard([this] { m_sandbox.startNetworkManager(); });
        const Run apply = Lanvex({ u"--apply"_s, u"Office"_s });
        QCOMPARE(apply.exitCode, 1);
        QCOMPARE(apply.out, u"无法连接系统的网络管理服务，设置未生效。"_s);
        QVERIFY2(apply.ms < 5000, qPrintable(QString::number(apply.ms)));
        const Run adapters = Lanvex({ u"--adapters"_s });
        QCOMPARE(adapters.exitCode, 0);
        QCOMPARE(QJsonDocument::fromJson(adapters.out.toUtf8()).array().size(), 0);
        QVERIFY2(adapters.ms < 5000, qPrintable(QString::number(adapters.ms)));
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerCommandLine)
#include "tst_NetworkManagerCommandLine.moc"
