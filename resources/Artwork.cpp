#include "Artwork.h"

#include <QImage>
#include <QImageReader>
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

// An image decoded the first time it is drawn.
struct LazyImage
{
    QString path;
    QImage image;
    bool read = false;

    const QImage& get()
    {
        if (!read) {
            image = QImage(path);
            read = true;
        }
        return image;
    }
};

} // namespace

struct Artwork::Data
{
    QSize size; // of the 1x picture, from its header
    LazyImage single;
    LazyImage twice;
};

Artwork::Artwork(const QString& resourcePath)
    : m_data(std::make_unique<Data>())
{
    m_data->size = QImageReader(resourcePath).size();
    m_data->single.path = resourcePath;
    m_data->twice.path = DoubleSizePath(resourcePath);
}

Artwork::~Artwork() = default;

bool Artwork::IsValid() const
{
    return m_data->size.isValid();
}

void Artwork::Render(QPainter& painter, const QRectF& target) const
{
    if (!IsValid())
        return;
    // Device pixels the picture will cover per pixel of the 1x image. Only the size drawn from is
    // decoded.
    const qreal ratio = painter.device() == nullptr ? 1.0 : painter.device()->devicePixelRatioF();
    const qreal scale = ratio * target.width() * painter.transform().m11() / m_data->size.width();
    const bool useTwice = scale > 1.0 && !m_data->twice.get().isNull();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, useTwice ? m_data->twice.get() : m_data->single.get());
    painter.restore();
}

} // namespace lanvex::resources
