#pragma once

#include "net/ProxyStore.h"

#include <memory>

namespace lanvex::platform {

// The user's proxy store on this system. Linux: the desktop's, chosen by $XDG_CURRENT_DESKTOP
// (GNOME and the desktops built on its settings: GSettings; KDE Plasma: kioslaverc), none
// elsewhere. Windows: the internet settings of WinINet.
std::unique_ptr<net::ProxyStore> MakeDesktopProxyStore();

} // namespace lanvex::platform
