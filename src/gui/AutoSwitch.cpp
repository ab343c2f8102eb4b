#include "gui/AutoSwitch.h"

#include "apply/AdapterChoice.h"
#include "apply/NetworkMatch.h"
#include "apply/SitePrograms.h"
#include "gui/MainWindow.h"
#include "gui/MessageSink.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringList>
#include <optional>
#include <thread>

namespace lanvex::gui {

namespace {

QString siteName(const store::SiteListModel& model, std::size_t entry)
{
    return QString::fromStdString(model.SiteProfiles[entry].Name);
}

// The sites that may be switched to on `adapter`: those that match its network and are not bound
// to another adapter.
std::vector<std::size_t> switchableMatches(const store::SiteListModel& model, const net::AdapterEntry& adapter,
                                           const std::vector<std::size_t>& matches)
{
    std::vector<std::size_t> usable;
    for (const std::size_t entry : matches) {
        const std::string& binding = model.SiteProfiles[entry].Extras.Adapter;
        if (binding.empty() || apply::NamesAdapter(binding, adapter))
            usable.push_back(entry);
    }
    return usable;
}

std::optional<std::size_t> entryNamed(const store::SiteListModel& model, const QString& name)
{
    const std::string wanted = name.toStdString();
    for (std::size_t i = 1; i < model.SiteProfiles.size(); ++i) {
        if (model.SiteProfiles[i].Name == wanted)
            return i;
    }
    return std::nullopt;
}

// Runs a program away from the window's thread and puts its outcome on the status line; a program
// still running when the window closes is left to finish.
void runInBackground(MainWindow& window, std::function<apply::ProgramReport()> run)
{
    std::thread([window = QPointer<MainWindow>(&window), run = std::move(run)] {
        const QString line = QString::fromStdString(apply::TranslatedLine(run().line));
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [window, line] {
                if (window)
                    window->ShowStatus(line);
            },
            Qt::QueuedConnection);
    }).detach();
}

} // namespace

AutoSwitcher::AutoSwitcher(MainWindow& window, std::function<void(int)> applySite)
    : QObject(&window)
    , m_window(window)
    , m_applySite(std::move(applySite))
{
    setObjectName(QStringLiteral("autoSwitcher"));
    connect(&m_window, &MainWindow::adaptersRead, this, &AutoSwitcher::AdaptersRead);
    connect(&m_window, &MainWindow::siteApplied, this, [this](int adapterPosition) { SiteApplied(adapterPosition); });
    // A change taken back is still the user's: the network it leaves is not a new one.
    connect(&m_window, &MainWindow::settingsRestored, this, &AutoSwitcher::SiteApplied);
}

bool AutoSwitcher::IsOtherNetwork(const net::NetworkFingerprint& known, const net::NetworkFingerprint& now)
{
    if (known.Gateway != now.Gateway || known.SSID != now.SSID || known.DNSDomain != now.DNSDomain)
        return true;
    return !known.GatewayMAC.empty() && !now.GatewayMAC.empty() && known.GatewayMAC != now.GatewayMAC;
}

bool AutoSwitcher::NoteNetwork(AdapterState& state, const net::NetworkFingerprint& network)
{
    const bool other = !state.known || IsOtherNetwork(state.network, network);
    if (!state.adoptNextRead && other)
        state.settled = false;
    state.adoptNextRead = false;
    if (state.known && other)
        state.previous = state.network;
    state.known = true;
    state.network = network;
    return other;
}

void AutoSwitcher::AdaptersRead()
{
    if (m_asking) {
        if (!m_asking->withdrawn && !QuestionStands()) {
            m_asking->withdrawn = true;
            m_window.Messages().Withdraw();
        }
        return;
    }
    while (LookAtAdapters()) { }
}

bool AutoSwitcher::LookAtAdapters()
{
    const std::vector<net::AdapterEntry>& adapters = m_window.Adapters();
    if (m_states.size() != adapters.size())
        m_states.resize(adapters.size());
    // During an apply, its own read follows.
    if (m_window.IsApplying())
        return false;
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        NoteNetwork(m_states[i], adapters[i].Network);
        if (!m_window.Model().AutoSwitch || m_states[i].settled)
            continue;
        const bool asked = SwitchFor(static_cast<int>(i), adapters[i]);
        if (m_window.IsApplying())
            return false; // the rest are looked at with the apply's read
        if (asked)
            return true;
    }
    return false;
}

void AutoSwitcher::SiteApplied(int adapterPosition)
{
    if (adapterPosition < 0 || static_cast<std::size_t>(adapterPosition) >= m_states.size())
        return;
    AdapterState& state = m_states[static_cast<std::size_t>(adapterPosition)];
    state.settled = true;
    state.adoptNextRead = true;
}

