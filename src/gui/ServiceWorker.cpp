#include "gui/ServiceWorker.h"

#include <QMetaObject>

namespace lanvex::gui {

ServiceWorker::ServiceWorker()
    : m_context(new QObject)
{
    m_thread.setObjectName(QStringLiteral("network service"));
    m_context->moveToThread(&m_thread);
}

ServiceWorker::~ServiceWorker()
{
    m_thread.quit();
    m_thread.wait();
    delete m_context;
}

void ServiceWorker::Post(std::function<void()> job)
{
    // The thread starts with the first job, so a window that has none yet starts without it.
    if (!m_thread.isRunning() && !m_thread.isFinished())
        m_thread.start();
    QMetaObject::invokeMethod(m_context, std::move(job), Qt::QueuedConnection);
}

} // namespace lanvex::gui
