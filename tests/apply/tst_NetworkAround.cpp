// The network around a site over the simulated service: the order of the calls, an address another
// host holds, a Wi-Fi network without a profile, and the connections, zone and name left as asked.
#include "ExampleNetwork.h"
#include "apply/ApplyProcedure.h"
#include "apply/ApplyResult.h"
#include "apply/ApplyRun.h"
#include "net/sim/SimulatedService.h"

#include <QTest>
#include <algorithm>
#include <functional>

using namespace lanvex;

namespace {

struct Quiet : apply::ApplyListener
{
    void Status(const std::string&) override { }
    void Applied(const apply::ApplyOutcome&, apply::ApplyListener::Next) override { }
};

// Adapter 1 on a Wi-Fi card with one saved profile, beside a host that holds 172.20.0.66; the
// system has a VPN that is up and a WireGuard tunnel that is down.
void surround(const Network& network)
{
    nlohmann::json doc = network.Read();
    doc["adapters"][0]["WiFiProfiles"] = { "Office-5G" };
    doc["adapters"][0]["SSID"] = "Home";
    doc["adapters"][0]["Taken"] = { { "172.20.0.66", "02:00:5e:10:00:66" }, { "172.20.0.9", "00:1A:2B:3C:4D:5E" } };
    doc["connections"]
        = { { { "Name", "Home VPN" }, { "Active", true } }, { { "Name", "wg-lab" }, { "Active", false } } };
    doc["hostname"] = "laptop";
    network.Write(doc);
}

// Would keep the change, and tells whether it was asked.
struct Keeper : apply::KeepQuestion
{
    bool asked = false;
    Answer Wait(std::uint32_t, const std::function<bool()>& keep) override
    {
        asked = true;
        keep();
        return Answer::Kept;
    }
};

// An apply as the window or --apply starts it; with `keeper`, one that waits to be kept.
apply::ApplyRunResult run(const Network& network, store::SiteProfile site, Keeper* keeper = nullptr)
{
    net::sim::SimulatedConnector connector(network.Path());
    net::sim::SimulatedPrinters printers(network.Path());
    apply::ApplyRequest request;
    request.site = std::move(site);
    request.defaultAdapter = 1;
    request.keepSeconds = keeper ? 30 : 0;
    Quiet quiet;
    return apply::RunApply(connector, printers, request, quiet, keeper);
}

} // namespace

