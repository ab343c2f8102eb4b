#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace lanvex::gui {

class MainWindow;

// The sites another start hands over (lanvex --switch NAME, a launcher, a hotkey), applied as the
// tray's menu applies one. A site that arrives while the window cannot apply yet (the adapters are
// still being read, or another apply runs) waits for it; a later one replaces a waiting one.
class SiteSwitchRequests : public QObject
{
    Q_OBJECT
public:
    explicit SiteSwitchRequests(MainWindow& window);

    // Takes the saved site `name` to apply; false when the list has no site of that name.
    bool Take(const QString& name);
    // How a site is applied (the tray's ApplySite); the sites taken before wait for it.
    void SetApply(std::function<void(int index)> applySite);

private:
    void applyWaiting();

    MainWindow& m_window;
    std::function<void(int)> m_apply;
    std::optional<QString> m_waiting;
};

} // namespace lanvex::gui
