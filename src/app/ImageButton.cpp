#include "app/ImageButton.h"

#include "Artwork.h"
#include "app/Twips.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <memory>

namespace lanvex::app {

namespace {

// The source of a picture, read and parsed once however many sizes are drawn from it.
class PictureSource
{
public:
    explicit PictureSource(const QString& resourcePath)
        : m_art(resourcePath)
    { }

    QPixmap Render(QSize logicalSize, qreal devicePixelRatio) const
    {
        QPixmap pixmap(logicalSize * devicePixelRatio);
        pixmap.setDevicePixelRatio(devicePixelRatio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        m_art.Render(painter, QRectF(QPointF(0, 0), QSizeF(logicalSize)));
        return pixmap;
    }

private:
    resources::Artwork m_art;
};

} // namespace

QPixmap RenderPicture(const QString& resourcePath, QSize logicalSize, qreal devicePixelRatio)
{
    return PictureSource(resourcePath).Render(logicalSize, devicePixelRatio);
}

QIcon RenderIcon(const QString& resourcePath, std::initializer_list<int> sizes)
{
    const PictureSource source(resourcePath);
    QIcon icon;
    for (const int size : sizes)
        icon.addPixmap(source.Render(QSize(size, size), 1.0));
    return icon;
}

Picture::Picture(const QString& resourcePath, QWidget* parent)
    : QWidget(parent)
    , m_resourcePath(resourcePath)
{ }

void Picture::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    if (m_drawn.isNull() || m_drawn.deviceIndependentSize().toSize() != size() || m_drawn.devicePixelRatio() != ratio)
        m_drawn = RenderPicture(m_resourcePath, size(), ratio);
    QPainter painter(this);
    painter.drawPixmap(QPointF(0, 0), m_drawn);
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

} // namespace lanvex::app
