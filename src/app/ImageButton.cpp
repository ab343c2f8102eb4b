#include "app/ImageButton.h"

#include "app/Twips.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace lanvex::app {

namespace {

bool IsSvg(const QString& path)
{
    return path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
}

} // namespace

QPixmap RenderPicture(const QString& resourcePath, QSize logicalSize, qreal devicePixelRatio)
{
    QPixmap pixmap(logicalSize * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF target(QPointF(0, 0), QSizeF(logicalSize));
    if (IsSvg(resourcePath))
        QSvgRenderer(resourcePath).render(&painter, target);
    else
        painter.drawImage(target, QImage(resourcePath));
    return pixmap;
}

Picture::Picture(const QString& resourcePath, QWidget* parent)
    : QWidget(parent)
    , m_resourcePath(resourcePath)
{
    // Parsed once; every paint renders it afresh at the screen's pixel ratio.
    if (IsSvg(resourcePath))
        m_svg = new QSvgRenderer(resourcePath, this);
    else
        m_image = QImage(resourcePath);
}

void Picture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_svg != nullptr && m_svg->isValid())
        m_svg->render(&painter, QRectF(rect()));
    else if (!m_image.isNull())
        painter.drawImage(QRectF(rect()), m_image);
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
