#include "gui/MessageSink.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

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

namespace {

// Chinese may be broken between any two characters, also inside a word: each line of a message is
// kept whole, the box as wide as its widest line needs, up to most of the screen.
void keepLinesWhole(QMessageBox& box)
{
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr)
        return;
    label->ensurePolished();
    const QFontMetrics metrics = label->fontMetrics();
    int widest = 0;
    for (const QString& line : box.text().split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.boundingRect(line.trimmed()).width());
    // The wrapping layout needs a little more than the line's advance.
    widest += metrics.horizontalAdvance(QChar(0x3000)) + 2 * label->margin();
    const QScreen* screen = box.screen();
    const int room = screen != nullptr ? screen->availableGeometry().width() * 3 / 4 : widest;
    label->setMinimumWidth(std::min(widest, room));
}

} // namespace

void QtMessageSink::Information(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    // Messages are plain text: a path or a name holding "<" is shown as it stands.
    box.setTextFormat(Qt::PlainText);
    // The window speaks Chinese; the button does too, as on a Chinese desktop.
    box.button(QMessageBox::Ok)->setText(QCoreApplication::translate("MessageSink", "确定"));
    keepLinesWhole(box);
    box.exec();
}

bool QtMessageSink::Question(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(QCoreApplication::translate("MessageSink", "是"));
    box.button(QMessageBox::No)->setText(QCoreApplication::translate("MessageSink", "否"));
    keepLinesWhole(box);
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
