#include "gui/StartAtLogin.h"

#include "gui/MessageSink.h"
#include "gui/SiteCommands.h"
#include "platform/Autostart.h"
#include "store/IniFile.h"
#include "store/IniModule.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace lanvex::gui {

namespace {

constexpr char kOfferedKey[] = "AutostartOffered";

std::string ProgramPath()
{
    return QCoreApplication::applicationFilePath().toStdString();
}

QString Tr(const char* text)
{
    return QCoreApplication::translate("StartAtLogin", text);
}

// Writes or removes the login entry; a failure is said.
bool SetStartAtLogin(QWidget* window, MessageSink& messages, bool on)
{
    std::string error;
    if (platform::Autostart::Set(on, ProgramPath(), error))
        return true;
    messages.Information(
        window, Tr(QT_TRANSLATE_NOOP("StartAtLogin", "温馨提示")),
        Tr(QT_TRANSLATE_NOOP("StartAtLogin", "登录时启动未能设置：\n%1")).arg(QString::fromStdString(error)));
    return false;
}

} // namespace

QAction* MakeStartAtLoginAction(QWidget& window, MessageSink& messages, QMenu& menu)
{
    auto* action = new QAction(Tr(QT_TRANSLATE_NOOP("StartAtLogin", "登录时启动")), &menu);
    action->setObjectName(QStringLiteral("mnuStartAtLogin"));
    action->setCheckable(true);
    action->setChecked(platform::Autostart::IsOn());
    QObject::connect(&menu, &QMenu::aboutToShow, action, [action] { action->setChecked(platform::Autostart::IsOn()); });
    QObject::connect(action, &QAction::triggered, action, [&window, &messages, action](bool on) {
        if (!SetStartAtLogin(&window, messages, on))
            action->setChecked(!on);
    });
    return action;
}

QAction* MakeSiteLauncherAction(QWidget& window, MessageSink& messages,
                                std::function<std::optional<QString>()> selectedSite, QMenu& menu)
{
    auto* action = new QAction(Tr(QT_TRANSLATE_NOOP("StartAtLogin", "创建桌面快捷方式")), &menu);
    action->setObjectName(QStringLiteral("mnuSiteLauncher"));
    QObject::connect(&menu, &QMenu::aboutToShow, action,
                     [action, selectedSite] { action->setEnabled(selectedSite().has_value()); });
    QObject::connect(action, &QAction::triggered, action, [&window, &messages, selectedSite] {
        const std::optional<QString> site = selectedSite();
        if (!site)
            return;
        std::string error;
        const std::string written = platform::WriteSiteLauncher(site->toStdString(), ProgramPath(), error);
        const QString title = Tr(QT_TRANSLATE_NOOP("StartAtLogin", "温馨提示"));
        if (written.empty())
            messages.Information(
                &window, title,
                Tr(QT_TRANSLATE_NOOP("StartAtLogin", "桌面快捷方式未能创建：\n%1")).arg(QString::fromStdString(error)));
        else
            messages.Information(&window, title,
                                 Tr(QT_TRANSLATE_NOOP("StartAtLogin", "已在桌面创建快捷方式：\n%1"))
                                     .arg(QString::fromStdString(written)));
    });
    return action;
}

void OfferStartAtLogin(SiteCommandContext& context)
{
    if (platform::Autostart::IsOn())
        return;
    const std::string path = context.settingsPath.empty() ? store::IniFileName : context.settingsPath;
    const store::ReadResult read = store::IniFile(path).Read();
    if (!read.ok || read.document.ReadInt("Common", kOfferedKey, 0) > 0)
        return;
    // Remembered first: a failed write means no offer rather than the same offer each time.
    if (!SetCommonSwitch(context, kOfferedKey, true))
        return;
    const bool yes = context.messages.Question(
        context.window, Tr(QT_TRANSLATE_NOOP("StartAtLogin", "温馨提示")),
        Tr(QT_TRANSLATE_NOOP(
            "StartAtLogin",
            "只有 Lanvex 运行时才能识别网络并自动切换办公位置。\n要在登录时启动 Lanvex（只显示托盘图标）吗？")));
    if (yes)
        SetStartAtLogin(context.window, context.messages, true);
}

} // namespace lanvex::gui
