#include "app/MessageSink.h"

#include <QMessageBox>

namespace lanvex::app {

void QtMessageSink::Information(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

} // namespace lanvex::app
