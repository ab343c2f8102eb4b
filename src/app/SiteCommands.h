#pragma once

#include "store/SiteListModel.h"

#include <functional>
#include <string>

class QWidget;

namespace lanvex::listview {
class SiteListView;
}
namespace lanvex::editor {
class SiteEditor;
}

namespace lanvex::app {

class MessageSink;

// The window's pieces the new, save and delete commands work on. The window keeps one of these
// for its lifetime, which also keeps the new-site counter.
struct SiteCommandContext
{
    store::SiteListModel& model;
    listview::SiteListView& list; // SelIndex and the scroll bar VScroll
    editor::SiteEditor& editor;
    MessageSink& messages;
    QWidget* window = nullptr; // parent of the message boxes
    std::function<void(int)> selectSite; // SelectSite: redraws the list, loads the entry
    std::function<void()> refreshSiteList; // RefreshSiteList: fits the scroll bar
    std::string settingsPath; // empty: store::IniFileName
    int NewSiteCounter = 0; // names of new sites; never lowered
};

// The click handler of the editor buttons imgIP(0..2): 0 new site, 1 save, 2 delete.
void imgIP_Click(int index, SiteCommandContext& context);

void NewSite(SiteCommandContext& context);
void SaveSite(SiteCommandContext& context);
void DeleteSite(SiteCommandContext& context);

} // namespace lanvex::app
