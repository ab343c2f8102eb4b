#include "app/CommandLine.h"
#include "app/ConsoleCommands.h"
#include "app/MainWindow.h"
#include "app/MessageSink.h"
#include "app/Platform.h"
#include "app/SingleInstance.h"
#include "app/SiteTray.h"
#include "app/StandardStreams.h"
#include "app/Translations.h"
#include "app/WindowFont.h"
#include "store/IniModule.h"
#include "store/SettingsLocation.h"

#include <QApplication>
#include <QCoreApplication>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using lanvex::app::CommandLine;

std::string executablePath(const char* argv0)
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(argv0) : self.string();
}

int runWindow(int argc, char** argv, const CommandLine& line)
{
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(LANVEX_APP_ID));
    lanvex::app::InstallTranslations(application);
    // A second window for the same settings file only brings the first one to the front.
    lanvex::app::SingleInstance instance(QString::fromStdString(lanvex::store::IniFileName));
    if (!instance.Claim())
        return 0;
    // Every widget, message box included, starts from the window's face, so no other font is
    // looked up and opened at start-up.
    QApplication::setFont(lanvex::app::WindowFont(lanvex::app::kWindowPointSize));
    lanvex::app::Platform platform = lanvex::app::MakePlatform(line.simulateFile);
    lanvex::app::QtMessageSink messages;
    lanvex::app::MainWindow window(*platform.connector, *platform.printers, messages);
    lanvex::app::StartWindowAndTray(window, instance, line.tray);
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const CommandLine line = lanvex::app::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        if (line.mode == CommandLine::Mode::Invalid) {
            lanvex::app::StandardError() << "lanvex: " << line.error << "\n\n" << lanvex::app::UsageText();
            return 2;
        }
        const auto settings = lanvex::store::FindSettingsLocation(line.configFile, executablePath(argv[0]));
        lanvex::store::UseSettingsLocation(settings);
        if (line.mode == CommandLine::Mode::Window)
            return runWindow(argc, argv, line);
        // The real network backend talks D-Bus, which wants a Qt application object.
        std::optional<QCoreApplication> application;
        return lanvex::app::RunConsoleCommand(line, settings, lanvex::app::StandardOutput(),
                                              lanvex::app::StandardError(), [&] {
                                                  application.emplace(argc, argv);
                                                  lanvex::app::InstallTranslations(*application);
                                              });
    } catch (...) {
        // A failure of start-up itself ends the program without a message.
        return 1;
    }
}
