// The simulated service file: listing, input checks, state changes, the call log and hostile files.
#include "apply/ApplyProcedure.h"
#include "apply/ApplyResult.h"
#include "net/AdapterQuery.h"
#include "net/sim/SimulatedService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#ifndef Q_OS_WIN
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace lanvex;
using nlohmann::json;
using Texts = std::vector<std::string>;

// QCOMPARE cannot print a json value; this shows both sides on failure.
#define COMPARE_JSON(actual, expected)                                                                                 \
    QVERIFY2((actual) == (expected), (json(actual).dump() + " != " + json(expected).dump()).c_str())

namespace {

json sampleNetwork()
{
    return json::parse(R"({
      "printers": ["Office Laser", "Front Desk"],
      "defaultPrinter": "Office Laser,winspool,Ne01:",
      "adapters": [
        { "Description": "Off", "IPEnabled": false, "DHCPEnabled": true },
        { "Description": "Wired", "MACAddress": "00:1A:2B:3C:4D:5E", "IPEnabled": true, "DHCPEnabled": false,
          "IPAddress": ["192.168.1.10"], "IPSubnet": ["255.255.255.0"], "DefaultIPGateway": ["192.168.1.1"],
          "DNSServerSearchOrder": ["192.168.1.53"], "WINSPrimaryServer": "", "WINSSecondaryServer": "",
          "DHCPLease": { "IPAddress": ["10.0.0.23"], "IPSubnet": ["255.255.255.0"],
                         "DefaultIPGateway": ["10.0.0.1"], "DNSServerSearchOrder": ["10.0.0.1"] } },
        { "Description": "Wireless", "IPEnabled": true, "DHCPEnabled": true, "results": { "SetGateways": 71 } }
      ],
      "calls": []
    })");
}

class SimFile
{
public:
    explicit SimFile(const json& doc) { write(doc.dump()); }
    void write(const std::string& text)
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
    json read() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? json::parse(file.readAll().toStdString()) : json();
    }
    QString path() const { return dir_.filePath("network.json"); }
    std::string stdPath() const { return path().toStdString(); }

private:
    QTemporaryDir dir_;
};

std::uint32_t call(const SimFile& file, std::int32_t index, const std::string& method,
                   const std::vector<net::Value>& args)
{
    net::sim::SimulatedConnector connector(file.stdPath());
    auto service = connector.Connect("winmgmts:");
    return service->Get("Win32_NetworkAdapterConfiguration.Index=" + std::to_string(index), 0)
        ->ExecMethod(method, args);
}

} // namespace

