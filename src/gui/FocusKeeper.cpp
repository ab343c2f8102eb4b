#include "gui/FocusKeeper.h"

namespace lanvex::gui {

FocusKeeper::FocusKeeper(QWidget& window)
    : m_window(window)
{ }

void FocusKeeper::Hold()
{
    m_kept = m_window.focusWidget();
    m_movedTo = nullptr;
    m_holding = true;
}

void FocusKeeper::Moved()
{
    m_movedTo = m_window.focusWidget();
}

void FocusKeeper::Release()
{
    if (!m_holding)
        return;
    m_holding = false;
    // A focus the user moved during the hold stays where the user put it.
    if (m_window.focusWidget() != m_movedTo.data())
        return;
    if (m_kept && m_kept->isEnabled() && m_kept->isVisibleTo(&m_window))
        m_kept->setFocus(Qt::OtherFocusReason);
}

} // namespace lanvex::gui
