#include "gui/WindowKeys.h"

#include "gui/ImageButton.h"

#include <QKeySequence>
#include <QShortcut>

namespace lanvex::gui {

namespace {

void PressOn(const QKeySequence& keys, QWidget& scope, Qt::ShortcutContext context, ImageButton& button)
{
    auto* shortcut = new QShortcut(keys, &scope);
    shortcut->setContext(context);
    QObject::connect(shortcut, &QShortcut::activated, &button, &ImageButton::Press);
}

} // namespace

void AddSiteCommandKeys(QWidget& window, QWidget& siteList, ImageButton& newButton, ImageButton& saveButton,
                        ImageButton& deleteButton)
{
    PressOn(QKeySequence(Qt::CTRL | Qt::Key_N), window, Qt::WindowShortcut, newButton);
    PressOn(QKeySequence(Qt::CTRL | Qt::Key_S), window, Qt::WindowShortcut, saveButton);
    // Delete in a text field deletes text; only the list's Delete deletes the site.
    PressOn(QKeySequence(Qt::Key_Delete), siteList, Qt::WidgetShortcut, deleteButton);
}

} // namespace lanvex::gui
