#include "gui/SiteListMenu.h"

#include "gui/MessageSink.h"
#include "gui/ServiceWorker.h"
#include "store/IniModule.h"
#include "transfer/SiteTransfer.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMetaObject>

namespace lanvex::gui {

namespace {

// The longest list of sites a message box shows; the totals follow.
constexpr std::size_t kMaxReportedSites = 20;

QString JoinLines(const std::vector<std::string>& lines)
{
    QStringList joined;
    for (const std::string& line : lines)
        joined << QString::fromStdString(line);
    return joined.join(QStringLiteral("\r\n"));
}

} // namespace

SiteListMenu::SiteListMenu(QWidget* list, MessageSink& messages, std::function<void()> reloadSites)
    : QObject(list)
    , m_list(list)
    , m_messages(messages)
    , m_reloadSites(std::move(reloadSites))
    , m_menu(new QMenu(list))
    , m_worker(std::make_unique<ServiceWorker>())
{
    setObjectName(QStringLiteral("siteListMenu"));
    m_menu->setObjectName(QStringLiteral("mnuSiteList"));
    QAction* importAction = m_menu->addAction(tr("导入..."));
    importAction->setObjectName(QStringLiteral("mnuImport"));
    connect(importAction, &QAction::triggered, this, &SiteListMenu::ImportSites);
    QAction* exportAction = m_menu->addAction(tr("导出..."));
    exportAction->setObjectName(QStringLiteral("mnuExport"));
    connect(exportAction, &QAction::triggered, this, &SiteListMenu::ExportSites);

    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_menu->popup(m_list->mapToGlobal(at)); });
}

QString SiteListMenu::askForFile(bool forSaving) const
{
    if (chooseFile)
        return chooseFile(forSaving);
    const QString filter = tr("办公位置 (*.ini *.json);;所有文件 (*)");
    return forSaving ? QFileDialog::getSaveFileName(m_list->window(), tr("导出"), QString(), filter)
                     : QFileDialog::getOpenFileName(m_list->window(), tr("导入"), QString(), filter);
}

SiteListMenu::~SiteListMenu() = default;

void SiteListMenu::ImportSites()
{
    const QString file = askForFile(false);
    if (file.isEmpty())
        return;
    runTransfer([file] {
        const transfer::TransferReport report = transfer::ImportSites(store::IniFileName, file.toStdString(), false);
        return Outcome { JoinLines(ImportReportLines(report, kMaxReportedSites)),
                         !report.added.empty() || !report.replaced.empty() };
    });
}

void SiteListMenu::ExportSites()
{
    const QString file = askForFile(true);
    if (file.isEmpty())
        return;
    runTransfer([file] {
        const transfer::TransferReport report = transfer::ExportSites(store::IniFileName, file.toStdString());
        return Outcome { QString::fromStdString(ExportReportText(report, file.toStdString())), false };
    });
}

void SiteListMenu::runTransfer(std::function<Outcome()> transfer)
{
    setActionsEnabled(false);
    m_worker->Post([this, transfer = std::move(transfer)] {
        Outcome outcome = transfer();
        // Queued to the menu: dropped if the window closed meanwhile.
        QMetaObject::invokeMethod(
            this, [this, outcome = std::move(outcome)] { finishTransfer(outcome); }, Qt::QueuedConnection);
    });
}

void SiteListMenu::finishTransfer(const Outcome& outcome)
{
    setActionsEnabled(true);
    if (outcome.sitesChanged)
        m_reloadSites();
    m_messages.Information(m_list->window(), tr("温馨提示"), outcome.text);
}

void SiteListMenu::setActionsEnabled(bool enabled)
{
    for (QAction* action : m_menu->actions())
        action->setEnabled(enabled);
}

} // namespace lanvex::gui
