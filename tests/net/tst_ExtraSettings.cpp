// The optional site keys: their text forms, the checks a hand-edited file meets, and what the apply
// takes from them when some values are bad.
#include "net/ExtraSettings.h"

#include <QTest>

using namespace lanvex;

class TestExtraSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void values_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("valid");
        const auto row = [](const char* key, const char* value, bool valid) {
            QTest::addRow("%s=%s", key, value) << QString::fromLatin1(key) << QString::fromUtf8(value) << valid;
        };
        row("MoreIP", "10.1.0.6/255.255.255.0", true);
        row("MoreIP", "10.1.0.6/255.255.255.0, 10.1.0.7/255.255.0.0", true);
        row("MoreIP", "10.1.0.6", false); // no mask
        row("MoreIP", "10.1.0.6/24", false); // a mask is dotted, as in the editor
        row("MoreIP", "10.1.0.6/255.0.255.0", false);
        row("MoreIP", "10.1.0.0/255.255.255.0", false); // the network's own address
        row("MoreIP", "10.1.0.6/255.255.255.0,", false); // an empty item
        row("MoreIP", "10.1.0.6/255.255.255.0,10.1.0.6/255.255.0.0", false); // twice
        row("MoreIP", "10.1.0.6/255.255.255.0/1", false);
        row("MoreIP", "10.0.0.5/255.255.255.0", false); // the site's own address
        row("GatewayMetric", "1", true);
        row("GatewayMetric", "9999", true);
        row("GatewayMetric", "0", false);
        row("GatewayMetric", "10000", false);
        row("GatewayMetric", "+5", false);
        row("GatewayMetric", "5 ", false);
        row("MoreGateways", "10.1.0.254:20,10.1.0.253:30", true);
        row("MoreGateways", "10.1.0.254", false); // no metric
        row("MoreGateways", "10.1.0.254:0", false);
        row("MoreGateways", "255.255.255.255:5", false);
        // With DefaultGateway, five in all: four more fit, five do not.
        row("MoreGateways", "10.0.0.2:1,10.0.0.3:1,10.0.0.4:1,10.0.0.5:1", true);
        row("MoreGateways", "10.0.0.2:1,10.0.0.3:1,10.0.0.4:1,10.0.0.5:1,10.0.0.6:1", false);
        row("DNSSuffix", "corp.example.com", true);
        row("DNSSuffix", "lab-2", true);
        row("DNSSuffix", "-lab.example", false);
        row("DNSSuffix", "corp..example", false);
        row("DNSSuffix", "corp.example.com.", false);
        row("DNSSuffix", "corp example", false);
        row("DNSSuffix", "公司.example", false);
        row("IPv6Mode", "keep", true);
        row("IPv6Mode", "Static", true);
        row("IPv6Mode", "manual", false);
        row("IPv6Address", "2001:db8::5/64", true);
        row("IPv6Address", "2001:DB8:0:0:0:0:0:5/64,fd00::1/48", true);
        row("IPv6Address", "2001:db8::5", false); // no prefix
        row("IPv6Address", "2001:db8::5/129", false);
        row("IPv6Address", "2001:db8::5/0", false);
        row("IPv6Address", "2001:db8::5/64,2001:0db8::5/64", false); // twice, spelled differently
        row("IPv6Address", "::/64", false);
        row("IPv6Address", "::1/128", false);
        row("IPv6Address", "ff02::1/64", false);
        row("IPv6Address", "2001:db8:::5/64", false);
        row("IPv6Address", "2001:db8::5::1/64", false);
        row("IPv6Address", "1:2:3:4:5:6:7:8:9/64", false);
        row("IPv6Address", "1:2:3:4:5:6:7/64", false);
        row("IPv6Address", "2001:db8::12345/64", false);
        row("IPv6Address", "fe80::1%eth0/64", false);
        row("IPv6Gateway", "fe80::1", true);
        row("IPv6Gateway", "1:2:3:4:5:6:7::", true);
        row("IPv6Gateway", "::", false);
        row("IPv6Gateway", "10.1.0.1", false);
        row("IPv6DNS", "2001:db8::53", true);
        row("IPv6DNS", "2001:db8::53,::1", true); // a resolver on the machine itself
        row("IPv6DNS", "2001:db8::53,2001:db8::54,2001:db8::55", false);
        row("IPv6DNS", "ff02::fb", false);
        row("CheckAddress", "0", true);
        row("CheckAddress", "off", false);
        row("WiFi", "公司 Wi-Fi", true);
        row("WiFi", "12345678901234567890123456789012", true);
        row("WiFi", "123456789012345678901234567890123", false); // 33 bytes
        row("WiFi", "tab\there", false);
        row("ConnectOnApply", "Corp VPN, wg-lab", true);
        row("ConnectOnApply", "Corp VPN,,wg-lab", false);
        row("DisconnectOnApply", "wg-lab,wg-lab", false);
        row("FirewallZone", "trusted", true);
        row("FirewallZone", "my_zone-2", true);
        row("FirewallZone", "my zone", false);
        row("FirewallZone", "a-zone-name-of-18c", false);
        row("Hostname", "desk-17", true);
        row("Hostname", "12345", false); // all digits
        row("Hostname", "desk-", false);
        row("Hostname", "desk.corp", false); // a name, not a domain
        row("Unknown", "anything", true);
        row("MoreIP", "", true); // empty: the key is absent
    }

    void values()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(bool, valid);
        store::SiteProfile site;
        site.IP = "10.0.0.5";
        site.DefaultGateway = "10.0.0.1";
        const auto problem = net::ExtraValueProblem(site, key.toStdString(), value.toStdString());
        QCOMPARE(!problem, valid);
    }

    // The cell a list's problem is pointed at: the first item whose list up to it fails, and the
    // part whose form is wrong (the address when both have their form).
    void listFault_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("fault"); // "item:part", or empty
        QTest::newRow("good") << "MoreGateways"
                              << "10.0.0.2:5, 10.0.0.3:6" << QString();
        QTest::newRow("metric") << "MoreGateways"
                                << "10.0.0.2:5,10.0.0.3:0"
                                << "1:1";
        QTest::newRow("no metric") << "MoreGateways"
                                   << "10.0.0.2"
                                   << "0:1";
        QTest::newRow("gateway") << "MoreGateways"
                                 << "10.0.0.2:5,10.0.0:6"
                                 << "1:0";
        QTest::newRow("one too many") << "MoreGateways"
                                      << "10.0.0.2:1,10.0.0.3:1,10.0.0.4:1,10.0.0.5:1,10.0.0.6:1"
                                      << "4:0";
        QTest::newRow("repeat") << "MoreIP"
                                << "10.1.0.6/255.255.255.0,10.1.0.7/255.255.255.0,10.1.0.6/255.255.0.0"
                                << "2:0";
        QTest::newRow("the site's own") << "MoreIP"
                                        << "10.0.0.5/255.255.255.0"
                                        << "0:0";
        QTest::newRow("mask") << "MoreIP"
                              << "10.1.0.6/255.0.255.0"
                              << "0:1";
        QTest::newRow("prefix") << "IPv6Address"
                                << "2001:db8::5/64,2001:db8::6/129"
                                << "1:1";
        QTest::newRow("not a list") << "GatewayMetric"
                                    << "0" << QString();
    }

    void listFault()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, fault);
        store::SiteProfile site;
        site.IP = "10.0.0.5";
        site.DefaultGateway = "10.0.0.1";
        const auto found = net::FindListFault(site, key.toStdString(), value.toStdString());
        QCOMPARE(found ? QStringLiteral("%1:%2").arg(found->item).arg(found->part) : QString(), fault);
    }

    void ipv6Text_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("canonical");
        QTest::newRow("zeros run") << "2001:0DB8:0000:0000:0000:0000:0000:0005"
                                   << "2001:db8::5";
        QTest::newRow("longest run wins") << "1:0:0:2:0:0:0:3"
                                          << "1:0:0:2::3";
        QTest::newRow("first of equal runs") << "1:0:0:2:3:0:0:4"
                                             << "1::2:3:0:0:4";
        QTest::newRow("single zero kept") << "1:0:2:3:4:5:6:7"
                                          << "1:0:2:3:4:5:6:7";
        QTest::newRow("leading gap") << "::2:3"
                                     << "::2:3";
        QTest::newRow("trailing gap") << "fe80::"
                                      << "fe80::";
        QTest::newRow("dotted tail") << "::ffff:192.0.2.1"
                                     << "::ffff:c000:201";
    }

    void ipv6Text()
    {
        QFETCH(QString, text);
        QFETCH(QString, canonical);
        const auto parsed = net::ParseIPv6(text.toStdString());
        QVERIFY(parsed);
        QCOMPARE(QString::fromStdString(net::FormatIPv6(*parsed)), canonical);
        QCOMPARE(net::ParseIPv6(canonical.toStdString()), parsed);
    }

    // A bad value is skipped whole and named; the other keys still apply. The IPv6 keys stand or
    // fall together, and a DHCP site takes no IPv4 keys at all.
    void whatTheApplyTakes()
    {
        store::SiteProfile site;
        site.DefaultGateway = "10.1.0.1";
        site.Extras.MoreIP = "10.1.0.6/255.255.255.0,10.1.0.7/255.255.0.0";
        site.Extras.GatewayMetric = "5";
        site.Extras.MoreGateways = "10.1.0.254:20";
        site.Extras.DNSSuffix = "corp.example.com";
        site.Extras.IPv6Mode = "static";
        site.Extras.IPv6Address = "2001:DB8::5/64";
        site.Extras.IPv6Gateway = "fe80::1";
        site.Extras.IPv6DNS = "2001:db8::53";
        net::ExtraSettings taken = net::ReadExtraSettings(site);
        QVERIFY(taken.InvalidKeys.empty());
        QCOMPARE(taken.MoreAddresses, (std::vector<std::string> { "10.1.0.6", "10.1.0.7" }));
        QCOMPARE(taken.MoreMasks, (std::vector<std::string> { "255.255.255.0", "255.255.0.0" }));
        QCOMPARE(taken.GatewayMetric, 5);
        QCOMPARE(taken.MoreMetrics, std::vector<std::int64_t> { 20 });
        QCOMPARE(taken.Mode, net::IPv6Mode::Static);
        QCOMPARE(taken.IPv6Addresses, std::vector<std::string> { "2001:db8::5/64" });

        site.Extras.MoreIP = "10.1.0.6/255.255.255.0,bad";
        site.Extras.IPv6DNS = "2001:db8::53,bad";
        taken = net::ReadExtraSettings(site);
        QCOMPARE(taken.InvalidKeys, (std::vector<std::string> { "MoreIP", "IPv6DNS" }));
        QVERIFY(taken.MoreAddresses.empty());
        QCOMPARE(taken.MoreGateways, std::vector<std::string> { "10.1.0.254" });
        QCOMPARE(taken.DNSSuffix, std::string("corp.example.com"));
        QCOMPARE(taken.Mode, net::IPv6Mode::Keep); // the whole IPv6 step is skipped
        QVERIFY(taken.IPv6Addresses.empty());

        // Static without an address is no static setting.
        site.Extras.IPv6DNS.clear();
        site.Extras.IPv6Address.clear();
        QCOMPARE(net::ReadExtraSettings(site).InvalidKeys, (std::vector<std::string> { "MoreIP", "IPv6Address" }));

        site.DHCPEnabled = true;
        site.Extras.IPv6Mode = "OFF";
        taken = net::ReadExtraSettings(site);
        QVERIFY(taken.InvalidKeys.empty());
        QVERIFY(taken.MoreGateways.empty());
        QCOMPARE(taken.GatewayMetric, 1);
        QCOMPARE(taken.Mode, net::IPv6Mode::Off);
    }

    // The address check is on for a static site unless turned off; a value it cannot read leaves it
    // on and is named; a DHCP site has no address to check.
    void addressCheck()
    {
        store::SiteProfile site;
        QVERIFY(net::ReadExtraSettings(site).CheckAddress);
        site.Extras.CheckAddress = "0";
        QVERIFY(!net::ReadExtraSettings(site).CheckAddress);
        site.Extras.CheckAddress = "no";
        const net::ExtraSettings unread = net::ReadExtraSettings(site);
        QVERIFY(unread.CheckAddress);
        QCOMPARE(unread.InvalidKeys, std::vector<std::string> { "CheckAddress" });
        site.Extras.CheckAddress = "1";
        site.DHCPEnabled = true;
        QVERIFY(!net::ReadExtraSettings(site).CheckAddress);
    }
};

QTEST_APPLESS_MAIN(TestExtraSettings)
#include "tst_ExtraSettings.moc"
