#pragma once

#include <QRectF>
#include <QString>
#include <memory>

class QPainter;

namespace lanvex::resources {

// One of the program's pictures, drawn to fill a rectangle at the painter's pixel ratio, from the
// PNGs rendered from its SVG at build time, at 1x and 2x ("name.png" and "name@2x.png"). Only the
// size drawn from is loaded.
class Artwork
{
public:
    explicit Artwork(const QString& resourcePath);
    ~Artwork();
    Artwork(const Artwork&) = delete;
    Artwork& operator=(const Artwork&) = delete;

    bool IsValid() const;
    void Render(QPainter& painter, const QRectF& target) const;

private:
    struct Data;
    std::unique_ptr<Data> m_data;
};

} // namespace lanvex::resources
