#pragma once

#include <QThread>
#include <functional>

namespace lanvex::gui {

// Runs the window's network-service work on a thread of its own, one job after another in the order
// posted, so the window keeps painting and answering while the service is slow or waits for the
// user to answer an authorization prompt.
class ServiceWorker
{
public:
    ServiceWorker();
    // Waits for the running job to end; jobs not yet started are dropped.
    ~ServiceWorker();
    ServiceWorker(const ServiceWorker&) = delete;
    ServiceWorker& operator=(const ServiceWorker&) = delete;

    void Post(std::function<void()> job);

private:
    QThread m_thread;
    QObject* m_context; // lives in m_thread; the jobs run in its event loop
};

} // namespace lanvex::gui
