// The window's apply that waits to be kept: the option, the countdown box and the way back.
#include "apply/ApplyResult.h"
#include "gui/ApplyConfirmation.h"
#include "gui/CloseGuard.h"
#include "gui/MainWindow.h"
#include "gui/MessageSink.h"
#include "gui/SiteCommands.h"
#include "i18n/Translate.h"
#include "platform/RemoteSession.h"

#include <QAction>
#include <QMetaObject>

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

void MainWindow::AskToKeep(const QString& summary, const std::shared_ptr<BoxAnswer>& answer)
{
    auto* box = new ApplyConfirmation(summary, m_confirmSeconds, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    connect(box, &ApplyConfirmation::kept, this, [answer] { answer->Give(apply::KeepQuestion::Answer::Kept); });
    connect(box, &ApplyConfirmation::restoreRequested, this, [answer](bool timedOut) {
        answer->Give(timedOut ? apply::KeepQuestion::Answer::TimedOut : apply::KeepQuestion::Answer::RestoreAsked);
    });
    ShowStatus(tr("请确认是否保留新设置。"));
    box->show();
}

void MainWindow::EndConfirmableApply(const AppliedSite& applied, const apply::ApplyRunResult& result)
{
    using Answer = apply::KeepQuestion::Answer;
    if (result.answer == Answer::Abandoned)
        return; // the window is closing
    m_applying = false;
    if (!result.restored) {
        ShowStatus(tr("已保留新设置。"));
        m_closeGuard->Release();
        return;
    }
    const bool restored = apply::ApplySucceeded(result.restored->Outcome.Result);
    ShowStatus(restored ? tr("已恢复之前的设置。") : tr("恢复之前的设置失败。"));
    QString heading;
    if (result.answer == Answer::TimedOut)
        heading = tr("%1秒内没有选择保留。").arg(m_confirmSeconds);
    else if (!result.answer)
        heading = applied.summary; // the apply failed and was taken back at once
    const QString summary = FromUtf8(result.restoreSummary);
    // Before the box, whose loop hears the network change back: the settings restored are the
    // user's own, and no site is offered for them.
    Q_EMIT settingsRestored(applied.adapterPosition);
    ReadCurrentSettings();
    if (applied.summaryInBox)
        m_messages.Information(this, tr("温馨提示"),
                               heading.isEmpty() ? summary : heading + QStringLiteral("\r\n") + summary);
    m_closeGuard->Release();
}

} // namespace lanvex::gui
