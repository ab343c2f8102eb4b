#include "gui/SiteCommands.h"

#include "editor/EditorRules.h"
#include "editor/SiteEditor.h"
#include "gui/AdvancedDialog.h"
#include "gui/MessageSink.h"
#include "listview/SiteListView.h"
#include "store/FileFailure.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"

#include <QCoreApplication>
#include <QRadioButton>
#include <QScrollBar>
#include <algorithm>
#include <cerrno>

namespace lanvex::gui {

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
#ifdef EDQUOT // not in the Windows C runtime
    case EDQUOT:
#endif
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
    case EWOULDBLOCK:
        return QCoreApplication::translate("SiteCommands", "配置文件正被其他程序锁定，请稍后再试。");
    case EMLINK:
        return QCoreApplication::translate("SiteCommands",
                                           "配置文件还有其他硬链接，保存会使它们与它分离，因此没有保存。");
    case ELOOP:
        return QCoreApplication::translate("SiteCommands", "配置文件是一个无法解析的符号链接。");
    default:
        return QString::fromStdString(store::FileFailureText(written.errorCode));
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

namespace {

// Writes one [Common] setting; a failed write is said, and the caller leaves its model as it was.
bool WriteCommonSetting(SiteCommandContext& context, const std::function<bool(store::IniDocument&)>& write)
{
    const std::string path = SettingsPath(context);
    const store::WriteResult written = store::IniFile(path).Update(write);
    if (!written) {
        ReportWriteFailure(context, QT_TRANSLATE_NOOP("SiteCommands", "保存失败"), path, written);
        return false;
    }
    context.settingsStamp = written.stamp;
    return true;
}

} // namespace

bool SetApplyPrinter(SiteCommandContext& context, bool on)
{
    if (!WriteCommonSetting(
            context, [on](store::IniDocument& doc) { return store::WriteCommonSwitch(doc, "ApplyPrinter", on); }))
        return false;
    context.model.ApplyPrinter = on;
    return true;
}

bool SetAutoSwitch(SiteCommandContext& context, bool on)
{
    if (!WriteCommonSetting(context,
                            [on](store::IniDocument& doc) { return store::WriteCommonSwitch(doc, "AutoSwitch", on); }))
        return false;
    context.model.AutoSwitch = on;
    return true;
}

bool SetCommonSwitch(SiteCommandContext& context, const char* key, bool on)
{
    return WriteCommonSetting(context,
                              [key, on](store::IniDocument& doc) { return store::WriteCommonSwitch(doc, key, on); });
}

bool SetConfirmApply(SiteCommandContext& context, bool on)
{
    if (!WriteCommonSetting(context, [on](store::IniDocument& doc) { return store::WriteConfirmApply(doc, on); }))
        return false;
    context.model.ConfirmApply = on;
    return true;
}

AdvancedDialog* EditAdvanced(SiteCommandContext& context)
{
    // The main editor's values as typed: the dialog's checks depend on them (the gateway count).
    const store::SiteProfile shown = context.editor.ReadProfile();
    const int selected = context.list.SelIndex();
    ProgramSettings program;
    program.applyPrinter = context.model.ApplyPrinter;
    if (context.chosenAdapter)
        program.chosenAdapter = context.chosenAdapter();
    if (context.adapters)
        program.adapters = context.adapters();
    auto* dialog = new AdvancedDialog(shown, SelectionIsSavedSite(context), context.messages, context.window,
                                      std::move(program));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::accepted, dialog, [&context, dialog, selected, shown] {
        // A setting of the whole program: it holds whichever site is shown.
        if (dialog->Program().applyPrinter != context.model.ApplyPrinter)
            SetApplyPrinter(context, dialog->Program().applyPrinter);
        // The settings go with the site they were made for, never with another one shown meanwhile.
        if (context.list.SelIndex() != selected || context.editor.ReadProfile().Name != shown.Name) {
            context.messages.Information(
                context.window, NoticeTitle(),
                QCoreApplication::translate("SiteCommands", "所选的办公位置已改变，高级设置未保存。"));
            return;
        }
        context.editor.setExtras(dialog->Site().Extras);
        SaveSite(context);
    });
    dialog->open();
    return dialog;
}

