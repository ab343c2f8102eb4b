// The window's apply: the site's run on the service thread, its status texts on the status line,
// and its end: the summary, the countdown box or the restore.
#include "apply/ApplyResult.h"
#include "apply/SitePrograms.h"
#include "gui/ApplyConfirmation.h"
#include "gui/CloseGuard.h"
#include "gui/MainWindow.h"
#include "gui/MessageSink.h"
#include "gui/StatusLine.h"
#include "i18n/Translate.h"
#include "listview/SiteListView.h"

#include <QApplication>
#include <QMetaObject>
#include <QSemaphore>
#include <exception>

namespace lanvex::gui {

namespace {

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

// What the run tells the window, heard on the service thread and handed to the window's thread.
class MainWindow::ApplyFeedback : public apply::ApplyListener
{
public:
    ApplyFeedback(MainWindow& window, const store::SiteProfile& site, int adapterPosition, bool summaryInBox,
                  std::shared_ptr<BoxAnswer> answer)
        : m_window(window)
        , m_applied { {}, {}, site, adapterPosition, summaryInBox }
        , m_answer(std::move(answer))
    { }

    void Status(const std::string& text) override { m_window.ShowStatusFromService(text); }

    void Applied(const apply::ApplyOutcome& outcome, Next next) override
    {
        m_applied.outcome = outcome;
        m_applied.summary = FromUtf8(apply::ApplySummaryText(outcome));
        m_next = next;
        // Entry 0 is read again for the adapter the apply went to, which the held input kept chosen.
        if (m_applied.adapterPosition >= 0) {
            m_adapters.emplace();
            try {
                *m_adapters = net::QueryAdapters(m_window.m_connector, m_window.m_printers);
            } catch (const std::exception&) { }
        }
        if (next == Next::Done)
            return; // shown once the run has ended
        QMetaObject::invokeMethod(
            &m_window,
            [window = &m_window, applied = m_applied, adapters = std::move(m_adapters), next,
             answer = m_answer]() mutable { window->FinishApply(applied, std::move(adapters), next, answer); },
            Qt::QueuedConnection);
        m_adapters.reset();
    }

