#include "app/MainWindow.h"
#include "app/MessageSink.h"
#include "app/Platform.h"
#include "app/SingleInstance.h"
#include "app/SiteTray.h"
#include "app/Translations.h"
#include "app/WindowEntry.h"
#include "store/IniModule.h"

#include <QApplication>
#include <cstdio>
#include <windows.h>

namespace lanvex::app {

namespace {

bool IsOpen(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

} // namespace

int RunWindow(const CommandLine& line)
{
    // Qt on Windows reads its own options from GetCommandLineW(); the command line has none.
    int argc = 1;
    char name[] = "lanvex";
    char* argv[] = { name, nullptr };
    QApplication application(argc, argv);
    InstallTranslations(application);
    // A second window for the same settings file only brings the first one to the front.
    SingleInstance instance(QString::fromStdString(store::IniFileName));
    if (!instance.Claim())
        return 0;
    if (line.tray)
        AttachParentConsole(); // for the tray's own messages
    Platform platform = MakePlatform(line.simulateFile);
    QtMessageSink messages;
    MainWindow window(*platform.connector, *platform.printers, messages);
    StartWindowAndTray(window, instance, line.tray);
    return QApplication::exec();
}

void AttachParentConsole()
{
    // Handles given by the parent (a pipe, a file) are already the C runtime's streams.
    const bool outputOpen = IsOpen(GetStdHandle(STD_OUTPUT_HANDLE));
    const bool errorsOpen = IsOpen(GetStdHandle(STD_ERROR_HANDLE));
    if (outputOpen && errorsOpen)
        return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!outputOpen)
        std::freopen("CONOUT$", "w", stdout);
    if (!errorsOpen)
        std::freopen("CONOUT$", "w", stderr);
}

} // namespace lanvex::app
