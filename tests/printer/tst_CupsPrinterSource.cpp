// The CUPS printer source against the private server that cups-server.sh starts (CUPS_SERVER).
#include "printer/CupsPrinterSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <algorithm>
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
