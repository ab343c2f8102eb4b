#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QMenu;
class QWidget;

namespace lanvex::gui {

class MessageSink;
class ServiceWorker;

// The site list's context menu: "导入..." and "导出..." through file dialogs, with the same import
// and export as the command line, reported in a message box. The files are read and written on a
// thread of their own, so a slow disk or a large file never freezes the window.
class SiteListMenu : public QObject
{
    Q_OBJECT
public:
    // `reloadSites` runs after an import changed the settings file.
    SiteListMenu(QWidget* list, MessageSink& messages, std::function<void()> reloadSites);
    ~SiteListMenu() override;

    // Where the menu's file dialogs are asked; tests answer them instead.
    std::function<QString(bool forSaving)> chooseFile;
    QMenu* Menu() const { return m_menu; }

    // Start the import or export; its report follows once the file is done.
    void ImportSites();
    void ExportSites();

private:
    QString askForFile(bool forSaving) const;
    // What a transfer tells the window: the report, and whether the saved sites changed.
    struct Outcome
    {
        QString text;
        bool sitesChanged = false;
    };
    // Runs `transfer` off the window's thread, then reports back on it; one at a time.
    void runTransfer(std::function<Outcome()> transfer);
    void finishTransfer(const Outcome& outcome);
    void setActionsEnabled(bool enabled);

    QWidget* m_list;
    MessageSink& m_messages;
    std::function<void()> m_reloadSites;
    QMenu* m_menu;
    std::unique_ptr<ServiceWorker> m_worker;
};

} // namespace lanvex::gui
