#pragma once

#include "gui/MessageSink.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

namespace lanvex::gui::test {

// Keeps every message box the window would have shown.
class RecordingMessages : public MessageSink
{
public:
    struct Message
    {
        QString title;
        QString text;
    };
    void Information(QWidget*, const QString& title, const QString& text) override
    {
        shown.push_back({ title, text });
        if (whileReading)
            whileReading();
    }
    // A question is kept with the messages and answered with `answer`, also when it was withdrawn
    // meanwhile (the user's click and the withdrawal cross).
    bool Question(QWidget*, const QString& title, const QString& text) override
    {
        shown.push_back({ title, text });
        if (whileAsking)
            whileAsking();
        return answer;
    }
    // A choice is kept with the messages, its choices on lines of their own, and answered with `choice`.
    int Choose(QWidget*, const QString& title, const QString& text, const QStringList& choices) override
    {
        shown.push_back({ title, text + QLatin1Char('\n') + choices.join(QLatin1Char('\n')) });
        if (whileAsking)
            whileAsking();
        return choice;
    }
    void Withdraw() override { ++withdrawals; }
    std::vector<Message> shown;
    bool answer = false;
    int choice = -1;
    // Run while a box is open, as the user takes time over it; the window's events go on meanwhile.
    std::function<void()> whileReading;
    std::function<void()> whileAsking;
    int withdrawals = 0;
};

// A settings file and a simulated network in a temporary folder; the settings file becomes the
// program's for the fixture's life.
class TestFolder
{
public:
    TestFolder()
        : m_previous(store::IniFileName)
        , m_previousConfig(qgetenv("XDG_CONFIG_HOME"))
    {
        store::IniFileName = (m_dir.path() + QStringLiteral("/lanvex.ini")).toStdString();
        // The login entry and the desktop folder are looked up here, never in the user's own.
        qputenv("XDG_CONFIG_HOME", (m_dir.path() + QStringLiteral("/config")).toUtf8());
    }
    ~TestFolder()
    {
        store::IniFileName = m_previous;
        if (m_previousConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_previousConfig);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // Writes the sites (in this order) the way a save does.
    void WriteSites(const std::vector<store::SiteProfile>& sites) const
    {
        std::string list;
        for (const store::SiteProfile& site : sites)
            list += (list.empty() ? "" : ",") + site.Name;
        const auto written = store::IniFile(store::IniFileName).Update([&](store::IniDocument& settings) {
            bool ok = true;
            for (const store::SiteProfile& site : sites)
                ok = store::WriteSite(settings, list, site) && ok;
            return ok;
        });
        QVERIFY2(written.ok, written.error.c_str());
    }

    // Writes the simulated service's file and returns its path.
    std::string WriteNetwork(const QJsonObject& network) const
    {
        const QString path = m_dir.path() + QStringLiteral("/network.json");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(network).toJson()) < 0)
            qFatal("cannot write the simulated network file");
        return path.toStdString();
    }

    QJsonObject ReadNetwork() const
    {
        QFile file(m_dir.path() + QStringLiteral("/network.json"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

private:
    QTemporaryDir m_dir;
    std::string m_previous;
    QByteArray m_previousConfig;
};

// Waits until the window's service work (the start-up query, an apply, a read of entry 0) has
// ended and its result is shown.
template <typename Window> bool WaitForService(const Window& window, int timeoutMs = 20000)
{
    return QTest::qWaitFor([&window] { return !window.IsServiceBusy(); }, timeoutMs);
}

inline store::SiteProfile StaticSite(const std::string& name, const std::string& ip)
{
    store::SiteProfile site;
    site.Name = name;
    site.IP = ip;
    site.SubNetMask = "255.255.255.0";
    site.DefaultGateway = ip.substr(0, ip.rfind('.')) + ".1";
    return site;
}

inline QJsonObject StaticAdapter(const QString& description, const QString& ip)
{
    return QJsonObject { { "Description", description },
                         { "MACAddress", "00:11:22:33:44:55" },
                         { "IPEnabled", true },
                         { "DHCPEnabled", false },
                         { "IPAddress", QJsonArray { ip } },
                         { "IPSubnet", QJsonArray { "255.255.255.0" } },
                         { "DefaultIPGateway", QJsonArray { "192.168.9.1" } },
                         { "DNSServerSearchOrder", QJsonArray { "192.168.9.53" } },
                         { "WINSPrimaryServer", "" },
                         { "WINSSecondaryServer", "" } };
}

inline QJsonObject Network(const QJsonArray& adapters)
{
    return QJsonObject { { "unavailable", false },
                         { "printers", QJsonArray { "Office Laser", "Front Desk" } },
                         { "defaultPrinter", "Office Laser,winspool,Ne01:" },
                         { "adapters", adapters },
                         { "calls", QJsonArray {} } };
}

} // namespace lanvex::gui::test
