#pragma once

#include "printer/PrinterSource.h"

namespace lanvex::printer {

// The printers CUPS knows, from libcups (safe to call from any thread). The default printer's entry is
// "<name>,cups,<device URI or queue name>", so the part before the first comma is the name that
// the printer list also holds. A new default is the user's own, as `lpoptions -d` sets it: in
// ~/.cups/lpoptions (root's in the server root's lpoptions), through cupsSetDests2.
class CupsPrinterSource : public PrinterSource
{
public:
    std::string DefaultPrinterEntry() const override;
    std::vector<std::string> InstalledPrinters() const override;
    DefaultPrinterChange SetDefaultPrinter(const std::string& name) const override;
};

} // namespace lanvex::printer
