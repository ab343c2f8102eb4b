#pragma once

#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <initializer_list>

class QIcon;

namespace lanvex::app {

// A picture from the program's resources (see resources/Artwork.h), drawn to fill the control through Qt's
// scaling, so it stays sharp on a high-DPI screen. It is drawn once for the control's size and
// pixel ratio and kept; a repaint (a pressed button moving, the window uncovered) only copies it.
class Picture : public QWidget
{
    Q_OBJECT
public:
    Picture(const QString& resourcePath, QWidget* parent);

    const QString& ResourcePath() const { return m_resourcePath; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_resourcePath;
    QPixmap m_drawn;
};

// An image control that acts as a button: a 32 × 32 icon with a tooltip. While any mouse button
// is held down on it, it stands 50 twips further right and further down; it always returns to
// the same rest position. Releasing the left button over it is a click; the second press of a
// double click makes no second click, so a double click deletes or creates one site, not two.
class ImageButton : public Picture
{
    Q_OBJECT
public:
    ImageButton(const QString& resourcePath, const QString& toolTip, QPoint restTwips, QWidget* parent);

    QPoint RestPosition() const { return m_rest; }
    QPoint PressedPosition() const { return m_pressed; }

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPoint m_rest;
    QPoint m_pressed;
    bool m_doubleClick = false;
};

// Renders a resource picture (SVG or raster) at the given logical size and device pixel ratio.
QPixmap RenderPicture(const QString& resourcePath, QSize logicalSize, qreal devicePixelRatio);
// The picture at each of the square sizes (logical pixel ratio 1), read from the resource once.
QIcon RenderIcon(const QString& resourcePath, std::initializer_list<int> sizes);

} // namespace lanvex::app
