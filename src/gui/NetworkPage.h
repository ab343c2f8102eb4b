#pragma once

#include "gui/AdvancedPage.h"
#include "net/AdapterQuery.h"

#include <optional>

namespace lanvex::gui {

// The advanced editor's page for the network a site is for: the adapter it is bound to (Adapter),
// the network it is recognised by (MatchGateway, MatchGatewayMAC, MatchSSID, MatchDNSDomain) and
// whether it is applied by itself there (AutoApply). Its buttons take the values from `chosen`,
// the adapter chosen in the window as last read.
AdvancedPage* MakeNetworkPage(QWidget* parent, const std::optional<net::AdapterEntry>& chosen);

} // namespace lanvex::gui
