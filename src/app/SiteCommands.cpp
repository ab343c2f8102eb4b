#include "app/SiteCommands.h"

#include "app/MessageSink.h"
#include "editor/EditorRules.h"
#include "editor/SiteEditor.h"
#include "listview/SiteListView.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"

#include <QCoreApplication>
#include <QRadioButton>
#include <QScrollBar>
#include <cerrno>

namespace lanvex::app {

namespace {

QString NoticeTitle()
{
    return QCoreApplication::translate("SiteCommands", "温馨提示");
}

std::string SettingsPath(const SiteCommandContext& context)
{
    return context.settingsPath.empty() ? store::IniFileName : context.settingsPath;
}

// Only the saved sites can be saved or deleted; entry 0 and stray selections are left alone.
bool SelectionIsSavedSite(const SiteCommandContext& context)
{
    const int sel = context.list.SelIndex();
    const store::SiteListModel& model = context.model;
    return sel >= 1 && sel < model.SiteCount && static_cast<std::size_t>(sel) < model.SiteNames.size()
        && static_cast<std::size_t>(sel) < model.SiteProfiles.size();
}

// The cause of a failed write in the user's words; the system's own text for anything rarer.
QString FailureReason(const store::WriteResult& written)
{
    switch (written.errorCode) {
    case EACCES:
    case EPERM:
    case EROFS:
        return QCoreApplication::translate("SiteCommands", "没有写入权限，或者文件是只读的。");
    case ENOSPC:
    case EDQUOT:
        return QCoreApplication::translate("SiteCommands", "磁盘空间不足。");
    case ENOENT:
    case ENOTDIR:
        return QCoreApplication::translate("SiteCommands", "配置文件所在的文件夹不存在。");
    case EISDIR:
        return QCoreApplication::translate("SiteCommands", "配置文件的位置上是一个文件夹。");
    case EILSEQ:
        return QCoreApplication::translate("SiteCommands", "内容中含有配置文件无法保存的字符。");
    case EBUSY:
        return QCoreApplication::translate("SiteCommands", "配置文件正在被其他程序不断修改，请稍后再试。");
    default:
        return QString::fromStdString(written.error);
    }
}

void ReportWriteFailure(SiteCommandContext& context, const char* what, const std::string& path,
                        const store::WriteResult& written)
{
    QString text = QCoreApplication::translate("SiteCommands", what)
        + QCoreApplication::translate("SiteCommands", "：无法写入配置文件 ") + QString::fromStdString(path);
    const QString reason = FailureReason(written);
    if (!reason.isEmpty())
        text += QStringLiteral("\r\n") + reason;
    context.messages.Information(context.window, NoticeTitle(), text);
}

bool ScrollBarShown(const SiteCommandContext& context)
{
    const QScrollBar* bar = context.list.scrollBar();
    return bar != nullptr && !bar->isHidden();
}

void FinishWithSelection(SiteCommandContext& context)
{
    const int sel = context.list.SelIndex();
    if (sel >= 0 && context.selectSite)
        context.selectSite(sel);
}

} // namespace

void imgIP_Click(int index, SiteCommandContext& context)
{
    switch (index) {
    case 0:
        NewSite(context);
        break;
    case 1:
        SaveSite(context);
        break;
    case 2:
        DeleteSite(context);
        break;
    default:
        break;
    }
}

void NewSite(SiteCommandContext& context)
{
    store::SiteListModel& model = context.model;
    // Entry 0 must exist before a site can follow it.
    if (model.SiteCount < 1 || model.SiteNames.empty())
        return;
    // Sites named by an earlier run may already hold the next number: skip those names.
    const std::string name
        = editor::NextNewSiteName(context.NewSiteCounter, model.SiteNames,
                                  QCoreApplication::translate("EditorRules", editor::kNewSiteName).toStdString());

    // Only the list is written: the new site gets its section at its first save.
    std::vector<std::string> names = model.SiteNames;
    names.push_back(name);
    const std::string path = SettingsPath(context);
    const std::string listText = store::SiteListText(names, model.UnlistedSites);
    const store::WriteResult written = store::IniFile(path).Update(
        [&listText](store::IniDocument& settings) { return settings.WriteString("Common", "Sites", listText); });
    if (!written) {
        ReportWriteFailure(context, QT_TRANSLATE_NOOP("SiteCommands", "新建失败"), path, written);
        return;
    }

    context.editor.txtName->setText(QString::fromStdString(name));
    context.editor.optIPType[0]->setChecked(true);
    model.SiteNames = std::move(names);
    store::SiteProfile profile;
    profile.Name = name;
    model.SiteProfiles.push_back(std::move(profile));
    model.SiteCount += 1;
    context.list.setSelIndex(model.SiteCount - 1);

    // Scroll to the end so the new entry stands in the last row.
    if (model.SiteCount == 8) {
        if (context.refreshSiteList)
            context.refreshSiteList();
        if (QScrollBar* bar = context.list.scrollBar())
            bar->setValue(bar->maximum());
    } else if (ScrollBarShown(context)) {
        QScrollBar* bar = context.list.scrollBar();
        bar->setMaximum(bar->maximum() + 1);
        bar->setValue(bar->maximum());
    }
    FinishWithSelection(context);
}

void SaveSite(SiteCommandContext& context)
{
    if (!SelectionIsSavedSite(context))
        return;
    editor::SiteEditor& editor = context.editor;
    const bool addressesOk = editor.CheckSiteAddresses(
        [&context](const QString& message) { context.messages.Information(context.window, NoticeTitle(), message); });
    if (!addressesOk)
        return;

    const int sel = context.list.SelIndex();
    store::SiteProfile typed = editor.ReadProfile();
    const std::string name = editor::TrimSiteName(typed.Name);
    // A name is a section and an item of the comma-separated list: refuse names that would not
    // read back as this one site.
    if (const std::optional<std::string> problem = editor::SiteNameProblem(name, context.model.SiteNames, sel)) {
        context.messages.Information(context.window, NoticeTitle(),
                                     QCoreApplication::translate("EditorRules", problem->c_str()));
        editor.txtName->setFocus(Qt::OtherFocusReason);
        return;
    }

    // The table's fields; Description and MACAddress describe an adapter, never a saved site.
    store::SiteProfile site = std::move(typed);
    site.Name = name;
    site.Description.clear();
    site.MACAddress.clear();

    // The list and all twelve keys in one replacement of the file: never half a save.
    std::vector<std::string> names = context.model.SiteNames;
    names[static_cast<std::size_t>(sel)] = name;
    const std::string path = SettingsPath(context);
    const std::string listText = store::SiteListText(names, context.model.UnlistedSites);
    const store::WriteResult written = store::IniFile(path).Update(
        [&listText, &site](store::IniDocument& settings) { return store::WriteSite(settings, listText, site); });
    if (!written) {
        ReportWriteFailure(context, QT_TRANSLATE_NOOP("SiteCommands", "保存失败"), path, written);
        return;
    }

    context.model.SiteNames = std::move(names);
    context.model.SiteProfiles[static_cast<std::size_t>(sel)] = std::move(site);
    context.messages.Information(context.window, QCoreApplication::translate("SiteCommands", "系统提示"),
                                 QCoreApplication::translate("SiteCommands", "保存成功!"));
    FinishWithSelection(context);
}

void DeleteSite(SiteCommandContext& context)
{
    if (!SelectionIsSavedSite(context))
        return;
    const int sel = context.list.SelIndex();

    store::SiteListModel& model = context.model;
    const std::string name = model.SiteProfiles[static_cast<std::size_t>(sel)].Name;
    std::vector<std::string> names = model.SiteNames;
    names.erase(names.begin() + sel);

    const std::string path = SettingsPath(context);
    const std::string listText = store::SiteListText(names, model.UnlistedSites);
    const store::WriteResult written = store::IniFile(path).Update([&](store::IniDocument& settings) {
        // An entry whose name cannot head a section has none to remove; the list is what counts.
        if (!name.empty())
            settings.DeleteSection(name);
        return settings.WriteString("Common", "Sites", listText);
    });
    if (!written) {
        ReportWriteFailure(context, QT_TRANSLATE_NOOP("SiteCommands", "删除失败"), path, written);
        return;
    }

    model.SiteNames = std::move(names);
    model.SiteProfiles.erase(model.SiteProfiles.begin() + sel);
    model.SiteCount -= 1;
    context.list.setSelIndex(sel - 1);
    if (ScrollBarShown(context)) {
        QScrollBar* bar = context.list.scrollBar();
        bar->setMaximum(bar->maximum() - 1);
    }
    if (model.SiteCount <= 7 && context.refreshSiteList)
        context.refreshSiteList();
    FinishWithSelection(context);
}

} // namespace lanvex::app
