// The lanvex executable run as a script would run it: a copy of the program in a temporary folder
// with its own settings file beside it. What only the program as a whole decides is checked here:
// which command an argument list runs, where the settings come from, and the exit code and output
// that reach the caller.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestApplyCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_exe;

private Q_SLOTS:
    void initTestCase()
    {
        // The program's own file name (lanvex.exe on Windows, where a name without .exe is not
        // started), and the libraries a Windows build keeps beside it: without them the system
        // cannot load the copy at all.
        const QFileInfo program(QStringLiteral(LANVEX_EXE));
        m_exe = m_dir.filePath(program.fileName());
        QVERIFY(QFile::copy(LANVEX_EXE, m_exe));
        QVERIFY(QFile::setPermissions(m_exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        for (const QFileInfo& library : program.dir().entryInfoList({ u"*.dll"_s }, QDir::Files))
            QVERIFY(QFile::copy(library.filePath(), m_dir.filePath(library.fileName())));
        const QString network = m_dir.filePath(u"network.json"_s);
        QVERIFY(QFile::copy(LANVEX_SOURCE_DIR "/examples/simulated-network.json", network));
        QVERIFY(QFile::setPermissions(network, QFile::ReadOwner | QFile::WriteOwner));
        QFile settings(m_dir.filePath(u"lanvex.ini"_s));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Common]\r\nSites=Office\r\n[Office]\r\nIP=172.20.0.9\r\nSubNetMask=255.255.0.0\r\n"
                       "DefaultGateway=172.20.0.1\r\n");
        QFile elsewhere(m_dir.filePath(u"elsewhere.ini"_s));
        QVERIFY(elsewhere.open(QIODevice::WriteOnly));
        elsewhere.write("[Common]\r\nSites=Remote\r\n[Remote]\r\nIP=10.1.0.9\r\nSubNetMask=255.255.0.0\r\n"
                        "DefaultGateway=10.1.0.1\r\n");
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        // How stdout starts (which summary a result gets is tested with the command itself); with
        // exit code 2 stdout stays empty and the usage goes to stderr.
        QTest::addColumn<QString>("outStart");
        QTest::newRow("apply") << QStringList { "--apply", "Office" } << 0 << u"更新IP及子网掩码成功。\n"_s;
        QTest::newRow("apply to an adapter") << QStringList { "--apply", "Office", "--adapter", "5" } << 1 << QString();
        QTest::newRow("adapters") << QStringList { "--adapters" } << 0 << u"[\n"_s;
        QTest::newRow("help") << QStringList { "--help" } << 0 << u"Usage: lanvex "_s;
        QTest::newRow("apply without a name") << QStringList { "--apply" } << 2 << QString();
        QTest::newRow("adapter without apply") << QStringList { "--adapters", "--adapter", "1" } << 2 << QString();
        QTest::newRow("two commands") << QStringList { "--apply", "Office", "--adapters" } << 2 << QString();
        QTest::newRow("dry run without apply") << QStringList { "--adapters", "--dry-run" } << 2 << QString();
        QTest::newRow("json without apply") << QStringList { "--list", "--json" } << 2 << QString();
        QTest::newRow("dry run to be taken back")
            << QStringList { "--apply", "Office", "--dry-run", "--revert-after", "5" } << 2 << QString();
        QTest::newRow("watch with another command") << QStringList { "--watch", "--detect" } << 2 << QString();
        QTest::newRow("unknown argument") << QStringList { "--aply", "Office" } << 2 << QString();
        // Remote is saved only in the file --config names.
        QTest::newRow("--config names the settings file")
            << QStringList { "--config", m_dir.filePath(u"elsewhere.ini"_s), "--apply", "Remote" } << 0
            << u"更新IP及子网掩码成功。\n"_s;
        QTest::newRow("--config without a file") << QStringList { "--list", "--config" } << 2 << QString();
        QTest::newRow("repeated option") << QStringList { "--apply", "Office", "--adapter", "1", "--adapter", "1" } << 2
                                         << QString();
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, outStart);
        QProcess process;
        process.start(m_exe, QStringList { "--simulate", m_dir.filePath(u"network.json"_s) } + args);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(out.startsWith(outStart), qPrintable(out));
        if (exitCode == 2) {
            QCOMPARE(out, QString());
            QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains(u"Usage: lanvex "_s));
        }
    }
};

QTEST_GUILESS_MAIN(TestApplyCommandLine)
#include "tst_ApplyCommandLine.moc"
