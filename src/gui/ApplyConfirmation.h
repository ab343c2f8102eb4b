#pragma once

#include "apply/ApplyRun.h"

#include <QDialog>
#include <QSemaphore>
#include <QString>
#include <QTimer>
#include <atomic>

class QLabel;

namespace lanvex::gui {

// The box that follows an apply the user is to confirm: the apply's summary, a countdown, and the
// choice to keep the new settings or restore the previous ones at once. The countdown running out,
// or closing the box, restores.
class ApplyConfirmation : public QDialog
{
    Q_OBJECT
public:
    ApplyConfirmation(const QString& summary, int seconds, QWidget* parent);

Q_SIGNALS:
    // Each box ends with exactly one of the two.
    void kept();
    // `timedOut`: the countdown ran out; else the user asked.
    void restoreRequested(bool timedOut);

protected:
    void done(int result) override;

private:
    void Tick();
    void ShowCountdown();

    QLabel* lblCountdown = nullptr;
    QTimer m_timer;
    int m_secondsLeft;
    bool m_timedOut = false;
};

// The box's answer, handed from the window's thread to the apply's run on the service thread.
class BoxAnswer : public apply::KeepQuestion
{
public:
    // While `closing` is set the run stops waiting: the window is going away.
    explicit BoxAnswer(const std::atomic<bool>& closing);
    // From the window's thread, once: what the box ended with.
    void Give(Answer answer);
    Answer Wait(std::uint32_t seconds, const std::function<bool()>& keep) override;

private:
    QSemaphore m_given;
    std::atomic<Answer> m_answer { Answer::Abandoned };
    const std::atomic<bool>& m_closing;
};

} // namespace lanvex::gui
