#pragma once

#include <QString>

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
};

// Shows real message boxes.
class QtMessageSink : public MessageSink
{
public:
    void Information(QWidget* parent, const QString& title, const QString& text) override;
    bool Question(QWidget* parent, const QString& title, const QString& text) override;
};

} // namespace lanvex::gui