    // The run has ended.
    void Finish(const apply::ApplyRunResult& result)
    {
        QMetaObject::invokeMethod(
            &m_window,
            [window = &m_window, applied = m_applied, adapters = std::move(m_adapters), next = m_next,
             result]() mutable {
                window->FinishServiceJob();
                if (result.refusal != apply::Refusal::None)
                    window->RefuseApply(applied);
                else if (next == Next::Done)
                    window->FinishApply(applied, std::move(adapters), next, nullptr);
                else
                    window->EndConfirmableApply(applied, result);
            },
            Qt::QueuedConnection);
    }

private:
    MainWindow& m_window;
    AppliedSite m_applied;
    std::shared_ptr<BoxAnswer> m_answer;
    std::optional<std::vector<net::AdapterEntry>> m_adapters;
    Next m_next = Next::Done;
};

void MainWindow::imgApply_Click()
{
    const int selected = picList->SelIndex();
    if (selected <= 0 || selected >= m_model.SiteCount)
        return;
    StartApply(m_model.SiteProfiles[static_cast<std::size_t>(selected)], true);
}

void MainWindow::ApplySite(int index)
{
    if (index <= 0 || index >= m_model.SiteCount)
        return;
    ApplySite(m_model.SiteProfiles[static_cast<std::size_t>(index)]);
}

void MainWindow::ApplySite(const store::SiteProfile& site)
{
    // The summary's box only while the window is open: the tray's notification says it otherwise.
    StartApply(site, isVisible());
}

void MainWindow::StartApply(const store::SiteProfile& site, bool summaryInBox)
{
    if (m_applying)
        return; // the summary comes first; the input is held meanwhile
    if (m_adaptersPending) {
        WaitForAdaptersToApply(site, summaryInBox);
        return;
    }
    // A site bound to an adapter that is present goes to that adapter, which is chosen for it.
    ChooseAdapter(BoundAdapterPosition(site));
    const int adapterPosition = AdapterPosition();
    // A copy of the site: the record must stay whole while the service thread works on it.
    apply::ApplyRequest request { site,
                                  std::nullopt,
                                  adapterPosition + 1,
                                  { &m_printers, m_proxy, m_model.ApplyPrinter },
                                  ConfirmApplyOn() ? static_cast<std::uint32_t>(m_confirmSeconds) : 0U,
                                  apply::SitesWithLeavePrograms(m_model),
                                  apply::OriginOfNamed(m_model, site.Name),
                                  false };
    const auto answer = request.keepSeconds > 0 ? std::make_shared<BoxAnswer>(m_closing) : nullptr;
    m_applying = true;
    // From here to the summary the window stays; a request to close it waits for the summary.
    m_closeGuard->Hold();
    HoldInput(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ShowStatus(tr("正在应用当前设置，请稍候..."));
    picStatus->show();
    picStatus->repaint();
    PostServiceJob([this, request = std::move(request), adapterPosition, summaryInBox, answer] {
        ApplyFeedback feedback(*this, request.site, adapterPosition, summaryInBox, answer);
        apply::ApplyRunResult result;
        result.applied = apply::NothingApplied(apply::kServiceUnavailable);
        try {
            result = apply::RunApply(m_connector, m_printers, request, feedback, answer.get());
        } catch (const std::exception&) {
            feedback.Applied(result.applied, apply::ApplyListener::Next::Done);
        }
        feedback.Finish(result);
    });
}

void MainWindow::WaitForAdaptersToApply(const store::SiteProfile& site, bool summaryInBox)
{
    // The adapter to apply to can be chosen only once the adapters are known.
    m_waitingApply.emplace(site, summaryInBox);
    ShowStatus(tr("正在读取网卡信息，读取完毕后将应用“%1”，请稍候...").arg(FromUtf8(site.Name)));
    picStatus->show();
}

void MainWindow::StartWaitingApply()
{
    if (!m_waitingApply)
        return;
    const auto [site, summaryInBox] = std::move(*m_waitingApply);
    m_waitingApply.reset();
    StartApply(site, summaryInBox);
}

void MainWindow::ShowStatusFromService(const std::string& text)
{
    const auto shown = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        this,
        [this, text, shown] {
            ShowStatus(FromUtf8(i18n::Translate("net", text.c_str())));
            shown->release();
        },
        Qt::QueuedConnection);
    // The next service call waits until the user can read this step; a closing window lets it go.
    while (!shown->tryAcquire(1, 20)) {
        if (m_closing)
            return;
    }
}

void MainWindow::FinishApply(const AppliedSite& applied, std::optional<std::vector<net::AdapterEntry>> adapters,
                             apply::ApplyListener::Next next, const std::shared_ptr<BoxAnswer>& answer)
{
    ShowStatus(tr("应用设置完毕。"));
    picStatus->hide();
    QApplication::restoreOverrideCursor();
    if (adapters) {
        const store::SiteProfile current = SettingsAt(*adapters, applied.adapterPosition);
        m_currentSettings = current;
        m_model.SiteProfiles[0] = current;
        m_model.SiteProfiles[0].Name = m_model.SiteNames[0];
    }
    m_applying = false;
    HoldInput(false);
    Q_EMIT siteApplied(applied.adapterPosition, FromUtf8(applied.site.Name), applied.outcome.Result, applied.summary);
    // After siteApplied: whoever watches the network knows which apply changed it.
    if (adapters)
        StoreAdapters(std::move(*adapters));
    switch (next) {
    case apply::ApplyListener::Next::AskToKeep:
        // No other apply starts before this one is kept or taken back; closing waits until then.
        m_applying = true;
        AskToKeep(applied.summary, answer);
        return;
    case apply::ApplyListener::Next::Restore:
        m_applying = true;
        ShowStatus(tr("正在恢复之前的设置，请稍候..."));
        return;
    case apply::ApplyListener::Next::Done:
        break;
    }
    if (applied.summaryInBox)
        m_messages.Information(this, tr("温馨提示"), applied.summary);
    m_closeGuard->Release();
}

void MainWindow::RefuseApply(const AppliedSite& applied)
{
    ShowStatus(tr("应用设置完毕。"));
    picStatus->hide();
    QApplication::restoreOverrideCursor();
    m_applying = false;
    HoldInput(false);
    const QString text = tr("办公位置“%1”指定的网卡 %2 不存在，设置未生效。")
                             .arg(FromUtf8(applied.site.Name), FromUtf8(applied.site.Extras.Adapter));
    Q_EMIT siteApplied(applied.adapterPosition, FromUtf8(applied.site.Name), apply::kAdapterNotFound, text);
    if (applied.summaryInBox)
        m_messages.Information(this, tr("温馨提示"), text);
    m_closeGuard->Release();
}

} // namespace lanvex::gui
