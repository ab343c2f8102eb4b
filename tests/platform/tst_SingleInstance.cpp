// One window per user and settings file, with the program itself started beside the test, which
// holds the name a running window would.
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#ifdef _WIN32
#include <QLocalSocket>
#endif
#ifndef _WIN32
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#endif

using lanvex::platform::CallerRequest;
Q_DECLARE_METATYPE(lanvex::platform::CallerRequest)
using lanvex::platform::SingleInstance;

namespace {

// The simulated network and the settings file in `folder`, for the program to start on; returns
// the program.
QString InstallProgram(const QString& folder)
{
    QDir().mkpath(folder);
    if (!QFile::copy(QStringLiteral(LANVEX_SOURCE_DIR "/examples/simulated-network.json"),
                     folder + QStringLiteral("/network.json"))
        || !QFile::copy(QStringLiteral(LANVEX_SOURCE_DIR "/examples/lanvex.ini"),
                        folder + QStringLiteral("/lanvex.ini")))
        return {};
    QFile::setPermissions(folder + QStringLiteral("/network.json"), QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(folder + QStringLiteral("/lanvex.ini"), QFile::ReadOwner | QFile::WriteOwner);
    return QStringLiteral(LANVEX_EXE);
}

// Starts the program on the settings file of `folder`, on the test's own display platform.
void Start(QProcess& process, const QString& exe, const QString& folder, QStringList args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    args.prepend(folder + QStringLiteral("/lanvex.ini"));
    args.prepend(QStringLiteral("--config"));
    process.start(exe, args);
}

#ifndef _WIN32
// Whether the simulated network's log holds an EnableStatic call that sets `address`.
bool StaticCallSets(const QString& network, const QString& address)
{
    QFile file(network);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonArray calls = QJsonDocument::fromJson(file.readAll()).object()[QStringLiteral("calls")].toArray();
    for (const QJsonValue& call : calls)
        if (call[QStringLiteral("method")].toString() == QLatin1String("EnableStatic")
            && QJsonDocument(call[QStringLiteral("args")].toArray()).toJson().contains(address.toUtf8()))
            return true;
    return false;
}

// A socket on the path of the user's runtime folder, as a later start reaches the window there.
int ConnectToPath(const QByteArray& bytes)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Runs `body` in a child process that then waits to be killed; returns once `body` is done.
template <typename Body> pid_t RunInChild(Body body)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        const char ok = body() ? 1 : 0;
        [[maybe_unused]] const auto written = ::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char ok = 0;
    const bool done = pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok == 1;
    ::close(ready[0]);
    if (!done && pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

void EndChild(pid_t pid)
{
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

double ProcessorSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
#endif

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void callerRequests_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<bool>("ended");
        QTest::addColumn<CallerRequest>("request");
        QTest::addColumn<QString>("site");
        QTest::newRow("show") << QByteArray("show\n") << false << CallerRequest::Show << QString();
        QTest::newRow("switch") << QByteArray("switch 上海 分公司\n") << false << CallerRequest::Switch
                                << QStringLiteral("上海 分公司");
        QTest::newRow("half a line") << QByteArray("switch 上海") << false << CallerRequest::Incomplete << QString();
        QTest::newRow("cut short") << QByteArray("switch 上海") << true << CallerRequest::Refused << QString();
        QTest::newRow("no name") << QByteArray("switch \n") << false << CallerRequest::Refused << QString();
        QTest::newRow("more after") << QByteArray("switch a\nshow\n") << false << CallerRequest::Refused << QString();
        QTest::newRow("too long") << QByteArray("switch ") + QByteArray(lanvex::platform::kMaxRequest, 'x') << false
                                  << CallerRequest::Refused << QString();
    }
    void callerRequests()
    {
        QFETCH(QByteArray, received);
        QFETCH(bool, ended);
        QFETCH(CallerRequest, request);
        QFETCH(QString, site);
        QCOMPARE(lanvex::platform::ReadCallerRequest(received, ended), request);
        if (request == CallerRequest::Switch)
            QCOMPARE(lanvex::platform::SwitchRequestName(received), site);
    }

    // --switch hands a saved site to the copy that holds the settings file and ends once it is
    // taken. A name the file lacks is refused before anything is handed over; one the running
    // copy lacks (its list is older) is refused by it.
    void switchHandsTheSiteToTheRunningCopy()
    {
        QTemporaryDir dir;
        const QString exe = InstallProgram(dir.path());
        QVERIFY(!exe.isEmpty());
        SingleInstance running(dir.filePath(QStringLiteral("lanvex.ini")));
        QVERIFY(running.Claim());
        QStringList taken;
        bool known = true;
        running.SetSwitchHandler([&](const QString& site) {
            taken << site;
            return known;
        });
        QSignalSpy raised(&running, &SingleInstance::activationRequested);
        const auto switchTo = [&](const QString& site) {
            QProcess call;
            Start(call, exe, dir.path(), { QStringLiteral("--switch"), site });
            return QTest::qWaitFor([&call] { return call.state() == QProcess::NotRunning; }, 30000) ? call.exitCode()
                                                                                                    : -1;
        };
        QCOMPARE(switchTo(QStringLiteral("上海分公司")), 0);
        QCOMPARE(taken, QStringList { QStringLiteral("上海分公司") });
        QCOMPARE(switchTo(QStringLiteral("上海")), 1);
        QCOMPARE(taken.size(), 1);
        known = false;
        QCOMPARE(switchTo(QStringLiteral("家里")), 1);
        QCOMPARE(taken, (QStringList { QStringLiteral("上海分公司"), QStringLiteral("家里") }));
        QCOMPARE(raised.count(), 0);
    }

#ifndef _WIN32
    // The real thing over the simulated network: --switch applies the site in the running window,
    // and with none running it starts the tray-only copy, which applies it.
    void switchAppliesInTheWindowOrATrayItStarts()
    {
        QTemporaryDir runtime;
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        const auto restore = qScopeGuard([&] {
            if (oldRuntime.isEmpty())
                qunsetenv("XDG_RUNTIME_DIR");
            else
                qputenv("XDG_RUNTIME_DIR", oldRuntime);
        });
        QTemporaryDir dir;
        const QString exe = InstallProgram(dir.path());
        QVERIFY(!exe.isEmpty());
        const QString settings = dir.filePath(QStringLiteral("lanvex.ini"));
        const QString network = dir.filePath(QStringLiteral("network.json"));
        const QStringList simulate { QStringLiteral("--simulate"), network };
        SingleInstance probe(settings);
        const auto switchTo = [&](const QString& site) {
            QProcess call;
            Start(call, exe, dir.path(), QStringList { QStringLiteral("--switch"), site } + simulate);
            return call.waitForFinished(30000) ? call.exitCode() : -1;
        };

        QProcess window;
        Start(window, exe, dir.path(), simulate);
        const auto endWindow = qScopeGuard([&window] {
            window.kill();
            window.waitForFinished();
        });
        // Listening once it answers for a site it lacks.
        QTRY_VERIFY_WITH_TIMEOUT(
            probe.AskRunningToSwitch(QStringLiteral("没有的")) == SingleInstance::HandOver::UnknownSite, 30000);
        QCOMPARE(switchTo(QStringLiteral("上海分公司")), 0);
        QTRY_VERIFY_WITH_TIMEOUT(StaticCallSets(network, QStringLiteral("10.20.0.15")), 30000);
        window.kill();
        QVERIFY(window.waitForFinished());

        QCOMPARE(probe.AskRunningToSwitch(QStringLiteral("实验室")), SingleInstance::HandOver::NoneRunning);
        QCOMPARE(switchTo(QStringLiteral("实验室")), 0);
        QTRY_VERIFY_WITH_TIMEOUT(StaticCallSets(network, QStringLiteral("172.16.5.40")), 30000);
        // The copy it started holds the name; it is ended through its socket's peer.
        const int socket = ConnectToPath(runtime.filePath(SingleInstance::ServerName(settings)).toUtf8());
        QVERIFY(socket >= 0);
        ucred peer {};
        socklen_t size = sizeof peer;
        QCOMPARE(::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size), 0);
        ::close(socket);
        QVERIFY(peer.pid > 0 && peer.pid != ::getpid());
        QCOMPARE(::kill(peer.pid, SIGTERM), 0);
        QTRY_COMPARE_WITH_TIMEOUT(probe.AskRunningToSwitch(QStringLiteral("没有的")),
                                  SingleInstance::HandOver::NoneRunning, 30000);
    }
#endif

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
        Start(second, exe, dir.path(), { QStringLiteral("--simulate"), network });
        QTRY_COMPARE_WITH_TIMEOUT(raised.count(), 1, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 30000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        // The commands never wait for a window.
        QProcess list;
        Start(list, exe, dir.path(), { QStringLiteral("--list") });
        QVERIFY(list.waitForFinished(30000));
        QCOMPARE(list.exitCode(), 0);
        QVERIFY(list.readAllStandardOutput().startsWith("[\n{\"Name\""));
        QCOMPARE(raised.count(), 1);
    }

#ifndef _WIN32
    // Callers that say something else, or nothing at all, neither raise the window nor keep it
    // from answering a real start. Without a runtime folder the name lives in a private folder of
    // the user's cache, never under a fixed name another user could take first.
    void strayCallersHoldNothingUp()
    {
        QTemporaryDir cache;
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
        const auto restore = qScopeGuard([&] {
            const auto put = [](const char* name, const QByteArray& value) {
                if (value.isEmpty())
                    qunsetenv(name);
                else
                    qputenv(name, value);
            };
            put("XDG_RUNTIME_DIR", oldRuntime);
            put("XDG_CACHE_HOME", oldCache);
        });
        QTemporaryDir dir;
        const QString exe = InstallProgram(dir.path());
        QVERIFY(!exe.isEmpty());
        const QString settings = dir.filePath(QStringLiteral("lanvex.ini"));
        SingleInstance running(settings);
        QVERIFY(running.Claim());
        QSignalSpy raised(&running, &SingleInstance::activationRequested);
        const QString folder = cache.filePath(QStringLiteral("lanvex"));
        struct stat info = {};
        QCOMPARE(::lstat(QFile::encodeName(folder).constData(), &info), 0);
        QVERIFY(S_ISDIR(info.st_mode));
        QCOMPARE(info.st_mode & 0777, mode_t(0700));
        const QByteArray socketPath = (folder + u'/' + SingleInstance::ServerName(settings)).toUtf8();

        const int wrong = ConnectToPath(socketPath);
        QVERIFY(wrong >= 0);
        QCOMPARE(::write(wrong, "raise\n", 6), 6);
        const int silent = ConnectToPath(socketPath);
        QVERIFY(silent >= 0);
        QTest::qWait(100);

        QProcess second;
        Start(second, exe, dir.path(), { QStringLiteral("--simulate"), dir.filePath(QStringLiteral("network.json")) });
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 30000);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(raised.count(), 1);
        // The wrong request was answered by closing the connection.
        char answer[4] = {};
        QCOMPARE(::read(wrong, answer, sizeof answer), 0);
        ::close(wrong);
        ::close(silent);
    }

