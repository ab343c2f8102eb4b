#include "cli/TransferCommands.h"

#include "store/IniModule.h"
#include "transfer/SiteTransfer.h"

#include <ostream>

namespace lanvex::cli {

using transfer::TransferReport;

int RunExportCommand(const std::string& exportPath, std::ostream& out, std::ostream& err)
{
    const TransferReport report = transfer::ExportSites(store::IniFileName, exportPath);
    (report.failed ? err : out) << transfer::ExportReportText(report, exportPath) << '\n';
    return report.ExitCode();
}

int RunImportCommand(const std::string& importPath, bool replace, std::ostream& out, std::ostream& err)
{
    const TransferReport report = transfer::ImportSites(store::IniFileName, importPath, replace);
    for (const std::string& line : transfer::ImportReportLines(report))
        (report.failed ? err : out) << line << '\n';
    return report.ExitCode();
}

} // namespace lanvex::cli
