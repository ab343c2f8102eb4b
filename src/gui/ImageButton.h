#pragma once

#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <initializer_list>
#include <memory>

class QIcon;

namespace lanvex::resources {
class Artwork;
}

namespace lanvex::gui {

// A picture from the program's resources (see resources/Artwork.h), drawn to fill the control
// from the size of it that suits the screen's pixel ratio.
class Picture : public QWidget
{
    Q_OBJECT
public:
    Picture(const QString& resourcePath, QWidget* parent);
    ~Picture() override;

    const QString& ResourcePath() const { return m_resourcePath; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_resourcePath;
    std::unique_ptr<resources::Artwork> m_art;
};

// An image control that acts as a button: a 32 × 32 icon with a tooltip. While any mouse button
// is held down on it, it stands 50 twips further right and further down; it always returns to
// the same rest position. Releasing the left button over it is a click; the second press of a
// double click makes no second click, so a double click deletes or creates one site, not two.
// From the keyboard it takes the focus by Tab (a click leaves the focus where it was), shows a
// focus frame while it holds it, and Space (on release, pressed meanwhile) or Enter clicks it.
class ImageButton : public Picture
{
    Q_OBJECT
public:
    ImageButton(const QString& resourcePath, const QString& toolTip, QPoint restTwips, QWidget* parent);

    QPoint RestPosition() const { return m_rest; }
    QPoint PressedPosition() const { return m_pressed; }
    // A click from a shortcut or an assistive tool: only while the button is enabled and shown.
    void Press();

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint m_rest;
    QPoint m_pressed;
    bool m_doubleClick = false;
    bool m_spaceDown = false;
};

// The picture at each of the square sizes (logical pixel ratio 1), read from the resource once.
QIcon RenderIcon(const QString& resourcePath, std::initializer_list<int> sizes);

} // namespace lanvex::gui
