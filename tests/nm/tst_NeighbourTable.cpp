#include "net/nm/NeighbourTable.h"

#include <QtTest>

using namespace lanvex::net::nm;

namespace {

// As the kernel prints them: padded columns, a heading, and entries of several interfaces.
const char kArp[] = "IP address       HW type     Flags       HW address            Mask     Device\n"
                    "10.88.0.10       0x1         0x2         02:aa:bb:cc:dd:10     *        lvx0\n"
                    "10.88.0.1        0x1         0x2         02:aa:bb:cc:dd:ee     *        lvx0\n"
                    "10.88.0.1        0x1         0x2         02:11:22:33:44:55     *        wlan0\n"
                    "192.168.1.1      0x1         0x0         00:00:00:00:00:00     *        lvx0\n"
                    "172.16.0.1       0x1         0x6         0A:0B:0C:0D:0E:0F     *        eno1\n";

// Little-endian numbers whose bytes are the address in network order, as on x86.
const char kRoutes[]
    = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT           \n"
      "lvx0\t00000000\t0100580A\t0003\t0\t0\t100\t00000000\t0\t0\t0                \n"
      "lvx0\t0000580A\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0                \n"
      "ppp0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0                \n"
      "eno1\t00000000\t010010AC\t0003\t0\t0\t600\t00000000\t0\t0\t0                \n";

} // namespace

class TestNeighbourTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsTheCompleteEntryOfTheInterface_data()
    {
        QTest::addColumn<QString>("interfaceName");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mac");
        QTest::newRow("complete, upper-cased") << "lvx0"
                                               << "10.88.0.1"
                                               << "02:AA:BB:CC:DD:EE";
        QTest::newRow("same address, other interface") << "wlan0"
                                                       << "10.88.0.1"
                                                       << "02:11:22:33:44:55";
        QTest::newRow("no prefix match") << "lvx0"
                                         << "10.88.0.10"
                                         << "02:AA:BB:CC:DD:10";
        QTest::newRow("permanent entry") << "eno1"
                                         << "172.16.0.1"
                                         << "0A:0B:0C:0D:0E:0F";
        QTest::newRow("still resolving") << "lvx0"
                                         << "192.168.1.1"
                                         << "";
        QTest::newRow("interface without it") << "eno1"
                                              << "10.88.0.1"
                                              << "";
        QTest::newRow("unknown address") << "lvx0"
                                         << "10.88.0.2"
                                         << "";
        QTest::newRow("heading is no entry") << "Device"
                                             << "IP"
                                             << "";
    }
    void findsTheCompleteEntryOfTheInterface()
    {
        QFETCH(QString, interfaceName);
        QFETCH(QString, address);
        QFETCH(QString, mac);
        QCOMPARE(QString::fromStdString(NeighbourMACIn(kArp, interfaceName.toStdString(), address.toStdString())), mac);
    }

    // Only default routes through a gateway count; a route without a next hop names no gateway.
    void readsTheDefaultGateways()
    {
        using Gateways = std::vector<std::pair<std::string, std::string>>;
        QCOMPARE(DefaultGatewaysIn(kRoutes), (Gateways { { "lvx0", "10.88.0.1" }, { "eno1", "172.16.0.1" } }));
        QCOMPARE(DefaultGatewaysIn(""), Gateways {});
        QCOMPARE(DefaultGatewaysIn("Iface\tDestination\tGateway\nbad line\n"), Gateways {});
    }
};

QTEST_APPLESS_MAIN(TestNeighbourTable)
#include "tst_NeighbourTable.moc"
