// The floor the window's start-up is measured against: a Qt Widgets window that shows one Chinese
// label in the same face and size as the program's window, and nothing else.

#include <QApplication>
#include <QFont>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("需要更改设置的网卡："));
    QFont face = label.font();
    face.setFamilies({ QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC") });
    face.setPointSize(9);
    label.setFont(face);
    label.setWindowTitle(QStringLiteral("Minimal"));
    label.resize(639, 501);
    label.show();
    return QApplication::exec();
}
