// The CUPS printer source against the private server that cups-server.sh starts (CUPS_SERVER).
#include "printer/CupsPrinterSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace lanvex;

class TestCupsPrinterSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void seesExactlyTheServersPrinters()
    {
        if (::geteuid() != 0)
            QSKIP("the private CUPS server needs root");
        QVERIFY(!qEnvironmentVariableIsEmpty("CUPS_SERVER"));
        printer::CupsPrinterSource source;
        std::vector<std::string> names = source.InstalledPrinters();
        std::sort(names.begin(), names.end());
        QCOMPARE(names, (std::vector<std::string> { "Lanvex_Front_Desk", "Lanvex_Office" }));
        QVERIFY(source.DefaultPrinterEntry().rfind("Lanvex_Office,", 0) == 0);
    }

    // The user's default, as lpstat reads it too; a printer that isn't there changes nothing.
    void setsTheUsersDefault()
    {
        if (::geteuid() != 0)
            QSKIP("the private CUPS server needs root");
        QVERIFY(QDir().mkpath(qEnvironmentVariable("CUPS_SERVERROOT")));
        printer::CupsPrinterSource source;
        QCOMPARE(source.SetDefaultPrinter("Lanvex_Front_Desk"), printer::DefaultPrinterChange::Done);
        QVERIFY(source.DefaultPrinterEntry().rfind("Lanvex_Front_Desk,", 0) == 0);
        QProcess lpstat;
        lpstat.start(QStringLiteral("lpstat"), { QStringLiteral("-d") });
        QVERIFY(lpstat.waitForFinished());
        QVERIFY2(lpstat.readAllStandardOutput().contains("Lanvex_Front_Desk"), "lpstat -d names another printer");

        QCOMPARE(source.SetDefaultPrinter("Lanvex_Gone"), printer::DefaultPrinterChange::NotInstalled);
        QVERIFY(source.DefaultPrinterEntry().rfind("Lanvex_Front_Desk,", 0) == 0);
        QCOMPARE(source.SetDefaultPrinter("Lanvex_Office"), printer::DefaultPrinterChange::Done);
    }

    // A server that takes the connection and never answers: the wait ends, and the outcome says the
    // service did not answer rather than that the printer is missing.
    void silentServerIsNoAnswer()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("silent.sock")));
        const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(listener >= 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()) + 1);
        QCOMPARE(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        QCOMPARE(::listen(listener, 8), 0);

        const QByteArray server = qgetenv("CUPS_SERVER");
        qputenv("CUPS_SERVER", path);
        // libcups reads CUPS_SERVER once per thread.
        printer::DefaultPrinterChange change = printer::DefaultPrinterChange::Done;
        std::thread([&change] { change = printer::CupsPrinterSource().SetDefaultPrinter("Lanvex_Office"); }).join();
        qputenv("CUPS_SERVER", server);
        ::close(listener);
        QCOMPARE(change, printer::DefaultPrinterChange::NoAnswer);
    }
};

int main(int argc, char** argv)
{
    // The user's own choice of default would hide the server's.
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
    // The command-line modes have no GUI application object; the source must work without one.
    QCoreApplication app(argc, argv);
    TestCupsPrinterSource test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_CupsPrinterSource.moc"
