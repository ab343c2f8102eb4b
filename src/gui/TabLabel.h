#pragma once

#include <QLabel>

namespace lanvex::gui {

// A tab of the window: a caption label with two looks (chosen or not) that reports clicks.
class TabLabel : public QLabel
{
    Q_OBJECT
public:
    TabLabel(const QString& caption, QWidget* parent);

    // Chosen: highlight background with info-background text; not chosen: the reverse.
    void SetChosen(bool chosen);
    bool IsChosen() const { return m_chosen; }

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_chosen = false;
};

} // namespace lanvex::gui
