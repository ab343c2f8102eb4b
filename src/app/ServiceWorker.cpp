#include "app/ServiceWorker.h"

#include <QMetaObject>

namespace lanvex::app {

ServiceWorker::ServiceWorker()
    : m_context(new QObject)
{
    m_thread.setObjectName(QStringLiteral("network service"));
    m_context->moveToThread(&m_thread);
    m_thread.start();
}

ServiceWorker::~ServiceWorker()
{
    m_thread.quit();
    m_thread.wait();
    delete m_context;
}

void ServiceWorker::Post(std::function<void()> job)
{
    QMetaObject::invokeMethod(m_context, std::move(job), Qt::QueuedConnection);
}

} // namespace lanvex::app
