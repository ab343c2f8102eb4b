#include "NmSandbox.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QSet>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <sys/types.h>

using namespace Qt::StringLiterals;

namespace {

// Sites as a user keeps them; the text is plain ASCII, which reads the same in code page 936.
const char kSettings[] = "[Common]\r\n"
                         "Sites=Office,Home,Lab,Taken,VpnUp,VpnDown,Zoned\r\n"
                         "[Office]\r\n"
                         "DHCPEnabled=0\r\nIP=10.77.0.5\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=10.77.0.1\r\n"
                         "ChangeDNS=1\r\nDNS=10.77.0.53\r\nAuxDNS=10.77.0.54\r\n"
                         "ChangeWINS=0\r\nWINS=\r\nAuxWINS=\r\nChangePrinter=0\r\nPrinterName=\r\n"
                         "[Home]\r\n"
                         "DHCPEnabled=1\r\nIP=\r\nSubNetMask=\r\nDefaultGateway=\r\nChangeDNS=0\r\nDNS=\r\nAuxDNS=\r\n"
                         "ChangeWINS=0\r\nWINS=\r\nAuxWINS=\r\nChangePrinter=0\r\nPrinterName=\r\n"
                         "MatchDNSDomain=sandbox.lanvex.test\r\n"
                         "[Lab]\r\n"
                         "DHCPEnabled=0\r\nIP=10.77.0.9\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=10.77.0.1\r\n"
                         "ChangeDNS=1\r\nDNS=10.77.0.54\r\n"
                         // The peer is given 10.77.0.20 while the address check is tested.
                         "[Taken]\r\n"
                         "DHCPEnabled=0\r\nIP=10.77.0.20\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=10.77.0.1\r\n"
                         "[VpnUp]\r\n"
                         "DHCPEnabled=0\r\nIP=10.77.0.5\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=10.77.0.1\r\n"
                         "ConnectOnApply=Lanvex Test Tunnel,No Such Tunnel\r\n"
                         "[VpnDown]\r\n"
                         "DHCPEnabled=0\r\nIP=10.77.0.9\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=10.77.0.1\r\n"
                         "DisconnectOnApply=Lanvex Test Tunnel\r\n"
                         "[Zoned]\r\n"
                         "DHCPEnabled=0\r\nIP=10.77.0.5\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=10.77.0.1\r\n"
                         "FirewallZone=work\r\n";

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
    qint64 ms = 0;
};

// The interactive-authorization flag of a D-Bus message header.
constexpr int kAllowInteractiveAuthorization = 0x4;

} // namespace

// The lanvex executable over the real NetworkManager: a copy beside its own settings file. Each
// change is checked in the kernel after the program has ended, so it must not depend on the
// program staying alive. The backend's own cases are tested through the library.
class TestNetworkManagerCommandLine : public QObject
{
    Q_OBJECT

    NmSandbox m_sandbox;
    QTemporaryDir m_dir;
    QString m_program;

    Run Lanvex(const QStringList& args) { return RunProgram(m_program, args); }

    // The program in the sandbox's network namespace, where the kernel's tables are the device's.
    enum Privileges
    {
        AsRoot,
        WithoutRawSockets, // as a user: no CAP_NET_RAW
    };
    Run LanvexInSandbox(const QStringList& args, Privileges privileges = AsRoot)
    {
        const QStringList dropRaw { u"setpriv"_s, u"--inh-caps=-net_raw"_s, u"--bounding-set=-net_raw"_s };
        return RunProgram(u"ip"_s,
                          QStringList { u"netns"_s, u"exec"_s, m_sandbox.netns() }
                              + (privileges == WithoutRawSockets ? dropRaw : QStringList()) + QStringList { m_program }
                              + args);
    }

