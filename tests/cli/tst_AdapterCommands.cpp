// --adapters and --apply over the shipped sample network and a settings file in a temporary folder:
// what each command prints, where, and with which exit code. Which summary belongs to which result
// is tested with the apply itself.
#include "cli/AdapterCommands.h"
#include "net/sim/SimulatedService.h"
#include "store/IniModule.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

using namespace lanvex;
using namespace Qt::StringLiterals;

namespace {

constexpr const char* kSettings = R"([Common]
Sites=Office,Home,Bad,NoGateway

[Office]
DHCPEnabled=0
IP=172.20.0.9
SubNetMask=255.255.0.0
DefaultGateway=172.20.0.1
ChangeDNS=1
DNS=172.20.0.53
ChangeWINS=0

[Home]
DHCPEnabled=1

[Bad]
DHCPEnabled=0
IP=1.2.3.4; reboot
SubNetMask=255.255.255.0
DefaultGateway=1.2.3.1

[NoGateway]
DHCPEnabled=0
IP=172.20.0.9
SubNetMask=255.255.0.0
)";

class Fixture
{
public:
    explicit Fixture(bool unavailable = false)
    {
        QFile sample(LANVEX_SOURCE_DIR "/examples/simulated-network.json");
        QVERIFY(sample.open(QIODevice::ReadOnly));
        nlohmann::json doc = nlohmann::json::parse(sample.readAll().toStdString());
        doc["unavailable"] = unavailable;
        doc["adapters"][0]["InterfaceName"] = "enp0s31f6";
        doc["adapters"][1]["GatewayMAC"] = "0A:0B:0C:0D:0E:0F";
        doc["adapters"][1]["SSID"] = "Branch-WiFi";
        doc["adapters"][1]["DNSDomain"] = "branch.example.com";
        write(network(), doc.dump());
        write(dir_.filePath("lanvex.ini"), kSettings);
        store::IniFileName = dir_.filePath("lanvex.ini").toStdString();
    }
    QString network() const { return dir_.filePath("network.json"); }
    platform::Services platform() const
    {
        platform::Services p;
        p.connector = std::make_unique<net::sim::SimulatedConnector>(network().toStdString());
        p.printers = std::make_unique<net::sim::SimulatedPrinters>(network().toStdString());
        p.proxy = std::make_unique<net::sim::SimulatedProxy>(network().toStdString());
        return p;
    }
    nlohmann::json calls() const
    {
        QFile file(network());
        return file.open(QIODevice::ReadOnly) ? nlohmann::json::parse(file.readAll().toStdString())["calls"] : nullptr;
    }

    nlohmann::json document() const
    {
        QFile file(network());
        return file.open(QIODevice::ReadOnly) ? nlohmann::json::parse(file.readAll().toStdString()) : nullptr;
    }
    static void write(const QString& path, const std::string& text)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.c_str());
    }

private:
    QTemporaryDir dir_;
};

} // namespace

class TestAdapterCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One record per adapter: its position and Index first, then its settings as a site record
    // without a name, then every address as lists. IPv6 addresses and gateways among the IPv4
    // ones, as the Windows class lists them, go to the IPv6 lists (link-local addresses left out).
    void adapters()
    {
        Fixture fixture;
        nlohmann::json doc = fixture.document();
        doc["adapters"][0]["IPAddress"] = { "192.168.1.10", "fe80::5", "192.168.2.10", "2001:DB8::5" };
        doc["adapters"][0]["IPSubnet"] = { "255.255.255.0", "64", "255.255.0.0", "64" };
        doc["adapters"][0]["DefaultIPGateway"] = { "192.168.1.1", "fe80::1" };
        doc["adapters"][0]["GatewayCostMetric"] = { 5, 256 };
        doc["adapters"][0]["DNSDomain"] = "corp.example.com";
        doc["adapters"][0]["IPv6Mode"] = "static";
        doc["adapters"][0]["FirewallZone"] = "work";
        doc["hostname"] = "desk-17";
        fixture.write(fixture.network(), doc.dump());
        platform::Services platform = fixture.platform();
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(cli::RunAdaptersCommand(platform, out, err), 0);
        QCOMPARE(err.str(), std::string());
        const auto list = nlohmann::ordered_json::parse(out.str());
        QCOMPARE(list.size(), std::size_t(2));
        const auto wired = nlohmann::ordered_json::parse(R"({"position": 0, "Index": 1,
            "Description": "Intel(R) Ethernet Connection I219-LM", "DHCPEnabled": false, "IP": "192.168.1.10",
            "SubNetMask": "255.255.255.0", "DefaultGateway": "192.168.1.1", "ChangeDNS": false,
            "DNS": "192.168.1.53", "AuxDNS": "8.8.8.8", "ChangeWINS": false, "WINS": "192.168.1.5", "AuxWINS": "",
            "ChangePrinter": false, "PrinterName": "Office Laser", "MACAddress": "00:1A:2B:3C:4D:5E",
            "InterfaceName": "enp0s31f6", "IPAddress": ["192.168.1.10", "192.168.2.10"],
            "IPSubnet": ["255.255.255.0", "255.255.0.0"], "DefaultIPGateway": ["192.168.1.1"],
            "GatewayCostMetric": [5], "DNSDomain": "corp.example.com", "IPv6Mode": "static",
            "IPv6Address": ["2001:db8::5/64"], "IPv6Gateway": ["fe80::1"], "IPv6DNS": [],
            "FirewallZone": "work", "HostName": "desk-17"})");
        QCOMPARE(list[0].dump(), wired.dump());
        QCOMPARE(list[1]["position"].get<int>(), 1);
        QCOMPARE(list[1]["Index"].get<int>(), 2);
        QCOMPARE(list[1]["MACAddress"].get<std::string>(), std::string("00:E0:4C:68:01:02"));
        QVERIFY(!list[1].contains("InterfaceName")); // the service names no interface for it
    }

    // "None" and "could not read" must differ for a script.
    void adaptersOfAnUnreachableService()
    {
        Fixture fixture(/*unavailable=*/true);
        platform::Services platform = fixture.platform();
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(cli::RunAdaptersCommand(platform, out, err), 1);
        QCOMPARE(out.str(), std::string());
        QVERIFY(!err.str().empty());
    }

    // The proxy and the default printer follow the site, last, as steps of their own; the printer
    // only when the user turned it on, and one that isn't installed fails the apply.
    void desktopSteps_data()
    {
        QTest::addColumn<bool>("applyPrinter");
        QTest::addColumn<QString>("printer");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("methods");
        QTest::addColumn<QString>("lastLines");
        const QStringList adapterCalls { "ProbeAddress", "EnableStatic", "SetGateways" };
        QTest::newRow("printer off") << false << "Front Desk" << 0 << adapterCalls + QStringList { "SetProxy" }
                                     << "更新代理服务器设置成功。";
        QTest::newRow("printer on") << true << "Front Desk" << 0
                                    << adapterCalls + QStringList { "SetProxy", "SetDefaultPrinter" }
                                    << "更新代理服务器设置成功。\n设置默认打印机成功。";
        QTest::newRow("printer not installed")
            << true << "Gone" << 1 << adapterCalls + QStringList { "SetProxy", "SetDefaultPrinter" }
            << "更新代理服务器设置成功。\n设置默认打印机失败，请确认该打印机已安装。";
    }

    void desktopSteps()
    {
        QFETCH(bool, applyPrinter);
        QFETCH(QString, printer);
        QFETCH(int, exitCode);
        QFETCH(QStringList, methods);
        QFETCH(QString, lastLines);
        Fixture fixture;
        Fixture::write(QString::fromStdString(store::IniFileName),
                       std::string("[Common]\r\nSites=Branch\r\n") + (applyPrinter ? "ApplyPrinter=1\r\n" : "")
                           + "[Branch]\r\nIP=10.7.0.5\r\nSubNetMask=255.255.0.0\r\nDefaultGateway=10.7.0.1\r\n"
                             "ChangePrinter=1\r\nPrinterName="
                           + printer.toStdString()
                           + "\r\nProxyMode=manual\r\nProxyServer=proxy.branch:3128\r\nProxyBypass=*.branch\r\n");
        platform::Services platform = fixture.platform();
        std::ostringstream out, err;
        QCOMPARE(cli::RunApplyCommand(platform, "Branch", std::nullopt, out, err), exitCode);
        QStringList called;
        for (const auto& call : fixture.calls())
            called << QString::fromStdString(call["method"].get<std::string>());
        QCOMPARE(called, methods);
        QVERIFY2(QString::fromStdString(out.str()).endsWith(lastLines + '\n'), out.str().c_str());
        const nlohmann::json doc = fixture.document();
        QVERIFY(doc["proxy"]["server"] == "proxy.branch:3128");
        QVERIFY(doc["proxy"]["bypass"] == nlohmann::json { "*.branch" });
        const bool defaultChanged = doc["defaultPrinter"].get<std::string>().rfind("Front Desk,", 0) == 0;
        QCOMPARE(defaultChanged, applyPrinter && printer == "Front Desk");
    }

    // Each adapter's network, the sites that match it in list order, and the site it holds now.
    void detect()
    {
        Fixture fixture;
        Fixture::write(QString::fromStdString(store::IniFileName),
                       "[Common]\r\nSites=Wired,Branch,Branch Wi-Fi,Elsewhere\r\n"
                       "[Wired]\r\nIP=192.168.1.10\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=192.168.1.1\r\n"
                       "[Branch]\r\nDHCPEnabled=1\r\nMatchGatewayMAC=0a-0b-0c-0d-0e-0f\r\n"
                       "[Branch Wi-Fi]\r\nDHCPEnabled=1\r\nMatchSSID=Branch-WiFi\r\nMatchGateway=172.16.4.1\r\n"
                       "[Elsewhere]\r\nMatchSSID=Branch-WiFi\r\nMatchDNSDomain=other.example.com\r\n");
        platform::Services platform = fixture.platform();
        std::ostringstream out, err;
        QCOMPARE(cli::RunDetectCommand(platform, out, err), 0);
        const nlohmann::json adapters = nlohmann::json::parse(out.str());
        QCOMPARE(adapters.size(), std::size_t(2));
        QVERIFY(adapters[0] == nlohmann::json::parse(R"({"Index": 1, "InterfaceName": "enp0s31f6",
            "Gateway": "192.168.1.1", "GatewayMAC": "", "SSID": "", "DNSDomain": "", "FirewallZone": "",
            "HostName": "", "Matches": [], "Live": "Wired"})"));
        QVERIFY(adapters[1]["SSID"] == "Branch-WiFi");
        QVERIFY(adapters[1]["Matches"] == nlohmann::json({ "Branch", "Branch Wi-Fi" }));
        QVERIFY(adapters[1]["Live"] == "Branch"); // the first of the DHCP sites

        Fixture unreachable(true);
        platform::Services none = unreachable.platform();
        std::ostringstream nothing, said;
        QCOMPARE(cli::RunDetectCommand(none, nothing, said), 1);
        QVERIFY(nothing.str().empty() && !said.str().empty());
    }

    // A site bound to an absent adapter changes nothing, and stderr names the adapter.
    void boundAdapterAbsent()
    {
        Fixture fixture;
        Fixture::write(QString::fromStdString(store::IniFileName),
                       "[Common]\r\nSites=Gone\r\n[Gone]\r\nDHCPEnabled=1\r\nAdapter=wlp2s0\r\n");
        platform::Services platform = fixture.platform();
        std::ostringstream gone, why;
        QCOMPARE(cli::RunApplyCommand(platform, "Gone", std::nullopt, gone, why), 1);
        QVERIFY(fixture.calls().empty());
        QVERIFY(gone.str().empty());
        QVERIFY(why.str().find("wlp2s0") != std::string::npos);
    }

    // The organisation's sites apply like the own ones; an own site of the same name wins.
    void applyTakesTheOrganisationsSites()
    {
#ifdef Q_OS_WIN
        QSKIP("the organisation's file is found through XDG_CONFIG_DIRS on Linux only; windows_store checks its place");
#endif
        Fixture fixture;
        QTemporaryDir managed;
        QVERIFY(QDir(managed.path()).mkpath("lanvex"));
        Fixture::write(managed.filePath("lanvex/lanvex.ini"),
                       "[Common]\r\nSites=Lab,Office\r\n"
                       "[Lab]\r\nIP=10.9.0.7\r\nSubNetMask=255.255.0.0\r\n"
                       "DefaultGateway=10.9.0.1\r\n[Office]\r\nIP=10.9.0.8\r\n");
        qputenv("XDG_CONFIG_DIRS", managed.path().toUtf8());
        platform::Services platform = fixture.platform();
        std::ostringstream out, err;
        QCOMPARE(cli::RunApplyCommand(platform, "Lab", std::nullopt, out, err), 0);
        QCOMPARE(cli::RunApplyCommand(platform, "Office", std::nullopt, out, err), 0);
        qunsetenv("XDG_CONFIG_DIRS");
        const nlohmann::json calls = fixture.calls();
        // Each apply: the address check, the address, the gateway.
        QVERIFY(calls[1]["method"] == "EnableStatic");
        QVERIFY(calls[1]["args"][0] == nlohmann::json { "10.9.0.7" });
        QVERIFY(calls[4]["method"] == "EnableStatic");
        QVERIFY(calls[4]["args"][0] == nlohmann::json { "172.20.0.9" });
    }

    void apply_data()
    {
        QTest::addColumn<QString>("site");
        QTest::addColumn<QString>("adapter"); // empty: not given
        QTest::addColumn<bool>("unavailable");
        QTest::addColumn<int>("result"); // -1: bad usage, nothing applied
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("index"); // the adapter the calls went to
        QTest::newRow("default adapter") << u"Office"_s << QString() << false << 0 << 0 << 1;
        QTest::newRow("to dhcp") << u"Home"_s << u"1"_s << false << 0 << 0 << 1;
        QTest::newRow("already dhcp") << u"Home"_s << u"2"_s << false << 32 << 0 << 2;
        QTest::newRow("gateway refused") << u"NoGateway"_s << u"1"_s << false << 1 << 1 << 1;
        QTest::newRow("address refused") << u"Bad"_s << u"1"_s << false << 8 << 1 << 1;
        QTest::newRow("no such adapter") << u"Office"_s << u"3"_s << false << 128 << 1 << 0;
        QTest::newRow("service unreachable") << u"Office"_s << QString() << true << 64 << 1 << 0;
        QTest::newRow("adapter by name") << u"Office"_s << u"enp0s31f6"_s << false << 0 << 0 << 1;
        QTest::newRow("name, service unreachable") << u"Office"_s << u"enp0s31f6"_s << true << 64 << 1 << 0;
        QTest::newRow("unknown site") << u"office"_s << u"1"_s << false << -1 << 2 << 0;
        QTest::newRow("unknown adapter name") << u"Office"_s << u"eth9"_s << false << -1 << 2 << 0;
        QTest::newRow("adapter zero") << u"Office"_s << u"0"_s << false << -1 << 2 << 0;
        QTest::newRow("adapter negative") << u"Office"_s << u"-1"_s << false << -1 << 2 << 0;
        QTest::newRow("adapter text") << u"Office"_s << u"1x"_s << false << -1 << 2 << 0;
    }

    void apply()
    {
        QFETCH(QString, site);
        QFETCH(QString, adapter);
        QFETCH(bool, unavailable);
        QFETCH(int, result);
        QFETCH(int, exitCode);
        QFETCH(int, index);
        Fixture fixture(unavailable);
        platform::Services platform = fixture.platform();
        std::ostringstream out;
        std::ostringstream err;
        const auto adapterText = adapter.isEmpty() ? std::nullopt : std::optional(adapter.toStdString());
        QCOMPARE(cli::RunApplyCommand(platform, site.toStdString(), adapterText, out, err), exitCode);
        const nlohmann::json calls = fixture.calls();
        if (result < 0) {
            QCOMPARE(out.str(), std::string());
            QVERIFY(calls.empty());
            QVERIFY(!err.str().empty());
            return;
        }
        // stdout holds the summary alone, a line for each of its lines; the progress goes to stderr.
        const std::map<int, QString> summaries = {
            { 0,
              site == "Home" ? u"设定为DHCP工作方式成功。"_s
                             : u"更新IP及子网掩码成功。\n更新网关成功。\n更新DNS成功。\n更新WINS服务器成功。"_s },
            { 1, u"更新IP及子网掩码成功。\n更新DNS成功。\n更新WINS服务器成功。\n更新网关失败。"_s },
            { 8, u"更新IP及子网掩码失败。"_s },
            { 32, u"已经是DHCP工作方式。"_s },
            { 64, u"无法连接系统的网络管理服务，设置未生效。"_s },
            { 128, u"未找到所选网卡，设置未生效。"_s },
        };
        QCOMPARE(QString::fromStdString(out.str()), summaries.at(result) + '\n');
        if (!calls.empty())
            QVERIFY(!err.str().empty());
        QCOMPARE(calls.empty(), index == 0 || result == 32);
        for (const auto& call : calls)
            QCOMPARE(call["Index"].get<int>(), index);
    }
};

QTEST_GUILESS_MAIN(TestAdapterCommands)
#include "tst_AdapterCommands.moc"
