#include "printer/PrinterSource.h"

namespace lanvex::printer {

std::string GetDefaultPrinter(const PrinterSource& source)
{
    const std::string entry = source.DefaultPrinterEntry();
    return entry.substr(0, entry.find(','));
}

} // namespace lanvex::printer
