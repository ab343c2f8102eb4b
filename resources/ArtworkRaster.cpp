#include "Artwork.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

namespace lanvex::resources {

namespace {

// "dir/name.png" -> "dir/name@2x.png"
QString DoubleSizePath(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot <= path.lastIndexOf(u'/'))
        return path + QStringLiteral("@2x");
    return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

} // namespace

struct Artwork::Data
{
    QImage single;
    QImage twice;
};

Artwork::Artwork(const QString& resourcePath)
    : m_data(std::make_unique<Data>())
{
    m_data->single = QImage(resourcePath);
    m_data->twice = QImage(DoubleSizePath(resourcePath));
}

Artwork::~Artwork() = default;

bool Artwork::IsValid() const
{
    return !m_data->single.isNull();
}

void Artwork::Render(QPainter& painter, const QRectF& target) const
{
    const QImage& single = m_data->single;
    if (single.isNull())
        return;
    // Device pixels the picture will cover per pixel of the 1x image.
    const qreal ratio = painter.device() == nullptr ? 1.0 : painter.device()->devicePixelRatioF();
    const qreal scale = ratio * target.width() * painter.transform().m11() / single.width();
    const bool useTwice = scale > 1.0 && !m_data->twice.isNull();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, useTwice ? m_data->twice : single);
    painter.restore();
}

} // namespace lanvex::resources
