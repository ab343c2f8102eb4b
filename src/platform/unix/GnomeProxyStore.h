#pragma once

#include "net/ProxyStore.h"

namespace lanvex::platform {

// The proxy of GNOME and the desktops that follow it: the org.gnome.system.proxy settings, through
// GIO's GSettings, so the change reaches dconf (or whatever backend GSETTINGS_BACKEND names) and
// every program that watches it. GIO is opened when a proxy is first set, not at start-up; without
// it or without the schema there is no store.
class GnomeProxyStore : public net::ProxyStore
{
public:
    net::ProxyChange SetProxy(const net::ProxySettings& settings) override;
};

} // namespace lanvex::platform
