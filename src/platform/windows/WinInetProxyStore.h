#pragma once

#include "net/ProxyStore.h"

namespace lanvex::platform {

// The user's proxy in Windows' internet settings: WinINet's per-connection options of the LAN
// connection, then the notices that make running programs read them again.
class WinInetProxyStore : public net::ProxyStore
{
public:
    net::ProxyChange SetProxy(const net::ProxySettings& settings) override;
};

} // namespace lanvex::platform
