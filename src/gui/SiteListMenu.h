#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QMenu;
class QWidget;

namespace lanvex::gui {

class MessageSink;

// The site list's context menu: "导入..." and "导出..." through file dialogs, with the same import
// and export as the command line, reported in a message box.
class SiteListMenu : public QObject
{
    Q_OBJECT
public:
    // `reloadSites` runs after an import changed the settings file.
    SiteListMenu(QWidget* list, MessageSink& messages, std::function<void()> reloadSites);

    // Where the menu's file dialogs are asked; tests answer them instead.
    std::function<QString(bool forSaving)> chooseFile;
    QMenu* Menu() const { return m_menu; }

    void ImportSites();
    void ExportSites();

private:
    QString askForFile(bool forSaving) const;

    QWidget* m_list;
    MessageSink& m_messages;
    std::function<void()> m_reloadSites;
    QMenu* m_menu;
};

} // namespace lanvex::gui
