#pragma once

#include "gui/AdvancedPage.h"

namespace lanvex::gui {

// The advanced editor's page for what a site does around its apply: the programs run after it
// (RunOnApply) and on leaving it (RunOnLeave) with their time (RunTimeout), and the checks that
// take a change back when it fails them (VerifyTCP, VerifyDNS, VerifyGateway, VerifyTimeout).
AdvancedPage* MakeProgramPage(QWidget* parent);

} // namespace lanvex::gui
