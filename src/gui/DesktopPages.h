#pragma once

#include "gui/AdvancedPage.h"

namespace lanvex::gui {

// The advanced editor's pages for what a site changes beyond the adapter.
// The user's proxy: the site's ProxyMode, ProxyServer, ProxyBypass and ProxyPAC.
AdvancedPage* MakeProxyPage(QWidget* parent);
// The default printer: whether applying a site makes its printer the default, a setting of the
// whole program (`program.applyPrinter`), shown with the site's printer.
AdvancedPage* MakePrinterPage(QWidget* parent, ProgramSettings& program);

} // namespace lanvex::gui
