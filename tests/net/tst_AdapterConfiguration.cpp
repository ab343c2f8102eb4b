// The adapter configuration's text rules that every backend applies to the values it is handed.
#include "net/AdapterConfiguration.h"

#include <QtTest>

using namespace lanvex::net;
using namespace Qt::StringLiterals;

namespace {

std::string text(const QString& s)
{
    return s.toStdString();
}

} // namespace

class TestAdapterConfiguration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesAddresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("canonical"); // empty: refused
        QTest::newRow("plain") << u"10.77.0.5"_s << u"10.77.0.5"_s;
        QTest::newRow("leading zeros are decimal, not octal") << u"010.077.000.008"_s << u"10.77.0.8"_s;
        QTest::newRow("all ones") << u"255.255.255.255"_s << u"255.255.255.255"_s;
        QTest::newRow("all zeros") << u"0.0.0.0"_s << u"0.0.0.0"_s;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("octet too big") << u"10.77.0.256"_s << QString();
        QTest::newRow("four digits with leading zeros") << u"10.77.0.0005"_s << u"10.77.0.5"_s;
        QTest::newRow("many digits, too big") << u"10.77.0.00000000256"_s << QString();
        QTest::newRow("three parts") << u"10.77.5"_s << QString();
        QTest::newRow("five parts") << u"10.77.0.5.1"_s << QString();
        QTest::newRow("trailing dot") << u"10.77.0.5."_s << QString();
        QTest::newRow("leading dot") << u".10.77.0.5"_s << QString();
        QTest::newRow("empty part") << u"10..0.5"_s << QString();
        QTest::newRow("sign") << u"10.77.0.+5"_s << QString();
        QTest::newRow("negative") << u"10.77.-0.5"_s << QString();
        QTest::newRow("prefix notation") << u"10.77.0.5/24"_s << QString();
        QTest::newRow("shell text") << u"10.77.0.5; reboot"_s << QString();
        QTest::newRow("blank before") << u" 192.168.1.1"_s << QString();
        QTest::newRow("tab after") << u"192.168.1.1\t"_s << QString();
        QTest::newRow("inner blank") << u"10.77. 0.5"_s << QString();
        QTest::newRow("hex") << u"0x0a.77.0.5"_s << QString();
        QTest::newRow("full-width digit") << QString::fromUtf8("10.77.0.\xEF\xBC\x95") << QString();
    }
    void parsesAddresses()
    {
        QFETCH(QString, text);
        QFETCH(QString, canonical);
        const auto address = ParseIPv4(::text(text));
        QCOMPARE(address.has_value(), !canonical.isEmpty());
        if (address)
            QCOMPARE(QString::fromStdString(FormatIPv4(*address)), canonical);
    }

    void parsesSubnetMasks_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("prefix"); // -1: refused
        QTest::newRow("/24") << u"255.255.255.0"_s << 24;
        QTest::newRow("/1") << u"128.0.0.0"_s << 1;
        QTest::newRow("/23") << u"255.255.254.0"_s << 23;
        QTest::newRow("/31") << u"255.255.255.254"_s << 31;
        QTest::newRow("/32") << u"255.255.255.255"_s << 32;
        QTest::newRow("leading zeros") << u"255.255.255.000"_s << 24;
        QTest::newRow("no one bits") << u"0.0.0.0"_s << -1;
        QTest::newRow("hole") << u"255.0.255.0"_s << -1;
        QTest::newRow("reversed") << u"0.255.255.255"_s << -1;
        QTest::newRow("stray low bit") << u"255.255.255.1"_s << -1;
        QTest::newRow("not an address") << u"255.255.255"_s << -1;
        QTest::newRow("prefix length") << u"24"_s << -1;
        QTest::newRow("blank after") << u"255.255.255.0 "_s << -1;
    }
    void parsesSubnetMasks()
    {
        QFETCH(QString, mask);
        QFETCH(int, prefix);
        QCOMPARE(ParseSubnetMask(text(mask)).value_or(-1), prefix);
        // The mask made from the prefix is the same mask written without leading zeros.
        if (prefix >= 0)
            QCOMPARE(QString::fromStdString(PrefixToMask(prefix)),
                     QString::fromStdString(FormatIPv4(*ParseIPv4(text(mask)))));
    }

    void judgesAddressUse_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("prefix");
        QTest::addColumn<bool>("host");
        QTest::addColumn<bool>("server");
        QTest::newRow("ordinary") << u"10.77.0.5"_s << 24 << true << true;
        QTest::newRow("network address") << u"10.77.0.0"_s << 24 << false << true;
        QTest::newRow("broadcast") << u"10.77.0.255"_s << 24 << false << true;
        QTest::newRow("broadcast of /23") << u"10.77.1.255"_s << 23 << false << true;
        QTest::newRow("middle of /23") << u"10.77.0.255"_s << 23 << true << true;
        QTest::newRow("network of /30") << u"10.77.0.4"_s << 30 << false << true;
        QTest::newRow("broadcast of /30") << u"10.77.0.7"_s << 30 << false << true;
        QTest::newRow("host of /30") << u"10.77.0.5"_s << 30 << true << true;
        QTest::newRow("/31 ends are hosts") << u"10.77.0.0"_s << 31 << true << true;
        QTest::newRow("gateway ending in 0") << u"10.77.0.0"_s << 32 << true << true;
        QTest::newRow("zero net") << u"0.1.2.3"_s << 8 << false << false;
        QTest::newRow("zero net as gateway") << u"0.0.0.0"_s << 32 << false << false;
        QTest::newRow("loopback") << u"127.0.0.1"_s << 8 << false << true;
        QTest::newRow("local resolver") << u"127.0.0.53"_s << 32 << false << true;
        QTest::newRow("last before multicast") << u"223.255.255.254"_s << 24 << true << true;
        QTest::newRow("multicast") << u"224.0.0.1"_s << 24 << false << false;
        QTest::newRow("reserved") << u"240.0.0.1"_s << 32 << false << false;
        QTest::newRow("limited broadcast") << u"255.255.255.255"_s << 32 << false << false;
    }
    void judgesAddressUse()
    {
        QFETCH(QString, address);
        QFETCH(int, prefix);
        QFETCH(bool, host);
        QFETCH(bool, server);
        const auto parsed = ParseIPv4(text(address));
        QVERIFY(parsed);
        QCOMPARE(IsHostAddress(*parsed, prefix), host);
        QCOMPARE(IsServerAddress(*parsed), server);
    }

    void comparesSubnets_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("prefix");
        QTest::addColumn<bool>("same");
        QTest::newRow("same /24") << u"10.77.0.5"_s << u"10.77.0.1"_s << 24 << true;
        QTest::newRow("next /24") << u"10.77.0.5"_s << u"10.77.1.1"_s << 24 << false;
        QTest::newRow("same /23") << u"10.77.0.5"_s << u"10.77.1.1"_s << 23 << true;
        QTest::newRow("/32 is one address") << u"10.77.0.5"_s << u"10.77.0.6"_s << 32 << false;
        QTest::newRow("/0 holds everything") << u"10.77.0.5"_s << u"192.168.1.1"_s << 0 << true;
    }
    void comparesSubnets()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, prefix);
        QFETCH(bool, same);
        QCOMPARE(SameSubnet(*ParseIPv4(text(a)), *ParseIPv4(text(b)), prefix), same);
    }

    void formatsHardwareAddresses_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("shown"); // empty: no MAC address
        QTest::newRow("lower case") << u"ce:5b:39:4e:ea:1b"_s << u"CE:5B:39:4E:EA:1B"_s;
        QTest::newRow("dashes") << u"00-1a-2B-3c-4D-5e"_s << u"00:1A:2B:3C:4D:5E"_s;
        QTest::newRow("infiniband length")
            << u"80:00:02:08:fe:80:00:00:00:00:00:00:00:02:c9:03:00:0f:a1:b1"_s << QString();
        QTest::newRow("not hex") << u"zz:5b:39:4e:ea:1b"_s << QString();
        QTest::newRow("misplaced separator") << u"ce5:b:39:4e:ea:1b"_s << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void formatsHardwareAddresses()
    {
        QFETCH(QString, raw);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(FormatMACAddress(text(raw)).value_or("")), shown);
    }

    // An SSID is bytes: UTF-8 as it is, else code page 936, as Chinese routers name networks.
    void readsNetworkNames_data()
    {
        QTest::addColumn<QByteArray>("ssid");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ASCII") << QByteArray("Office-5G") << u"Office-5G"_s;
        QTest::newRow("UTF-8") << QByteArray("\xE5\x8A\x9E\xE5\x85\xAC\xE5\xAE\xA4") << u"办公室"_s;
        QTest::newRow("code page 936") << QByteArray("\xB0\xEC\xB9\xAB\xCA\xD2") << u"办公室"_s;
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void readsNetworkNames()
    {
        QFETCH(QByteArray, ssid);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(SsidText(std::string_view(ssid.constData(), std::size_t(ssid.size())))), shown);
    }

    // Class, property and method names: ASCII letters fold, every other byte must match.
    void comparesNamesIgnoringCase_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<bool>("equal");
        QTest::newRow("same") << QByteArray("IPAddress") << QByteArray("IPAddress") << true;
        QTest::newRow("letter case") << QByteArray("IpAddress") << QByteArray("IPADDRESS") << true;
        QTest::newRow("both empty") << QByteArray() << QByteArray() << true;
        QTest::newRow("prefix only") << QByteArray("IPAddress") << QByteArray("IPAddresses") << false;
        QTest::newRow("punctuation does not fold") << QByteArray("a@") << QByteArray("a`") << false;
        QTest::newRow("non-ASCII does not fold") << QByteArray("\xC3\x89") << QByteArray("\xC3\xA9") << false;
    }
    void comparesNamesIgnoringCase()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(bool, equal);
        QCOMPARE(EqualsNoCase(a.toStdString(), b.toStdString()), equal);
        QCOMPARE(EqualsNoCase(b.toStdString(), a.toStdString()), equal);
    }

    void findsMethods_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("canonical"); // empty: no such method
        QTest::newRow("as spelled") << u"EnableStatic"_s << u"EnableStatic"_s;
        QTest::newRow("lower case") << u"enabledhcp"_s << u"EnableDHCP"_s;
        QTest::newRow("upper case") << u"SETDNSSERVERSEARCHORDER"_s << u"SetDNSServerSearchOrder"_s;
        QTest::newRow("gateways") << u"setGateways"_s << u"SetGateways"_s;
        QTest::newRow("wins") << u"SetWinsServer"_s << u"SetWINSServer"_s;
        QTest::newRow("trailing blank") << u"EnableDHCP "_s << QString();
        QTest::newRow("part of a name") << u"Enable"_s << QString();
        QTest::newRow("other method") << u"ReleaseDHCPLease"_s << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void findsMethods()
    {
        QFETCH(QString, name);
        QFETCH(QString, canonical);
        const auto method = FindAdapterMethod(text(name));
        QCOMPARE(method.has_value(), !canonical.isEmpty());
        if (method) {
            QCOMPARE(QString::fromUtf8(MethodName(*method)), canonical);
            QCOMPARE(FindAdapterMethod(MethodName(*method)), method);
        }
    }

    void acceptsOnlyTheServiceMoniker_data()
    {
        QTest::addColumn<QString>("moniker");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("list form") << u"winmgmts:"_s << true;
        QTest::newRow("apply form") << u"winmgmts:\\\\.\\root\\cimv2"_s << true;
        QTest::newRow("letter case") << u"WinMgmts:"_s << true;
        QTest::newRow("no colon") << u"winmgmts"_s << false;
        QTest::newRow("blank before") << u" winmgmts:"_s << false;
        QTest::newRow("other scheme") << u"ldap:"_s << false;
        QTest::newRow("empty") << QString() << false;
    }
    void acceptsOnlyTheServiceMoniker()
    {
        QFETCH(QString, moniker);
        QFETCH(bool, accepted);
        QCOMPARE(IsServiceMoniker(text(moniker)), accepted);
    }

    void acceptsOnlyTheAdapterQuery_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("list form") << u"Select * From Win32_NetworkAdapterConfiguration Where IPEnabled=TRUE"_s << true;
        QTest::newRow("apply form") << u"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True"_s
                                    << true;
        QTest::newRow("extra blanks") << u"  select *  from\twin32_networkadapterconfiguration where ipenabled =true "_s
                                      << true;
        QTest::newRow("line breaks") << u"SELECT *\r\nFROM Win32_NetworkAdapterConfiguration\nWHERE IPEnabled= True"_s
                                     << true;
        QTest::newRow("words run together")
            << u"SELECT*FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled=True"_s << false;
        QTest::newRow("word split") << u"SELECT * FROM Win32_Network AdapterConfiguration WHERE IPEnabled=True"_s
                                    << false;
        QTest::newRow("other class") << u"SELECT * FROM Win32_NetworkAdapter WHERE IPEnabled = True"_s << false;
        QTest::newRow("no filter") << u"SELECT * FROM Win32_NetworkAdapterConfiguration"_s << false;
        QTest::newRow("other filter") << u"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = False"_s
                                      << false;
        QTest::newRow("appended clause")
            << u"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True AND Index = 1"_s << false;
        QTest::newRow("empty") << QString() << false;
    }
    void acceptsOnlyTheAdapterQuery()
    {
        QFETCH(QString, query);
        QFETCH(bool, accepted);
        QCOMPARE(IsAdapterQuery(text(query)), accepted);
    }

    void parsesObjectPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("index"); // -1: refused
        QTest::newRow("apply form") << u"Win32_NetworkAdapterConfiguration.Index=1"_s << qint64(1);
        QTest::newRow("letter case") << u"win32_networkadapterconfiguration.INDEX=12"_s << qint64(12);
        QTest::newRow("zero") << u"Win32_NetworkAdapterConfiguration.Index=0"_s << qint64(0);
        QTest::newRow("ten digits") << u"Win32_NetworkAdapterConfiguration.Index=9999999999"_s << qint64(9999999999);
        QTest::newRow("eleven digits") << u"Win32_NetworkAdapterConfiguration.Index=10000000000"_s << qint64(-1);
        QTest::newRow("no number") << u"Win32_NetworkAdapterConfiguration.Index="_s << qint64(-1);
        QTest::newRow("negative") << u"Win32_NetworkAdapterConfiguration.Index=-1"_s << qint64(-1);
        QTest::newRow("plus sign") << u"Win32_NetworkAdapterConfiguration.Index=+1"_s << qint64(-1);
        QTest::newRow("trailing text") << u"Win32_NetworkAdapterConfiguration.Index=1 "_s << qint64(-1);
        QTest::newRow("blank before") << u" Win32_NetworkAdapterConfiguration.Index=1"_s << qint64(-1);
        QTest::newRow("other key") << u"Win32_NetworkAdapterConfiguration.SettingID=1"_s << qint64(-1);
        QTest::newRow("other class") << u"Win32_NetworkAdapter.Index=1"_s << qint64(-1);
    }
    void parsesObjectPaths()
    {
        QFETCH(QString, path);
        QFETCH(qint64, index);
        QCOMPARE(ParseAdapterPath(text(path)).value_or(-1), index);
    }
};

QTEST_GUILESS_MAIN(TestAdapterConfiguration)
#include "tst_AdapterConfiguration.moc"
