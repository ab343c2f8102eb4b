#include "gui/CloseGuard.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace lanvex::gui {

CloseGuard::CloseGuard(QWidget& window)
    : QObject(&window)
    , m_window(window)
{
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::commitDataRequest, this, &CloseGuard::SessionEnding,
                Qt::DirectConnection);
}

void CloseGuard::Hold()
{
    m_holding = true;
    m_request = Request::None;
    // Installed afresh, so this filter sees a close before any other (the tray's hides the window).
    m_window.installEventFilter(this);
}

void CloseGuard::Release()
{
    if (!m_holding)
        return;
    m_holding = false;
    m_window.removeEventFilter(this);
    const Request request = std::exchange(m_request, Request::None);
    if (request == Request::Quit)
        QCoreApplication::exit(0);
    else if (request == Request::Close)
        m_window.close();
}

void CloseGuard::Quit()
{
    if (m_holding)
        m_request = Request::Quit;
    else
        QCoreApplication::exit(0);
}

bool CloseGuard::HoldSessionEnd()
{
    if (!m_holding)
        return false;
    m_request = Request::Quit;
    return true;
}

void CloseGuard::SessionEnding(QSessionManager& manager)
{
    if (HoldSessionEnd() && manager.allowsInteraction()) {
        manager.cancel();
        manager.release();
    }
}

bool CloseGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::Close && m_holding) {
        event->ignore();
        m_request = std::max(m_request, Request::Close);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace lanvex::gui