    // In the user's runtime folder, the name is out of other users' reach: one who holds the
    // abstract name first changes nothing. Silent callers beyond the descriptor limit neither
    // keep the window busy nor keep a real start out for good.
    void theNameIsTheUsersAndSilentCallersPass()
    {
        QTemporaryDir runtime;
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        const auto restore = qScopeGuard([&] {
            if (oldRuntime.isEmpty())
                qunsetenv("XDG_RUNTIME_DIR");
            else
                qputenv("XDG_RUNTIME_DIR", oldRuntime);
        });

        QTemporaryDir dir;
        const QString exe = InstallProgram(dir.path());
        QVERIFY(!exe.isEmpty());
        const QString settings = dir.filePath(QStringLiteral("lanvex.ini"));
        const QString name = SingleInstance::ServerName(settings);
        // Another user where the test may be one (as root), else another listener of this user.
        // The child only makes system calls: the test's threads may hold locks it would wait for.
        const QByteArray bytes = name.toUtf8();
        const pid_t squatter = RunInChild([&bytes] {
            if (::geteuid() == 0 && ::setuid(65534) != 0)
                return false;
            sockaddr_un address {};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path + 1, bytes.constData(), static_cast<std::size_t>(bytes.size()));
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + bytes.size());
            return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 && ::listen(fd, 4) == 0;
        });
        QVERIFY(squatter > 0);
        const auto endSquatter = qScopeGuard([squatter] { EndChild(squatter); });

        SingleInstance running(settings);
        QVERIFY(running.Claim());
        QSignalSpy raised(&running, &SingleInstance::activationRequested);
        const QByteArray socketPath = runtime.filePath(name).toUtf8();
        QVERIFY(QFileInfo::exists(QString::fromUtf8(socketPath)));

        // A stray caller there is turned away as on the abstract name. Handled before the descriptors
        // run out, it also spares the sanitizers' type checks, which need a descriptor of their own.
        const int stray = ConnectToPath(socketPath);
        QVERIFY(stray >= 0);
        QCOMPARE(::write(stray, "raise\n", 6), 6);
        char answer[4] = {};
        QTRY_COMPARE(::recv(stray, answer, sizeof answer, MSG_DONTWAIT), ssize_t(0));
        ::close(stray);

        // 400 callers that say nothing, against a limit of 256 descriptors.
        const pid_t flood = RunInChild([&socketPath] {
            for (int i = 0; i < 400; ++i)
                if (ConnectToPath(socketPath) < 0)
                    return false;
            return true;
        });
        QVERIFY(flood > 0);
        const auto endFlood = qScopeGuard([flood] { EndChild(flood); });
        rlimit limit {};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &limit), 0);
        rlimit low = limit;
        low.rlim_cur = 256;
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &low), 0);
        const double before = ProcessorSeconds();
        QTest::qWait(1500);
        const double busy = ProcessorSeconds() - before;
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &limit), 0);
        QVERIFY2(busy < 0.3, qPrintable(QStringLiteral("%1 s of processor time in 1.5 s").arg(busy)));

        // The silent ones are dropped in time, and a real start raises the window.
        QProcess second;
        Start(second, exe, dir.path(), { QStringLiteral("--simulate"), dir.filePath(QStringLiteral("network.json")) });
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 30000);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(raised.count(), 1);
    }
#endif
#ifdef _WIN32
    // A caller that says nothing is dropped in time, and a real start still raises the window.
    void silentCallersAreDropped()
    {
        QTemporaryDir dir;
        const QString exe = InstallProgram(dir.path());
        QVERIFY(!exe.isEmpty());
        const QString settings = dir.filePath(QStringLiteral("lanvex.ini"));
        SingleInstance running(settings);
        QVERIFY(running.Claim());
        QSignalSpy raised(&running, &SingleInstance::activationRequested);

        QLocalSocket silent;
        silent.connectToServer(SingleInstance::ServerName(settings));
        QVERIFY(silent.waitForConnected(5000));
        QTRY_COMPARE_WITH_TIMEOUT(silent.state(), QLocalSocket::UnconnectedState, 15000);
        QCOMPARE(raised.count(), 0);

        QLocalSocket waiting;
        waiting.connectToServer(SingleInstance::ServerName(settings));
        QVERIFY(waiting.waitForConnected(5000));
        QProcess second;
        Start(second, exe, dir.path(), { QStringLiteral("--simulate"), dir.filePath(QStringLiteral("network.json")) });
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 30000);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(raised.count(), 1);
    }
#endif
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_SingleInstance.moc"
