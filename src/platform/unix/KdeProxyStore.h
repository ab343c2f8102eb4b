#pragma once

#include "net/ProxyStore.h"

#include <QString>

namespace lanvex::platform {

// KDE Plasma's proxy: the [Proxy Settings] group of kioslaverc in the user's config folder, which
// KIO reads, and then the signal that makes running KIO programs read it again. Every other line
// of the file stays as it was.
class KdeProxyStore : public net::ProxyStore
{
public:
    net::ProxyChange SetProxy(const net::ProxySettings& settings) override;

    // kioslaverc's text with the proxy group set to `settings`; the rest of `text` unchanged.
    static QString WithProxy(const QString& text, const net::ProxySettings& settings);
};

} // namespace lanvex::platform
