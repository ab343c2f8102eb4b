#include "Artwork.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#ifdef LANVEX_PACKED_ART
#include "ArtPixels.h"
#else
#include <QImageReader>
#endif

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

#ifdef LANVEX_PACKED_ART
const ArtPixels* FindPixels(const QString& path)
{
    const QByteArray key = path.toLatin1();
    for (std::size_t i = 0; i < kArtPixelsCount; ++i) {
        if (key == kArtPixels[i].resourcePath)
            return &kArtPixels[i];
    }
    return nullptr;
}

QSize PictureSize(const QString& path)
{
    const ArtPixels* art = FindPixels(path);
    return art == nullptr ? QSize() : QSize(art->width, art->height);
}

QImage LoadPicture(const QString& path)
{
    const ArtPixels* art = FindPixels(path);
    if (art == nullptr)
        return {};
    // The compiled-in pixels themselves, neither copied nor decoded.
    return QImage(reinterpret_cast<const uchar*>(art->pixels), art->width, art->height, art->width * 4,
                  QImage::Format_ARGB32_Premultiplied);
}
#else
QSize PictureSize(const QString& path)
{
    return QImageReader(path).size();
}

QImage LoadPicture(const QString& path)
{
    return QImage(path);
}
#endif

// An image loaded the first time it is drawn.
struct LazyImage
{
    QString path;
    QImage image;
    bool read = false;

    const QImage& get()
    {
        if (!read) {
            image = LoadPicture(path);
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
    m_data->size = PictureSize(resourcePath);
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
