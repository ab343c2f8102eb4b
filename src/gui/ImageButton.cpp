#include "gui/ImageButton.h"

#include "Artwork.h"
#include "gui/Twips.h"

#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <memory>

namespace lanvex::gui {

namespace {

QPixmap DrawSquare(const resources::Artwork& art, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    art.Render(painter, QRectF(0, 0, size, size));
    return pixmap;
}

} // namespace

QIcon RenderIcon(const QString& resourcePath, std::initializer_list<int> sizes)
{
    const resources::Artwork art(resourcePath);
    QIcon icon;
    for (const int size : sizes)
        icon.addPixmap(DrawSquare(art, size));
    return icon;
}

Picture::Picture(const QString& resourcePath, QWidget* parent)
    : QWidget(parent)
    , m_resourcePath(resourcePath)
    , m_art(std::make_unique<resources::Artwork>(resourcePath))
{ }

Picture::~Picture() = default;

void Picture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_art->Render(painter, QRectF(rect()));
}

ImageButton::ImageButton(const QString& resourcePath, const QString& toolTip, QPoint restTwips, QWidget* parent)
    : Picture(resourcePath, parent)
    , m_rest(TwipPoint(restTwips.x(), restTwips.y()))
    , m_pressed(TwipPoint(restTwips.x() + 50, restTwips.y() + 50))
{
    setGeometry(QRect(m_rest, QSize(Px(480), Px(480))));
    setToolTip(toolTip);
    setAccessibleName(toolTip);
    setFocusPolicy(Qt::TabFocus);
}

void ImageButton::Press()
{
    if (isEnabled() && isVisible())
        Q_EMIT clicked();
}

void ImageButton::mousePressEvent(QMouseEvent* event)
{
    move(m_pressed);
    event->accept();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event)
{
    // The click counts where the pointer is let go, over the control in its pressed place.
    const bool click
        = event->button() == Qt::LeftButton && !m_doubleClick && rect().contains(event->position().toPoint());
    m_doubleClick = false;
    move(m_rest);
    event->accept();
    if (click)
        Q_EMIT clicked();
}

void ImageButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    move(m_pressed);
    m_doubleClick = true;
    event->accept();
}

} // namespace lanvex::gui

namespace lanvex::gui {

void ImageButton::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter) {
        Picture::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat())
        return;
    if (key == Qt::Key_Space) {
        // As a push button: pressed while held, clicked when let go.
        m_spaceDown = true;
        move(m_pressed);
        return;
    }
    Q_EMIT clicked();
}

void ImageButton::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space || event->isAutoRepeat()) {
        Picture::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (!m_spaceDown)
        return;
    m_spaceDown = false;
    move(m_rest);
    Q_EMIT clicked();
}

void ImageButton::focusOutEvent(QFocusEvent* event)
{
    // A Space held while the focus leaves is no click.
    if (m_spaceDown) {
        m_spaceDown = false;
        move(m_rest);
    }
    Picture::focusOutEvent(event);
}

void ImageButton::paintEvent(QPaintEvent* event)
{
    Picture::paintEvent(event);
    if (!hasFocus())
        return;
    // The style's own focus frame around the picture; unfocused, the button looks as ever.
    QPainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.rect = rect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}

} // namespace lanvex::gui
