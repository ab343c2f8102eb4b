// Which site a network is, which site an adapter holds, and which adapter a site is for.
#include "apply/AdapterChoice.h"
#include "apply/NetworkMatch.h"

#include <QTest>

using namespace lanvex;

namespace {

const net::NetworkFingerprint kOffice { "10.1.0.1", "00:1A:2B:3C:4D:5E", "Corp-WiFi", "corp.example.com" };

store::SiteProfile withKeys(const QStringList& keys)
{
    store::SiteProfile site;
    store::SiteExtras& extras = site.Extras;
    extras.MatchGateway = keys.value(0).toStdString();
    extras.MatchGatewayMAC = keys.value(1).toStdString();
    extras.MatchSSID = keys.value(2).toStdString();
    extras.MatchDNSDomain = keys.value(3).toStdString();
    return site;
}

} // namespace

class TestNetworkMatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matches_data()
    {
        QTest::addColumn<QStringList>("keys"); // gateway, gateway MAC, SSID, DNS domain
        QTest::addColumn<bool>("matches");
        QTest::newRow("no keys never match") << QStringList { "", "", "", "" } << false;
        QTest::newRow("gateway alone") << QStringList { "10.1.0.1", "", "", "" } << true;
        QTest::newRow("every key") << QStringList { "10.1.0.1", "00:1a:2b:3c:4d:5e", "Corp-WiFi", "corp.example.com" }
                                   << true;
        QTest::newRow("MAC with dashes, lower case") << QStringList { "", "00-1a-2b-3c-4d-5e", "", "" } << true;
        QTest::newRow("one key differs") << QStringList { "10.1.0.1", "", "Guest", "" } << false;
        QTest::newRow("SSID is exact") << QStringList { "", "", "corp-wifi", "" } << false;
        QTest::newRow("domain is exact") << QStringList { "", "", "", "Corp.Example.com" } << false;
        QTest::newRow("another gateway") << QStringList { "10.1.0.2", "", "", "" } << false;
        QTest::newRow("a MAC that is no MAC") << QStringList { "", "gateway", "", "" } << false;
    }

    void matches()
    {
        QFETCH(QStringList, keys);
        QFETCH(bool, matches);
        QCOMPARE(apply::SiteMatches(withKeys(keys), kOffice), matches);
        // A network that says nothing is matched by no key.
        QVERIFY(!apply::SiteMatches(withKeys(keys), {}));
    }

    // Switching by itself applies a site that lowers the protection only when its network is sure.
    void applyUnasked()
    {
        store::SiteProfile site = withKeys({ "", "", "Corp-WiFi", "" });
        site.Extras.AutoApply = "1";
        QVERIFY(apply::MayApplyUnasked(site));
        for (const char* zone : { "trusted", "Home", "work", "private" }) {
            site.Extras.FirewallZone = zone;
            QVERIFY2(!apply::MayApplyUnasked(site), zone);
        }
        site.Extras.FirewallZone = "public";
        QVERIFY(apply::MayApplyUnasked(site));
        site.Extras.DisconnectOnApply = "Corp VPN";
        QVERIFY(!apply::MayApplyUnasked(site));
        // A check after the apply, or a second key, makes it sure; a check that names nothing does not.
        site.Extras.VerifyDNS = ",";
        QVERIFY(!apply::MayApplyUnasked(site));
        site.Extras.VerifyDNS = "intranet.corp";
        QVERIFY(apply::MayApplyUnasked(site));
        site.Extras.VerifyDNS.clear();
        site.Extras.MatchGateway = "10.1.0.1";
        QVERIFY(apply::MayApplyUnasked(site));
        site.Extras.AutoApply.clear();
        QVERIFY(!apply::MayApplyUnasked(site));
    }

    void live()
    {
        store::SiteProfile site;
        site.IP = "10.1.0.5";
        site.SubNetMask = "255.255.255.0";
        site.DefaultGateway = "10.1.0.1";
        store::SiteProfile adapter = site;
        adapter.DNS = "10.1.0.53";
        QVERIFY(apply::SiteIsLive(site, adapter)); // DNS counts only where the site changes it
        site.ChangeDNS = true;
        QVERIFY(!apply::SiteIsLive(site, adapter));
        site.DNS = "10.1.0.53";
        QVERIFY(apply::SiteIsLive(site, adapter));
        adapter.DefaultGateway = "10.1.0.254";
        QVERIFY(!apply::SiteIsLive(site, adapter));

        store::SiteProfile dhcp;
        dhcp.DHCPEnabled = true;
        QVERIFY(!apply::SiteIsLive(dhcp, adapter));
        adapter.DHCPEnabled = true;
        QVERIFY(apply::SiteIsLive(dhcp, adapter));
        QVERIFY(!apply::SiteIsLive(site, adapter));
    }

    void binding()
    {
        net::AdapterEntry adapter;
        adapter.InterfaceName = "enp3s0";
        adapter.SettingID = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
        adapter.Info.MACAddress = "00:E0:4C:68:01:02";
        adapter.Index = 2;
        QVERIFY(apply::NamesAdapter("2", adapter));
        QVERIFY(!apply::NamesAdapter("1", adapter));
        QVERIFY(apply::NamesAdapter("00-e0-4c-68-01-02", adapter));
        QVERIFY(apply::NamesAdapter("enp3s0", adapter));
        QVERIFY(apply::NamesAdapter("{4d36e972-e325-11ce-bfc1-08002be10318}", adapter));
        QVERIFY(apply::NamesAdapter("4D36E972-E325-11CE-BFC1-08002BE10318", adapter));
        QVERIFY(!apply::NamesAdapter("enp3s1", adapter));
        QVERIFY(!apply::NamesAdapter("", adapter));
        QVERIFY(!apply::NamesAdapter("00:E0:4C:68:01:03", adapter));
    }
};

QTEST_APPLESS_MAIN(TestNetworkMatch)
#include "tst_NetworkMatch.moc"
