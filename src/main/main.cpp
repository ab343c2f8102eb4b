// lanvex on Linux: the window, or the command-line call its arguments name.
#include "cli/CommandLine.h"
#include "cli/ConsoleCommands.h"
#include "cli/StandardStreams.h"
#include "gui/WindowFont.h"
#include "gui/WindowProgram.h"
#include "i18n/Translate.h"
#include "i18n/Translations.h"
#include "main/SwitchEntry.h"
#include "platform/LocaleVariables.h"
#include "platform/Process.h"
#include "platform/SingleInstance.h"
#include "store/IniModule.h"
#include "store/SettingsLocation.h"

#include <QApplication>
#include <QCoreApplication>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace lanvex;
using cli::CommandLine;

constexpr const char* kOutOfMemory = LANVEX_TR_NOOP("main", "内存不足，操作没有完成。");

int runWindow(int argc, char** argv, const CommandLine& line)
{
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(LANVEX_APP_ID));
    i18n::InstallTranslations(application, platform::LocaleVariable);
    // A second window for the same settings file only brings the first one to the front.
    platform::SingleInstance instance(QString::fromStdString(store::IniFileName));
    if (!instance.Claim())
        return 0;
    // Every widget, message box included, starts from the window's face, so no other font is
    // looked up and opened at start-up.
    QApplication::setFont(gui::WindowFont(gui::kWindowPointSize));
    return gui::RunMainWindow(instance, line.simulateFile, line.tray);
}

// --switch NAME: handed to the running copy, over the same channel as a second window's start.
int runSwitch(int argc, char** argv, const CommandLine& line)
{
    QCoreApplication application(argc, argv);
    i18n::InstallTranslations(application, platform::LocaleVariable);
    return entry::HandSiteOver(line);
}

} // namespace

int main(int argc, char** argv)
{
    platform::PrepareConsoleOutput();
    try {
        const CommandLine line = cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        if (line.mode == CommandLine::Mode::Invalid) {
            cli::StandardError() << "lanvex: " << line.error << "\n\n" << cli::UsageText();
            return 2;
        }
        const auto settings = store::FindSettingsLocation(line.configFile, platform::ProgramPath(argv[0]));
        store::UseSettingsLocation(settings);
        if (line.mode == CommandLine::Mode::Window)
            return runWindow(argc, argv, line);
        if (line.mode == CommandLine::Mode::Switch)
            return runSwitch(argc, argv, line);
        // The real network backend talks D-Bus, which wants a Qt application object.
        std::optional<QCoreApplication> application;
        return cli::RunConsoleCommand(line, settings, cli::StandardOutput(), cli::StandardError(), [&] {
            application.emplace(argc, argv);
            i18n::InstallTranslations(*application, platform::LocaleVariable);
        });
    } catch (const std::bad_alloc&) {
        cli::StandardError() << "lanvex: "
                             << i18n::Translate("main", LANVEX_TR_NOOP("main", "内存不足，操作没有完成。")) << '\n';
        return 1;
    } catch (...) {
        // A failure of start-up itself ends the program without a message.
        return 1;
    }
}
