#include "gui/WindowProgram.h"

#include "gui/MainWindow.h"
#include "gui/MessageSink.h"
#include "gui/SiteTray.h"
#include "platform/NetworkWatches.h"
#include "platform/Services.h"

#include <QApplication>

namespace lanvex::gui {

int RunMainWindow(platform::SingleInstance& instance, const std::optional<std::string>& simulateFile, bool trayOnly)
{
    platform::Services services = platform::MakeServices(simulateFile);
    QtMessageSink messages;
    MainWindow window(*services.connector, *services.printers, messages);
    window.SetProxyStore(services.proxy.get());
    window.WatchNetwork(platform::MakeNetworkWatch(simulateFile));
    StartWindowAndTray(window, instance, trayOnly);
    return QApplication::exec();
}

} // namespace lanvex::gui
