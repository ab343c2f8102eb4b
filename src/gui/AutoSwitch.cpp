#include "gui/AutoSwitch.h"

#include "apply/AdapterChoice.h"
#include "apply/NetworkMatch.h"
#include "gui/MainWindow.h"
#include "gui/MessageSink.h"

#include <QStringList>
#include <optional>

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
    if (matches.empty() || (matches.size() == 1 && found.live == matches.front()))
        return false;
    if (matches.size() == 1 && model.SiteProfiles[matches.front()].Extras.AutoApply == "1") {
        Apply(position, matches.front());
        return false;
    }
    Offer(position, matches);
    return true;
}

void AutoSwitcher::Offer(int position, const std::vector<std::size_t>& matches)
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
        return;
    // The list may have changed while the box was open: the name the user saw decides.
    if (const auto entry = entryNamed(m_window.Model(), names[chosen]))
        Apply(position, *entry);
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
