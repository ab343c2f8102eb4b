#pragma once

#include <QString>
#include <QWidget>

namespace lanvex::gui {

// picStatus: the one-line status strip shown while an apply runs.
class StatusLine : public QWidget
{
    Q_OBJECT
public:
    // The text's height is measured with `fontSource`'s font (the main window's), not the strip's.
    StatusLine(const QWidget* fontSource, QWidget* parent);

    // Replaces the text and paints the strip before returning: the apply that calls this runs
    // without the event loop, so a deferred update would never be seen.
    void ShowStatus(const QString& text);
    const QString& Text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QWidget* m_fontSource;
    QString m_text;
    qreal m_textTop = 0;
};

} // namespace lanvex::gui
