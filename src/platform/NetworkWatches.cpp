#include "platform/NetworkWatches.h"

#include "platform/FileWatcher.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace lanvex::platform {

namespace {

// A change of the simulation file is a change of the network. The service's own writes (its log
// of calls) are told too; the receiver finds nothing changed and does nothing.
class SimulationFileWatch : public net::NetworkWatch
{
public:
    explicit SimulationFileWatch(std::string path)
        : m_path(std::move(path))
    { }

    void Start(std::function<void()> changed) override
    {
        m_watcher = std::make_unique<FileWatcher>(QString::fromStdString(m_path));
        QObject::connect(m_watcher.get(), &FileWatcher::changed, m_watcher.get(), std::move(changed));
    }

private:
    std::string m_path;
    std::unique_ptr<FileWatcher> m_watcher;
};

class PollingWatch : public net::NetworkWatch
{
public:
    explicit PollingWatch(std::chrono::milliseconds interval)
        : m_interval(interval)
    { }

    void Start(std::function<void()> changed) override
    {
        m_timer = std::make_unique<QTimer>();
        QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), std::move(changed));
        m_timer->start(m_interval);
    }

private:
    std::chrono::milliseconds m_interval;
    std::unique_ptr<QTimer> m_timer;
};

} // namespace

std::unique_ptr<net::NetworkWatch> MakeNetworkWatch(const std::optional<std::string>& simulateFile)
{
    if (!simulateFile)
        return MakeSystemNetworkWatch();
    return std::make_unique<SimulationFileWatch>(*simulateFile);
}

std::unique_ptr<net::NetworkWatch> MakePollingNetworkWatch(std::chrono::milliseconds interval)
{
    return std::make_unique<PollingWatch>(interval);
}

} // namespace lanvex::platform
