#include "gui/StatusLine.h"

#include "gui/Twips.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>

namespace lanvex::gui {

StatusLine::StatusLine(const QWidget* fontSource, QWidget* parent)
    : QWidget(parent)
    , m_fontSource(fontSource)
{
    setAutoFillBackground(true);
    QPalette look = palette();
    look.setColor(QPalette::Window, look.color(QPalette::Active, QPalette::Highlight));
    setPalette(look);
}

void StatusLine::ShowStatus(const QString& text)
{
    m_text = text;
    const qreal textHeight = QFontMetricsF(m_fontSource->font()).height();
    // A text taller than the strip gets a negative top and is drawn partly above it.
    m_textTop = (height() - textHeight) / 2;
    repaint();
    // A screen reader announces the new text; nothing is made when none listens.
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void StatusLine::paintEvent(QPaintEvent*)
{
    // The background is filled by the widget; only the latest text is drawn over it.
    if (m_text.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetricsF metrics(font());
    painter.drawText(QPointF(Px(30), m_textTop + metrics.ascent()), m_text);
}

} // namespace lanvex::gui
