#include "NmSandbox.h"
#include "SandboxSites.h"
#include "apply/ApplyProcedure.h"
#include "apply/ApplyResult.h"
#include "net/AdapterConfiguration.h"
#include "net/AdapterQuery.h"
#include "net/nm/NetworkManagerConnector.h"
#include "printer/PrinterSource.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QtTest>
#include <csignal>
#include <thread>
#include <unistd.h>

using namespace lanvex;
using namespace Qt::StringLiterals;
using net::nm::NetworkManagerConnector;

namespace {

// A default printer to be read for static entries.
class OnePrinter : public printer::PrinterSource
{
public:
    std::string DefaultPrinterEntry() const override { return "Office Laser,winspool,Ne01:"; }
    std::vector<std::string> InstalledPrinters() const override { return { "Office Laser" }; }
};

store::SiteProfile StaticSite()
{
    store::SiteProfile site = nm_test::SandboxStaticSite();
    site.ChangeDNS = true;
    site.DNS = "10.77.0.53";
    site.AuxDNS = "10.77.0.54";
    return site;
}

const auto DhcpSite = nm_test::SandboxDhcpSite;

QString ActiveConnectionOf(const QString& interfaceName)
{
    QDBusMessage call
        = QDBusMessage::createMethodCall(u"org.freedesktop.NetworkManager"_s, u"/org/freedesktop/NetworkManager"_s,
                                         u"org.freedesktop.NetworkManager"_s, u"GetDeviceByIpIface"_s);
    call << interfaceName;
    const QDBusMessage device = QDBusConnection::systemBus().call(call, QDBus::Block, 3000);
    if (device.type() != QDBusMessage::ReplyMessage)
        return {};
    QDBusMessage get = QDBusMessage::createMethodCall(u"org.freedesktop.NetworkManager"_s,
                                                      device.arguments().front().value<QDBusObjectPath>().path(),
                                                      u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << u"org.freedesktop.NetworkManager.Device"_s << u"ActiveConnection"_s;
    const QDBusMessage reply = QDBusConnection::systemBus().call(get, QDBus::Block, 3000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    return qvariant_cast<QDBusVariant>(reply.arguments().front()).variant().value<QDBusObjectPath>().path();
}

QStringList TextsOf(const net::Value& value)
{
    const auto* texts = std::get_if<std::vector<std::string>>(&value);
    if (!texts)
        return { u"<not a list of texts>"_s };
    QStringList result;
    for (const std::string& text : *texts)
        result.append(QString::fromStdString(text));
    return result;
}

std::string TextOf(const net::Value& value)
{
    const auto* text = std::get_if<std::string>(&value);
    return text ? *text : std::string("<not a text>");
}

// Passes everything to NetworkManager; when the apply calls `method`, NetworkManager is stopped
// `afterMs` later, for 10 s.
class StallingConnector : public net::ServiceConnector
{
public:
    StallingConnector(const NmSandbox& sandbox, std::string method, int afterMs)
        : m_sandbox(sandbox)
        , m_method(std::move(method))
        , m_afterMs(afterMs)
    { }
    ~StallingConnector() override
    {
        if (m_stall.joinable())
            m_stall.join();
    }

    std::unique_ptr<net::ManagementService> Connect(std::string_view moniker) override
    {
        struct Object : net::ManagementObject
        {
            net::ObjectRef inner;
            StallingConnector* owner;
            net::Value Property(std::string_view name) const override { return inner->Property(name); }
            std::uint32_t ExecMethod(std::string_view method, const std::vector<net::Value>& args) override
            {
                if (method == owner->m_method && !owner->m_stall.joinable())
                    owner->m_stall = std::thread([o = owner] { o->Stall(); });
                return inner->ExecMethod(method, args);
            }
        };
        struct Service : net::ManagementService
        {
            std::unique_ptr<net::ManagementService> inner;
            StallingConnector* owner;
            net::ObjectRef Wrap(net::ObjectRef object)
            {
                auto wrapped = std::make_shared<Object>();
                wrapped->inner = std::move(object);
                wrapped->owner = owner;
                return wrapped;
            }
            std::vector<net::ObjectRef> ExecQuery(std::string_view q, std::string_view l, std::int32_t f) override
            {
                std::vector<net::ObjectRef> objects = inner->ExecQuery(q, l, f);
                for (net::ObjectRef& object : objects)
                    object = Wrap(object);
                return objects;
            }
            net::ObjectRef Get(std::string_view path, std::int32_t flags) override
            {
                return Wrap(inner->Get(path, flags));
            }
            net::ChangePermission MayChange() override { return inner->MayChange(); }
        };
        auto service = std::make_unique<Service>();
        service->inner = m_inner.Connect(moniker);
        service->owner = this;
        return service;
    }

private:
    void Stall()
    {
        QThread::msleep(static_cast<unsigned long>(m_afterMs));
        const bool stopped = m_sandbox.signalNetworkManager(SIGSTOP);
        QThread::msleep(10000);
        if (stopped)
            m_sandbox.signalNetworkManager(SIGCONT);
    }

    const NmSandbox& m_sandbox;
    NetworkManagerConnector m_inner;
    std::string m_method;
    int m_afterMs;
    std::thread m_stall;
};

} // namespace

class TestNetworkManagerService : public QObject
{
    Q_OBJECT

    NmSandbox m_sandbox;
    OnePrinter m_printers;

    std::int32_t Apply(const store::SiteProfile& site)
    {
        NetworkManagerConnector connector;
        return apply::ApplySteps(connector, 1, site, nullptr, {}).Result;
    }

    // A private connection to the sandbox bus as `uid`: the bus knows a caller by the user it
    // connected as.
    static QDBusConnection ConnectAs(uid_t uid, const QString& name)
    {
        if (seteuid(uid) != 0)
            return QDBusConnection(name);
        QDBusConnection bus = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS"), name);
        if (seteuid(0) != 0)
            qFatal("cannot become root again");
        return bus;
    }

    store::SiteProfile Entry0()
    {
        NetworkManagerConnector connector;
        return net::GetAdapterInfo(connector, m_printers, 1);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString reason = m_sandbox.unavailableReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
    }

    void listsTheManagedDevice()
    {
        NetworkManagerConnector connector;
        const std::vector<std::string> adapters = net::ListAdapters(connector);
        QCOMPARE(adapters.size(), std::size_t(1)); // the veth; loopback is left out
        QVERIFY(QString::fromStdString(adapters.front()).startsWith(m_sandbox.device()));

        auto service = connector.Connect("winmgmts:\\\\.\\root\\cimv2");
        const auto objects
            = service->ExecQuery("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True", "WQL", 16);
        QCOMPARE(objects.size(), std::size_t(1));
        QCOMPARE(std::get<std::int64_t>(objects.front()->Property("Index")), std::int64_t(1));
        QCOMPARE(std::get<bool>(objects.front()->Property("ipenabled")), true);
        QCOMPARE(QString::fromStdString(TextOf(objects.front()->Property("MACAddress"))), m_sandbox.macAddress());
        QVERIFY(!m_sandbox.macAddress().isEmpty());
    }

    void refusesOtherRequests()
    {
        NetworkManagerConnector connector;
        QVERIFY_THROWS_EXCEPTION(net::ServiceError, connector.Connect("ldap://somewhere"));
        auto service = connector.Connect("winmgmts:");
        QVERIFY_THROWS_EXCEPTION(net::ServiceError, service->ExecQuery("SELECT * FROM Win32_Process", "WQL", 16));
        QVERIFY_THROWS_EXCEPTION(
            net::ServiceError,
            service->ExecQuery("Select * From Win32_NetworkAdapterConfiguration Where IPEnabled=TRUE", "SQL", 16));
        QVERIFY_THROWS_EXCEPTION(net::ServiceError, service->Get("Win32_NetworkAdapterConfiguration.Index=2", 0));
        QVERIFY_THROWS_EXCEPTION(net::ServiceError, service->Get("Win32_NetworkAdapterConfiguration.Index=0", 0));
        QVERIFY_THROWS_EXCEPTION(net::ServiceError, service->Get("Win32_Process.Handle=1", 0));
        QVERIFY_THROWS_EXCEPTION(
            net::ServiceError, service->Get("Win32_NetworkAdapterConfiguration.Index=1", 0)->ExecMethod("Reboot", {}));
    }

    // The device starts without any profile: the first apply creates and activates one.
    void appliesStaticSite()
    {
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(Apply(StaticSite()), std::int32_t(apply::kApplyOk));
        qInfo("static apply, new profile: %lld ms", timer.elapsed());

        QVERIFY2(m_sandbox.ipv4Addresses().contains(u"inet 10.77.0.5/24"_s), qPrintable(m_sandbox.ipv4Addresses()));
        QVERIFY2(m_sandbox.defaultRoute().contains(u"default via 10.77.0.1 dev "_s + m_sandbox.device()),
                 qPrintable(m_sandbox.defaultRoute()));

        const store::SiteProfile entry = Entry0();
        QCOMPARE(entry.DHCPEnabled, false);
        QCOMPARE(entry.IP, std::string("10.77.0.5"));
        QCOMPARE(entry.SubNetMask, std::string("255.255.255.0"));
        QCOMPARE(entry.DefaultGateway, std::string("10.77.0.1"));
        QCOMPARE(entry.DNS, std::string("10.77.0.53"));
        QCOMPARE(entry.AuxDNS, std::string("10.77.0.54"));
        QCOMPARE(QString::fromStdString(entry.MACAddress), m_sandbox.macAddress());

        // Saved, so it outlasts a restart.
        const QString saved = m_sandbox.savedProfiles();
        QVERIFY2(saved.contains(u"method=manual"_s), qPrintable(saved));
        QVERIFY2(saved.contains(u"10.77.0.5/24"_s), qPrintable(saved));
        QVERIFY2(saved.contains(u"10.77.0.53;10.77.0.54"_s), qPrintable(saved));
    }

    // The methods around the adapter through the library: the zone set, read back from the applied
    // profile and taken out again; names the system does not know; Wi-Fi on a wired device; the
    // address check where the device's interface cannot be reached (this process is outside its
    // namespace).
    void answersTheMethodsAroundTheAdapter()
    {
        NetworkManagerConnector connector;
        auto service = connector.Connect("winmgmts:");
        const auto adapter = [&] { return service->Get("Win32_NetworkAdapterConfiguration.Index=1", 0); };
        QCOMPARE(adapter()->ExecMethod("SetFirewallZone", { std::string("public") }), 0u);
        QCOMPARE(TextOf(adapter()->Property("FirewallZone")), std::string("public"));
        QVERIFY2(m_sandbox.savedProfiles().contains(u"\nzone=public\n"_s), qPrintable(m_sandbox.savedProfiles()));
        QCOMPARE(adapter()->ExecMethod("SetFirewallZone", { std::string() }), 0u);
        QCOMPARE(TextOf(adapter()->Property("FirewallZone")), std::string());
        QVERIFY2(!m_sandbox.savedProfiles().contains(u"zone="_s), qPrintable(m_sandbox.savedProfiles()));

        char hostName[256] = {};
        QCOMPARE(::gethostname(hostName, sizeof hostName - 1), 0);
        QCOMPARE(TextOf(adapter()->Property("DNSHostName")), std::string(hostName));

        QCOMPARE(adapter()->ExecMethod("ActivateConnection", { std::string("No Such Tunnel") }),
                 std::uint32_t(net::kProfileNotFound));
        QCOMPARE(adapter()->ExecMethod("DeactivateConnection", { std::string("No Such Tunnel") }),
                 std::uint32_t(net::kProfileNotFound));
        QCOMPARE(adapter()->ExecMethod("ConnectWiFi", { std::string("Office") }), std::uint32_t(net::kNotSupported));
        QCOMPARE(adapter()->ExecMethod("SetFirewallZone", {}), std::uint32_t(net::kInvalidParameter));

        for (const std::int32_t number : { 1, 2 }) {
            const net::AddressAnswer answer
                = service->ProbeAddress(number, "10.77.0.1", std::chrono::milliseconds(300));
            QCOMPARE(int(answer.state), int(net::AddressAnswer::State::NotChecked));
        }
    }

    // A second static site goes through the live profile without taking the link down.
    void reappliesInPlaceAndReportsWins()
    {
        const QString activeBefore = ActiveConnectionOf(m_sandbox.device());
        QVERIFY(!activeBefore.isEmpty() && activeBefore != QLatin1String("/"));

        store::SiteProfile site = StaticSite();
        site.IP = "10.77.0.9";
        site.SubNetMask = "255.255.0.0";
        site.AuxDNS.clear(); // an empty second server is dropped, not sent
        site.ChangeWINS = true;
        site.WINS = "10.77.0.44";
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(Apply(site), std::int32_t(apply::kWinsFailed)); // NetworkManager has no static WINS servers
        qInfo("static apply, reapplied: %lld ms", timer.elapsed());

        QCOMPARE(ActiveConnectionOf(m_sandbox.device()), activeBefore);
        const QString addresses = m_sandbox.ipv4Addresses();
        QVERIFY2(addresses.contains(u"inet 10.77.0.9/16"_s), qPrintable(addresses));
        QVERIFY2(!addresses.contains(u"10.77.0.5/"_s), qPrintable(addresses));
        const store::SiteProfile entry = Entry0();
        QCOMPARE(entry.IP, std::string("10.77.0.9"));
        QCOMPARE(entry.SubNetMask, std::string("255.255.0.0"));
        QCOMPARE(entry.DNS, std::string("10.77.0.53"));
        QCOMPARE(entry.AuxDNS, std::string());
    }

    // NetworkManager refuses an unprivileged caller: access denied, and nothing changes.
    void reportsAccessDenied()
    {
        const QString name = u"unprivileged"_s;
        QDBusConnection bus = ConnectAs(65534, name);
        const auto disconnect = qScopeGuard([&] { QDBusConnection::disconnectFromBus(name); });
        QVERIFY(bus.isConnected());

        const QString addressesBefore = m_sandbox.ipv4Addresses();
        const QString savedBefore = m_sandbox.savedProfiles();
        NetworkManagerConnector connector(bus);
        auto adapter = connector.Connect("winmgmts:")->Get("Win32_NetworkAdapterConfiguration.Index=1", 0);
        QCOMPARE(adapter->ExecMethod(
                     "EnableStatic",
                     { std::vector<std::string> { "10.77.0.7" }, std::vector<std::string> { "255.255.255.0" } }),
                 91u);
        QCOMPARE(adapter->ExecMethod("EnableDHCP", {}), 91u);
        QCOMPARE(m_sandbox.ipv4Addresses(), addressesBefore);
        QCOMPARE(m_sandbox.savedProfiles(), savedBefore);
    }

    // An apply asks for the permissions before it changes anything. Refused: it stops at once.
    // To be asked for (polkit runs in the sandbox): the status line says so while the prompt is
    // open; nobody answers it here, which ends like a refusal. Either way nothing changes.
    void asksForPermissionFirst_data()
    {
        QTest::addColumn<uint>("uid");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("refused") << 1u << QStringList {};
        const QStringList prompted { "正在准备设置静态IP，请稍候...", "正在设置IP地址及子网掩码，请稍候...",
                                     "正在等待系统授权...", "设置IP地址及子网掩码失败!" };
        QTest::newRow("prompt not answered") << 65534u << (m_sandbox.polkitRunning() ? prompted : QStringList {});
    }
    void asksForPermissionFirst()
    {
        QFETCH(uint, uid);
        QFETCH(QStringList, shown);
        const QString name = u"user"_s + QString::number(uid);
        QDBusConnection bus = ConnectAs(uid, name);
        const auto disconnect = qScopeGuard([&] { QDBusConnection::disconnectFromBus(name); });
        QVERIFY(bus.isConnected());
        const QString addressesBefore = m_sandbox.ipv4Addresses();
        const QString savedBefore = m_sandbox.savedProfiles();
        QStringList status;
        store::SiteProfile site = StaticSite();
        site.IP = "10.77.0.7";
        NetworkManagerConnector connector(bus);
        const auto show = [&status](const std::string& text) { status << QString::fromStdString(text); };
        QCOMPARE(apply::ApplySteps(connector, 1, site, nullptr, show).Result, std::int32_t(apply::kNotPermitted));
        QCOMPARE(status, shown);
        QCOMPARE(m_sandbox.ipv4Addresses(), addressesBefore);
        QCOMPARE(m_sandbox.savedProfiles(), savedBefore);
    }

    // Hand-edited texts are refused with a code, and nothing reaches the device.
    void refusesBadInputAndLeavesDeviceAlone_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<uint>("expected");
        const QStringList mask24 { u"255.255.255.0"_s };
        QTest::newRow("mask with a hole")
            << "EnableStatic" << QStringList { "10.77.0.7" } << QStringList { "255.0.255.0" } << 66u;
        QTest::newRow("mask missing") << "EnableStatic" << QStringList { "10.77.0.7" } << QStringList {} << 66u;
        QTest::newRow("command text") << "EnableStatic" << QStringList { "10.77.0.7;reboot" } << mask24 << 70u;
        QTest::newRow("network address") << "EnableStatic" << QStringList { "10.77.0.0" } << mask24 << 70u;
        QTest::newRow("gateway text") << "SetGateways" << QStringList { "gateway" } << QStringList {} << 71u;
        QTest::newRow("gateway off subnet") << "SetGateways" << QStringList { "10.99.0.1" } << QStringList {} << 71u;
        QTest::newRow("gateway is own address")
            << "SetGateways" << QStringList { "10.77.0.9" } << QStringList {} << 71u;
        QTest::newRow("second gateway off subnet")
            << "SetGateways" << QStringList { "10.77.0.1", "10.99.0.2" } << QStringList {} << 71u;
        QTest::newRow("six gateways") << "SetGateways" << QStringList { "10.77.0.1", "10.77.0.2", "10.77.0.3",
                                                                        "10.77.0.4", "10.77.0.6", "10.77.0.7" }
                                      << QStringList {} << 69u;
        QTest::newRow("bad second DNS") << "SetDNSServerSearchOrder" << QStringList { "10.77.0.53", "10.77.0.5x" }
                                        << QStringList {} << 70u;
        QTest::newRow("WINS") << "SetWINSServer" << QStringList { "10.77.0.44" } << QStringList { "10.77.0.45" } << 64u;
    }
    void refusesBadInputAndLeavesDeviceAlone()
    {
        QFETCH(QString, method);
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(uint, expected);
        const auto texts = [](const QStringList& list) {
            std::vector<std::string> result;
            for (const QString& text : list)
                result.push_back(text.toStdString());
            return result;
        };
        const QString addressesBefore = m_sandbox.ipv4Addresses();
        const QString routeBefore = m_sandbox.defaultRoute();
        const QString savedBefore = m_sandbox.savedProfiles();
        NetworkManagerConnector connector;
        auto adapter = connector.Connect("winmgmts:")->Get("Win32_NetworkAdapterConfiguration.Index=1", 0);
        std::vector<net::Value> args { texts(first) };
        if (method == QLatin1String("SetWINSServer"))
            args = { first.front().toStdString(), second.front().toStdString() };
        else if (method != QLatin1String("SetGateways") && method != QLatin1String("SetDNSServerSearchOrder"))
            args.push_back(texts(second));
        QCOMPARE(adapter->ExecMethod(method.toStdString(), args), std::uint32_t(expected));
        QCOMPARE(m_sandbox.ipv4Addresses(), addressesBefore);
        QCOMPARE(m_sandbox.defaultRoute(), routeBefore);
        QCOMPARE(m_sandbox.savedProfiles(), savedBefore);
    }

    // The optional keys: every address and gateway live in the kernel, the suffix in the
    // device's search list, IPv6 static and then off; the current-settings entry reads them back.
    void appliesOptionalKeys()
    {
        store::SiteProfile site = StaticSite();
        site.Extras.MoreIP = "10.77.0.6/255.255.255.0,10.78.0.6/255.255.0.0";
        site.Extras.GatewayMetric = "20";
        site.Extras.MoreGateways = "10.78.0.1:30";
        site.Extras.DNSSuffix = "corp.example.com";
        site.Extras.IPv6Mode = "static";
        site.Extras.IPv6Address = "fd00:77::5/64";
        site.Extras.IPv6Gateway = "fd00:77::1";
        site.Extras.IPv6DNS = "fd00:77::53";
        QCOMPARE(Apply(site), std::int32_t(apply::kApplyOk));

        const QString addresses = m_sandbox.ipv4Addresses();
        for (const QString& address : { u"inet 10.77.0.5/24"_s, u"inet 10.77.0.6/24"_s, u"inet 10.78.0.6/16"_s })
            QVERIFY2(addresses.contains(address), qPrintable(addresses));
        const QString routes = m_sandbox.defaultRoute();
        QVERIFY2(routes.contains(QRegularExpression(u"default via 10.77.0.1 dev \\S+ .*metric 20"_s)),
                 qPrintable(routes));
        QVERIFY2(routes.contains(QRegularExpression(u"default via 10.78.0.1 dev \\S+ .*metric 30"_s)),
                 qPrintable(routes));
        const QString ipv6 = m_sandbox.ip({ u"-6"_s, u"-o"_s, u"addr"_s, u"show"_s, u"dev"_s, m_sandbox.device() });
        QVERIFY2(ipv6.contains(u"inet6 fd00:77::5/64"_s), qPrintable(ipv6));
        const QString ipv6Route = m_sandbox.ip({ u"-6"_s, u"route"_s, u"show"_s, u"default"_s });
        QVERIFY2(ipv6Route.contains(u"default via fd00:77::1"_s), qPrintable(ipv6Route));
        const QString saved = m_sandbox.savedProfiles();
        QVERIFY2(saved.contains(u"dns-search=corp.example.com;"_s), qPrintable(saved));
        QVERIFY2(saved.contains(u"fd00:77::53"_s), qPrintable(saved));

        store::SiteProfile entry = Entry0();
        QCOMPARE(entry.IP, std::string("10.77.0.5"));
        QCOMPARE(entry.Extras.MoreIP, site.Extras.MoreIP);
        QCOMPARE(entry.Extras.GatewayMetric, std::string("20"));
        QCOMPARE(entry.Extras.MoreGateways, site.Extras.MoreGateways);
        QCOMPARE(entry.Extras.DNSSuffix, site.Extras.DNSSuffix);
        QCOMPARE(entry.Extras.IPv6Mode, std::string("static"));
        QCOMPARE(entry.Extras.IPv6Address, site.Extras.IPv6Address);
        QCOMPARE(entry.Extras.IPv6Gateway, site.Extras.IPv6Gateway);
        QCOMPARE(entry.Extras.IPv6DNS, site.Extras.IPv6DNS);

        site.Extras.IPv6Mode = "off";
        QCOMPARE(Apply(site), std::int32_t(apply::kApplyOk));
        const QString off = m_sandbox.ip({ u"-6"_s, u"-o"_s, u"addr"_s, u"show"_s, u"dev"_s, m_sandbox.device() });
        QVERIFY2(!off.contains(u"fd00:77::5"_s), qPrintable(off));
        QCOMPARE(Entry0().Extras.IPv6Mode, std::string("off"));

        // A site without the keys takes the extra gateway away again; IPv6 back to automatic.
        store::SiteProfile plain = StaticSite();
        plain.Extras.IPv6Mode = "auto";
        QCOMPARE(Apply(plain), std::int32_t(apply::kApplyOk));
        QVERIFY2(!m_sandbox.defaultRoute().contains(u"10.78.0.1"_s), qPrintable(m_sandbox.defaultRoute()));
        QVERIFY2(!m_sandbox.ipv4Addresses().contains(u"10.77.0.6/"_s), qPrintable(m_sandbox.ipv4Addresses()));
        QCOMPARE(Entry0().Extras.IPv6Mode, std::string("auto"));
    }

    void appliesDhcpSite()
    {
        // Without static DNS servers the lease's DNS and WINS servers come through.
        NetworkManagerConnector connector;
        QCOMPARE(connector.Connect("winmgmts:")
                     ->Get("Win32_NetworkAdapterConfiguration.Index=1", 0)
                     ->ExecMethod("SetDNSServerSearchOrder", { std::vector<std::string> { "", "" } }),
                 0u);
        QCOMPARE(Entry0().DNS, std::string());

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(Apply(DhcpSite()), std::int32_t(apply::kApplyOk));
        qInfo("DHCP apply: %lld ms", timer.elapsed());

        // The lease is in the kernel as soon as the apply returns, and the static address is gone.
        const QString addresses = m_sandbox.ipv4Addresses();
        QVERIFY2(QRegularExpression(u"inet 10\\.88\\.0\\.1([0-4][0-9]|50)/24"_s).match(addresses).hasMatch(),
                 qPrintable(addresses));
        QVERIFY2(!addresses.contains(u"10.77.0.9"_s), qPrintable(addresses));
        QVERIFY2(m_sandbox.defaultRoute().contains(u"default via 10.88.0.1"_s), qPrintable(m_sandbox.defaultRoute()));

        const store::SiteProfile entry = Entry0();
        QCOMPARE(entry.DHCPEnabled, true);
        QCOMPARE(QString::fromStdString(entry.MACAddress), m_sandbox.macAddress());
        QVERIFY(entry.IP.empty()); // a DHCP entry shows no addresses
        QVERIFY(entry.PrinterName.empty());

        const QString lease = QRegularExpression(u"inet (10\\.88\\.0\\.[0-9]+)/"_s).match(addresses).captured(1);
        auto adapter = connector.Connect("winmgmts:")->Get("Win32_NetworkAdapterConfiguration.Index=1", 0);
        QCOMPARE(TextsOf(adapter->Property("IPAddress")), QStringList { lease });
        QCOMPARE(TextsOf(adapter->Property("IPSubnet")), QStringList { "255.255.255.0" });
        QCOMPARE(TextsOf(adapter->Property("DefaultIPGateway")), QStringList { "10.88.0.1" });
        QCOMPARE(TextsOf(adapter->Property("DNSServerSearchOrder")), (QStringList { "10.88.0.53", "10.88.0.54" }));
        QCOMPARE(QString::fromStdString(TextOf(adapter->Property("WINSPrimaryServer"))), u"10.88.0.44"_s);
        QCOMPARE(QString::fromStdString(TextOf(adapter->Property("WINSSecondaryServer"))), u"10.88.0.45"_s);
    }

    void reportsAlreadyDhcp()
    {
        QCOMPARE(Apply(DhcpSite()), std::int32_t(apply::kAlreadyDhcp));
        QCOMPARE(Entry0().DHCPEnabled, true);
    }

    // NetworkManager stopped for 10 s in the middle of an apply: the result says what the kernel and
    // the saved profile hold once it has gone on.
    void staysTrueWhenNetworkManagerStalls_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("afterMs");
        QTest::newRow("as the address step starts") << "EnableStatic" << 0;
        QTest::newRow("in the address step") << "EnableStatic" << 8;
        QTest::newRow("late in the address step") << "EnableStatic" << 25;
        QTest::newRow("as the gateway step starts") << "SetGateways" << 0;
        QTest::newRow("in the DNS step") << "SetDNSServerSearchOrder" << 8;
    }
    void staysTrueWhenNetworkManagerStalls()
    {
        QFETCH(QString, method);
        QFETCH(int, afterMs);
        // Each run changes the address, and asks for a DNS server no earlier run set: after a run
        // whose DNS step failed, the servers of the run before are still live.
        static int run = 0;
        ++run;
        store::SiteProfile site = StaticSite();
        if (m_sandbox.ipv4Addresses().contains(u"inet 10.77.0.5/"_s))
            site.IP = "10.77.0.9";
        site.DNS = "10.77.1." + std::to_string(run);
        apply::ApplyOutcome outcome = apply::NothingApplied(-1);
        {
            StallingConnector connector(m_sandbox, method.toStdString(), afterMs);
            outcome = apply::ApplySteps(connector, 1, site, nullptr, {});
        } // NetworkManager runs again
        const std::int32_t result = outcome.Result;
        QTest::qWait(2000); // what it was asked to do has had time to happen
        const QString summary = QString::fromStdString(apply::ApplySummaryText(outcome));
        const bool live = m_sandbox.ipv4Addresses().contains(u"inet "_s + QString::fromStdString(site.IP) + u"/24"_s);
        const bool saved = m_sandbox.savedProfiles().contains(u"address1="_s + QString::fromStdString(site.IP));
        const bool dnsLive = Entry0().DNS == site.DNS;
        qInfo() << result << summary << "address live" << live << "saved" << saved << "DNS live" << dnsLive;
        if (result == apply::kOutcomeUnknown)
            return; // said so
        const bool addressDone = (result & ~apply::kSavedNotLive) <= 7;
        QCOMPARE(live, addressDone);
        QCOMPARE(saved, addressDone || (result & apply::kSavedNotLive) != 0);
        if (addressDone)
            QCOMPARE(dnsLive, (result & apply::kDnsFailed) == 0);
    }

