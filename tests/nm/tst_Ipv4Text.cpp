#include "net/nm/Ipv4Text.h"

#include <QtTest>

using namespace lanvex::net::nm;

class TestIpv4Text : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesAddresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("canonical");
        QTest::newRow("plain") << "10.77.0.5" << true << "10.77.0.5";
        QTest::newRow("leading zeros are decimal, not octal") << "010.077.000.008" << true << "10.77.0.8";
        QTest::newRow("blanks around") << " 192.168.1.1\t" << true << "192.168.1.1";
        QTest::newRow("extremes") << "255.255.255.255" << true << "255.255.255.255";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("octet too big") << "10.77.0.256" << false << "";
        QTest::newRow("four digits") << "10.77.0.0005" << false << "";
        QTest::newRow("three parts") << "10.77.5" << false << "";
        QTest::newRow("five parts") << "10.77.0.5.1" << false << "";
        QTest::newRow("trailing dot") << "10.77.0.5." << false << "";
        QTest::newRow("empty part") << "10..0.5" << false << "";
        QTest::newRow("sign") << "10.77.0.+5" << false << "";
        QTest::newRow("prefix notation") << "10.77.0.5/24" << false << "";
        QTest::newRow("shell text") << "10.77.0.5; reboot" << false << "";
        QTest::newRow("inner blank") << "10.77. 0.5" << false << "";
        QTest::newRow("hex") << "0x0a.77.0.5" << false << "";
    }
    void parsesAddresses()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, canonical);
        const auto address = ParseIPv4(text.toStdString());
        QCOMPARE(address.has_value(), valid);
        if (valid)
            QCOMPARE(QString::fromStdString(FormatIPv4(*address)), canonical);
    }

    void convertsMasks_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<int>("prefix"); // -1: refused
        QTest::newRow("/24") << "255.255.255.0" << 24;
        QTest::newRow("/1") << "128.0.0.0" << 1;
        QTest::newRow("/23") << "255.255.254.0" << 23;
        QTest::newRow("/32") << "255.255.255.255" << 32;
        QTest::newRow("/0") << "0.0.0.0" << 0;
        QTest::newRow("hole") << "255.0.255.0" << -1;
        QTest::newRow("reversed") << "0.255.255.255" << -1;
        QTest::newRow("stray low bit") << "255.255.255.1" << -1;
        QTest::newRow("not an address") << "255.255.255" << -1;
    }
    void convertsMasks()
    {
        QFETCH(QString, mask);
        QFETCH(int, prefix);
        const auto result = MaskToPrefix(mask.toStdString());
        QCOMPARE(result.value_or(-1), prefix);
        if (prefix >= 0)
            QCOMPARE(QString::fromStdString(PrefixToMask(prefix)),
                     QString::fromStdString(FormatIPv4(*ParseIPv4(mask.toStdString()))));
    }

    void judgesHostAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("prefix");
        QTest::addColumn<bool>("host");
        QTest::newRow("ordinary") << "10.77.0.5" << 24 << true;
        QTest::newRow("network address") << "10.77.0.0" << 24 << false;
        QTest::newRow("broadcast") << "10.77.0.255" << 24 << false;
        QTest::newRow("broadcast of /23") << "10.77.1.255" << 23 << false;
        QTest::newRow("middle of /23") << "10.77.0.255" << 23 << true;
        QTest::newRow("/31 ends are hosts") << "10.77.0.0" << 31 << true;
        QTest::newRow("zero net") << "0.1.2.3" << 8 << false;
        QTest::newRow("loopback") << "127.0.0.1" << 8 << false;
        QTest::newRow("multicast") << "224.0.0.1" << 24 << false;
        QTest::newRow("limited broadcast") << "255.255.255.255" << 32 << false;
    }
    void judgesHostAddresses()
    {
        QFETCH(QString, address);
        QFETCH(int, prefix);
        QFETCH(bool, host);
        QCOMPARE(IsHostAddress(*ParseIPv4(address.toStdString()), prefix), host);
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
        QCOMPARE(QString::fromStdString(FormatMACAddress(raw.toStdString()).value_or("")), shown);
    }

    void acceptsOnlyTheAdapterQuery_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("list form") << "Select * From Win32_NetworkAdapterConfiguration Where IPEnabled=TRUE" << true;
        QTest::newRow("apply form") << "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True" << true;
        QTest::newRow("extra blanks") << "  select *  from\twin32_networkadapterconfiguration where ipenabled =true "
                                      << true;
        QTest::newRow("other class") << "SELECT * FROM Win32_NetworkAdapter WHERE IPEnabled = True" << false;
        QTest::newRow("no filter") << "SELECT * FROM Win32_NetworkAdapterConfiguration" << false;
        QTest::newRow("other filter") << "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = False"
                                      << false;
        QTest::newRow("appended clause")
            << "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True AND Index = 1" << false;
    }
    void acceptsOnlyTheAdapterQuery()
    {
        QFETCH(QString, query);
        QFETCH(bool, accepted);
        QCOMPARE(IsAdapterQuery(query.toStdString()), accepted);
    }

    void parsesObjectPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("index"); // -1: refused
        QTest::newRow("apply form") << "Win32_NetworkAdapterConfiguration.Index=1" << qint64(1);
        QTest::newRow("letter case") << "win32_networkadapterconfiguration.INDEX=12" << qint64(12);
        QTest::newRow("no number") << "Win32_NetworkAdapterConfiguration.Index=" << qint64(-1);
        QTest::newRow("negative") << "Win32_NetworkAdapterConfiguration.Index=-1" << qint64(-1);
        QTest::newRow("trailing text") << "Win32_NetworkAdapterConfiguration.Index=1 " << qint64(-1);
        QTest::newRow("other key") << "Win32_NetworkAdapterConfiguration.SettingID=1" << qint64(-1);
        QTest::newRow("huge") << "Win32_NetworkAdapterConfiguration.Index=99999999999999999999" << qint64(-1);
    }
    void parsesObjectPaths()
    {
        QFETCH(QString, path);
        QFETCH(qint64, index);
        QCOMPARE(ParseAdapterPath(path.toStdString()).value_or(-1), index);
    }
};

QTEST_GUILESS_MAIN(TestIpv4Text)
#include "tst_Ipv4Text.moc"
