#pragma once

#include "gui/AdvancedPage.h"

#include <QKeySequence>
#include <optional>

namespace lanvex::gui {

// The advanced editor's page of the site's Hotkey: a key of the whole desktop that applies the
// site while the window or the tray runs.
AdvancedPage* MakeHotkeyPage(QWidget* parent);

// The hotkey a site's Hotkey text names: one key with Ctrl, Alt or Win, so it cannot take a key
// that other programs type with; nothing for any other text.
std::optional<QKeySequence> ParseHotkey(const QString& text);

} // namespace lanvex::gui