    // Back to a static site from a lease: the leased address goes. Then, with no DHCP server
    // answering, the switch reports failure once the wait for a lease runs out.
    void reportsMissingLease()
    {
        QCOMPARE(Apply(StaticSite()), std::int32_t(apply::kApplyOk));
        const QString addresses = m_sandbox.ipv4Addresses();
        QVERIFY2(addresses.contains(u"inet 10.77.0.5/24"_s), qPrintable(addresses));
        QVERIFY2(!addresses.contains(u"inet 10.88."_s), qPrintable(addresses));
        QVERIFY(m_sandbox.stopDhcpServer());
        const auto restart = qScopeGuard([this] { m_sandbox.startDhcpServer(); });
        net::nm::WaitLimits limits;
        limits.dhcpMs = 1500;
        NetworkManagerConnector connector(QDBusConnection::systemBus(), limits);
        QElapsedTimer timer;
        timer.start();
        const std::int32_t result = apply::ApplySteps(connector, 1, DhcpSite(), nullptr, {}).Result;
        // Failed, and saved: NetworkManager goes on asking for a lease.
        QCOMPARE(result, std::int32_t(apply::kDhcpFailed | apply::kSavedNotLive));
        QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(m_sandbox.savedProfiles().contains(u"method=auto"_s), qPrintable(m_sandbox.savedProfiles()));
        QVERIFY2(!m_sandbox.ipv4Addresses().contains(u"inet 10.88."_s), qPrintable(m_sandbox.ipv4Addresses()));
    }

    // Runs last: stops NetworkManager, checks that nothing hangs, and starts it again.
    void failsPromptlyWithoutNetworkManager()
    {
        QVERIFY(m_sandbox.stopNetworkManager());
        const auto restart = qScopeGuard([this] { m_sandbox.startNetworkManager(); });
        QElapsedTimer timer;
        timer.start();
        NetworkManagerConnector connector;
        QVERIFY_THROWS_EXCEPTION(net::ServiceError, connector.Connect("winmgmts:"));
        QVERIFY(net::ListAdapters(connector).empty());
        QCOMPARE(net::GetAdapterInfo(connector, m_printers, 1), store::SiteProfile {});
        QCOMPARE(Apply(StaticSite()), std::int32_t(apply::kServiceUnavailable));
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerService)
#include "tst_NetworkManagerService.moc"