namespace {

// The file's sites replace the window's; entry 0 stays.
void AdoptSites(SiteCommandContext& context, const store::IniDocument& settings, const store::FileStamp& stamp)
{
    store::ReplaceSites(context.model, settings);
    context.settingsStamp = stamp;
}

// Fits the scroll bar to the list without choosing an entry, keeping the first visible row where
// it can: the window's selection and editor are left as they are.
void FitScrollBar(SiteCommandContext& context)
{
    QScrollBar* bar = context.list.scrollBar();
    if (bar == nullptr)
        return;
    const store::ScrollRange range = store::ScrollRangeFor(context.model.SiteCount);
    if (!range.visible) {
        bar->hide();
        context.list.setTopIndex(0);
        return;
    }
    const int value = bar->isHidden() ? 1 : std::clamp(bar->value(), range.minimum, range.maximum);
    bar->setMinimum(range.minimum);
    bar->setMaximum(range.maximum);
    bar->setSingleStep(range.singleStep);
    bar->setPageStep(range.pageStep);
    bar->show();
    bar->setValue(value);
    context.list.setTopIndex(value - 1);
}

// Fits the scroll bar and scrolls so that `entry` stands in the last of the seven rows.
void ShowInLastRow(SiteCommandContext& context, int entry)
{
    FitScrollBar(context);
    QScrollBar* bar = context.list.scrollBar();
    if (bar == nullptr || bar->isHidden())
        return;
    // The bar's value is the first visible row plus one.
    bar->setValue(std::clamp(entry - 5, bar->minimum(), bar->maximum()));
    context.list.setTopIndex(bar->value() - 1);
}

// The replacement character that stands for bytes the file's code page cannot decode.
const std::string kUndecodable = "\xEF\xBF\xBD";

std::string StandInForUndecodable(const std::string& text)
{
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, kUndecodable.size(), kUndecodable) == 0) {
            plain += '?';
            at += kUndecodable.size();
        } else {
            plain += text[at++];
        }
    }
    return plain;
}

// Why `name` cannot be saved as entry `index`. A name kept as the file stores it needs no
// encoding, also when its bytes do not decode; only its form and clashes count then.
std::optional<std::string> NameProblem(const std::string& name, std::vector<std::string> names, int index, bool kept)
{
    if (!kept || name.find(kUndecodable) == std::string::npos)
        return editor::SiteNameProblem(name, names, index);
    for (std::string& other : names)
        other = StandInForUndecodable(other);
    return editor::SiteNameProblem(StandInForUndecodable(name), names, index);
}

void ReportGone(SiteCommandContext& context, const QString& what)
{
    context.messages.Information(
        context.window, NoticeTitle(),
        what + QCoreApplication::translate("SiteCommands", "：该办公位置已被其他程序删除或改名，列表已重新读取。"));
    context.keptEdits.told = SiteCommandContext::KeptEdits::Told::Gone; // just said
    context.keptEdits.editorLoad = context.editor.LoadCount();
    ReloadSites(context);
    FinishWithSelection(context);
}

// What became of a change to the saved site the window has selected.
struct SelectedSiteChange
{
    store::WriteResult written;
    bool gone = false; // deleted or renamed by another program meanwhile: nothing was written
    std::size_t position = 0; // the site's position in the stored list
};

// Changes the saved site selected in the list, under the lock and in the file as it stands. The
// site is found by the name the window shows and which of equal names it is; `change` gets the
// document, its stored list and the site's position there, and returns false to write nothing.
template <typename Change>
SelectedSiteChange ChangeSelectedSite(const SiteCommandContext& context, store::IniDocument& settings, Change&& change)
{
    const auto sel = static_cast<std::size_t>(context.list.SelIndex());
    const std::string shownName = context.model.SiteNames[sel];
    const std::size_t occurrence = store::OccurrenceOf(context.model.SiteNames, sel);
    SelectedSiteChange result;
    result.written = store::IniFile(SettingsPath(context))
                         .Update(
                             [&](store::IniDocument& doc) {
                                 store::StoredSiteList list = store::StoredSiteList::Read(doc);
                                 const std::optional<std::size_t> found = list.Find(doc, shownName, occurrence);
                                 if (!found) {
                                     result.gone = true;
                                     return false;
                                 }
                                 result.position = *found;
                                 return change(doc, list, *found);
                             },
                             &settings);
    return result;
}

} // namespace

