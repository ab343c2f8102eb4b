#include "gui/MessageSink.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace lanvex::gui {

bool MessageSink::Question(QWidget*, const QString&, const QString&)
{
    return false;
}

int MessageSink::Choose(QWidget*, const QString&, const QString&, const QStringList&)
{
    return -1;
}

void MessageSink::Withdraw() { }

void QtMessageSink::Information(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    // Messages are plain text: a path or a name holding "<" is shown as it stands.
    box.setTextFormat(Qt::PlainText);
    // The window speaks Chinese; the button does too, as on a Chinese desktop.
    box.button(QMessageBox::Ok)->setText(QCoreApplication::translate("MessageSink", "确定"));
    box.exec();
}

bool QtMessageSink::Question(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(QCoreApplication::translate("MessageSink", "是"));
    box.button(QMessageBox::No)->setText(QCoreApplication::translate("MessageSink", "否"));
    m_open = &box;
    return box.exec() == QMessageBox::Yes;
}

int QtMessageSink::Choose(QWidget* parent, const QString& title, const QString& text, const QStringList& choices)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(text);
    dialog.setComboBoxItems(choices);
    dialog.setOkButtonText(QCoreApplication::translate("MessageSink", "应用"));
    dialog.setCancelButtonText(QCoreApplication::translate("MessageSink", "取消"));
    m_open = &dialog;
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return static_cast<int>(choices.indexOf(dialog.textValue()));
}

void QtMessageSink::Withdraw()
{
    // Rejected, the box's loop ends with no button pressed: neither Yes nor a choice.
    if (m_open)
        m_open->reject();
}

} // namespace lanvex::gui
