#pragma once

#include "gui/AdvancedPage.h"

namespace lanvex::gui {

// The advanced editor's page for the network a site is for: the adapter it is bound to (Adapter),
// the network it is recognised by (MatchGateway, MatchGatewayMAC, MatchSSID, MatchDNSDomain) and
// whether it is applied by itself there (AutoApply). Its buttons take the values from the adapter
// chosen in the window as last read; the adapter field offers the adapters present.
AdvancedPage* MakeNetworkPage(QWidget* parent, const ProgramSettings& program);

} // namespace lanvex::gui