    static Run RunProgram(const QString& program, const QStringList& args)
    {
        QProcess process;
        Run run;
        QElapsedTimer timer;
        timer.start();
        process.start(program, args);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            run.out = u"<timed out>"_s;
            return run;
        }
        run.ms = timer.elapsed();
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        run.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
        return run;
    }

    // The static site not live now, so that applying it changes something.
    QString OtherStaticSite() const
    {
        return m_sandbox.ipv4Addresses().contains(u"inet 10.77.0.9/"_s) ? u"Office"_s : u"Lab"_s;
    }
    static QString AddressOf(const QString& site)
    {
        return site == u"Office"_s ? u"10.77.0.5/24"_s : u"10.77.0.9/24"_s;
    }

    // The hardware address of the far end of the device's cable, as lanvex writes MAC addresses.
    QString PeerMac() const
    {
        const QString link = NmSandbox::run(
            u"ip"_s, { u"-n"_s, m_sandbox.tag + u"-srv"_s, u"-o"_s, u"link"_s, u"show"_s, m_sandbox.tag + u"p"_s });
        return QRegularExpression(u"link/ether ([0-9a-f:]{17})"_s).match(link).captured(1).toUpper();
    }

    bool PeerAddress(const QString& change, const QString& address) const
    {
        return QProcess::execute(
                   u"ip"_s,
                   { u"-n"_s, m_sandbox.tag + u"-srv"_s, u"addr"_s, change, address, u"dev"_s, m_sandbox.tag + u"p"_s })
            == 0;
    }

    // The names of the connections NetworkManager runs now, as nmcli (an observer here) lists them.
    static QStringList ActiveConnections()
    {
        return NmSandbox::run(u"nmcli"_s, { u"-t"_s, u"-f"_s, u"NAME"_s, u"connection"_s, u"show"_s, u"--active"_s })
            .split(u'\n', Qt::SkipEmptyParts);
    }

    QJsonObject Adapter()
    {
        const Run run = Lanvex({ u"--adapters"_s });
        const QJsonArray adapters = QJsonDocument::fromJson(run.out.toUtf8()).array();
        return adapters.size() == 1 ? adapters.first().toObject() : QJsonObject();
    }
