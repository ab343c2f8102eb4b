#include "gui/WindowProgram.h"
#include "i18n/Translations.h"
#include "main/SwitchEntry.h"
#include "main/WindowEntry.h"
#include "platform/LocaleVariables.h"
#include "platform/Process.h"
#include "platform/SingleInstance.h"
#include "store/IniModule.h"

#include <QApplication>
#include <QCoreApplication>

namespace lanvex::entry {

int RunWindow(const cli::CommandLine& line)
{
    // Qt on Windows reads its own options from GetCommandLineW(); the command line has none.
    int argc = 1;
    char name[] = "lanvex";
    char* argv[] = { name, nullptr };
    QApplication application(argc, argv);
    i18n::InstallTranslations(application, platform::LocaleVariable);
    // A second window for the same settings file only brings the first one to the front.
    platform::SingleInstance instance(QString::fromStdString(store::IniFileName));
    if (!instance.Claim())
        return 0;
    if (line.tray)
        platform::AttachParentConsole(); // for the tray's own messages
    return gui::RunMainWindow(instance, line.simulateFile, line.tray);
}

int RunSwitch(const cli::CommandLine& line)
{
    PrepareConsoleCommand();
    return HandSiteOver(line);
}

void PrepareConsoleCommand()
{
    // Made once and kept to the end of the program; Qt's options are not read from the arguments.
    static int argc = 1;
    static char name[] = "lanvex";
    static char* argv[] = { name, nullptr };
    static QCoreApplication application(argc, argv);
    i18n::InstallTranslations(application, platform::LocaleVariable);
}

} // namespace lanvex::entry
