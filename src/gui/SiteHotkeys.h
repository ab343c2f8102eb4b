#pragma once

#include <QKeySequence>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace lanvex::platform {
class GlobalHotkeys;
}

namespace lanvex::gui {

class MainWindow;

// The saved sites' hotkeys (their Hotkey key), held while the window or the tray runs: a press
// hands the site to `switchTo`, as lanvex --switch does. The desktop's hotkeys are opened only once
// a site has one, and taken again whenever the saved sites change. A key that cannot be had is
// said once, on the status line and on standard error, and the others work.
class SiteHotkeys : public QObject
{
    Q_OBJECT
public:
    SiteHotkeys(MainWindow& window, std::function<void(const QString& site)> switchTo);
    ~SiteHotkeys() override;

    // Takes the keys of the saved sites as they are now; called again each time the window shows
    // its list again.
    void Update();
    // How a key that cannot be had is said; tests read it instead.
    std::function<void(const QString& status, const std::string& error)> report;
    // How the desktop's hotkeys are opened, when a site first has one; tests give their own.
    std::function<std::unique_ptr<platform::GlobalHotkeys>()> openHotkeys;

private:
    void refused(int index, const QString& reason);

    MainWindow& m_window;
    std::function<void(const QString&)> m_switchTo;
    std::unique_ptr<platform::GlobalHotkeys> m_hotkeys;
    std::vector<QKeySequence> m_keys; // the keys held, by index
    std::vector<QString> m_sites; // the site of each key
    QSet<QString> m_reported; // keys already said to be unavailable
};

} // namespace lanvex::gui
