#pragma once

#include <QString>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace lanvex::gui {

class MessageSink;
struct SiteCommandContext;

// "登录时启动": a checkable action, checked while the login entry that starts the tray is there
// (looked at again each time `menu` opens). Toggling it writes or removes the entry; a failure is
// said and the check put back.
QAction* MakeStartAtLoginAction(QWidget& window, MessageSink& messages, QMenu& menu);

// "创建桌面快捷方式": writes a launcher for the site `selectedSite` names onto the desktop, and says
// where or why not. Enabled, each time `menu` opens, only when a saved site is chosen.
QAction* MakeSiteLauncherAction(QWidget& window, MessageSink& messages,
                                std::function<std::optional<QString>()> selectedSite, QMenu& menu);

// Switching by itself has just been turned on: it works only while the program runs, so when the
// login entry is missing the user is offered to add it. Asked once; [Common] AutostartOffered
// remembers it.
void OfferStartAtLogin(SiteCommandContext& context);

} // namespace lanvex::gui