private Q_SLOTS:
    void initTestCase()
    {
        if (const QString reason = m_sandbox.unavailableReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
        QVERIFY(m_dir.isValid());
        m_program = m_dir.filePath(u"lanvex"_s);
        QVERIFY(QFile::copy(QStringLiteral(LANVEX_EXECUTABLE), m_program));
        QFile settings(m_dir.filePath(u"lanvex.ini"_s));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(kSettings);
    }

    void appliesStaticSite()
    {
        // In the device's namespace, as on a real machine: the address check reaches the link, finds the
        // address free and says nothing.
        const Run run = LanvexInSandbox({ u"--apply"_s, u"Office"_s, u"--adapter"_s, u"1"_s });
        qInfo("lanvex --apply Office (static): %lld ms for the whole process", run.ms);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.split(QLatin1Char('\n')),
                 (QStringList { "更新IP及子网掩码成功。", "更新网关成功。", "更新DNS成功。", "更新WINS服务器成功。" }));
        const QString addresses = m_sandbox.ipv4Addresses();
        QVERIFY2(addresses.contains(u"inet 10.77.0.5/24"_s), qPrintable(addresses));
        QVERIFY2(m_sandbox.defaultRoute().contains(u"default via 10.77.0.1"_s), qPrintable(m_sandbox.defaultRoute()));
        const QJsonObject adapter = Adapter();
        QCOMPARE(adapter.value(u"position"_s).toInt(-1), 0);
        QCOMPARE(adapter.value(u"Index"_s).toInt(), 1);
        QVERIFY(adapter.value(u"Description"_s).toString().startsWith(m_sandbox.device()));
        QCOMPARE(adapter.value(u"MACAddress"_s).toString(), m_sandbox.macAddress());
        QCOMPARE(adapter.value(u"IP"_s).toString(), u"10.77.0.5"_s);
    }

    void appliesDhcpSite()
    {
        const Run run = Lanvex({ u"--apply"_s, u"Home"_s });
        qInfo("lanvex --apply Home (DHCP): %lld ms for the whole process", run.ms);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, u"设定为DHCP工作方式成功。"_s);
        const QString addresses = m_sandbox.ipv4Addresses();
        QVERIFY2(QRegularExpression(u"inet 10\\.88\\.0\\.1([0-4][0-9]|50)/24"_s).match(addresses).hasMatch(),
                 qPrintable(addresses));
        QCOMPARE(Adapter().value(u"DHCPEnabled"_s).toBool(false), true);
    }

    // The network the lease is on: its gateway, the gateway's MAC address once the kernel knows it,
    // and the domain the DHCP server gave, which the Home site matches.
    void detectsTheNetwork()
    {
        const QString link = NmSandbox::run(
            u"ip"_s, { u"-n"_s, m_sandbox.tag + u"-srv"_s, u"-o"_s, u"link"_s, u"show"_s, m_sandbox.tag + u"p"_s });
        const QString peer = QRegularExpression(u"link/ether ([0-9a-f:]{17})"_s).match(link).captured(1).toUpper();
        QVERIFY(!peer.isEmpty());
        m_sandbox.ip({ u"neigh"_s, u"replace"_s, u"10.88.0.1"_s, u"lladdr"_s, peer, u"dev"_s, m_sandbox.device(),
                       u"nud"_s, u"reachable"_s });
        const Run run = LanvexInSandbox({ u"--detect"_s });
        QCOMPARE(run.exitCode, 0);
        const QJsonArray adapters = QJsonDocument::fromJson(run.out.toUtf8()).array();
        QCOMPARE(adapters.size(), 1);
        const QJsonObject adapter = adapters.first().toObject();
        QCOMPARE(adapter.value(u"InterfaceName"_s).toString(), m_sandbox.device());
        QCOMPARE(adapter.value(u"Gateway"_s).toString(), u"10.88.0.1"_s);
        QCOMPARE(adapter.value(u"GatewayMAC"_s).toString(), peer);
        QCOMPARE(adapter.value(u"SSID"_s).toString(u"<none>"_s), QString());
        QCOMPARE(adapter.value(u"DNSDomain"_s).toString(), u"sandbox.lanvex.test"_s);
        QCOMPARE(adapter.value(u"Matches"_s).toArray(), QJsonArray { u"Home"_s });
        QCOMPARE(adapter.value(u"Live"_s).toString(), u"Home"_s);
    }

    // --watch in the sandbox's namespace: the gateway's MAC address changed alone, which
    // NetworkManager never signals, reaches it through the kernel's neighbour messages; the line
    // is the one --detect gives.
    void watchHearsTheGatewaysMacAddress()
    {
        QProcess watch;
        watch.start(u"ip"_s, { u"netns"_s, u"exec"_s, m_sandbox.netns(), m_program, u"--watch"_s });
        const auto cleanup = qScopeGuard([&] {
            watch.kill();
            watch.waitForFinished();
        });
        const auto nextLine = [&watch](int milliseconds) {
            QElapsedTimer timer;
            timer.start();
            while (!watch.canReadLine() && timer.elapsed() < milliseconds)
                watch.waitForReadyRead(50);
            return QJsonDocument::fromJson(watch.readLine()).object();
        };
        QCOMPARE(nextLine(20000).value(u"InterfaceName"_s).toString(), m_sandbox.device());
        const QString mac = u"02:00:5E:10:00:31"_s;
        m_sandbox.ip({ u"neigh"_s, u"replace"_s, u"10.88.0.1"_s, u"lladdr"_s, mac, u"dev"_s, m_sandbox.device(),
                       u"nud"_s, u"reachable"_s });
        const QJsonObject changed = nextLine(5000);
        QCOMPARE(changed.value(u"GatewayMAC"_s).toString(), mac);
        QCOMPARE(changed.value(u"Gateway"_s).toString(), u"10.88.0.1"_s);
        QCOMPARE(changed.value(u"Live"_s).toString(), u"Home"_s);
    }

    // The interface name and the MAC address choose the adapter as its number does.
    void choosesTheAdapterByName()
    {
        QCOMPARE(Adapter().value(u"InterfaceName"_s).toString(), m_sandbox.device());
        for (const QString& name : { m_sandbox.device(), m_sandbox.macAddress().toLower() }) {
            const QString site = OtherStaticSite();
            const Run run = Lanvex({ u"--apply"_s, site, u"--adapter"_s, name });
            QCOMPARE(run.exitCode, 0);
            QVERIFY2(m_sandbox.ipv4Addresses().contains(u"inet "_s + AddressOf(site)),
                     qPrintable(m_sandbox.ipv4Addresses()));
        }
        const QString before = m_sandbox.ipv4Addresses();
        const Run unknown = Lanvex({ u"--apply"_s, u"Office"_s, u"--adapter"_s, u"eth9"_s });
        QCOMPARE(unknown.exitCode, 2);
        QCOMPARE(unknown.out, QString());
        QCOMPARE(m_sandbox.ipv4Addresses(), before);
    }

    // Every call that changes something may open an authorization prompt; no read may.
    void changesAllowInteractiveAuthorization()
    {
        QProcess monitor;
        monitor.start(
            u"busctl"_s,
            { u"--address="_s + qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS"), u"monitor"_s, u"--json=short"_s });
        if (!monitor.waitForStarted())
            QSKIP("busctl is not installed");
        // It writes nothing until it ends, so it gets a moment to join the bus; had it come too late,
        // the calls checked below would be missing.
        QTest::qWait(500);
        const Run run = Lanvex({ u"--apply"_s, OtherStaticSite() });
        QCOMPARE(run.exitCode, 0);
        QTest::qWait(300); // the last messages reach the monitor
        monitor.terminate();
        QVERIFY(monitor.waitForFinished(5000));

        const QSet<QString> changing { "AddConnection", "Update", "Delete", "ActivateConnection", "Reapply" };
        QSet<QString> changed;
        QSet<QString> read;
        for (const QByteArray& line : monitor.readAllStandardOutput().split('\n')) {
            const QJsonObject message = QJsonDocument::fromJson(line).object();
            if (message.value(u"type"_s) != u"method_call"_s
                || message.value(u"destination"_s) != u"org.freedesktop.NetworkManager"_s)
                continue;
            const QString member = message.value(u"member"_s).toString();
            const bool interactive = (message.value(u"flags"_s).toInt() & kAllowInteractiveAuthorization) != 0;
            QVERIFY2(interactive == changing.contains(member), qPrintable(member));
            (interactive ? changed : read).insert(member);
        }
        QVERIFY2(changed.contains(u"Update"_s) && changed.contains(u"Reapply"_s),
                 qPrintable(changed.values().join(',')));
        QVERIFY2(read.contains(u"GetPermissions"_s), qPrintable(read.values().join(',')));
    }

    // NetworkManager stopped for 10 s as the program starts: it says it could not reach the service
    // and changes nothing. (Stops in the middle of an apply are tested through the library.)
    void staysTrueWhenNetworkManagerStalls()
    {
        const QString site = OtherStaticSite();
        const QString before = m_sandbox.ipv4Addresses();
        QVERIFY(m_sandbox.signalNetworkManager(SIGSTOP));
        auto resume = qScopeGuard([this] { m_sandbox.signalNetworkManager(SIGCONT); });
        QElapsedTimer stopped;
        stopped.start();
        const Run run = Lanvex({ u"--apply"_s, site });
        QThread::msleep(static_cast<unsigned long>(std::max<qint64>(0, 10000 - stopped.elapsed())));
        resume.dismiss();
        QVERIFY(m_sandbox.signalNetworkManager(SIGCONT));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, u"无法连接系统的网络管理服务，设置未生效。"_s);
        QTest::qWait(2000);
        QCOMPARE(m_sandbox.ipv4Addresses(), before);
        QVERIFY(!m_sandbox.savedProfiles().contains(u"address1="_s + AddressOf(site)));
    }

    // Without a link a static address can still be set, and is reported so; DHCP finds no lease,
    // and the summary says that the new setting is saved for when the cable is back.
    void reportsTheTruthWithoutALink()
    {
        QVERIFY(m_sandbox.setPeerLink(false));
        auto relink = qScopeGuard([this] { m_sandbox.setPeerLink(true); });
        QTRY_VERIFY_WITH_TIMEOUT(m_sandbox.ip({ u"link"_s, u"show"_s, m_sandbox.device() }).contains(u"NO-CARRIER"_s),
                                 5000);

        const QString site = OtherStaticSite();
        const Run apply = LanvexInSandbox({ u"--apply"_s, site });
        const bool live = m_sandbox.ipv4Addresses().contains(u"inet "_s + AddressOf(site));
        QCOMPARE(apply.exitCode == 0, live);
        QCOMPARE(apply.out.contains(u"更新IP及子网掩码成功。"_s), live);
        // No link to ask: silence there is no proof that the address is free, and the summary says so.
        const QString unchecked = u"未能检查IP地址%1是否已被占用。"_s.arg(AddressOf(site).section(u'/', 0, 0));
        QVERIFY2(apply.out.startsWith(unchecked), qPrintable(apply.out));

        const Run dhcp = Lanvex({ u"--apply"_s, u"Home"_s });
        QCOMPARE(dhcp.exitCode, 1);
        QCOMPARE(dhcp.out.split(u'\n'),
                 (QStringList { "设定为DHCP工作方式失败。", "新设置已保存，网卡接通网络后生效。" }));
        QVERIFY(!m_sandbox.ipv4Addresses().contains(u"inet 10.88."_s));
        QVERIFY2(m_sandbox.savedProfiles().contains(u"method=auto"_s), qPrintable(m_sandbox.savedProfiles()));
        QCOMPARE(m_sandbox.savedProfiles().count(u"[connection]"_s), 1); // the one profile, changed

        // With the cable back, the saved setting takes effect.
        relink.dismiss();
        QVERIFY(m_sandbox.setPeerLink(true));
        QTRY_VERIFY_WITH_TIMEOUT(m_sandbox.ipv4Addresses().contains(u"inet 10.88."_s), 30000);
    }

    // The address check asks the link itself: an address the peer holds stops the apply before
    // anything changes, naming the peer's MAC address; a free one is applied after the check.
    void refusesAnAddressAnotherHostHolds()
    {
        QVERIFY(PeerAddress(u"add"_s, u"10.77.0.20/24"_s));
        const auto release = qScopeGuard([this] { PeerAddress(u"del"_s, u"10.77.0.20/24"_s); });
        const QString peer = PeerMac();
        QVERIFY(!peer.isEmpty());
        const QString before = m_sandbox.ipv4Addresses();
        const QString profiles = m_sandbox.savedProfiles();

        const QString refusal = u"IP地址10.77.0.20已被网卡地址为%1的另一台主机使用，设置未生效。"_s.arg(peer);
        const Run taken = LanvexInSandbox({ u"--apply"_s, u"Taken"_s });
        QCOMPARE(taken.exitCode, 1);
        QCOMPARE(taken.out, refusal);
        QCOMPARE(m_sandbox.ipv4Addresses(), before);
        QCOMPARE(m_sandbox.savedProfiles(), profiles);

        const QString site = OtherStaticSite();
        const Run free = LanvexInSandbox({ u"--apply"_s, site });
        QCOMPARE(free.exitCode, 0);
        QVERIFY2(free.out.startsWith(u"更新IP及子网掩码成功。"_s), qPrintable(free.out));
        QVERIFY2(m_sandbox.ipv4Addresses().contains(u"inet "_s + AddressOf(site)),
                 qPrintable(m_sandbox.ipv4Addresses()));

        // As a user without CAP_NET_RAW, in the subnet the device is on now: the kernel's own ARP,
        // read from the neighbour table, both for the taken address and for a free one.
        const QString onSubnet = m_sandbox.ipv4Addresses();
        const Run asUser = LanvexInSandbox({ u"--apply"_s, u"Taken"_s }, WithoutRawSockets);
        QCOMPARE(asUser.exitCode, 1);
        QCOMPARE(asUser.out, refusal);
        QCOMPARE(m_sandbox.ipv4Addresses(), onSubnet);
        const QString other = OtherStaticSite();
        const Run freeAsUser = LanvexInSandbox({ u"--apply"_s, other }, WithoutRawSockets);
        QCOMPARE(freeAsUser.exitCode, 0);
        QVERIFY2(freeAsUser.out.startsWith(u"更新IP及子网掩码成功。"_s), qPrintable(freeAsUser.out));
    }

    // A saved connection of the system, brought up after one apply and down before another by its
    // name; a second veth pair stands in for a tunnel (dummy devices need a kernel module). A name
    // the system does not know fails alone.
    void bringsConnectionsUpAndDown()
    {
        const QString tunnel = u"Lanvex Test Tunnel"_s;
        const QString tunnelDevice = m_sandbox.tag + u"t"_s;
        QCOMPARE(QProcess::execute(u"ip"_s,
                                   { u"-n"_s, m_sandbox.netns(), u"link"_s, u"add"_s, tunnelDevice, u"type"_s,
                                     u"veth"_s, u"peer"_s, u"name"_s, m_sandbox.tag + u"u"_s }),
                 0);
        const auto removeDevice = qScopeGuard([&] { m_sandbox.ip({ u"link"_s, u"del"_s, tunnelDevice }); });
        m_sandbox.ip({ u"link"_s, u"set"_s, m_sandbox.tag + u"u"_s, u"up"_s });
        const QString added
            = NmSandbox::run(u"nmcli"_s,
                             { u"connection"_s, u"add"_s, u"type"_s, u"ethernet"_s, u"ifname"_s, tunnelDevice,
                               u"con-name"_s, tunnel, u"autoconnect"_s, u"no"_s, u"ipv4.method"_s, u"manual"_s,
                               u"ipv4.addresses"_s, u"10.66.0.1/24"_s, u"ipv6.method"_s, u"disabled"_s });
        QVERIFY2(added.contains(u"successfully added"_s), qPrintable(added));
        const auto removeProfile = qScopeGuard([&] {
            NmSandbox::run(u"nmcli"_s, { u"connection"_s, u"delete"_s, tunnel });
        });
        QVERIFY(!ActiveConnections().contains(tunnel));

        const QStringList onDevice { u"--adapter"_s, m_sandbox.device() };
        const Run up = LanvexInSandbox(QStringList { u"--apply"_s, u"VpnUp"_s } + onDevice);
        QCOMPARE(up.exitCode, 1); // the unknown name
        QVERIFY2(up.out.contains(u"已连接“Lanvex Test Tunnel”。"_s), qPrintable(up.out));
        QVERIFY2(up.out.contains(u"未找到连接“No Such Tunnel”。"_s), qPrintable(up.out));
        QVERIFY2(ActiveConnections().contains(tunnel), qPrintable(ActiveConnections().join(u',')));
        const QString tunnelAddress
            = m_sandbox.ip({ u"-4"_s, u"-o"_s, u"addr"_s, u"show"_s, u"dev"_s, m_sandbox.tag + u"t"_s });
        QVERIFY2(tunnelAddress.contains(u"inet 10.66.0.1/24"_s), qPrintable(tunnelAddress));

        const Run down = LanvexInSandbox(QStringList { u"--apply"_s, u"VpnDown"_s } + onDevice);
        QCOMPARE(down.exitCode, 0);
        QVERIFY2(down.out.startsWith(u"已断开连接“Lanvex Test Tunnel”。"_s), qPrintable(down.out));
        QVERIFY2(!ActiveConnections().contains(tunnel), qPrintable(ActiveConnections().join(u',')));
        // Down already: left so, with success.
        QCOMPARE(LanvexInSandbox(QStringList { u"--apply"_s, u"VpnDown"_s } + onDevice).exitCode, 0);
    }

    // The zone goes into the device's profile, and the profile NetworkManager applied reads it back.
    void setsTheFirewallZone()
    {
        const Run zoned = LanvexInSandbox({ u"--apply"_s, u"Zoned"_s });
        QCOMPARE(zoned.exitCode, 0);
        QVERIFY2(zoned.out.contains(u"防火墙区域已设为“work”。"_s), qPrintable(zoned.out));
        QVERIFY2(m_sandbox.savedProfiles().contains(u"\nzone=work\n"_s), qPrintable(m_sandbox.savedProfiles()));
        const QString devicePath
            = NmSandbox::run(u"nmcli"_s,
                             { u"-g"_s, u"GENERAL.DBUS-PATH"_s, u"device"_s, u"show"_s, m_sandbox.device() })
                  .trimmed();
        const QString applied
            = NmSandbox::run(u"busctl"_s,
                             { u"--address=unix:path="_s + m_sandbox.dir + u"/bus.sock"_s, u"--json=short"_s, u"call"_s,
                               u"org.freedesktop.NetworkManager"_s, devicePath,
                               u"org.freedesktop.NetworkManager.Device"_s, u"GetAppliedConnection"_s, u"u"_s, u"0"_s });
        QVERIFY2(applied.contains(u"\"zone\":{\"type\":\"s\",\"data\":\"work\"}"_s), qPrintable(applied));
        // --adapters reads it back, with the computer's name.
        const QJsonObject adapter = Adapter();
        QCOMPARE(adapter.value(u"FirewallZone"_s).toString(), u"work"_s);
        QCOMPARE(adapter.value(u"HostName"_s).toString(), QSysInfo::machineHostName());
    }

    // Runs last: stops NetworkManager and starts it again afterwards.
    void failsPromptlyWithoutNetworkManager()
    {
        QVERIFY(m_sandbox.stopNetworkManager());
        const auto restart = qScopeGuard([this] { m_sandbox.startNetworkManager(); });
        const Run apply = Lanvex({ u"--apply"_s, u"Office"_s });
        QCOMPARE(apply.exitCode, 1);
        QCOMPARE(apply.out, u"无法连接系统的网络管理服务，设置未生效。"_s);
        QVERIFY2(apply.ms < 5000, qPrintable(QString::number(apply.ms)));
        // "None" and "could not read" differ.
        const Run adapters = Lanvex({ u"--adapters"_s });
        QCOMPARE(adapters.exitCode, 1);
        QCOMPARE(adapters.out, QString());
        QVERIFY(!adapters.err.isEmpty());
        QVERIFY2(adapters.ms < 5000, qPrintable(QString::number(adapters.ms)));
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerCommandLine)
#include "tst_NetworkManagerCommandLine.moc"
