// The dry run's view of each step: what it would change, from the adapter as read, and why it
// would leave a setting as it is. No service is involved: a preview has nothing to call.
#include "ExampleNetwork.h"
#include "apply/ApplyProcedure.h"
#include "net/ProxyStore.h"
#include "printer/PrinterSource.h"

#include <QTest>

using namespace lanvex;

Q_DECLARE_METATYPE(net::AdapterEntry)
Q_DECLARE_METATYPE(store::SiteProfile)

namespace {

class OnePrinter : public printer::PrinterSource
{
public:
    std::string DefaultPrinterEntry() const override { return "Office Laser,winspool,Ne01:"; }
    std::vector<std::string> InstalledPrinters() const override { return { "Office Laser" }; }
};

// A change as one line: "Setting: now -> then", "?" for a value not known, and "(skipped)".
QStringList Lines(const std::vector<apply::SettingChange>& changes)
{
    QStringList lines;
    for (const apply::SettingChange& change : changes)
        lines << QString::fromStdString(change.setting + ": " + change.now.value_or("?") + " -> " + change.then
                                        + (change.skipped ? " (skipped)" : ""));
    return lines;
}

net::AdapterEntry StaticAdapter()
{
    net::AdapterEntry adapter;
    adapter.Index = 1;
    adapter.Info.IP = "192.168.1.10";
    adapter.Info.DNS = "192.168.1.53";
    adapter.Addresses.IPAddress = { "192.168.1.10", "192.168.1.11" };
    adapter.Addresses.IPSubnet = { "255.255.255.0", "255.255.255.0" };
    adapter.Addresses.DefaultIPGateway = { "192.168.1.1" };
    adapter.Addresses.GatewayCostMetric = { 1 };
    adapter.Addresses.IPv6Mode = "auto";
    return adapter;
}

} // namespace

class TestApplyPreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void preview_data()
    {
        QTest::addColumn<net::AdapterEntry>("adapter");
        QTest::addColumn<store::SiteProfile>("site");
        QTest::addColumn<bool>("withProxyStore");
        QTest::addColumn<QStringList>("lines");

        net::AdapterEntry dhcpAdapter = StaticAdapter();
        dhcpAdapter.Info.DHCPEnabled = true;
        store::SiteProfile dhcpSite;
        dhcpSite.DHCPEnabled = true;
        QTest::newRow("DHCP already on") << dhcpAdapter << dhcpSite << true
                                         << QStringList { "DHCPEnabled: true -> true (skipped)" };
        dhcpAdapter.Info.DHCPEnabled = false;
        QTest::newRow("to DHCP") << dhcpAdapter << dhcpSite << true << QStringList { "DHCPEnabled: false -> true" };

        // Every address and gateway, with MoreIP and the metrics; DNS only where the site changes
        // it; leaving DHCP is its own line.
        store::SiteProfile full = OfficeSite();
        full.Extras.MoreIP = "172.20.0.10/255.255.0.0";
        full.Extras.GatewayMetric = "5";
        full.Extras.MoreGateways = "172.20.0.2:20";
        full.ChangeDNS = true;
        full.DNS = "172.20.0.53";
        full.AuxDNS = "172.20.0.54";
        net::AdapterEntry onDhcp = StaticAdapter();
        onDhcp.Info.DHCPEnabled = true;
        QTest::newRow("static from DHCP")
            << onDhcp << full << true
            << QStringList {
                   "CheckAddress: ? -> 172.20.0.9, 172.20.0.10",
                   "DHCPEnabled: true -> false",
                   "IPAddress: 192.168.1.10, 192.168.1.11 -> 172.20.0.9, 172.20.0.10",
                   "IPSubnet: 255.255.255.0, 255.255.255.0 -> 255.255.0.0, 255.255.0.0",
                   "DefaultIPGateway: 192.168.1.1 (metric 1) -> 172.20.0.1 (metric 5), 172.20.0.2 (metric 20)",
                   "DNSServerSearchOrder: 192.168.1.53 -> 172.20.0.53, 172.20.0.54"
               };

        // The optional keys: the suffix, IPv6 with its values, a value that cannot be used, the
        // proxy (never readable now) and the printer that stays while ApplyPrinter is off.
        store::SiteProfile options = OfficeSite();
        options.Extras.DNSSuffix = "corp.example";
        options.Extras.IPv6Mode = "static";
        options.Extras.IPv6Address = "2001:db8::9/64";
        options.Extras.IPv6Gateway = "2001:db8::1";
        options.Extras.GatewayMetric = "many";
        options.Extras.ProxyMode = "manual";
        options.Extras.ProxyServer = "proxy.example:8080";
        options.Extras.ProxyBypass = "*.corp,localhost";
        options.ChangePrinter = true;
        options.PrinterName = "Front Desk";
        const QStringList address { "CheckAddress: ? -> 172.20.0.9",
                                    "IPAddress: 192.168.1.10, 192.168.1.11 -> 172.20.0.9",
                                    "IPSubnet: 255.255.255.0, 255.255.255.0 -> 255.255.0.0",
                                    "DefaultIPGateway: 192.168.1.1 (metric 1) -> 172.20.0.1 (metric 1)" };
        const QStringList optionLines { "DNSDomain:  -> corp.example",
                                        "IPv6Mode: auto -> static",
                                        "IPv6Address:  -> 2001:db8::9/64",
                                        "IPv6Gateway:  -> 2001:db8::1",
                                        "IPv6DNS:  -> ",
                                        "GatewayMetric: ? -> many (skipped)" };
        QTest::newRow("optional keys") << StaticAdapter() << options << true
                                       << address + optionLines
                + QStringList { "Proxy: ? -> manual proxy.example:8080 (bypass *.corp, localhost)",
                                "Printer: Office Laser -> Front Desk (skipped)" };
        QTest::newRow("no proxy store") << StaticAdapter() << options << false
                                        << address + optionLines
                + QStringList { "Proxy: ? -> manual proxy.example:8080 (bypass *.corp, localhost) (skipped)",
                                "Printer: Office Laser -> Front Desk (skipped)" };

        // The network around the site, in the order the apply takes it; CheckAddress=0 asks for no check.
        store::SiteProfile around = OfficeSite();
        around.Extras.CheckAddress = "0";
        around.Extras.WiFi = "Office-5G";
        around.Extras.DisconnectOnApply = "Home VPN";
        around.Extras.ConnectOnApply = "Corp VPN, wg-lab";
        around.Extras.FirewallZone = "work";
        around.Extras.Hostname = "desk-17";
        net::AdapterEntry onHomeWiFi = StaticAdapter();
        onHomeWiFi.Network.SSID = "Home";
        onHomeWiFi.FirewallZone = "public";
        onHomeWiFi.HostName = "laptop";
        QTest::newRow("network around") << onHomeWiFi << around << true
                                        << QStringList { "DisconnectOnApply: ? -> Home VPN", "WiFi: Home -> Office-5G" }
                + address.mid(1)
                + QStringList { "FirewallZone: public -> work", "Hostname: laptop -> desk-17",
                                "ConnectOnApply: ? -> Corp VPN, wg-lab" };
    }

    void preview()
    {
        QFETCH(net::AdapterEntry, adapter);
        QFETCH(store::SiteProfile, site);
        QFETCH(bool, withProxyStore);
        QFETCH(QStringList, lines);
        OnePrinter printers;
        net::NoProxyStore proxy;
        const apply::DesktopTargets desktop { &printers, withProxyStore ? &proxy : nullptr, false };
        QCOMPARE(Lines(apply::PreviewSteps(adapter, site, &desktop)), lines);
        // Without the desktop's steps, as a restore runs, nothing of the desktop is shown.
        const QStringList adapterOnly = Lines(apply::PreviewSteps(adapter, site, nullptr));
        QCOMPARE(adapterOnly, lines.filter(QRegularExpression("^(?!Proxy|Printer)")));
    }
};

QTEST_GUILESS_MAIN(TestApplyPreview)
#include "tst_ApplyPreview.moc"
