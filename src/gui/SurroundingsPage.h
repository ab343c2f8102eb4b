#pragma once

#include "gui/AdvancedPage.h"

namespace lanvex::gui {

// The advanced editor's page for the network around a site: the check that no other host holds its
// address (CheckAddress), the Wi-Fi network it joins first (WiFi), the system connections it brings
// down and up (DisconnectOnApply, ConnectOnApply), its firewall zone and the computer's name.
AdvancedPage* MakeSurroundingsPage(QWidget* parent);

} // namespace lanvex::gui
