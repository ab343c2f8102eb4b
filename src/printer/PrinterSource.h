#pragma once

#include <string>
#include <vector>

namespace lanvex::printer {

// The outcome of making a printer the user's default.
enum class DefaultPrinterChange
{
    Done,
    NotInstalled, // no installed printer has that name
    NoAnswer, // the print service did not answer in time
    Failed // the system refused or can't be reached
};

// Where printer names come from: the operating system (CUPS) or the simulated service.
class PrinterSource
{
public:
    virtual ~PrinterSource() = default;
    // The default printer's profile entry, "name,driver,port"; empty when no default is set.
    virtual std::string DefaultPrinterEntry() const = 0;
    // Installed printer names, in the platform's order.
    virtual std::vector<std::string> InstalledPrinters() const = 0;
    // Makes the installed printer `name` the user's default. A source that only reads fails.
    virtual DefaultPrinterChange SetDefaultPrinter(const std::string& name) const;
};

// The default printer's name: the profile entry up to its first comma.
std::string GetDefaultPrinter(const PrinterSource& source);

} // namespace lanvex::printer
