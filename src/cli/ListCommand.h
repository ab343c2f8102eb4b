#pragma once

#include "store/SiteListModel.h"

#include <iosfwd>

namespace lanvex::app {

// --list: the saved sites as a JSON array, read the way the window's start-up reads them. A
// settings file that is there but cannot be read is named on `err`, with exit code 1.
int RunListCommand(std::ostream& out, std::ostream& err);

// The saved sites of `model` (entries 1..N) as the JSON array --list prints.
void WriteSiteListJson(const store::SiteListModel& model, std::ostream& out);

} // namespace lanvex::app
