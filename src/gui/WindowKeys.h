#pragma once

class QWidget;

namespace lanvex::gui {

class ImageButton;

// The editor's buttons from the keyboard: Ctrl+N new and Ctrl+S save anywhere in the window,
// Delete in the site list. Each presses its button, so it asks and tells exactly as a click does
// and does nothing while the button is held off or its page is hidden.
void AddSiteCommandKeys(QWidget& window, QWidget& siteList, ImageButton& newButton, ImageButton& saveButton,
                        ImageButton& deleteButton);

} // namespace lanvex::gui
