#pragma once

#include <string>
#include <vector>

namespace lanvex::printer {

// Where printer names come from: the operating system (CUPS) or the simulated service.
class PrinterSource
{
public:
    virtual ~PrinterSource() = default;
    // The default printer's profile entry, "name,driver,port"; empty when no default is set.
    virtual std::string DefaultPrinterEntry() const = 0;
    // Installed printer names, in the platform's order.
    virtual std::vector<std::string> InstalledPrinters() const = 0;
};

// The default printer's name: the profile entry up to its first comma.
std::string GetDefaultPrinter(const PrinterSource& source);

} // namespace lanvex::printer
