// The adapter configuration's text rules that every backend applies to the values it is handed.
#include "net/AdapterConfiguration.h"

#include <QtTest>

using namespace lanvex::net;

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
        QTest::newRow("plain") << "10.77.0.5"
                               << "10.77.0.5";
        QTest::newRow("leading zeros are decimal, not octal") << "010.077.000.008"
                                                              << "10.77.0.8";
        QTest::newRow("all ones") << "255.255.255.255"
                                  << "255.255.255.255";
        QTest::newRow("all zeros") << "0.0.0.0"
                                   << "0.0.0.0";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("octet too big") << "10.77.0.256"
                                       << "";
        QTest::newRow("four digits with leading zeros") << "10.77.0.0005"
                                                        << "10.77.0.5";
        QTest::newRow("many digits, too big") << "10.77.0.00000000256"
                                              << "";
        QTest::newRow("three parts") << "10.77.5"
                                     << "";
        QTest::newRow("five parts") << "10.77.0.5.1"
                                    << "";
        QTest::newRow("trailing dot") << "10.77.0.5."
                                      << "";
        QTest::newRow("leading dot") << ".10.77.0.5"
                                     << "";
        QTest::newRow("empty part") << "10..0.5"
                                    << "";
        QTest::newRow("sign") << "10.77.0.+5"
                              << "";
        QTest::newRow("negative") << "10.77.-0.5"
                                  << "";
        QTest::newRow("prefix notation") << "10.77.0.5/24"
                                         << "";
        QTest::newRow("shell text") << "10.77.0.5; reboot"
                                    << "";
        QTest::newRow("blank before") << " 192.168.1.1"
                                      << "";
        QTest::newRow("tab after") << "192.168.1.1\t"
                                   << "";
        QTest::newRow("inner blank") << "10.77. 0.5"
                                     << "";
        QTest::newRow("hex") << "0x0a.77.0.5"
                             << "";
        QTest::newRow("full-width digit") << QString::fromUtf8("10.77.0.\xEF\xBC\x95") << "";
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
        QTest::newRow("/24") << "255.255.255.0" << 24;
        QTest::newRow("/1") << "128.0.0.0" << 1;
        QTest::newRow("/23") << "255.255.254.0" << 23;
        QTest::newRow("/31") << "255.255.255.254" << 31;
        QTest::newRow("/32") << "255.255.255.255" << 32;
        QTest::newRow("leading zeros") << "255.255.255.000" << 24;
        QTest::newRow("no one bits") << "0.0.0.0" << -1;
        QTest::newRow("hole") << "255.0.255.0" << -1;
        QTest::newRow("reversed") << "0.255.255.255" << -1;
        QTest::newRow("stray low bit") << "255.255.255.1" << -1;
        QTest::newRow("not an address") << "255.255.255" << -1;
        QTest::newRow("prefix length") << "24" << -1;
        QTest::newRow("blank after") << "255.255.255.0 " << -1;
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
        QTest::newRow("ordinary") << "10.77.0.5" << 24 << true << true;
        QTest::newRow("network address") << "10.77.0.0" << 24 << false << true;
        QTest::newRow("broadcast") << "10.77.0.255" << 24 << false << true;
        QTest::newRow("broadcast of /23") << "10.77.1.255" << 23 << false << true;
        QTest::newRow("middle of /23") << "10.77.0.255" << 23 << true << true;
        QTest::newRow("network of /30") << "10.77.0.4" << 30 << false << true;
        QTest::newRow("broadcast of /30") << "10.77.0.7" << 30 << false << true;
        QTest::newRow("host of /30") << "10.77.0.5" << 30 << true << true;
        QTest::newRow("/31 ends are hosts") << "10.77.0.0" << 31 << true << true;
        QTest::newRow("gateway ending in 0") << "10.77.0.0" << 32 << true << true;
        QTest::newRow("zero net") << "0.1.2.3" << 8 << false << false;
        QTest::newRow("zero net as gateway") << "0.0.0.0" << 32 << false << false;
        QTest::newRow("loopback") << "127.0.0.1" << 8 << false << true;
        QTest::newRow("local resolver") << "127.0.0.53" << 32 << false << true;
        QTest::newRow("last before multicast") << "223.255.255.254" << 24 << true << true;
        QTest::newRow("multicast") << "224.0.0.1" << 24 << false << false;
        QTest::newRow("reserved") << "240.0.0.1" << 32 << false << false;
        QTest::newRow("limited broadcast") << "255.255.255.255" << 32 << false << false;
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
        QTest::newRow("same /24") << "10.77.0.5"
                                  << "10.77.0.1" << 24 << true;
        QTest::newRow("next /24") << "10.77.0.5"
                                  << "10.77.1.1" << 24 << false;
        QTest::newRow("same /23") << "10.77.0.5"
                                  << "10.77.1.1" << 23 << true;
        QTest::newRow("/32 is one address") << "10.77.0.5"
                                            << "10.77.0.6" << 32 << false;
        QTest::newRow("/0 holds everything") << "10.77.0.5"
                                             << "192.168.1.1" << 0 << true;
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
        QTest::newRow("lower case") << "ce:5b:39:4e:ea:1b"
                                    << "CE:5B:39:4E:EA:1B";
        QTest::newRow("dashes") << "00-1a-2B-3c-4D-5e"
                                << "00:1A:2B:3C:4D:5E";
        QTest::newRow("infiniband length") << "80:00:02:08:fe:80:00:00:00:00:00:00:00:02:c9:03:00:0f:a1:b1"
                                           << "";
        QTest::newRow("not hex") << "zz:5b:39:4e:ea:1b"
                                 << "";
        QTest::newRow("misplaced separator") << "ce5:b:39:4e:ea:1b"
                                             << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void formatsHardwareAddresses()
    {
        QFETCH(QString, raw);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(FormatMACAddress(text(raw)).value_or("")), shown);
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
        QTest::newRow("as spelled") << "EnableStatic"
                                    << "EnableStatic";
        QTest::newRow("lower case") << "enabledhcp"
                                    << "EnableDHCP";
        QTest::newRow("upper case") << "SETDNSSERVERSEARCHORDER"
                                    << "SetDNSServerSearchOrder";
        QTest::newRow("gateways") << "setGateways"
                                  << "SetGateways";
        QTest::newRow("wins") << "SetWinsServer"
                              << "SetWINSServer";
        QTest::newRow("trailing blank") << "EnableDHCP "
                                        << "";
        QTest::newRow("part of a name") << "Enable"
                                        << "";
        QTest::newRow("other method") << "ReleaseDHCPLease"
                                      << "";
        QTest::newRow("empty") << ""
                               << "";
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
        QTest::newRow("list form") << "winmgmts:" << true;
        QTest::newRow("apply form") << "winmgmts:\\\\.\\root\\cimv2" << true;
        QTest::newRow("letter case") << "WinMgmts:" << true;
        QTest::newRow("no colon") << "winmgmts" << false;
        QTest::newRow("blank before") << " winmgmts:" << false;
        QTest::newRow("other scheme") << "ldap:" << false;
        QTest::newRow("empty") << "" << false;
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
        QTest::newRow("list form") << "Select * From Win32_NetworkAdapterConfiguration Where IPEnabled=TRUE" << true;
        QTest::newRow("apply form") << "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True" << true;
        QTest::newRow("extra blanks") << "  select *  from\twin32_networkadapterconfiguration where ipenabled =true "
                                      << true;
        QTest::newRow("line breaks") << "SELECT *\r\nFROM Win32_NetworkAdapterConfiguration\nWHERE IPEnabled= True"
                                     << true;
        QTest::newRow("words run together")
            << "SELECT*FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled=True" << false;
        QTest::newRow("word split") << "SELECT * FROM Win32_Network AdapterConfiguration WHERE IPEnabled=True" << false;
        QTest::newRow("other class") << "SELECT * FROM Win32_NetworkAdapter WHERE IPEnabled = True" << false;
        QTest::newRow("no filter") << "SELECT * FROM Win32_NetworkAdapterConfiguration" << false;
        QTest::newRow("other filter") << "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = False"
                                      << false;
        QTest::newRow("appended clause")
            << "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True AND Index = 1" << false;
        QTest::newRow("empty") << "" << false;
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
        QTest::newRow("apply form") << "Win32_NetworkAdapterConfiguration.Index=1" << qint64(1);
        QTest::newRow("letter case") << "win32_networkadapterconfiguration.INDEX=12" << qint64(12);
        QTest::newRow("zero") << "Win32_NetworkAdapterConfiguration.Index=0" << qint64(0);
        QTest::newRow("ten digits") << "Win32_NetworkAdapterConfiguration.Index=9999999999" << qint64(9999999999);
        QTest::newRow("eleven digits") << "Win32_NetworkAdapterConfiguration.Index=10000000000" << qint64(-1);
        QTest::newRow("huge") << "Win32_NetworkAdapterConfiguration.Index=99999999999999999999" << qint64(-1);
        QTest::newRow("no number") << "Win32_NetworkAdapterConfiguration.Index=" << qint64(-1);
        QTest::newRow("negative") << "Win32_NetworkAdapterConfiguration.Index=-1" << qint64(-1);
        QTest::newRow("plus sign") << "Win32_NetworkAdapterConfiguration.Index=+1" << qint64(-1);
        QTest::newRow("trailing text") << "Win32_NetworkAdapterConfiguration.Index=1 " << qint64(-1);
        QTest::newRow("blank before") << " Win32_NetworkAdapterConfiguration.Index=1" << qint64(-1);
        QTest::newRow("other key") << "Win32_NetworkAdapterConfiguration.SettingID=1" << qint64(-1);
        QTest::newRow("other class") << "Win32_NetworkAdapter.Index=1" << qint64(-1);
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
