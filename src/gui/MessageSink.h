#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

class QWidget;

namespace lanvex::gui {

// Every message box of the program goes through here, so tests can read and answer them.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    // A modal box with the information icon and a single OK button.
    virtual void Information(QWidget* parent, const QString& title, const QString& text) = 0;
    // A modal box with the question icon and the buttons Yes and No; true for Yes. A sink that
    // cannot ask answers No, which changes nothing.
    virtual bool Question(QWidget* parent, const QString& title, const QString& text);
    // A small box that asks to pick one of `choices`; the index picked, or -1 when the user
    // cancels. A sink that cannot ask answers -1.
    virtual int Choose(QWidget* parent, const QString& title, const QString& text, const QStringList& choices);
    // Closes the question or choice that is open, from within its loop: it answers No, or -1, as
    // if the user had cancelled. Nothing when none is open.
    virtual void Withdraw();
};

// Shows real message boxes.
class QtMessageSink : public MessageSink
{
public:
    void Information(QWidget* parent, const QString& title, const QString& text) override;
    bool Question(QWidget* parent, const QString& title, const QString& text) override;
    int Choose(QWidget* parent, const QString& title, const QString& text, const QStringList& choices) override;
    void Withdraw() override;

private:
    QPointer<QDialog> m_open; // the question or choice being asked
};

} // namespace lanvex::gui
