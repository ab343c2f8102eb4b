// One window per user and settings file, with the program itself started beside the test, which
// holds the name a running window would.
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#ifndef _WIN32
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using lanvex::platform::SingleInstance;

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

#ifndef _WIN32
// A raw connection to a running window's socket, as any local process could open one.
int ConnectTo(const QString& name)
{
    const QByteArray bytes = name.toUtf8();
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + bytes.size());
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
#endif

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

#ifndef _WIN32
    // Callers that say something else, or nothing at all, neither raise the window nor keep it
    // from answering a real start.
    void strayCallersHoldNothingUp()
    {
        QTemporaryDir dir;
        const QString exe = InstallProgram(dir.path());
        QVERIFY(!exe.isEmpty());
        const QString settings = dir.filePath(QStringLiteral("lanvex.ini"));
        SingleInstance running(settings);
        QVERIFY(running.Claim());
        QSignalSpy raised(&running, &SingleInstance::activationRequested);

        const int wrong = ConnectTo(SingleInstance::ServerName(settings));
        QVERIFY(wrong >= 0);
        QCOMPARE(::write(wrong, "raise\n", 6), 6);
        const int silent = ConnectTo(SingleInstance::ServerName(settings));
        QVERIFY(silent >= 0);
        QTest::qWait(100);

        QProcess second;
        Start(second, exe, { QStringLiteral("--simulate"), dir.filePath(QStringLiteral("network.json")) });
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 30000);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(raised.count(), 1);
        // The wrong request was answered by closing the connection.
        char answer[4] = {};
        QCOMPARE(::read(wrong, answer, sizeof answer), 0);
        ::close(wrong);
        ::close(silent);
    }
#endif
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_SingleInstance.moc"
