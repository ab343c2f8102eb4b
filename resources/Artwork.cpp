#include "Artwork.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#ifdef LANVEX_LIBPNG
#include <QResource>
#include <cstring>
#include <png.h>
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

#ifdef LANVEX_LIBPNG
// The pictures are decoded with libpng, which Qt itself loads anyway: Qt's own reader looks
// through every image-format plugin on its first use, which takes longer than all the decoding.
QByteArray ResourceBytes(const QString& path)
{
    const QResource resource(path);
    return resource.isValid() ? resource.uncompressedData() : QByteArray();
}

bool ReadHeader(png_image& image, const QByteArray& bytes)
{
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    return !bytes.isEmpty()
        && png_image_begin_read_from_memory(&image, bytes.constData(), static_cast<std::size_t>(bytes.size())) != 0;
}

QSize PictureSize(const QString& path)
{
    png_image image;
    if (!ReadHeader(image, ResourceBytes(path)))
        return {};
    const QSize size(static_cast<int>(image.width), static_cast<int>(image.height));
    png_image_free(&image);
    return size;
}

QImage DecodePicture(const QString& path)
{
    const QByteArray bytes = ResourceBytes(path);
    png_image image;
    if (!ReadHeader(image, bytes))
        return {};
    image.format = PNG_FORMAT_RGBA;
    QImage decoded(static_cast<int>(image.width), static_cast<int>(image.height), QImage::Format_RGBA8888);
    // The row stride counts components, which are bytes here.
    if (decoded.isNull()
        || png_image_finish_read(&image, nullptr, decoded.bits(), static_cast<png_int_32>(decoded.bytesPerLine()),
                                 nullptr)
            == 0) {
        png_image_free(&image);
        return {};
    }
    return decoded;
}
#else
QSize PictureSize(const QString& path)
{
    return QImageReader(path).size();
}

QImage DecodePicture(const QString& path)
{
    return QImage(path);
}
#endif

// An image decoded the first time it is drawn.
struct LazyImage
{
    QString path;
    QImage image;
    bool read = false;

    const QImage& get()
    {
        if (!read) {
            image = DecodePicture(path);
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
