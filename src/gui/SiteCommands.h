#pragma once

#include "net/AdapterQuery.h"
#include "store/IniFile.h"
#include "store/SiteListModel.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace lanvex::listview {
class SiteListView;
}
namespace lanvex::editor {
class SiteEditor;
}

namespace lanvex::gui {

class AdvancedDialog;
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
    store::FileStamp settingsStamp; // the settings file as the window last read or wrote it
    // Unsaved changes in the editor to a site another program changed or deleted since.
    struct KeptEdits
    {
        // What the window has said: once for each turn for the worse.
        enum class Told
        {
            None,
            Changed,
            Gone
        };
        Told told = Told::None;
        int editorLoad = 0; // the editor's LoadCount() when `told` was last said
        // The site another program deleted (or renamed) while the editor held changes to it; the
        // list then has no selection, and a save offers to store the changes again.
        std::optional<std::string> goneSite;
    } keptEdits;
    // The adapter chosen in the window as last read, for the advanced editor; nothing before the
    // adapters are read.
    std::function<std::optional<net::AdapterEntry>()> chosenAdapter;
    // The adapters present as last read, for the advanced editor.
    std::function<std::vector<net::AdapterEntry>()> adapters;
};

// The click handler of the editor buttons imgIP(0..2): 0 new site, 1 save, 2 delete.
void imgIP_Click(int index, SiteCommandContext& context);

// Opens the advanced editor for the entry shown (read-only for entry 0). Its save button saves the
// entry with the editor's fields and the dialog's settings, as the save button beside the editor does.
AdvancedDialog* EditAdvanced(SiteCommandContext& context);

// Turns [Common] ApplyPrinter on or off in the file and the model; a failed write is said and
// changes nothing. The list's menu, the tray and the advanced editor's printer page share it.
bool SetApplyPrinter(SiteCommandContext& context, bool on);
// The same for [Common] AutoSwitch, which the list's menu and the tray share.
bool SetAutoSwitch(SiteCommandContext& context, bool on);
// Writes another on/off key of [Common] that the model does not carry, in the same way.
bool SetCommonSwitch(SiteCommandContext& context, const char* key, bool on);
// Sets [Common] ConfirmApply in the file and the model, in the same way.
bool SetConfirmApply(SiteCommandContext& context, bool on);

// Each command changes its one site in the settings file as it stands under the file's lock, so
// two running copies never undo each other's changes; the window then shows the file's list.
void NewSite(SiteCommandContext& context);
void SaveSite(SiteCommandContext& context);
void DeleteSite(SiteCommandContext& context);

// What the window says when the settings file is there but cannot be read: the file and the cause.
QString SettingsReadFailure(const std::string& path, const store::ReadResult& read);

// Whether the settings file differs from what the window last read or wrote.
bool SettingsChanged(const SiteCommandContext& context);
// Reads the settings file again after someone else changed it. The selection stays on the same
// site, found by name, where it still exists (else entry 0); the editor keeps what it shows unless
// the selected site itself changed. Unsaved changes in the editor are never dropped: the list and
// the other sites follow the file, the editor stays as the user left it, and the window says once
// that the site changed or went; a site that went leaves the list without a selection.
void ReloadSites(SiteCommandContext& context);

} // namespace lanvex::gui
