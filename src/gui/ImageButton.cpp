#include "gui/ImageButton.h"

#include "Artwork.h"
#include "gui/Twips.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
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
