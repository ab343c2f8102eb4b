#include "gui/SiteTray.h"

#include "apply/ApplyResult.h"
#include "apply/NetworkMatch.h"
#include "gui/AutoSwitch.h"
#include "gui/MainWindow.h"
#include "gui/SiteHotkeys.h"
#include "gui/SiteSwitchRequests.h"
#include "gui/StartAtLogin.h"
#include "net/AdapterQuery.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace lanvex::gui {

namespace {

// A tray menu is a list to pick from, not to scroll through; the window holds the rest.
constexpr int kMaxMenuSites = 200;

// What the chosen adapter's network says about the saved sites; nothing before the adapters are read.
apply::SitesOnNetwork sitesOnChosenAdapter(const MainWindow& window)
{
    const net::AdapterEntry* chosen = window.ChosenAdapter();
    return chosen != nullptr ? apply::FindSitesOnNetwork(window.Model().SiteProfiles, *chosen)
                             : apply::SitesOnNetwork {};
}

// The one site the chosen adapter's network points to: the only one that matches it or is live on
// it; nothing when there are none or several.
std::optional<std::size_t> soleSiteOnNetwork(const apply::SitesOnNetwork& found)
{
    std::vector<std::size_t> sites = found.matches;
    if (found.live && std::find(sites.begin(), sites.end(), *found.live) == sites.end())
        sites.push_back(*found.live);
    return sites.size() == 1 ? std::optional(sites.front()) : std::nullopt;
}

} // namespace

SiteTray::SiteTray(MainWindow& window)
    : QObject(&window)
    , m_window(window)
    , m_icon(new QSystemTrayIcon(window.windowIcon(), this))
    , m_menu(new QMenu(&window))
{
    setObjectName(QStringLiteral("siteTray"));
    m_menu->setObjectName(QStringLiteral("mnuTray"));
    m_icon->setContextMenu(m_menu);
    RebuildMenu();
    UpdateToolTip();
    notify = [this](const QString& title, const QString& text) {
        m_icon->showMessage(title, text, QSystemTrayIcon::Information);
    };
    connect(m_menu, &QMenu::aboutToShow, this, &SiteTray::RebuildMenu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            OpenWindow();
    });
    connect(&m_window, &MainWindow::siteApplied, this, &SiteTray::siteApplied);
    connect(&m_window, &MainWindow::adapterChosen, this, &SiteTray::UpdateToolTip);
    connect(&m_window, &MainWindow::currentSettingsRead, this, &SiteTray::UpdateToolTip);
    connect(&m_window, &MainWindow::adaptersRead, this, &SiteTray::UpdateToolTip);
    m_window.installEventFilter(this);
}

bool SiteTray::Start(bool trayOnly)
{
    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    if (trayAvailable)
        m_icon->show();
    if (trayOnly && trayAvailable) {
        // The window lives on hidden; only "退出" (or the window's exit button) ends the program.
        m_keepWindowInTray = true;
        QApplication::setQuitOnLastWindowClosed(false);
        return true;
    }
    m_window.show();
    return !trayOnly;
}