void NewSite(SiteCommandContext& context)
{
    store::SiteListModel& model = context.model;
    // Entry 0 must exist before a site can follow it.
    if (model.SiteCount < 1 || model.SiteNames.empty())
        return;

    // Only the list is written: the new site gets its section at its first save. Its name and
    // place come from the list as the file holds it now.
    const std::string path = SettingsPath(context);
    const std::string newSiteName = QCoreApplication::translate("EditorRules", editor::kNewSiteName).toStdString();
    std::string name;
    bool full = false;
    store::IniDocument settings;
    const store::WriteResult written = store::IniFile(path).Update(
        [&](store::IniDocument& doc) {
            store::StoredSiteList list = store::StoredSiteList::Read(doc);
            if (!store::SiteListHasRoom(list.size())) {
                full = true;
                return false;
            }
            // Sites named by an earlier run may already hold the next number: skip those names.
            name = editor::NextNewSiteName(context.NewSiteCounter, list.EntryNames(doc), newSiteName);
            std::optional<std::string> stored = doc.Encode(name);
            if (!stored)
                return false;
            list.Append(std::move(*stored));
            return list.Write(doc);
        },
        &settings);
    if (full) {
        context.messages.Information(context.window, NoticeTitle(),
                                     QCoreApplication::translate("SiteCommands", "新建失败：办公位置的数量已达上限。"));
        return;
    }
    if (!written) {
        ReportWriteFailure(context, QT_TRANSLATE_NOOP("SiteCommands", "新建失败"), path, written);
        return;
    }

    context.editor.txtName->setText(QString::fromStdString(name));
    context.editor.optIPType[0]->setChecked(true);
    const bool barShown = ScrollBarShown(context);
    AdoptSites(context, settings, written.stamp);
    // The new site ends the user's own; the organisation's may follow it.
    context.list.setSelIndex(store::OwnEntryCount(model) - 1);
    if (model.ManagedCount > 0) {
        ShowInLastRow(context, context.list.SelIndex());
        FinishWithSelection(context);
        return;
    }

    // Scroll to the end so the new entry stands in the last row.
    const store::ScrollRange range = store::ScrollRangeFor(model.SiteCount);
    if (range.visible && !barShown) {
        if (context.refreshSiteList)
            context.refreshSiteList();
        if (QScrollBar* bar = context.list.scrollBar())
            bar->setValue(bar->maximum());
    } else if (range.visible) {
        QScrollBar* bar = context.list.scrollBar();
        bar->setMaximum(range.maximum);
        bar->setValue(bar->maximum());
    } else if (barShown) {
        FitScrollBar(context); // others deleted sites meanwhile
    }
    FinishWithSelection(context);
}

