#pragma once

namespace lanvex::gui {

// What a screen reader is told about the window's own controls: the site list with one item per
// entry, the image buttons as push buttons, the status line as a status bar. Qt asks the factory
// only once an assistive technology is listening, so nothing is made at start-up.
void InstallAccessibility();

} // namespace lanvex::gui
