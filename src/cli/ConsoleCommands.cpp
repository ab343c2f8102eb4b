#include "cli/ConsoleCommands.h"

#include "cli/AdapterCommands.h"
#include "cli/ConfirmCommand.h"
#include "cli/ListCommand.h"
#include "cli/StartCommands.h"
#include "cli/TransferCommands.h"
#include "cli/WatchCommand.h"
#include "platform/Process.h"
#include "platform/Services.h"
#include "store/ManagedSitesFile.h"

#include <ostream>

namespace lanvex::cli {

int RunConsoleCommand(const CommandLine& line, const store::SettingsLocation& settings, std::ostream& out,
                      std::ostream& err, const std::function<void()>& beforeService)
{
    switch (line.mode) {
    case CommandLine::Mode::Version:
        out << "lanvex " << LANVEX_VERSION_MAJOR << '.' << LANVEX_VERSION_MINOR << '.' << LANVEX_VERSION_REVISION
            << '\n';
        return 0;
    case CommandLine::Mode::Help:
        out << UsageText() << '\n'
            << store::DescribeSettingsLocation(settings)
            << store::DescribeManagedSettings(store::ManagedSettingsPath());
        return 0;
    case CommandLine::Mode::List:
        return RunListCommand(out, err);
    case CommandLine::Mode::Autostart:
        return RunAutostartCommand(line.autostart, platform::ProgramPath("lanvex"), out, err);
    case CommandLine::Mode::Switch:
        // The hand-over needs the window's single-instance channel, which the entry point holds.
        err << "lanvex: this build has no window to hand a site to\n";
        return 2;
    default:
        break;
    }
    if (beforeService)
        beforeService();
    if (line.mode == CommandLine::Mode::Export)
        return RunExportCommand(line.transferFile, out, err);
    if (line.mode == CommandLine::Mode::Import)
        return RunImportCommand(line.transferFile, line.replace, out, err);
    if (line.mode == CommandLine::Mode::Confirm)
        return RunConfirmCommand(out, err);
    platform::Services services = platform::MakeServices(line.simulateFile);
    if (line.mode == CommandLine::Mode::Adapters)
        return RunAdaptersCommand(services, out, err);
    if (line.mode == CommandLine::Mode::Detect)
        return RunDetectCommand(services, out, err);
    if (line.mode == CommandLine::Mode::Watch)
        return RunWatchCommand(services, line.simulateFile, out, err);
    if (line.dryRun)
        return RunDryRunCommand(services, line.siteName, line.adapterText, line.json, out, err);
    return RunApplyCommand(services, line.siteName, line.adapterText, out, err, line.revertAfter, line.json);
}

} // namespace lanvex::cli
