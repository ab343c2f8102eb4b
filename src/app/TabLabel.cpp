#include "app/TabLabel.h"

#include <QFont>
#include <QMouseEvent>
#include <QPalette>

namespace lanvex::app {

TabLabel::TabLabel(const QString& caption, QWidget* parent)
    : QLabel(caption, parent)
{
    // 宋体 12 pt; where it is not installed, a CJK face of the same style stands in.
    QFont font;
    font.setFamilies({ QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                       QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC") });
    font.setPointSize(12);
    font.setWeight(QFont::Normal);
    setFont(font);
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

} // namespace lanvex::app
