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
    decltype(&cupsServer) server = nullptr;
    decltype(&ippPort) port = nullptr;
    decltype(&cupsEncryption) encryption = nullptr;
    decltype(&httpConnect2) connect = nullptr;
    decltype(&httpSetTimeout) setTimeout = nullptr;
    decltype(&httpClose) close = nullptr;

    bool IsLoaded() const
    {
        return getDests != nullptr && freeDests != nullptr && server != nullptr && port != nullptr
            && encryption != nullptr && connect != nullptr && setTimeout != nullptr && close != nullptr;
    }
};

template <typename Function> void resolve(QLibrary& library, Function& function, const char* name)
{
    function = reinterpret_cast<Function>(library.resolve(name));
}

const CupsLibrary& Cups()
{
    static const CupsLibrary cups = [] {
        CupsLibrary loaded;
        // Never unloaded: QLibrary leaves the library in the process when it goes.
        QLibrary library(QStringLiteral("cups"), 2);
        if (library.load()) {
            resolve(library, loaded.getDests, "cupsGetDests2");
            resolve(library, loaded.freeDests, "cupsFreeDests");
            resolve(library, loaded.setDests, "cupsSetDests2");
            resolve(library, loaded.server, "cupsServer");
            resolve(library, loaded.port, "ippPort");
            resolve(library, loaded.encryption, "cupsEncryption");
            resolve(library, loaded.connect, "httpConnect2");
            resolve(library, loaded.setTimeout, "httpSetTimeout");
            resolve(library, loaded.close, "httpClose");
        }
        return loaded;
    }();
    return cups;
}

// How long the server has to take the connection, and then to answer each request. libcups' own
// connection waits half a minute for a server that is not there, and longer for one that is silent.
constexpr int kConnectMs = 5000;
constexpr double kAnswerSeconds = 10.0;

// One connection to the user's CUPS server, bounded by the times above.
class Connection
{
public:
    Connection()
    {
        if (!Cups().IsLoaded())
            return;
        m_http = Cups().connect(Cups().server(), Cups().port(), nullptr, AF_UNSPEC, Cups().encryption(), 1, kConnectMs,
                                nullptr);
        if (m_http != nullptr)
            Cups().setTimeout(m_http, kAnswerSeconds, &Connection::giveUp, this);
    }
    ~Connection()
    {
        if (m_http != nullptr)
            Cups().close(m_http);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    http_t* Http() const { return m_http; }
    // False when the server took no connection or let a request's time run out.
    bool Answered() const { return m_http != nullptr && !m_silent; }

private:
    static int giveUp(http_t*, void* connection)
    {
        static_cast<Connection*>(connection)->m_silent = true;
        return 0;
    }

    http_t* m_http = nullptr;
    bool m_silent = false;
};

// The destinations CUPS offers this user, freed with the list. Each call asks the server afresh.
class Destinations
{
public:
    explicit Destinations(const Connection& connection)
        : m_connection(connection)
    {
        if (connection.Http() != nullptr)
            m_count = Cups().getDests(connection.Http(), &m_dests);
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
        return Cups().setDests != nullptr && Cups().setDests(m_connection.Http(), m_count, m_dests) == 0;
    }

private:
    const Connection& m_connection;
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
    const Connection connection;
    Destinations dests(connection);
    if (!connection.Answered())
        return DefaultPrinterChange::NoAnswer;
    bool found = false;
    for (cups_dest_t& dest : dests) {
        dest.is_default = DestinationName(dest) == name && !found;
        found = found || dest.is_default;
    }
    if (!found)
        return DefaultPrinterChange::NotInstalled;
    if (dests.Save())
        return DefaultPrinterChange::Done;
    return connection.Answered() ? DefaultPrinterChange::Failed : DefaultPrinterChange::NoAnswer;
}

std::string CupsPrinterSource::DefaultPrinterEntry() const
{
    const Connection connection;
    for (const cups_dest_t& dest : Destinations(connection)) {
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
    const Connection connection;
    for (const cups_dest_t& dest : Destinations(connection)) {
        std::string name = DestinationName(dest);
        if (!name.empty())
            names.push_back(std::move(name));
    }
    return names;
}

} // namespace lanvex::printer
