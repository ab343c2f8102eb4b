// The default printer's name from its profile entry.
#include "printer/PrinterSource.h"

#include <QTest>

using namespace lanvex;

namespace {

class EntryOnly : public printer::PrinterSource
{
public:
    explicit EntryOnly(std::string entry)
        : entry_(std::move(entry))
    { }
    std::string DefaultPrinterEntry() const override { return entry_; }
    std::vector<std::string> InstalledPrinters() const override { return {}; }

private:
    std::string entry_;
};

} // namespace

class TestPrinterSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultPrinterName_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("name");
        QTest::newRow("full entry") << "Office Laser,winspool,Ne01:"
                                    << "Office Laser";
        QTest::newRow("none set") << ""
                                  << "";
        QTest::newRow("no comma") << "Front Desk"
                                  << "Front Desk";
        QTest::newRow("comma in the name") << "Laser, 2nd floor,winspool,Ne02:"
                                           << "Laser";
        QTest::newRow("leading comma") << ",winspool,Ne01:"
                                       << "";
        QTest::newRow("chinese name") << "财务室打印机,cups,ipp://host/q"
                                      << "财务室打印机";
    }

    void defaultPrinterName()
    {
        QFETCH(QString, entry);
        QFETCH(QString, name);
        QCOMPARE(QString::fromStdString(printer::GetDefaultPrinter(EntryOnly(entry.toStdString()))), name);
    }
};

QTEST_GUILESS_MAIN(TestPrinterSource)
#include "tst_PrinterSource.moc"
