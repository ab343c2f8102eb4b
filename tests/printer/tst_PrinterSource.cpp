// The default printer's name from its profile entry.
#include "printer/PrinterSource.h"

#include <QTest>

using namespace lanvex;
using namespace Qt::StringLiterals;

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
        QTest::newRow("full entry") << u"Office Laser,winspool,Ne01:"_s << u"Office Laser"_s;
        QTest::newRow("none set") << QString() << QString();
        QTest::newRow("no comma") << u"Front Desk"_s << u"Front Desk"_s;
        QTest::newRow("comma in the name") << u"Laser, 2nd floor,winspool,Ne02:"_s << u"Laser"_s;
        QTest::newRow("leading comma") << u",winspool,Ne01:"_s << QString();
        QTest::newRow("chinese name") << u"财务室打印机,cups,ipp://host/q"_s << u"财务室打印机"_s;
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
