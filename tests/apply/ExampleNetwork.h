#pragma once

// The example network of the simulated service in a file of its own, as the apply tests use it.
#include "store/SiteProfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// The static site the apply tests take to the example network's first adapter.
inline lanvex::store::SiteProfile OfficeSite()
{
    lanvex::store::SiteProfile site;
    site.Name = "Office";
    site.IP = "172.20.0.9";
    site.SubNetMask = "255.255.0.0";
    site.DefaultGateway = "172.20.0.1";
    return site;
}

namespace {

// The example network (adapter 1 static 192.168.1.10, adapter 2 DHCP), adapter 2 with a GUID.
class Network
{
public:
    explicit Network(const nlohmann::json& adapterResults = {})
    {
        QFile example(QStringLiteral(LANVEX_SOURCE_DIR "/examples/simulated-network.json"));
        if (!example.open(QIODevice::ReadOnly))
            qFatal("no example network");
        nlohmann::json doc = nlohmann::json::parse(example.readAll().toStdString());
        doc["adapters"][0]["InterfaceName"] = "enp0s31f6";
        doc["adapters"][0]["results"] = adapterResults.is_null() ? nlohmann::json::object() : adapterResults;
        doc["adapters"][1]["SettingID"] = "{6F1E2D3C-0000-4A5B-9C8D-7E6F5A4B3C2D}";
        Write(doc);
    }
    std::string Path() const { return m_dir.filePath("network.json").toStdString(); }
    nlohmann::json Read() const
    {
        QFile file(QString::fromStdString(Path()));
        return file.open(QIODevice::ReadOnly) ? nlohmann::json::parse(file.readAll().toStdString()) : nlohmann::json();
    }
    void Write(const nlohmann::json& doc) const
    {
        QFile file(QString::fromStdString(Path()));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(doc.dump().c_str()) < 0)
            qFatal("cannot write the network");
    }
    // The calls as "Index method first-argument".
    std::vector<std::string> Calls() const
    {
        std::vector<std::string> calls;
        for (const auto& call : Read().value("calls", nlohmann::json::array())) {
            const nlohmann::json& args = call["args"];
            const nlohmann::json first = args.empty() ? nlohmann::json("") : args[0];
            const nlohmann::json text = first.is_array() ? first[0] : first;
            calls.push_back(std::to_string(call["Index"].get<int>()) + ' ' + call["method"].get<std::string>() + ' '
                            + (text.is_string() ? text.get<std::string>() : std::string()));
        }
        return calls;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace
