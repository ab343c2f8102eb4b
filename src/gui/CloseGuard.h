#pragma once

#include <QObject>

class QSessionManager;
class QWidget;

namespace lanvex::gui {

// Holds every request to close the window or to end the program while an apply runs, and
// carries out the strongest of them once the apply's summary has been shown: the close box and
// Esc close the window, the exit button, the tray's exit and the end of the session end the
// program.
class CloseGuard : public QObject
{
    Q_OBJECT
public:
    explicit CloseGuard(QWidget& window);

    // From the start of an apply to its summary.
    void Hold();
    // The summary has been shown: does what was asked meanwhile.
    void Release();
    bool Holding() const { return m_holding; }

    // Ends the program, or asks for that once the summary has been shown.
    void Quit();
    // Whether the end of the session must wait: then it is refused, where the system lets the
    // program refuse it, and the program ends after the summary.
    bool HoldSessionEnd();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SessionEnding(QSessionManager& manager);

    enum class Request
    {
        None,
        Close,
        Quit
    };
    QWidget& m_window;
    bool m_holding = false;
    Request m_request = Request::None;
};

} // namespace lanvex::gui