void SiteTray::RebuildMenu()
{
    m_menu->clear();
    const store::SiteListModel& model = m_window.Model();
    const int sites = static_cast<int>(model.SiteNames.size()) - 1;
    // The site live on the chosen adapter carries a check mark.
    const std::optional<std::size_t> live = sitesOnChosenAdapter(m_window).live;
    for (int i = 1; i <= std::min(sites, kMaxMenuSites); ++i) {
        const std::string& name = model.SiteNames[static_cast<std::size_t>(i)];
        QAction* action
            = m_menu->addAction(QString::fromStdString(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
        action->setCheckable(true);
        action->setChecked(live == static_cast<std::size_t>(i));
        connect(action, &QAction::triggered, this, [this, i] { ApplySite(i); });
    }
    if (sites > kMaxMenuSites)
        m_menu->addAction(tr("……另有 %1 个办公位置，请在主窗口中选择").arg(sites - kMaxMenuSites))->setEnabled(false);
    if (sites > 0)
        m_menu->addSeparator();
    m_menu->addAction(m_window.MakeApplyPrinterAction(m_menu));
    m_menu->addAction(m_window.MakeAutoSwitchAction(m_menu));
    m_menu->addAction(MakeStartAtLoginAction(m_window, m_window.Messages(), *m_menu));
    connect(m_menu->addAction(tr("打开主窗口")), &QAction::triggered, this, &SiteTray::OpenWindow);
    // As the window's exit button: during an apply, after its summary.
    connect(m_menu->addAction(tr("退出")), &QAction::triggered, &m_window, [this] { m_window.imgCmd_Click(0); });
}

QString SiteTray::ToolTip() const
{
    const QString adapter = m_window.AdapterDescription();
    if (adapter.isEmpty())
        return tr("没有可用的网卡");
    QStringList lines { adapter };
    const store::SiteListModel& model = m_window.Model();
    // Entry 0 holds the settings of the adapter it was last read from, which may be another.
    if (model.CurSiteIndex == 0 && !model.SiteProfiles.empty()
        && QString::fromStdString(model.SiteProfiles[0].Description) == adapter) {
        const store::SiteProfile& current = model.SiteProfiles[0];
        lines << (current.DHCPEnabled ? QStringLiteral("DHCP") : QString::fromStdString(current.IP));
    }
    const auto applied = m_lastApplied.constFind(m_window.AdapterPosition());
    if (applied != m_lastApplied.cend())
        lines << tr("已应用：%1").arg(applied.value());
    // The one site of the network the adapter is on, unless the line above names it already.
    if (const auto site = soleSiteOnNetwork(sitesOnChosenAdapter(m_window))) {
        const QString name = QString::fromStdString(model.SiteProfiles[*site].Name);
        if (applied == m_lastApplied.cend() || applied.value() != name)
            lines << tr("所在办公位置：%1").arg(name);
    }
    // Some tray hosts render the tooltip as rich text: a name is shown as written, never as markup.
    for (QString& line : lines)
        line = line.toHtmlEscaped();
    return lines.join(QLatin1Char('\n'));
}

void SiteTray::UpdateToolTip()
{
    m_icon->setToolTip(ToolTip());
}

void SiteTray::ApplySite(int index)
{
    m_applying = true;
    m_window.ApplySite(index);
}

void SiteTray::OpenWindow()
{
    m_window.showNormal();
    m_window.raise();
    m_window.activateWindow();
}

void SiteTray::siteApplied(int adapterPosition, const QString& siteName, int result, const QString& summary)
{
    // The address went in, whatever became of the gateway, DNS and WINS steps.
    if (apply::AddressApplied(result))
        m_lastApplied.insert(adapterPosition, siteName);
    UpdateToolTip();
    if (m_applying && notify)
        notify(tr("温馨提示"), summary);
    m_applying = false;
}

bool SiteTray::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::Close && m_keepWindowInTray) {
        event->ignore();
        m_window.hide();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void StartWindowAndTray(MainWindow& window, platform::SingleInstance& instance, bool trayOnly)
{
    // A site handed over by another start is taken at once and applied once the tray is there.
    auto* switches = new SiteSwitchRequests(window); // owned by the window
    instance.SetSwitchHandler([switches](const QString& name) { return switches->Take(name); });
    QObject::connect(switches, &QObject::destroyed, &instance, [&instance] { instance.SetSwitchHandler({}); });
    const auto startTray = [&window, &instance, trayOnly, switches] {
        auto* tray = new SiteTray(window); // owned by the window
        QObject::connect(&instance, &platform::SingleInstance::activationRequested, tray, &SiteTray::OpenWindow);
        switches->SetApply([tray](int index) { tray->ApplySite(index); });
        // Owned by the window; the desktop's hotkeys open once a site has one.
        auto* hotkeys = new SiteHotkeys(window, [switches](const QString& name) { switches->Take(name); });
        hotkeys->Update();
        // Owned by the window; it applies as the tray's menu does, so its result is a notification.
        new AutoSwitcher(window, [tray](int index) { tray->ApplySite(index); });
        if (!tray->Start(trayOnly))
            std::fputs("lanvex: the desktop has no system tray, so the window opens instead\n", stderr);
    };
    if (trayOnly) {
        window.FinishStartUp();
        startTray();
        return;
    }
    // The tray icon, like the window's own, waits until the window has been painted.
    QObject::connect(&window, &MainWindow::startUpFinished, &window, startTray, Qt::SingleShotConnection);
    window.show();
}

} // namespace lanvex::gui
