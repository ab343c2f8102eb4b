#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <functional>

class QMenu;
class QSystemTrayIcon;

namespace lanvex::platform {
class SingleInstance;
}

namespace lanvex::gui {

class MainWindow;

// The tray icon: its tooltip tells the chosen adapter's address and the site last applied to it,
// its menu applies a saved site, opens the window or ends the program.
class SiteTray : public QObject
{
    Q_OBJECT
public:
    explicit SiteTray(MainWindow& window);

    // Shows the icon where the desktop has a tray and shows the window, unless `trayOnly` asks
    // for the icon alone. False when it asked for that but the desktop has no tray: the window
    // opens instead.
    bool Start(bool trayOnly);

    QSystemTrayIcon* Icon() const { return m_icon; }
    QMenu* Menu() const { return m_menu; }
    // The menu of the moment: the saved sites in list order, then "打开主窗口" and "退出".
    void RebuildMenu();
    QString ToolTip() const;
    void UpdateToolTip();

    // Applies saved entry `index` as the apply button would; the summary becomes a notification.
    void ApplySite(int index);
    // Shows the window, in front of the others.
    void OpenWindow();

    // How a notification reaches the desktop; tests read it instead.
    std::function<void(const QString& title, const QString& text)> notify;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void siteApplied(int adapterPosition, const QString& siteName, int result, const QString& summary);

    MainWindow& m_window;
    QSystemTrayIcon* m_icon;
    QMenu* m_menu;
    bool m_keepWindowInTray = false;
    bool m_applying = false;
    QMap<int, QString> m_lastApplied; // adapter position -> site name, this session only
};

// Opens the program's window, or with `trayOnly` only its tray icon, and makes a later start's
// request bring the window to the front. Without a tray the window opens and standard error says
// why.
void StartWindowAndTray(MainWindow& window, platform::SingleInstance& instance, bool trayOnly);

} // namespace lanvex::gui
