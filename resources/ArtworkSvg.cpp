#include "Artwork.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace lanvex::resources {

struct Artwork::Data
{
    std::unique_ptr<QSvgRenderer> svg;
    QImage image;
};

Artwork::Artwork(const QString& resourcePath)
    : m_data(std::make_unique<Data>())
{
    // Parsed once; every paint renders it afresh at the device's pixel ratio.
    if (resourcePath.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        m_data->svg = std::make_unique<QSvgRenderer>(resourcePath);
    else
        m_data->image = QImage(resourcePath);
}

Artwork::~Artwork() = default;

bool Artwork::IsValid() const
{
    return m_data->svg ? m_data->svg->isValid() : !m_data->image.isNull();
}

void Artwork::Render(QPainter& painter, const QRectF& target) const
{
    if (m_data->svg)
        m_data->svg->render(&painter, target);
    else if (!m_data->image.isNull())
        painter.drawImage(target, m_data->image);
}

} // namespace lanvex::resources
