#include "cli/WatchCommand.h"

#include "cli/AdapterCommands.h"
#include "cli/ListCommand.h"
#include "net/AdapterQuery.h"
#include "platform/NetworkWatches.h"
#include "platform/Process.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"
#include "transfer/SiteJson.h"

#include <QCoreApplication>
#include <map>
#include <ostream>

namespace lanvex::cli {

namespace {

// Prints the lines that differ from the last ones printed for the same adapter.
class WatchPrinter
{
public:
    WatchPrinter(platform::Services& services, std::ostream& out, std::ostream& err)
        : m_services(services)
        , m_out(out)
        , m_err(err)
    { }

    // Reads the adapters and prints what changed; false when they could not be read.
    bool Tell()
    {
        std::vector<net::AdapterEntry> adapters;
        try {
            adapters = net::QueryAdapters(*m_services.connector, *m_services.printers);
        } catch (const net::ServiceError& error) {
            m_err << "lanvex: cannot read the adapters: " << error.what() << '\n';
            return false;
        }
        // Read each time: the sites that match may have been edited meanwhile.
        const store::SiteListModel model
            = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt, ReadManagedSitesFor(m_err));
        std::map<std::int32_t, std::string> lines;
        for (const net::AdapterEntry& adapter : adapters) {
            std::string line = transfer::JsonText(DetectRecord(adapter, model), -1);
            const auto last = m_last.find(adapter.Index);
            if (last == m_last.end() || last->second != line)
                m_out << line << '\n';
            lines.emplace(adapter.Index, std::move(line));
        }
        // An adapter that went away and comes back is told again.
        m_last = std::move(lines);
        m_out.flush();
        return true;
    }

    bool OutputOpen() const { return static_cast<bool>(m_out); }

private:
    platform::Services& m_services;
    std::ostream& m_out;
    std::ostream& m_err;
    std::map<std::int32_t, std::string> m_last;
};

} // namespace

int RunWatchCommand(platform::Services& services, const std::optional<std::string>& simulateFile, std::ostream& out,
                    std::ostream& err)
{
    // A reader that goes away (`lanvex --watch | head -1`) ends the watch through a failed write.
    platform::IgnoreBrokenPipe();
    WatchPrinter printer(services, out, err);
    // Watching starts before the first read, so that a change between the two is told too.
    const std::unique_ptr<net::NetworkWatch> watch = platform::MakeNetworkWatch(simulateFile);
    watch->Start([&printer] {
        printer.Tell();
        if (!printer.OutputOpen())
            QCoreApplication::exit(0);
    });
    if (!printer.Tell())
        return 1;
    if (!printer.OutputOpen())
        return 0;
    return QCoreApplication::exec();
}

} // namespace lanvex::cli
