#include "gui/WindowFont.h"

#include <QStringList>

namespace lanvex::gui {

QFont WindowFont(int pointSize)
{
    QFont face;
    face.setFamilies({ QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                       QStringLiteral("Noto Sans CJK SC") });
    face.setPointSize(pointSize);
    face.setWeight(QFont::Normal);
    return face;
}

} // namespace lanvex::gui
