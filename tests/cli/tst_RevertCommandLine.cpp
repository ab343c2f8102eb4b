// An apply that waits to be kept, run as the user runs it: lanvex --apply NAME --revert-after
// SECONDS in one process and lanvex --confirm in another, over the simulated service, whose file
// shows every call. Each test has its own runtime folder, so the user's channel is the test's alone.
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The adapter's state and the calls since the copy of the example file.
struct Network
{
    QString address;
    QStringList dns;
    QStringList calls; // "method first-argument"
};

QString firstArgument(const QJsonValue& args)
{
    const QJsonValue first = args.toArray().first();
    return first.isArray() ? first.toArray().first().toString() : first.toString();
}

} // namespace

class TestRevertCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // A fresh network: adapter 1 static 192.168.1.10 with DNS 192.168.1.53 and 8.8.8.8.
    void freshNetwork()
    {
        QFile example(QStringLiteral(LANVEX_SOURCE_DIR "/examples/simulated-network.json"));
        QVERIFY(example.open(QIODevice::ReadOnly));
        writeFile(u"network.json"_s, example.readAll());
    }

    Network readNetwork() const
    {
        QFile file(path(u"network.json"_s));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QJsonObject network = QJsonDocument::fromJson(file.readAll()).object();
        const QJsonObject adapter = network.value(u"adapters"_s).toArray().first().toObject();
        Network result;
        result.address = adapter.value(u"IPAddress"_s).toArray().first().toString();
        for (const QJsonValue& server : adapter.value(u"DNSServerSearchOrder"_s).toArray())
            result.dns << server.toString();
        for (const QJsonValue& call : network.value(u"calls"_s).toArray())
            result.calls << call[u"method"_s].toString() + u' ' + firstArgument(call[u"args"_s]);
        return result;
    }

    // With `runtimeFolder` false, lanvex runs as in a session without XDG_RUNTIME_DIR.
    void start(QProcess& process, const QStringList& args, bool runtimeFolder = true)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (runtimeFolder)
            environment.insert(u"XDG_RUNTIME_DIR"_s, path(u"run"_s));
        else
            environment.remove(u"XDG_RUNTIME_DIR"_s);
        environment.insert(u"XDG_CACHE_HOME"_s, path(u"cache"_s));
        environment.insert(u"LANGUAGE"_s, u"zh_CN"_s);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(LANVEX_EXE),
                      QStringList { "--config", path(u"lanvex.ini"_s), "--simulate", path(u"network.json"_s) } + args);
        QVERIFY(process.waitForStarted());
    }

    // Runs lanvex to its end; its exit code.
    int run(const QStringList& args, QString* out = nullptr, bool runtimeFolder = true)
    {
        QProcess process;
        start(process, args, runtimeFolder);
        if (!process.waitForFinished(60000))
            return -1;
        if (out)
            *out = QString::fromUtf8(process.readAllStandardOutput());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // Waits until a waiting apply says it waits (its stderr names lanvex --confirm).
    static bool waitsForConfirm(QProcess& process)
    {
        QByteArray err;
        QDeadlineTimer deadline(60000);
        while (!err.contains("lanvex --confirm") && !deadline.hasExpired() && process.state() == QProcess::Running) {
            process.waitForReadyRead(200);
            err += process.readAllStandardError();
        }
        return err.contains("lanvex --confirm");
    }

private Q_SLOTS:
    void init()
    {
        QDir().mkpath(path(u"run"_s));
        QVERIFY(QFile::setPermissions(path(u"run"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        writeFile(u"lanvex.ini"_s,
                  "[Common]\r\nSites=Office,Home\r\n[Office]\r\nIP=172.20.0.9\r\n"
                  "SubNetMask=255.255.0.0\r\nDefaultGateway=172.20.0.1\r\nChangeDNS=1\r\n"
                  "DNS=172.20.0.53\r\n[Home]\r\nDHCPEnabled=1\r\n");
        freshNetwork();
    }

    // Nothing confirms: the adapter is back as it was.
    void notConfirmedRestores()
    {
        QString out;
        QCOMPARE(run({ "--apply", "Office", "--revert-after", "1" }, &out), 1);
        const Network network = readNetwork();
        QCOMPARE(network.address, u"192.168.1.10"_s);
        QCOMPARE(network.dns, (QStringList { "192.168.1.53", "8.8.8.8" }));
        QCOMPARE(network.calls.size(), 7); // the address check, the apply's three, the restore's three
        QVERIFY2(out.contains(u"1秒内没有确认。\n已恢复网卡之前的设置：IP地址 192.168.1.10"_s), qPrintable(out));
        // The change has ended: nothing waits any more.
        QCOMPARE(run({ "--confirm" }), 1);
    }

    // A second process confirms: the new settings stay and both exit 0. While one apply waits, a
    // second is refused before it changes anything.
    void confirmedKeeps()
    {
        QProcess apply;
        start(apply, { "--apply", "Home", "--revert-after", "60" });
        QVERIFY(waitsForConfirm(apply));
        QCOMPARE(run({ "--apply", "Office", "--revert-after", "60" }), 1);
        QCOMPARE(readNetwork().calls, QStringList { "EnableDHCP " });
        QCOMPARE(run({ "--confirm" }), 0);
        QVERIFY(apply.waitForFinished(60000));
        QCOMPARE(apply.exitCode(), 0);
        QVERIFY(QString::fromUtf8(apply.readAllStandardOutput()).endsWith(u"已确认，保留新设置。\n"_s));
        QCOMPARE(readNetwork().calls, QStringList { "EnableDHCP " });
        QCOMPARE(run({ "--confirm" }), 1);
    }

    // Without a runtime folder the channel lives in a private folder of the user's own cache, never
    // under a fixed name another user could make first; the change is kept as with one.
    void keptWithoutRuntimeFolder()
    {
        if (QSysInfo::kernelType() == u"winnt"_s)
            QSKIP("Windows has no runtime folder: its channel is a named pipe");
        QProcess apply;
        start(apply, { "--apply", "Home", "--revert-after", "60" }, false);
        QVERIFY(waitsForConfirm(apply));
        const QFileInfo folder(path(u"cache/lanvex"_s));
        QVERIFY(folder.isDir());
        QCOMPARE(folder.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
        QVERIFY(QFileInfo::exists(path(u"cache/lanvex/lanvex-confirm"_s)));
        QCOMPARE(run({ "--confirm" }, nullptr, false), 0);
        QVERIFY(apply.waitForFinished(60000));
        QCOMPARE(apply.exitCode(), 0);
        QCOMPARE(readNetwork().calls, QStringList { "EnableDHCP " });
    }

    // The reader of the output goes away (a dropped ssh session, an ended `| tee`): the output is
    // lost, but the change is still taken back and the program ends as it would with its reader.
    void lostReaderStillRestores()
    {
        if (QStandardPaths::findExecutable(u"head"_s).isEmpty())
            QSKIP("the reader that goes away is head, which this system lacks");
        QProcess apply;
        QProcess reader; // takes one line, then closes the pipe
        apply.setProcessChannelMode(QProcess::MergedChannels);
        apply.setStandardOutputProcess(&reader);
        start(apply, { "--apply", "Office", "--revert-after", "1" });
        reader.start(u"head"_s, { "-n", "1" });
        QVERIFY(reader.waitForFinished(60000));
        QVERIFY(apply.waitForFinished(60000));
        QCOMPARE(apply.exitStatus(), QProcess::NormalExit);
        QCOMPARE(apply.exitCode(), 1);
        const Network network = readNetwork();
        QCOMPARE(network.address, u"192.168.1.10"_s);
        QCOMPARE(network.calls.size(), 7);
    }

    void badSeconds_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("zero") << QStringList { "--apply", "Office", "--revert-after", "0" };
        QTest::newRow("over an hour") << QStringList { "--apply", "Office", "--revert-after", "3601" };
        QTest::newRow("not a number") << QStringList { "--apply", "Office", "--revert-after", "10s" };
        QTest::newRow("signed") << QStringList { "--apply", "Office", "--revert-after", "+10" };
        QTest::newRow("huge") << QStringList { "--apply", "Office", "--revert-after", "99999999999999999999" };
        QTest::newRow("without --apply") << QStringList { "--adapters", "--revert-after", "10" };
        QTest::newRow("with another command") << QStringList { "--confirm", "--list" };
    }

    // Bad usage changes nothing and exits 2.
    void badSeconds()
    {
        QFETCH(QStringList, args);
        QCOMPARE(run(args), 2);
        QCOMPARE(readNetwork().calls, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestRevertCommandLine)
#include "tst_RevertCommandLine.moc"
