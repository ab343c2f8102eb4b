#pragma once

#include "printer/PrinterSource.h"

namespace lanvex::printer {

// The printers of Windows: the default printer's entry of the user profile ("windows", "Device")
// and the local printers and printer connections that winspool lists.
class WinspoolPrinterSource : public PrinterSource
{
public:
    std::string DefaultPrinterEntry() const override;
    std::vector<std::string> InstalledPrinters() const override;
    DefaultPrinterChange SetDefaultPrinter(const std::string& name) const override;
};

} // namespace lanvex::printer