class TestSimulatedService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The network's DNS domain is the one DHCP gave where the adapter says, even when that is none;
    // files written before that property keep their DNSDomain as the network's. Setting the
    // connection's own suffix never changes the network.
    void fingerprintTakesTheDomainDhcpGave()
    {
        json doc = sampleNetwork();
        doc["adapters"][1]["DNSDomain"] = "corp.example.com";
        doc["adapters"][2]["DNSDomain"] = "suffix.example.com";
        doc["adapters"][2]["DHCPDNSDomain"] = "lease.example.com";
        SimFile file(doc);
        net::sim::SimulatedConnector connector(file.stdPath());
        net::sim::SimulatedPrinters printers(file.stdPath());
        const auto domains = [&] {
            Texts found;
            for (const net::AdapterEntry& adapter : net::QueryAdapters(connector, printers))
                found.push_back(adapter.Network.DNSDomain);
            return found;
        };
        QCOMPARE(domains(), (Texts { "corp.example.com", "lease.example.com" }));
        QCOMPARE(call(file, 2, "SetDNSDomain", { std::string("other.example.com") }), 0u);
        QCOMPARE(domains(), (Texts { "corp.example.com", "lease.example.com" }));
        doc = file.read();
        doc["adapters"][2]["DHCPDNSDomain"] = "";
        file.write(doc.dump());
        QCOMPARE(domains(), (Texts { "corp.example.com", "" }));
    }

    void listsIpEnabledAdaptersWithIndexes()
    {
        SimFile file(sampleNetwork());
        net::sim::SimulatedConnector connector(file.stdPath());
        QCOMPARE(net::ListAdapters(connector), (Texts { "Wired", "Wireless" }));
        auto service = connector.Connect("winmgmts:\\\\.\\root\\cimv2");
        const auto set
            = service->ExecQuery("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True", "WQL", 16);
        QCOMPARE(set.size(), std::size_t(2));
        QVERIFY(set[1]->Property("Index") == net::Value(std::int64_t(2)));
        // Property names ignore letter case, as the real service's do.
        QVERIFY(set[0]->Property("IpAddress") == net::Value(Texts { "192.168.1.10" }));
        QVERIFY_THROWS_EXCEPTION(net::ServiceError, service->Get("Win32_NetworkAdapterConfiguration.Index=3", 0));
        QVERIFY_THROWS_EXCEPTION(net::ServiceError, service->ExecQuery("Select * From Win32_Printer", "WQL", 16));
        net::sim::SimulatedPrinters printers(file.stdPath());
        QCOMPARE(printers.InstalledPrinters(), (Texts { "Office Laser", "Front Desk" }));
        QCOMPARE(printers.DefaultPrinterEntry(), std::string("Office Laser,winspool,Ne01:"));

        // A new default is kept in the file and logged; a printer that isn't there changes nothing.
        QCOMPARE(printers.SetDefaultPrinter("Front Desk"), printer::DefaultPrinterChange::Done);
        QCOMPARE(printer::GetDefaultPrinter(printers), std::string("Front Desk"));
        QCOMPARE(printers.SetDefaultPrinter("Gone"), printer::DefaultPrinterChange::NotInstalled);
        QCOMPARE(printer::GetDefaultPrinter(net::sim::SimulatedPrinters(file.stdPath())), std::string("Front Desk"));
        const json calls = file.read()["calls"];
        QCOMPARE(calls.size(), std::size_t(2));
        QVERIFY(
            calls[1]
            == json({ { "Index", 0 }, { "method", "SetDefaultPrinter" }, { "args", { "Gone" } }, { "result", 1801 } }));
    }

    void inputChecks_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<int>("result");
        const QStringList mask { "255.255.255.0" };
        QTest::newRow("static ok") << "EnableStatic" << QStringList { "10.1.2.3" } << mask << 0;
        QTest::newRow("static /31") << "EnableStatic" << QStringList { "10.1.2.0" } << QStringList { "255.255.255.254" }
                                    << 0;
        QTest::newRow("empty address") << "EnableStatic" << QStringList { "" } << mask << 70;
        QTest::newRow("net address") << "EnableStatic" << QStringList { "10.1.2.0" } << mask << 70;
        QTest::newRow("mask gap") << "EnableStatic" << QStringList { "10.1.2.3" } << QStringList { "255.0.255.0" }
                                  << 66;
        QTest::newRow("no address") << "EnableStatic" << QStringList {} << QStringList {} << 68;
        QTest::newRow("gateway ok") << "SetGateways" << QStringList { "10.1.2.1" } << QStringList {} << 0;
        QTest::newRow("gateway empty") << "SetGateways" << QStringList { "" } << QStringList {} << 71;
        QTest::newRow("six gateways") << "SetGateways" << QStringList(6, "10.1.2.1") << QStringList {} << 69;
        QTest::newRow("dns with empty second")
            << "SetDNSServerSearchOrder" << QStringList { "8.8.8.8", "" } << QStringList {} << 0;
        QTest::newRow("dns on this machine")
            << "SetDNSServerSearchOrder" << QStringList { "127.0.0.1", "8.8.8.8" } << QStringList {} << 0;
        QTest::newRow("dns blank around")
            << "SetDNSServerSearchOrder" << QStringList { " 8.8.8.8", "" } << QStringList {} << 70;
        QTest::newRow("dns multicast") << "SetDNSServerSearchOrder" << QStringList { "224.0.0.251", "" }
                                       << QStringList {} << 70;
        QTest::newRow("wins empty") << "SetWINSServer" << QStringList { "" } << QStringList { "" } << 0;
        QTest::newRow("wins bad") << "SetWINSServer" << QStringList { "10.0.0.5" } << QStringList { "wins" } << 70;
    }

    // Each check refuses with the service's code and leaves the adapter as it was; every call is logged.
    void inputChecks()
    {
        QFETCH(QString, method);
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(int, result);
        SimFile file(sampleNetwork());
        const auto texts = [](const QStringList& list) {
            Texts out;
            for (const QString& s : list)
                out.push_back(s.toStdString());
            return out;
        };
        std::vector<net::Value> args { texts(first), texts(second) };
        if (method == "SetGateways")
            args[1] = std::vector<std::int64_t>(first.size(), 1);
        else if (method == "SetDNSServerSearchOrder")
            args.pop_back();
        else if (method == "SetWINSServer")
            args = { first.value(0).toStdString(), second.value(0).toStdString() };
        const json before = file.read()["adapters"][1];
        QCOMPARE(int(call(file, 1, method.toStdString(), args)), result);

        const json after = file.read();
        QCOMPARE(after["calls"].size(), std::size_t(1));
        const json& logged = after["calls"][0];
        COMPARE_JSON(logged["Index"], json(1));
        COMPARE_JSON(logged["method"], json(method.toStdString()));
        COMPARE_JSON(logged["result"], json(result));
        QCOMPARE(logged["args"].size(), args.size());
        if (result != 0)
            COMPARE_JSON(after["adapters"][1], before);
        else if (method == "SetDNSServerSearchOrder") {
            first.removeAll(QString());
            COMPARE_JSON(after["adapters"][1]["DNSServerSearchOrder"], json(texts(first)));
        }
    }

    void stateAfterApply()
    {
        SimFile file(sampleNetwork());
        net::sim::SimulatedConnector connector(file.stdPath());
        net::sim::SimulatedPrinters printers(file.stdPath());
        store::SiteProfile site;
        site.IP = "172.20.0.9";
        site.SubNetMask = "255.255.0.0";
        site.DefaultGateway = "172.20.0.1";
        site.ChangeDNS = site.ChangeWINS = true;
        site.DNS = "172.20.0.53";
        site.WINS = "172.20.0.5";
        QCOMPARE(apply::ApplySteps(connector, 1, site, nullptr, {}).Result, 0);
        store::SiteProfile live = site; // the adapter now reads back what was applied
        live.Description = "Wired";
        live.ChangeDNS = live.ChangeWINS = false;
        live.PrinterName = "Office Laser";
        live.MACAddress = "00:1A:2B:3C:4D:5E";
        QCOMPARE(net::GetAdapterInfo(connector, printers, 1), live);
        const json calls = file.read()["calls"];
        QCOMPARE(calls.size(), std::size_t(4));
        COMPARE_JSON(calls[1]["args"], json::parse(R"([["172.20.0.1"], [1]])"));

        // Back to DHCP: the lease's addresses; a forced result changes nothing.
        site.DHCPEnabled = true;
        QCOMPARE(apply::ApplySteps(connector, 1, site, nullptr, {}).Result, 0);
        const json wired = file.read()["adapters"][1];
        COMPARE_JSON(wired["DHCPEnabled"], json(true));
        COMPARE_JSON(wired["IPAddress"], json(Texts { "10.0.0.23" }));
        COMPARE_JSON(wired["DefaultIPGateway"], json(Texts { "10.0.0.1" }));
        QCOMPARE(apply::ApplySteps(connector, 1, site, nullptr, {}).Result, 32);

        site.DHCPEnabled = false;
        QCOMPARE(apply::ApplySteps(connector, 2, site, nullptr, {}).Result, 1);
        COMPARE_JSON(file.read()["adapters"][2].value("DefaultIPGateway", json()), json());
        // The write-back leaves no temporary file behind.
        QCOMPARE(QDir(QFileInfo(file.path()).path()).entryList(QDir::Files), QStringList { "network.json" });
    }

    // The optional keys: all addresses in one EnableStatic, all gateways with their metrics in one
    // SetGateways, then the suffix and the IPv6 mode's calls, each with a status text, a summary
    // line and a result bit; the adapter then reads back every value.
    void optionalKeysApply_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("unsupported");
        QTest::addColumn<QStringList>("ipv6Calls");
        QTest::addColumn<QString>("liveMode");
        const QStringList staticCalls
            = { "MSFT_NetIPAddress.Create", "MSFT_NetRoute.Create", "MSFT_DNSClientServerAddress.Put" };
        QTest::newRow("keep") << "keep" << false << QStringList() << QString();
        QTest::newRow("auto") << "auto" << false << QStringList { "MSFT_NetAdapterBindingSettingData.Enable" }
                              << "auto";
        QTest::newRow("static") << "static" << false << staticCalls << "static";
        QTest::newRow("off") << "off" << false << QStringList { "MSFT_NetAdapterBindingSettingData.Disable" } << "off";
        // Without the IPv6 classes the first IPv6 call fails and the step stops there.
        QTest::newRow("static unsupported") << "static" << true << staticCalls.mid(0, 1) << QString();
    }

    void optionalKeysApply()
    {
        QFETCH(QString, mode);
        QFETCH(bool, unsupported);
        QFETCH(QStringList, ipv6Calls);
        QFETCH(QString, liveMode);
        json network = sampleNetwork();
        network["adapters"][1]["IPv6Unsupported"] = unsupported;
        network["adapters"][1]["DHCPLease"]["IPv6Address"] = { "2001:db8:1::77/64" };
        SimFile file(network);
        net::sim::SimulatedConnector connector(file.stdPath());
        store::SiteProfile site;
        site.IP = "10.1.0.5";
        site.SubNetMask = "255.255.255.0";
        site.DefaultGateway = "10.1.0.1";
        site.Extras.MoreIP = "10.1.0.6/255.255.255.0,10.2.0.7/255.255.0.0";
        site.Extras.GatewayMetric = "5";
        site.Extras.MoreGateways = "10.1.0.254:20";
        site.Extras.DNSSuffix = "corp.example.com";
        site.Extras.IPv6Mode = mode.toStdString();
        site.Extras.IPv6Address = "2001:DB8::5/64";
        site.Extras.IPv6Gateway = "fe80::1";
        site.Extras.IPv6DNS = "2001:db8::53";
        std::vector<std::string> shown;
        const apply::ApplyOutcome outcome = apply::ApplySteps(
            connector, 1, site, nullptr, [&shown](const std::string& text) { shown.push_back(text); });
        const std::int32_t result = outcome.Result;
        QCOMPARE(result, unsupported ? apply::kIPv6Failed : apply::kApplyOk);
        QCOMPARE(std::count(shown.begin(), shown.end(), std::string("正在设置DNS后缀，请稍候...")), 1);
        QCOMPARE(std::count(shown.begin(), shown.end(), std::string("正在设置IPv6，请稍候...")),
                 ipv6Calls.isEmpty() ? 0 : 1);

        const json after = file.read();
        const json& calls = after["calls"];
        QCOMPARE(calls.size(), std::size_t(3 + ipv6Calls.size()));
        COMPARE_JSON(calls[0]["args"], json::parse(R"([["10.1.0.5", "10.1.0.6", "10.2.0.7"],
                                     ["255.255.255.0", "255.255.255.0", "255.255.0.0"]])"));
        COMPARE_JSON(calls[1]["args"], json::parse(R"([["10.1.0.1", "10.1.0.254"], [5, 20]])"));
        COMPARE_JSON(calls[2]["method"], json("SetDNSDomain"));
        COMPARE_JSON(calls[2]["args"], json::parse(R"(["corp.example.com"])"));
        for (qsizetype i = 0; i < ipv6Calls.size(); ++i)
            COMPARE_JSON(calls[std::size_t(3 + i)]["method"], json(ipv6Calls[i].toStdString()));

        const json& wired = after["adapters"][1];
        COMPARE_JSON(wired["IPAddress"], json(Texts { "10.1.0.5", "10.1.0.6", "10.2.0.7" }));
        COMPARE_JSON(wired["GatewayCostMetric"], json::parse("[5, 20]"));
        COMPARE_JSON(wired["DNSDomain"], json("corp.example.com"));
        COMPARE_JSON(wired.value("IPv6Mode", json()), liveMode.isEmpty() ? json() : json(liveMode.toStdString()));
        if (mode == "static" && !unsupported) {
            // Sent in the canonical form.
            COMPARE_JSON(wired["IPv6Address"], json(Texts { "2001:db8::5/64" }));
            COMPARE_JSON(wired["IPv6Gateway"], json(Texts { "fe80::1" }));
            COMPARE_JSON(wired["IPv6DNS"], json(Texts { "2001:db8::53" }));
        }
        if (mode == "auto")
            COMPARE_JSON(wired["IPv6Address"], json(Texts { "2001:db8:1::77/64" }));

        // The current-settings entry reads the rest back as the optional keys.
        net::sim::SimulatedPrinters printers(file.stdPath());
        const store::SiteProfile live = net::GetAdapterInfo(connector, printers, 1);
        QCOMPARE(live.IP, std::string("10.1.0.5"));
        QCOMPARE(live.Extras.MoreIP, site.Extras.MoreIP);
        QCOMPARE(live.Extras.GatewayMetric, std::string("5"));
        QCOMPARE(live.Extras.MoreGateways, site.Extras.MoreGateways);
        QCOMPARE(live.Extras.IPv6Mode, liveMode.toStdString());

        const std::string summary = apply::ApplySummaryText(outcome);
        QVERIFY(summary.find("更新DNS后缀成功。") != std::string::npos);
        const bool ipv6Line = summary.find("更新IPv6设置") != std::string::npos;
        QCOMPARE(ipv6Line, mode != "keep");
        QCOMPARE(summary.find("更新IPv6设置失败。") != std::string::npos, unsupported);
    }

    // A site without the optional keys (or with IPv6 kept) calls and sums up as before; a bad value
    // is skipped, named in the summary and fails the result, while the rest applies.
    void optionalKeysAbsentOrBad()
    {
        SimFile plainFile(sampleNetwork()), keptFile(sampleNetwork()), badFile(sampleNetwork());
        store::SiteProfile plain;
        plain.IP = "10.1.0.5";
        plain.SubNetMask = "255.255.255.0";
        plain.DefaultGateway = "10.1.0.1";
        plain.ChangeDNS = true;
        plain.DNS = "10.1.0.53";
        store::SiteProfile kept = plain;
        kept.Extras.IPv6Mode = "keep";
        kept.Extras.IPv6Address = "2001:db8::5/64"; // unused without the static mode
        std::vector<std::string> plainShown, keptShown;
        net::sim::SimulatedConnector plainService(plainFile.stdPath()), keptService(keptFile.stdPath());
        const apply::ApplyOutcome plainOutcome = apply::ApplySteps(
            plainService, 1, plain, nullptr, [&](const std::string& text) { plainShown.push_back(text); });
        const apply::ApplyOutcome keptOutcome = apply::ApplySteps(
            keptService, 1, kept, nullptr, [&](const std::string& text) { keptShown.push_back(text); });
        const auto plainResult = plainOutcome.Result;
        const auto keptResult = keptOutcome.Result;
        QCOMPARE(plainResult, apply::kApplyOk);
        QCOMPARE(keptResult, plainResult);
        QCOMPARE(keptShown, plainShown);
        QCOMPARE(keptFile.read().dump(), plainFile.read().dump());
        COMPARE_JSON(plainFile.read()["calls"][1]["args"], json::parse(R"([["10.1.0.1"], [1]])"));
        const std::string expected
            = "更新IP及子网掩码成功。\r\n更新网关成功。\r\n更新DNS成功。\r\n更新WINS服务器成功。";
        QCOMPARE(apply::ApplySummaryText(plainOutcome), expected);
        QCOMPARE(apply::ApplySummaryText(keptOutcome), expected);

        store::SiteProfile bad = plain;
        bad.Extras.MoreIP = "10.1.0.6/255.255.255.0,10.1.0.7";
        bad.Extras.IPv6Mode = "static";
        bad.Extras.IPv6Address = "2001:db8::5/64";
        bad.Extras.IPv6DNS = "not an address";
        net::sim::SimulatedConnector badService(badFile.stdPath());
        const apply::ApplyOutcome badOutcome = apply::ApplySteps(badService, 1, bad, nullptr, {});
        const auto badResult = badOutcome.Result;
        QCOMPARE(badResult, apply::kExtraValueSkipped);
        QVERIFY(apply::AddressApplied(badResult));
        const json calls = badFile.read()["calls"];
        QCOMPARE(calls.size(), std::size_t(3)); // no IPv6 call at all
        COMPARE_JSON(calls[0]["args"], json::parse(R"([["10.1.0.5"], ["255.255.255.0"]])"));
        QCOMPARE(apply::ApplySummaryText(badOutcome),
                 expected + "\r\n更多IP地址有误，未应用。\r\nIPv6设置有误，未应用。");
    }

    // A change the file cannot record is undone and reported as a failure.
    void unwritableFileFailsTheCall()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("network.json").toStdString();
        {
            SimFile source(sampleNetwork());
            QVERIFY(QFile::copy(source.path(), QString::fromStdString(path)));
        }
        net::sim::SimulatedConnector connector(path);
        auto service = connector.Connect("winmgmts:");
        auto adapter = service->Get("Win32_NetworkAdapterConfiguration.Index=1", 0);
        QVERIFY(dir.remove());
        QCOMPARE(adapter->ExecMethod("EnableStatic", { Texts { "10.1.2.3" }, Texts { "255.0.0.0" } }), 65u);
        QVERIFY(adapter->Property("IPAddress") == net::Value(Texts { "192.168.1.10" }));
    }

    // An outside edit is seen at the next connection.
    void rereadsAtEachConnect()
    {
        SimFile file(sampleNetwork());
        net::sim::SimulatedConnector connector(file.stdPath());
        json doc = sampleNetwork();
        QCOMPARE(net::ListAdapters(connector).size(), std::size_t(2));
        doc["unavailable"] = true;
        file.write(doc.dump());
        QVERIFY_THROWS_EXCEPTION(net::ServiceError, connector.Connect("winmgmts:"));
    }

    // A FIFO or a device as the file fails the connection at once. Calls of ten processes at once
    // are all logged, and a killed writer's temporary file goes at the next write.
    void specialFilesAndParallelCalls()
    {
#ifdef Q_OS_WIN
        QSKIP("FIFOs, devices and fork are POSIX");
#else
        QTemporaryDir dir;
        const std::string fifo = dir.filePath("fifo.json").toStdString();
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        for (const std::string& path : { fifo, std::string("/dev/zero") }) {
            QVERIFY_THROWS_EXCEPTION(net::ServiceError, net::sim::SimulatedConnector(path).Connect("winmgmts:"));
            QVERIFY(net::sim::SimulatedPrinters(path).InstalledPrinters().empty());
        }

        SimFile file(sampleNetwork());
        const QString leftover = QFileInfo(file.path()).dir().filePath(".network.json.tmp.999999999.abcdef");
        QFile(leftover).open(QIODevice::WriteOnly);
        store::SiteProfile site;
        site.IP = "192.168.7.7";
        site.SubNetMask = "255.255.255.0";
        site.DefaultGateway = "192.168.7.1";
        std::vector<pid_t> children;
        for (int i = 0; i < 10; ++i) {
            const pid_t child = ::fork();
            if (child == 0) {
                net::sim::SimulatedConnector connector(file.stdPath());
                ::_exit(apply::ApplySteps(connector, 1, site, nullptr, {}).Result == 0 ? 0 : 1);
            }
            children.push_back(child);
        }
        for (const pid_t child : children) {
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        QCOMPARE(file.read()["calls"].size(), std::size_t(20));
        QVERIFY(!QFile::exists(leftover));
#endif
    }

    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("connects");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("truncated") << QByteArray(R"({"adapters": [{"IPEnabled": tr)") << false;
        QTest::newRow("array") << QByteArray("[]") << false;
        QTest::newRow("adapters not a list") << QByteArray(R"({"adapters": 5})") << false;
        QTest::newRow("deep nesting") << QByteArray(100000, '[') << false;
        QTest::newRow("bad utf-8") << QByteArray("{\"adapters\": [], \"x\": \"\xff\"}") << false;
        QTest::newRow("odd adapters") << QByteArray(R"({"adapters": [5, null, {"IPEnabled": "yes"},
            {"IPEnabled": true, "Description": 7, "IPAddress": [1, "a"], "results": {"EnableDHCP": -1}}],
            "calls": {}, "printers": "x"})")
                                      << true;
    }

    void hostileFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, connects);
        SimFile file(json::object());
        file.write(text.toStdString());
        net::sim::SimulatedConnector connector(file.stdPath());
        net::sim::SimulatedPrinters printers(file.stdPath());
        QVERIFY(printers.InstalledPrinters().empty());
        if (!connects) {
            QVERIFY_THROWS_EXCEPTION(net::ServiceError, connector.Connect("winmgmts:"));
            return;
        }
        store::SiteProfile site;
        site.DHCPEnabled = true;
        QCOMPARE(net::ListAdapters(connector), Texts { "7" });
        QCOMPARE(net::GetAdapterInfo(connector, printers, 1).IP, std::string());
        QCOMPARE(apply::ApplySteps(connector, 1, site, nullptr, {}).Result, 0);
        QCOMPARE(file.read()["calls"].size(), std::size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestSimulatedService)
#include "tst_SimulatedService.moc"
