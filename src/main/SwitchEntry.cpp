#include "main/SwitchEntry.h"

#include "cli/StandardStreams.h"
#include "cli/StartCommands.h"
#include "platform/SingleInstance.h"
#include "store/IniModule.h"

#include <QCoreApplication>
#include <QStringList>

namespace lanvex::entry {

namespace {

cli::HandOverResult FromInstance(platform::SingleInstance::HandOver handOver)
{
    switch (handOver) {
    case platform::SingleInstance::HandOver::Done:
        return cli::HandOverResult::Done;
    case platform::SingleInstance::HandOver::UnknownSite:
        return cli::HandOverResult::UnknownSite;
    case platform::SingleInstance::HandOver::NoneRunning:
        break;
    }
    return cli::HandOverResult::NoCopy;
}

} // namespace

int HandSiteOver(const cli::CommandLine& line)
{
    const QString settings = QString::fromStdString(store::IniFileName);
    platform::SingleInstance instance(settings);
    QStringList trayArguments { QStringLiteral("--tray") };
    if (line.configFile)
        trayArguments << QStringLiteral("--config") << settings;
    if (line.simulateFile)
        trayArguments << QStringLiteral("--simulate") << QString::fromStdString(*line.simulateFile);
    return cli::RunSwitchCommand(line.siteName, cli::StandardError(), [&](const std::string& name) {
        return FromInstance(instance.SwitchStartingCopy(QString::fromStdString(name),
                                                        QCoreApplication::applicationFilePath(), trayArguments));
    });
}

} // namespace lanvex::entry
