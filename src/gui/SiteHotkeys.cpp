#include "gui/SiteHotkeys.h"

#include "gui/HotkeyPage.h"
#include "gui/MainWindow.h"
#include "platform/GlobalHotkeys.h"

#include <algorithm>
#include <cstdio>

namespace lanvex::gui {

SiteHotkeys::SiteHotkeys(MainWindow& window, std::function<void(const QString&)> switchTo)
    : QObject(&window)
    , m_window(window)
    , m_switchTo(std::move(switchTo))
{
    report = [this](const QString& status, const std::string& error) {
        m_window.ShowNotice(status);
        std::fprintf(stderr, "lanvex: %s\n", error.c_str());
    };
    openHotkeys = &platform::GlobalHotkeys::Make;
    connect(&window, &MainWindow::sitesChanged, this, &SiteHotkeys::Update);
}

SiteHotkeys::~SiteHotkeys() = default;

void SiteHotkeys::Update()
{
    const store::SiteListModel& model = m_window.Model();
    std::vector<QKeySequence> keys;
    std::vector<QString> sites;
    const int count = std::min(model.SiteCount, static_cast<int>(model.SiteProfiles.size()));
    for (int i = 1; i < count; ++i) {
        const store::SiteProfile& site = model.SiteProfiles[static_cast<std::size_t>(i)];
        if (site.Extras.Hotkey.empty())
            continue;
        const std::optional<QKeySequence> key = ParseHotkey(QString::fromStdString(site.Extras.Hotkey));
        if (!key)
            continue;
        // One key, one site: the first in the list keeps it.
        if (std::find(keys.begin(), keys.end(), *key) != keys.end()) {
            keys.push_back(QKeySequence());
        } else {
            keys.push_back(*key);
        }
        sites.push_back(QString::fromStdString(site.Name));
    }
    if (keys == m_keys && sites == m_sites)
        return;
    m_keys = keys;
    m_sites = sites;
    if (!m_hotkeys) {
        if (keys.empty())
            return;
        m_hotkeys = openHotkeys();
        if (!m_hotkeys) {
            for (int i = 0; i < static_cast<int>(keys.size()); ++i)
                refused(i, QStringLiteral("this desktop has no global hotkeys"));
            return;
        }
        connect(m_hotkeys.get(), &platform::GlobalHotkeys::activated, this, [this](int index) {
            if (index >= 0 && index < static_cast<int>(m_sites.size()))
                m_switchTo(m_sites[static_cast<std::size_t>(index)]);
        });
        connect(m_hotkeys.get(), &platform::GlobalHotkeys::refused, this, &SiteHotkeys::refused);
    }
    std::vector<QString> names;
    for (const QString& site : m_sites)
        names.push_back(tr("应用办公位置“%1”").arg(site));
    m_hotkeys->SetKeys(m_keys, names);
    for (int i = 0; i < static_cast<int>(m_keys.size()); ++i)
        if (m_keys[static_cast<std::size_t>(i)].isEmpty())
            refused(i, QStringLiteral("another site has the same key"));
}

void SiteHotkeys::refused(int index, const QString& reason)
{
    if (index < 0 || index >= static_cast<int>(m_keys.size()))
        return;
    const QString& site = m_sites[static_cast<std::size_t>(index)];
    const store::SiteListModel& model = m_window.Model();
    // A key another site has first is held as an empty sequence: it is named as the site wrote it.
    QString key = m_keys[static_cast<std::size_t>(index)].toString(QKeySequence::PortableText);
    if (key.isEmpty()) {
        for (int i = 1; i < static_cast<int>(model.SiteProfiles.size()); ++i)
            if (QString::fromStdString(model.SiteProfiles[static_cast<std::size_t>(i)].Name) == site)
                key = QString::fromStdString(model.SiteProfiles[static_cast<std::size_t>(i)].Extras.Hotkey);
    }
    if (m_reported.contains(key))
        return;
    m_reported.insert(key);
    report(tr("快捷键 %1 无法使用（办公位置“%2”），其余快捷键照常可用。").arg(key, site),
           QStringLiteral("the hotkey %1 of the site %2 is not available: %3").arg(key, site, reason).toStdString());
}

} // namespace lanvex::gui
