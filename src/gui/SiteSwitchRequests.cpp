#include "gui/SiteSwitchRequests.h"

#include "gui/MainWindow.h"

namespace lanvex::gui {

namespace {

// The list's entry of a saved site: 1 on; 0 (the current settings) is none.
int SavedEntry(const store::SiteListModel& model, const QString& name)
{
    const std::string wanted = name.toStdString();
    const int count = std::min(model.SiteCount, static_cast<int>(model.SiteNames.size()));
    for (int i = 1; i < count; ++i)
        if (model.SiteNames[static_cast<std::size_t>(i)] == wanted)
            return i;
    return -1;
}

} // namespace

SiteSwitchRequests::SiteSwitchRequests(MainWindow& window)
    : QObject(&window)
    , m_window(window)
{
    // Each is a moment the window may have become able to apply; a queued call looks once the
    // signal's other listeners are done.
    const auto retry
        = [this] { QMetaObject::invokeMethod(this, &SiteSwitchRequests::applyWaiting, Qt::QueuedConnection); };
    connect(&window, &MainWindow::adaptersRead, this, retry);
    connect(&window, &MainWindow::siteApplied, this, retry);
    connect(&window, &MainWindow::settingsRestored, this, retry);
}

bool SiteSwitchRequests::Take(const QString& name)
{
    if (SavedEntry(m_window.Model(), name) < 0)
        return false;
    m_waiting = name;
    // After this turn of the event loop: the caller hears its answer before the apply starts.
    QMetaObject::invokeMethod(this, &SiteSwitchRequests::applyWaiting, Qt::QueuedConnection);
    return true;
}

void SiteSwitchRequests::SetApply(std::function<void(int)> applySite)
{
    m_apply = std::move(applySite);
    applyWaiting();
}

void SiteSwitchRequests::applyWaiting()
{
    if (!m_waiting || !m_apply || !m_window.CanApply())
        return;
    // Looked up again: the list may have changed while the site waited.
    const int entry = SavedEntry(m_window.Model(), *m_waiting);
    m_waiting.reset();
    if (entry > 0)
        m_apply(entry);
}

} // namespace lanvex::gui