namespace {

// Stores `site` as a new entry at the end of the list, under the lock and in the file as it
// stands: the save of a site another program deleted (or renamed) while the editor held it.
void SaveAsNewSite(SiteCommandContext& context, const store::SiteProfile& site)
{
    bool full = false;
    std::optional<std::string> problem;
    std::size_t position = 0;
    store::IniDocument settings;
    const store::WriteResult written
        = store::IniFile(SettingsPath(context))
              .Update(
                  [&](store::IniDocument& doc) {
                      store::StoredSiteList list = store::StoredSiteList::Read(doc);
                      if (list.size() >= store::kMaxSites) {
                          full = true;
                          return false;
                      }
                      std::vector<std::string> names = list.EntryNames(doc);
                      names.push_back(site.Name);
                      problem = NameProblem(site.Name, names, static_cast<int>(names.size()) - 1, false);
                      if (problem)
                          return false;
                      std::optional<std::string> stored = doc.Encode(site.Name);
                      if (!stored)
                          return false;
                      position = list.size();
                      list.Append(*stored);
                      return list.Write(doc)
                          && store::WriteSiteKeys(doc, store::IniDocument::FileBytes { *stored }, site);
                  },
                  &settings);
    if (full) {
        context.messages.Information(context.window, NoticeTitle(),
                                     QCoreApplication::translate("SiteCommands", "保存失败：办公位置的数量已达上限。"));
        return;
    }
    if (problem) {
        context.messages.Information(context.window, NoticeTitle(),
                                     QCoreApplication::translate("EditorRules", problem->c_str()));
        context.editor.txtName->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!written) {
        ReportWriteFailure(context, QT_TRANSLATE_NOOP("SiteCommands", "保存失败"), SettingsPath(context), written);
        return;
    }
    context.keptEdits.goneSite.reset();
    AdoptSites(context, settings, written.stamp);
    const int entry = static_cast<int>(position) + 1;
    context.list.setSelIndex(entry < context.model.SiteCount ? entry : 0);
    ShowInLastRow(context, context.list.SelIndex()); // the new entry stands in the last row
    context.messages.Information(context.window, QCoreApplication::translate("SiteCommands", "系统提示"),
                                 QCoreApplication::translate("SiteCommands", "保存成功!"));
    FinishWithSelection(context);
}

// Asks whether the editor's changes to `site`, which another program deleted or renamed, are to
// be saved again as a new site.
bool AskSaveAgain(SiteCommandContext& context, const std::string& site)
{
    return context.messages.Question(
        context.window, NoticeTitle(),
        QCoreApplication::translate("SiteCommands",
                                    "“%1”已被其他程序删除或改名。要把编辑器中的内容另存为新的办公位置吗？")
            .arg(QString::fromStdString(site)));
}

} // namespace

void SaveSite(SiteCommandContext& context)
{
    // After another program deleted the site the editor holds, the list has no selection.
    const bool gone = context.list.SelIndex() < 0 && context.keptEdits.goneSite;
    if (!gone && !SelectionIsSavedSite(context))
        return;
    editor::SiteEditor& editor = context.editor;
    const bool addressesOk = editor.CheckSiteAddresses(
        [&context](const QString& message) { context.messages.Information(context.window, NoticeTitle(), message); });
    if (!addressesOk)
        return;

    store::SiteProfile typed = editor.ReadProfile();
    const std::string name = editor::TrimSiteName(typed.Name);

    // The table's fields; Description and MACAddress describe an adapter, never a saved site.
    store::SiteProfile site = std::move(typed);
    site.Name = name;
    site.Description.clear();
    site.MACAddress.clear();

    if (gone) {
        if (AskSaveAgain(context, *context.keptEdits.goneSite))
            SaveAsNewSite(context, site);
        return;
    }
    // The organisation's sites are read-only: a save keeps the user's own copy, which hides theirs.
    if (store::IsManagedEntry(context.model, context.list.SelIndex())) {
        SaveAsNewSite(context, site);
        return;
    }

    // The list entry and all twelve keys in one replacement of the file: never half a save.
    std::optional<std::string> problem;
    store::IniDocument settings;
    const SelectedSiteChange saved = ChangeSelectedSite(
        context, settings, [&](store::IniDocument& doc, store::StoredSiteList& list, std::size_t position) {
            const std::vector<std::string> names = list.EntryNames(doc);
            const int index = static_cast<int>(position) + 1;
            // A name is a section and an item of the comma-separated list: refuse names that would
            // not read back as this one site. An unchanged name keeps its stored bytes.
            const bool kept = name == names[position + 1];
            problem = NameProblem(name, names, index, kept);
            if (problem)
                return false;
            std::optional<std::string> stored = kept ? list.Bytes(position) : doc.Encode(name);
            if (!stored)
                return false;
            list.Replace(position, *stored);
            return list.Write(doc) && store::WriteSiteKeys(doc, store::IniDocument::FileBytes { *stored }, site);
        });
    if (saved.gone) {
        // Deleted or renamed meanwhile, before the window noticed: the list follows the file and
        // the editor keeps the changes, which may go in again as a new site.
        const std::string goneName = context.model.SiteNames[static_cast<std::size_t>(context.list.SelIndex())];
        context.keptEdits.told = SiteCommandContext::KeptEdits::Told::Gone; // asked below: not told as well
        context.keptEdits.editorLoad = editor.LoadCount();
        ReloadSites(context);
        if (AskSaveAgain(context, goneName))
            SaveAsNewSite(context, site);
        return;
    }
    if (problem) {
        context.messages.Information(context.window, NoticeTitle(),
                                     QCoreApplication::translate("EditorRules", problem->c_str()));
        editor.txtName->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!saved.written) {
        ReportWriteFailure(context, QT_TRANSLATE_NOOP("SiteCommands", "保存失败"), SettingsPath(context),
                           saved.written);
        return;
    }

    AdoptSites(context, settings, saved.written.stamp);
    const int entry = static_cast<int>(saved.position) + 1;
    context.list.setSelIndex(entry < context.model.SiteCount ? entry : 0);
    FitScrollBar(context);
    context.messages.Information(context.window, QCoreApplication::translate("SiteCommands", "系统提示"),
                                 QCoreApplication::translate("SiteCommands", "保存成功!"));
    FinishWithSelection(context);
}

