#include "printer/CupsPrinterSource.h"

#include <QLibrary>
#include <cups/cups.h>

namespace lanvex::printer {

namespace {

// libcups is opened the first time the printers are asked for rather than linked: it brings TLS,
// Kerberos and Avahi with it, which would slow every start of the program, the command line's
// included. A system without it simply has no printers to offer.
struct CupsLibrary
{
    decltype(&cupsGetDests2) getDests = nullptr;
    decltype(&cupsFreeDests) freeDests = nullptr;
    decltype(&cupsSetDests2) setDests = nullptr;

    bool IsLoaded() const { return getDests != nullptr && freeDests != nullptr; }
};

const CupsLibrary& Cups()
{
    static const CupsLibrary cups = [] {
        CupsLibrary loaded;
        // Never unloaded: QLibrary leaves the library in the process when it goes.
        QLibrary library(QStringLiteral("cups"), 2);
        if (library.load()) {
            loaded.getDests = reinterpret_cast<decltype(&cupsGetDests2)>(library.resolve("cupsGetDests2"));
            loaded.freeDests = reinterpret_cast<decltype(&cupsFreeDests)>(library.resolve("cupsFreeDests"));
            loaded.setDests = reinterpret_cast<decltype(&cupsSetDests2)>(library.resolve("cupsSetDests2"));
        }
        return loaded;
    }();
    return cups;
}

// The destinations CUPS offers this user, freed with the list. Each call asks the server afresh.
class Destinations
{
public:
    Destinations()
    {
        if (Cups().IsLoaded())
            m_count = Cups().getDests(CUPS_HTTP_DEFAULT, &m_dests);
    }
    ~Destinations()
    {
        if (m_dests != nullptr)
            Cups().freeDests(m_count, m_dests);
    }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    const cups_dest_t* begin() const { return m_dests; }
    const cups_dest_t* end() const { return m_dests == nullptr ? nullptr : m_dests + m_count; }
    cups_dest_t* begin() { return m_dests; }
    cups_dest_t* end() { return m_dests == nullptr ? nullptr : m_dests + m_count; }

    // Writes the list back as the user's own destinations; false when CUPS refuses.
    bool Save() const
    {
        return Cups().setDests != nullptr && Cups().setDests(CUPS_HTTP_DEFAULT, m_count, m_dests) == 0;
    }

private:
    cups_dest_t* m_dests = nullptr;
    int m_count = 0;
};

// "queue" or, for a saved set of options, "queue/instance", as the print dialogs show it.
std::string DestinationName(const cups_dest_t& dest)
{
    std::string name = dest.name == nullptr ? std::string() : std::string(dest.name);
    if (dest.instance != nullptr && *dest.instance != '\0')
        name += '/' + std::string(dest.instance);
    return name;
}

} // namespace

DefaultPrinterChange CupsPrinterSource::SetDefaultPrinter(const std::string& name) const
{
    if (!Cups().IsLoaded())
        return DefaultPrinterChange::Failed;
    Destinations dests;
    bool found = false;
    for (cups_dest_t& dest : dests) {
        dest.is_default = DestinationName(dest) == name && !found;
        found = found || dest.is_default;
    }
    if (!found)
        return DefaultPrinterChange::NotInstalled;
    return dests.Save() ? DefaultPrinterChange::Done : DefaultPrinterChange::Failed;
}

std::string CupsPrinterSource::DefaultPrinterEntry() const
{
    for (const cups_dest_t& dest : Destinations()) {
        const std::string name = DestinationName(dest);
        // The queue name stands in for the port.
        if (dest.is_default && !name.empty())
            return name + ",cups," + name;
    }
    return {};
}

std::vector<std::string> CupsPrinterSource::InstalledPrinters() const
{
    std::vector<std::string> names;
    for (const cups_dest_t& dest : Destinations()) {
        std::string name = DestinationName(dest);
        if (!name.empty())
            names.push_back(std::move(name));
    }
    return names;
}

} // namespace lanvex::printer
