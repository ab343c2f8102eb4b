// The window's apply that waits to be kept: the option, the countdown box and the way back.
#include "gui/ApplyConfirmation.h"
#include "gui/CloseGuard.h"
#include "gui/MainWindow.h"
#include "gui/MessageSink.h"
#include "gui/SiteCommands.h"
#include "i18n/Translate.h"
#include "net/IPInfo.h"
#include "net/RestorePoint.h"
#include "platform/RemoteSession.h"

#include <QAction>
#include <QMetaObject>
#include <exception>

namespace lanvex::gui {

namespace {

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

bool MainWindow::ConfirmApplyOn() const
{
    return m_model.ConfirmApply.value_or(platform::IsRemoteSession());
}

QAction* MainWindow::MakeConfirmApplyAction(QObject* parent)
{
    auto* action = new QAction(tr("应用后确认"), parent);
    action->setObjectName(QStringLiteral("mnuConfirmApply"));
    action->setCheckable(true);
    action->setChecked(ConfirmApplyOn());
    connect(action, &QAction::triggered, this, [this, action](bool on) {
        if (!SetConfirmApply(*m_siteCommands, on))
            action->setChecked(!on);
    });
    return action;
}

bool MainWindow::FinishConfirmableApply(const AppliedSite& applied, const QString& summary)
{
    if (!applied.restorePoint)
        return false;
    if (net::ApplySucceeded(applied.result)) {
        AskToKeep(applied, summary);
        return true;
    }
    if (net::MayHaveChanged(applied.result)) {
        RestoreApplied(applied, summary);
        return true;
    }
    // Nothing changed: the service may forget its checkpoint.
    PostServiceJob([this, restorePoint = applied.restorePoint] {
        try {
            restorePoint->Keep();
        } catch (const std::exception&) { }
        QMetaObject::invokeMethod(
            this, [this] { FinishServiceJob(); }, Qt::QueuedConnection);
    });
    return false;
}

void MainWindow::AskToKeep(const AppliedSite& applied, const QString& summary)
{
    // No other apply starts before this one is kept or taken back.
    m_applying = true;
    auto* box = new ApplyConfirmation(summary, m_confirmSeconds, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &ApplyConfirmation::kept, this, [this, applied] { KeepApplied(applied); });
    connect(box, &ApplyConfirmation::restoreRequested, this, [this, applied](bool timedOut) {
        RestoreApplied(applied, timedOut ? tr("%1秒内没有选择保留。").arg(m_confirmSeconds) : QString());
    });
    ShowStatus(tr("请确认是否保留新设置。"));
    box->show();
}

void MainWindow::KeepApplied(const AppliedSite& applied)
{
    PostServiceJob([this, applied] {
        bool kept = false;
        try {
            kept = applied.restorePoint->Keep();
        } catch (const std::exception&) { }
        QMetaObject::invokeMethod(
            this,
            [this, applied, kept] {
                FinishServiceJob();
                if (kept) {
                    EndConfirmableApply(applied, tr("已保留新设置。"), QString());
                    return;
                }
                // The service's own time ran out just before: it has put the settings back.
                const std::string restored
                    = net::RestoreSummary({ net::kApplyOk, true }, applied.restorePoint->Before(), applied.site);
                EndConfirmableApply(applied, tr("已恢复之前的设置。"), FromUtf8(restored));
                Q_EMIT settingsRestored(applied.adapterPosition);
                ReadCurrentSettings();
            },
            Qt::QueuedConnection);
    });
}

void MainWindow::RestoreApplied(const AppliedSite& applied, const QString& heading)
{
    m_applying = true;
    ShowStatus(tr("正在恢复之前的设置，请稍候..."));
    PostServiceJob([this, applied, heading] {
        net::RestoreResult restored { net::kServiceUnavailable, false };
        try {
            restored = applied.restorePoint->Restore(m_connector, applied.site,
                                                     [this](const std::string& text) { ShowStatusFromService(text); });
        } catch (const std::exception&) { }
        const std::string summary = net::RestoreSummary(restored, applied.restorePoint->Before(), applied.site);
        QMetaObject::invokeMethod(
            this,
            [this, applied, heading, restored, summary] {
                FinishServiceJob();
                const QString status
                    = net::ApplySucceeded(restored.Result) ? tr("已恢复之前的设置。") : tr("恢复之前的设置失败。");
                const QString text
                    = heading.isEmpty() ? FromUtf8(summary) : heading + QStringLiteral("\r\n") + FromUtf8(summary);
                EndConfirmableApply(applied, status, text);
                Q_EMIT settingsRestored(applied.adapterPosition);
                ReadCurrentSettings();
            },
            Qt::QueuedConnection);
    });
}

void MainWindow::EndConfirmableApply(const AppliedSite& applied, const QString& status, const QString& summary)
{
    ShowStatus(status);
    m_applying = false;
    if (!summary.isEmpty() && applied.summaryInBox)
        m_messages.Information(this, tr("温馨提示"), summary);
    m_closeGuard->Release();
}

} // namespace lanvex::gui
