#include "gui/TabLabel.h"

#include "gui/WindowFont.h"

#include <QMouseEvent>
#include <QPalette>

namespace lanvex::gui {

TabLabel::TabLabel(const QString& caption, QWidget* parent)
    : QLabel(caption, parent)
{
    setFont(WindowFont(12));
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setAccessibleName(caption);
    SetChosen(false);
}

void TabLabel::SetChosen(bool chosen)
{
    m_chosen = chosen;
    // The looks follow the desktop's colour scheme: the roles stand for COLOR_HIGHLIGHT and
    // COLOR_INFOBK.
    QPalette look = palette();
    const QColor highlight = look.color(QPalette::Active, QPalette::Highlight);
    const QColor infoBackground = look.color(QPalette::Active, QPalette::ToolTipBase);
    look.setColor(QPalette::Window, chosen ? highlight : infoBackground);
    look.setColor(QPalette::WindowText, chosen ? infoBackground : highlight);
    setPalette(look);
}

void TabLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace lanvex::gui
