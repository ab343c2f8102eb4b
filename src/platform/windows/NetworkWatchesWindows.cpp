#include "platform/NetworkWatches.h"

#include <QMetaObject>
#include <QTimer>
#include <vector>
// clang-format off
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>
// clang-format on

namespace lanvex::platform {

namespace {

// The IP helper's notifications of interfaces, routes and unicast addresses. They come on the
// system's threads; each is handed to the event loop, and a burst of them is told once, half a
// second after its first. The gateway's MAC address is read (GetIpNetTable2) by the receiver when
// told: the system has no notification for a neighbour entry.
class IpHelperWatch : public net::NetworkWatch
{
public:
    ~IpHelperWatch() override
    {
        // Returns once no callback runs any more, so none reaches the timer after it is gone.
        for (HANDLE handle : m_handles)
            CancelMibChangeNotify2(handle);
    }

    void Start(std::function<void()> changed) override
    {
        using namespace std::chrono_literals;
        m_settle.setSingleShot(true);
        m_settle.setInterval(500ms);
        QObject::connect(&m_settle, &QTimer::timeout, &m_settle, changed);
        HANDLE handle = nullptr;
        if (NotifyIpInterfaceChange(AF_UNSPEC, &InterfaceChanged, this, FALSE, &handle) == NO_ERROR)
            m_handles.push_back(handle);
        if (NotifyRouteChange2(AF_UNSPEC, &RouteChanged, this, FALSE, &handle) == NO_ERROR)
            m_handles.push_back(handle);
        if (NotifyUnicastIpAddressChange(AF_UNSPEC, &AddressChanged, this, FALSE, &handle) == NO_ERROR)
            m_handles.push_back(handle);
        // Where the system refuses one, the adapters are read again every four seconds, within
        // the five seconds the user is promised.
        if (m_handles.size() < 3) {
            QObject::connect(&m_poll, &QTimer::timeout, &m_poll, std::move(changed));
            m_poll.start(4s);
        }
    }

private:
    static void WINAPI InterfaceChanged(PVOID context, PMIB_IPINTERFACE_ROW, MIB_NOTIFICATION_TYPE)
    {
        static_cast<IpHelperWatch*>(context)->Tell();
    }
    static void WINAPI RouteChanged(PVOID context, PMIB_IPFORWARD_ROW2, MIB_NOTIFICATION_TYPE)
    {
        static_cast<IpHelperWatch*>(context)->Tell();
    }
    static void WINAPI AddressChanged(PVOID context, PMIB_UNICASTIPADDRESS_ROW, MIB_NOTIFICATION_TYPE)
    {
        static_cast<IpHelperWatch*>(context)->Tell();
    }

    // On a system thread: the timer is started in the event loop's thread.
    void Tell()
    {
        QMetaObject::invokeMethod(
            &m_settle,
            [this] {
                if (!m_settle.isActive())
                    m_settle.start();
            },
            Qt::QueuedConnection);
    }

    QTimer m_settle;
    QTimer m_poll;
    std::vector<HANDLE> m_handles;
};

} // namespace

std::unique_ptr<net::NetworkWatch> MakeSystemNetworkWatch()
{
    return std::make_unique<IpHelperWatch>();
}

} // namespace lanvex::platform
