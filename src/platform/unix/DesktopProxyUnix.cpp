#include "platform/DesktopProxy.h"
#include "platform/unix/GnomeProxyStore.h"
#include "platform/unix/KdeProxyStore.h"

#include <QByteArrayList>
#include <QtGlobal>

namespace lanvex::platform {

namespace {

// The desktops whose proxy lives in GNOME's settings.
bool followsGnome(const QByteArray& desktop)
{
    static const QByteArrayList gnomeLike { "GNOME", "UNITY", "CINNAMON", "X-CINNAMON", "BUDGIE", "PANTHEON", "MATE" };
    return gnomeLike.contains(desktop.toUpper());
}

} // namespace

std::unique_ptr<net::ProxyStore> MakeDesktopProxyStore()
{
    // A colon-separated list, most specific first ("ubuntu:GNOME").
    for (const QByteArray& desktop : qgetenv("XDG_CURRENT_DESKTOP").split(':')) {
        if (desktop.compare("KDE", Qt::CaseInsensitive) == 0)
            return std::make_unique<KdeProxyStore>();
        if (followsGnome(desktop))
            return std::make_unique<GnomeProxyStore>();
    }
    return std::make_unique<net::NoProxyStore>();
}

} // namespace lanvex::platform
