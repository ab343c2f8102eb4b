#include "gui/MessageSink.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>

namespace lanvex::gui {

void QtMessageSink::Information(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    // Messages are plain text: a path or a name holding "<" is shown as it stands.
    box.setTextFormat(Qt::PlainText);
    // The window speaks Chinese; the button does too, as on a Chinese desktop.
    box.button(QMessageBox::Ok)->setText(QCoreApplication::translate("MessageSink", "确定"));
    box.exec();
}

} // namespace lanvex::gui
