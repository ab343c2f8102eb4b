// The CUPS printer source against the private server that cups-server.sh starts (CUPS_SERVER).
#include "printer/CupsPrinterSource.h"

#include <QCoreApplication>
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