bool AutoSwitcher::SwitchFor(int position, const net::AdapterEntry& adapter)
{
    m_states[static_cast<std::size_t>(position)].settled = true;
    const store::SiteListModel& model = m_window.Model();
    const apply::SitesOnNetwork found = apply::FindSitesOnNetwork(model.SiteProfiles, adapter);
    const std::vector<std::size_t> matches = switchableMatches(model, adapter, found.matches);
    if (matches.empty() || (matches.size() == 1 && found.live == matches.front())) {
        RunNetworkPrograms(position, adapter, found.live, found.matches.empty());
        return false;
    }
    // A site that lowers the protection is asked about unless its network is surely the one.
    if (matches.size() == 1 && apply::MayApplyUnasked(model.SiteProfiles[matches.front()])) {
        Apply(position, matches.front());
        return false;
    }
    // A site chosen is applied after the program for leaving; none chosen, that program runs now.
    // The box may replace the adapters meanwhile: the program goes by the adapter as asked about.
    const net::AdapterEntry asked = adapter;
    if (!Offer(position, matches))
        RunNetworkPrograms(position, asked, found.live, false);
    return true;
}

void AutoSwitcher::RunNetworkPrograms(int position, const net::AdapterEntry& adapter, std::optional<std::size_t> live,
                                      bool unknown)
{
    const store::SiteListModel& model = m_window.Model();
    const std::string adapterLabel
        = adapter.InterfaceName.empty() ? std::to_string(adapter.Index) : adapter.InterfaceName;
    const AdapterState& state = m_states[static_cast<std::size_t>(position)];
    if (live && *live < model.SiteProfiles.size()) {
        const store::SiteProfile& site = model.SiteProfiles[*live];
        if (!site.Extras.RunOnLeave.empty() && apply::SiteMatches(site, state.previous)
            && !apply::SiteMatches(site, adapter.Network)) {
            const apply::SiteOrigin origin = apply::OriginOf(model, static_cast<std::int32_t>(*live));
            const std::uint32_t timeout = net::ReadExtraSettings(site).RunTimeoutSeconds;
            runInBackground(m_window, [site, origin, timeout, adapterLabel] {
                return apply::RunSiteProgram(site.Extras.RunOnLeave, apply::ProgramEvent::Leave, site.Name,
                                             adapterLabel, 0, origin, timeout, false);
            });
        }
    }
    if (unknown && !model.RunOnUnknown.empty()) {
        const std::string command = model.RunOnUnknown;
        runInBackground(m_window, [command, adapterLabel] {
            return apply::RunSiteProgram(command, apply::ProgramEvent::Unknown, std::string(), adapterLabel, 0,
                                         apply::SiteOrigin::Own, net::kDefaultRunTimeout, false);
        });
    }
}

bool AutoSwitcher::Offer(int position, const std::vector<std::size_t>& matches)
{
    QStringList names;
    for (const std::size_t entry : matches)
        names << siteName(m_window.Model(), entry);
    QWidget* parent = m_window.isVisible() ? &m_window : nullptr;
    const QString title = tr("温馨提示");
    m_asking = Question { position, m_window.Adapters()[static_cast<std::size_t>(position)].Network };
    int chosen = -1;
    if (names.size() == 1)
        chosen = m_window.Messages().Question(parent, title, tr("检测到办公位置：%1，是否应用？").arg(names.front()))
            ? 0
            : -1;
    else
        chosen = m_window.Messages().Choose(parent, title, tr("检测到多个办公位置与当前网络相符，请选择要应用的一个："),
                                            names);
    // An answer given as the network moved on is for a network that is no longer there.
    const bool stands = !m_asking->withdrawn && QuestionStands();
    m_asking.reset();
    if (!stands || chosen < 0 || chosen >= names.size())
        return false;
    // The list may have changed while the box was open: the name the user saw decides.
    const auto entry = entryNamed(m_window.Model(), names[chosen]);
    if (entry)
        Apply(position, *entry);
    return entry.has_value();
}

bool AutoSwitcher::QuestionStands() const
{
    const std::vector<net::AdapterEntry>& adapters = m_window.Adapters();
    const auto position = static_cast<std::size_t>(m_asking->position);
    return position < adapters.size() && !IsOtherNetwork(m_asking->network, adapters[position].Network);
}

void AutoSwitcher::Apply(int position, std::size_t entry)
{
    m_window.ChooseAdapter(position);
    m_applySite(static_cast<int>(entry));
}

} // namespace lanvex::gui
