// One window per user and settings file, with the program itself started beside the test, which
// holds the name a running window would.
#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using lanvex::app::SingleInstance;

namespace {

// A copy of the program in `folder`, with the simulated network and the settings file beside it.
QString InstallProgram(const QString& folder)
{
    QDir().mkpath(folder);
    const QString exe = folder + QStringLiteral("/lanvex");
    if (!QFile::copy(QStringLiteral(LANVEX_EXE), exe)
        || !QFile::copy(QStringLiteral(LANVEX_SOURCE_DIR "/examples/simulated-network.json"),
                        folder + QStringLiteral("/network.json"))
        || !QFile::copy(QStringLiteral(LANVEX_SOURCE_DIR "/examples/lanvex.ini"),
                        folder + QStringLiteral("/lanvex.ini")))
        return {};
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::ExeOwner);
    QFile::setPermissions(folder + QStringLiteral("/network.json"), QFile::ReadOwner | QFile::WriteOwner);
    return exe;
}

void Start(QProcess& process, const QString& exe, const QStringList& args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(exe, args);
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aSecondWindowRaisesTheFirstAndEnds()
    {
        QTemporaryDir dir;
        const QString exe = InstallProgram(dir.path());
        QVERIFY(!exe.isEmpty());
        const QString network = dir.filePath(QStringLiteral("network.json"));

        // This test stands for the window already running on that settings file.
        SingleInstance running(dir.filePath(QStringLiteral("lanvex.ini")));
        QVERIFY(running.Claim());
        QSignalSpy raised(&running, &SingleInstance::activationRequested);
        QProcess second;
        Start(second, exe, { QStringLiteral("--simulate"), network });
        QTRY_COMPARE_WITH_TIMEOUT(raised.count(), 1, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 30000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        // The commands never wait for a window.
        QProcess list;
        Start(list, exe, { QStringLiteral("--list") });
        QVERIFY(list.waitForFinished(30000));
        QCOMPARE(list.exitCode(), 0);
        QVERIFY(list.readAllStandardOutput().startsWith("[\n{\"Name\""));
        QCOMPARE(raised.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_SingleInstance.moc"