class TestNetworkAround : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Down before, Wi-Fi, the check, the address, then zone, name and up; the adapter's own MAC
    // answering for its address is no other host.
    void everythingInItsOrder()
    {
        const Network network;
        surround(network);
        store::SiteProfile site = OfficeSite();
        site.Extras.DisconnectOnApply = "Home VPN";
        site.Extras.WiFi = "Office-5G";
        site.Extras.FirewallZone = "work";
        site.Extras.Hostname = "desk-17";
        site.Extras.ConnectOnApply = "wg-lab";
        site.Extras.VerifyGateway = "1";
        const apply::ApplyRunResult result = run(network, site);

        QCOMPARE(result.ExitCode(), 0);
        QCOMPARE(network.Calls(),
                 (std::vector<std::string> {
                     "1 DeactivateConnection Home VPN", "1 ConnectWiFi Office-5G", "1 ProbeAddress 172.20.0.9",
                     "1 EnableStatic 172.20.0.9", "1 SetGateways 172.20.0.1", "1 SetFirewallZone work",
                     "1 SetHostname desk-17", "1 ActivateConnection wg-lab", "1 Probe gateway" }));
        const nlohmann::json doc = network.Read();
        QCOMPARE(doc["connections"].dump(),
                 nlohmann::json(
                     { { { "Name", "Home VPN" }, { "Active", false } }, { { "Name", "wg-lab" }, { "Active", true } } })
                     .dump());
        QCOMPARE(doc["hostname"].get<std::string>(), "desk-17");
        QCOMPARE(doc["adapters"][0]["FirewallZone"].get<std::string>(), "work");
        QCOMPARE(doc["adapters"][0]["SSID"].get<std::string>(), "Office-5G");
        QVERIFY(result.summary.find("已连接“wg-lab”。") != std::string::npos);

        // Applied again: the network is joined and the name is set, so neither is asked for twice.
        QCOMPARE(run(network, site).ExitCode(), 0);
        const std::vector<std::string> calls = network.Calls();
        QCOMPARE(std::count(calls.begin(), calls.end(), "1 ConnectWiFi Office-5G"), 1);
        QCOMPARE(std::count(calls.begin(), calls.end(), "1 SetHostname desk-17"), 1);
    }

    // What stops the apply before the address: a taken address (the first, or one of MoreIP) names
    // the host's MAC; a network without a profile is named. Nothing of the address changes, so a
    // change to be confirmed neither asks nor restores.
    void stopsBeforeTheAddress_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("taken") << "IP"
                               << "172.20.0.66" << int(apply::kAddressTaken)
                               << "IP地址172.20.0.66已被网卡地址为02:00:5e:10:00:66的另一台主机使用，设置未生效。"
                               << QStringList { "1 ProbeAddress 172.20.0.66" };
        QTest::newRow("more addresses")
            << "MoreIP"
            << "172.20.0.66/255.255.0.0" << int(apply::kAddressTaken)
            << "IP地址172.20.0.66已被网卡地址为02:00:5e:10:00:66的另一台主机使用，设置未生效。"
            << QStringList { "1 ProbeAddress 172.20.0.9", "1 ProbeAddress 172.20.0.66" };
        QTest::newRow("no Wi-Fi profile")
            << "WiFi"
            << "Guest" << int(apply::kWiFiUnavailable) << "系统中没有Wi-Fi网络“Guest”的已保存配置，设置未生效。"
            << QStringList { "1 ConnectWiFi Guest" };
    }
    void stopsBeforeTheAddress()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, result);
        QFETCH(QString, summary);
        QFETCH(QStringList, calls);
        const Network network;
        surround(network);
        store::SiteProfile site = OfficeSite();
        site.Extras.Hostname = "desk-17";
        if (key == "IP")
            site.IP = value.toStdString();
        else if (key == "MoreIP")
            site.Extras.MoreIP = value.toStdString();
        else
            site.Extras.WiFi = value.toStdString();
        Keeper keeper;
        const apply::ApplyRunResult outcome = run(network, site, &keeper);

        QCOMPARE(outcome.ExitCode(), 1);
        QVERIFY(!keeper.asked);
        QVERIFY(!outcome.restored);
        QCOMPARE(outcome.applied.Result, result);
        QCOMPARE(QString::fromStdString(outcome.summary), summary);
        std::vector<std::string> expected;
        for (const QString& call : calls)
            expected.push_back(call.toStdString());
        QCOMPARE(network.Calls(), expected);
        QCOMPARE(network.Read()["adapters"][0]["IPAddress"].dump(), nlohmann::json({ "192.168.1.10" }).dump());
    }

    // A connection the system doesn't know fails its step; the rest of the apply goes on. With
    // CheckAddress=0 a taken address is not asked about.
    void unknownConnectionAndCheckOff()
    {
        const Network network;
        surround(network);
        store::SiteProfile site = OfficeSite();
        site.IP = "172.20.0.66";
        site.Extras.CheckAddress = "0";
        site.Extras.ConnectOnApply = "Corp VPN,wg-lab";
        const apply::ApplyRunResult result = run(network, site);

        QCOMPARE(result.ExitCode(), 1);
        QCOMPARE(result.applied.Result, int(apply::kConnectionFailed));
        QCOMPARE(network.Calls(),
                 (std::vector<std::string> { "1 EnableStatic 172.20.0.66", "1 SetGateways 172.20.0.1",
                                             "1 ActivateConnection Corp VPN", "1 ActivateConnection wg-lab" }));
        QVERIFY(result.summary.find("未找到连接“Corp VPN”。\r\n已连接“wg-lab”。") != std::string::npos);
        QVERIFY(apply::AddressApplied(result.applied.Result));
    }
};

QTEST_GUILESS_MAIN(TestNetworkAround)
#include "tst_NetworkAround.moc"
