#pragma once

#include <QPointer>
#include <QWidget>

namespace lanvex::gui {

// Keeps the keyboard focus where the user left it while the window disables some of its
// controls. Disabling the control that has the focus makes the toolkit move the focus on to the
// next control; Release gives it back, unless the user has put it somewhere else since.
class FocusKeeper
{
public:
    explicit FocusKeeper(QWidget& window);

    // Call before disabling the controls, then Moved() once they are disabled.
    void Hold();
    void Moved();
    // Call once the controls are enabled again.
    void Release();

private:
    QWidget& m_window;
    QPointer<QWidget> m_kept; // where the focus was
    QPointer<QWidget> m_movedTo; // where disabling the controls sent it
    bool m_holding = false;
};

} // namespace lanvex::gui
