#include "gui/ApplyConfirmation.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lanvex::gui {

ApplyConfirmation::ApplyConfirmation(const QString& summary, int seconds, QWidget* parent)
    : QDialog(parent)
    , m_secondsLeft(seconds)
{
    setObjectName(QStringLiteral("ApplyConfirmation"));
    setWindowTitle(tr("确认网络设置"));
    auto* layout = new QVBoxLayout(this);
    auto* lblSummary = new QLabel(summary, this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setTextFormat(Qt::PlainText);
    layout->addWidget(lblSummary);
    lblCountdown = new QLabel(this);
    lblCountdown->setObjectName(QStringLiteral("lblCountdown"));
    layout->addWidget(lblCountdown);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* cmdKeep = buttons->addButton(tr("保留"), QDialogButtonBox::AcceptRole);
    cmdKeep->setObjectName(QStringLiteral("cmdKeep"));
    QPushButton* cmdRestore = buttons->addButton(tr("立即恢复"), QDialogButtonBox::RejectRole);
    cmdRestore->setObjectName(QStringLiteral("cmdRestore"));
    // Enter alone must not keep a change the user may not be able to see the effect of.
    cmdKeep->setAutoDefault(false);
    cmdRestore->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    ShowCountdown();
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &ApplyConfirmation::Tick);
    m_timer.start();
}

void ApplyConfirmation::done(int result)
{
    if (!m_timer.isActive())
        return; // ended already
    m_timer.stop();
    QDialog::done(result);
    if (result == Accepted)
        Q_EMIT kept();
    else
        Q_EMIT restoreRequested(m_timedOut);
}

void ApplyConfirmation::Tick()
{
    if (--m_secondsLeft > 0) {
        ShowCountdown();
        return;
    }
    m_timedOut = true;
    reject();
}

void ApplyConfirmation::ShowCountdown()
{
    lblCountdown->setText(tr("如果在%1秒内没有选择保留，将恢复之前的设置。").arg(m_secondsLeft));
}

BoxAnswer::BoxAnswer(const std::atomic<bool>& closing)
    : m_closing(closing)
{ }

void BoxAnswer::Give(Answer answer)
{
    m_answer = answer;
    m_given.release();
}

apply::KeepQuestion::Answer BoxAnswer::Wait(std::uint32_t seconds, const std::function<bool()>& keep)
{
    (void)seconds; // the box counts down itself
    while (!m_given.tryAcquire(1, 20)) {
        if (m_closing)
            return Answer::Abandoned;
    }
    if (m_answer != Answer::Kept)
        return m_answer;
    return keep() ? Answer::Kept : Answer::TooLate;
}

} // namespace lanvex::gui
