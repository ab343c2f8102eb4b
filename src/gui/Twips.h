#pragma once

#include <QPoint>
#include <QRect>

namespace lanvex::gui {

// The window's layout is measured in twips; 15 twips make one logical pixel, and Qt's high-DPI
// scaling maps logical pixels to the screen. Values are rounded to the nearest pixel.
constexpr int Px(int twips)
{
    return twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15);
}

constexpr QPoint TwipPoint(int left, int top)
{
    return QPoint(Px(left), Px(top));
}

constexpr QRect TwipRect(int left, int top, int width, int height)
{
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

} // namespace lanvex::gui
