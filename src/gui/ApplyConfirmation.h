#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>

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

} // namespace lanvex::gui