void DeleteSite(SiteCommandContext& context)
{
    if (!SelectionIsSavedSite(context))
        return;
    if (store::IsManagedEntry(context.model, context.list.SelIndex())) {
        context.messages.Information(
            context.window, NoticeTitle(),
            QCoreApplication::translate("SiteCommands", "删除失败：这是单位统一下发的办公位置，不能删除。"));
        return;
    }
    store::IniDocument settings;
    const SelectedSiteChange deleted = ChangeSelectedSite(
        context, settings, [](store::IniDocument& doc, store::StoredSiteList& list, std::size_t position) {
            // A section another entry still names (by hand-made equal names) holds that entry's
            // settings too, and stays. An entry whose name heads no section has none to remove.
            const std::string& stored = list.Bytes(position);
            if (!stored.empty() && !list.SectionShared(doc, position))
                doc.DeleteSection(store::IniDocument::FileBytes { stored });
            list.Erase(position);
            return list.Write(doc);
        });
    if (deleted.gone) {
        ReportGone(context, QCoreApplication::translate("SiteCommands", "删除失败"));
        return;
    }
    if (!deleted.written) {
        ReportWriteFailure(context, QT_TRANSLATE_NOOP("SiteCommands", "删除失败"), SettingsPath(context),
                           deleted.written);
        return;
    }

    AdoptSites(context, settings, deleted.written.stamp);
    const store::SiteListModel& model = context.model;
    // The selection moves to the entry above the deleted one.
    const int above = static_cast<int>(deleted.position);
    context.list.setSelIndex(above < model.SiteCount ? above : 0);
    const store::ScrollRange range = store::ScrollRangeFor(model.SiteCount);
    if (ScrollBarShown(context) && range.visible)
        context.list.scrollBar()->setMaximum(range.maximum);
    if (!range.visible && context.refreshSiteList)
        context.refreshSiteList();
    FinishWithSelection(context);
}

QString SettingsReadFailure(const std::string& path, const store::ReadResult& read)
{
    QString cause;
    switch (read.errorCode) {
    case EACCES:
    case EPERM:
        cause = QCoreApplication::translate("SiteCommands", "没有读取权限。");
        break;
    case EISDIR:
        cause = QCoreApplication::translate("SiteCommands", "配置文件的位置上是一个文件夹。");
        break;
    case EINVAL:
        cause = QCoreApplication::translate("SiteCommands", "它不是一个普通文件。");
        break;
    case EFBIG:
        cause = QCoreApplication::translate("SiteCommands", "文件太大（超过 %1 MiB），不是本程序的配置文件。")
                    .arg(store::IniFile::kMaxFileBytes >> 20);
        break;
    default:
        cause = QString::fromStdString(store::FileFailureText(read.errorCode));
        break;
    }
    return QCoreApplication::translate("SiteCommands", "无法读取配置文件 ") + QString::fromStdString(path)
        + QStringLiteral("\r\n") + cause + QStringLiteral("\r\n")
        + QCoreApplication::translate("SiteCommands", "在问题解决之前，不会写入这个文件。");
}

