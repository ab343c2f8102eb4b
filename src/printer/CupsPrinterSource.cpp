#include "printer/CupsPrinterSource.h"

#include <QPrinterInfo>
#include <QString>
#include <QStringList>

namespace lanvex::printer {

std::string CupsPrinterSource::DefaultPrinterEntry() const
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty())
        return {};
    // The queue name stands in for the port: CUPS does not expose the device URI through Qt.
    return (info.printerName() + QStringLiteral(",cups,") + info.printerName()).toStdString();
}

std::vector<std::string> CupsPrinterSource::InstalledPrinters() const
{
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        names.push_back(name.toStdString());
    return names;
}

} // namespace lanvex::printer
