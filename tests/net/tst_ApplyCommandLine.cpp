// The lanvex executable's --adapters and --apply exit codes, run as a script would run them: a
// copy of the program in a temporary folder with its own settings file beside it.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestApplyCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("static site") << QStringList { "--apply", "Office" } << 0 << "更新IP及子网掩码成功。";
        QTest::newRow("already dhcp") << QStringList { "--apply", "Home", "--adapter", "2" } << 0
                                      << "已经是DHCP工作方式。";
        QTest::newRow("no such adapter") << QStringList { "--apply", "Home", "--adapter", "5" } << 1
                                         << "未找到所选网卡，设置未生效。";
        QTest::newRow("unknown site") << QStringList { "--apply", "Nowhere" } << 2 << "";
        QTest::newRow("adapter not a number") << QStringList { "--apply", "Office", "--adapter", "two" } << 2 << "";
        QTest::newRow("adapters") << QStringList { "--adapters" } << 0 << "[";
    }

    void exitCodes()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        QTemporaryDir dir;
        const QString exe = dir.filePath("lanvex");
        QVERIFY(QFile::copy(LANVEX_EXE, exe));
        QVERIFY(QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(QFile::copy(LANVEX_SOURCE_DIR "/examples/simulated-network.json", dir.filePath("network.json")));
        QFile::setPermissions(dir.filePath("network.json"), QFile::ReadOwner | QFile::WriteOwner);
        QFile settings(dir.filePath("lanvex.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Common]\r\nSites=Office,Home\r\n[Office]\r\nIP=172.20.0.9\r\nSubNetMask=255.255.0.0\r\n"
                       "DefaultGateway=172.20.0.1\r\n[Home]\r\nDHCPEnabled=1\r\n");
        settings.close();

        QProcess process;
        process.start(exe, QStringList { "--simulate", dir.filePath("network.json") } + args);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        QCOMPARE(out.section('\n', 0, 0), firstLine);
    }
};

QTEST_GUILESS_MAIN(TestApplyCommandLine)
#include "tst_ApplyCommandLine.moc"
