#include "printer/PrinterSource.h"

namespace lanvex::printer {

DefaultPrinterChange PrinterSource::SetDefaultPrinter(const std::string&) const
{
    return DefaultPrinterChange::Failed;
}

std::string GetDefaultPrinter(const PrinterSource& source)
{
    const std::string entry = source.DefaultPrinterEntry();
    return entry.substr(0, entry.find(','));
}

} // namespace lanvex::printer