bool SettingsChanged(const SiteCommandContext& context)
{
    return store::IniFile(SettingsPath(context)).Stamp() != context.settingsStamp;
}

namespace {

// Tells the user, once for each turn for the worse, that the editor keeps unsaved changes to a
// site another program changed or deleted.
void TellKeptEdits(SiteCommandContext& context, SiteCommandContext::KeptEdits::Told now, const std::string& site)
{
    const int load = context.editor.LoadCount();
    if (load == context.keptEdits.editorLoad && now <= context.keptEdits.told)
        return;
    context.keptEdits.told = now;
    context.keptEdits.editorLoad = load;
    const QString name = QString::fromStdString(site);
    const QString text = now == SiteCommandContext::KeptEdits::Told::Changed
        ? QCoreApplication::translate(
            "SiteCommands", "“%1”已被其他程序修改。编辑器中保留着您尚未保存的内容，保存时将写入您看到的内容。")
        : QCoreApplication::translate(
            "SiteCommands",
            "“%1”已被其他程序删除或改名。编辑器中保留着您尚未保存的内容，保存时可以把它另存为新的办公位置。");
    context.messages.Information(context.window, NoticeTitle(), text.arg(name));
}

} // namespace

void ReloadSites(SiteCommandContext& context)
{
    const store::ReadResult read = store::IniFile(SettingsPath(context)).Read();
    context.settingsStamp = read.stamp;
    // A file that cannot be read now leaves the list as it is; a command reports the cause.
    if (!read.ok)
        return;

    store::SiteListModel& model = context.model;
    const int sel = context.list.SelIndex();
    const bool siteSelected = sel >= 1 && sel < model.SiteCount;
    const bool keepEditor = context.editor.HasUnsavedChanges();
    if (!keepEditor)
        context.keptEdits.goneSite.reset();
    std::string selectedName;
    std::size_t occurrence = 0;
    store::SiteProfile selectedRecord;
    if (siteSelected) {
        selectedName = model.SiteNames[static_cast<std::size_t>(sel)];
        occurrence = store::OccurrenceOf(model.SiteNames, static_cast<std::size_t>(sel));
        selectedRecord = model.SiteProfiles[static_cast<std::size_t>(sel)];
    }
    AdoptSites(context, read.document, read.stamp);

    int next = siteSelected || sel >= model.SiteCount ? 0 : sel;
    for (std::size_t i = 1; siteSelected && i < model.SiteNames.size(); ++i) {
        if (model.SiteNames[i] == selectedName && occurrence-- == 0) {
            next = static_cast<int>(i);
            break;
        }
    }
    const bool sameSite = siteSelected && next != 0;
    const bool siteChanged = sameSite && model.SiteProfiles[static_cast<std::size_t>(next)] != selectedRecord;
    FitScrollBar(context);
    if (keepEditor && siteSelected && !sameSite) {
        // Nothing in the list is what the editor shows now.
        context.keptEdits.goneSite = selectedName;
        context.list.setSelIndex(-1);
        context.list.DrawSiteList();
        TellKeptEdits(context, SiteCommandContext::KeptEdits::Told::Gone, selectedName);
        return;
    }
    context.list.setSelIndex(next);
    if (keepEditor) {
        context.list.DrawSiteList();
        if (siteChanged)
            TellKeptEdits(context, SiteCommandContext::KeptEdits::Told::Changed, selectedName);
    } else if (siteSelected && (!sameSite || siteChanged)) {
        FinishWithSelection(context); // the editor shows the entry as it now stands
    } else {
        context.list.DrawSiteList();
    }
}

} // namespace lanvex::gui
