#include "NmSandbox.h"
#include "SandboxSites.h"
#include "apply/ApplyProcedure.h"
#include "apply/ApplyResult.h"
#include "net/AdapterQuery.h"
#include "net/nm/NetworkManagerConnector.h"
#include "net/nm/NmNetworkWatch.h"
#include "printer/PrinterSource.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <sched.h>
#include <thread>
#include <unistd.h>

using namespace lanvex;
using namespace Qt::StringLiterals;

namespace {

using nm_test::NoPrinters;
const auto StaticSite = nm_test::SandboxStaticSite;
const auto DhcpSite = nm_test::SandboxDhcpSite;

} // namespace

// The watch over the sandbox's NetworkManager, as the window uses it: each time it tells, the
// adapters are read again. A change must be told within five seconds, and the read after it must
// show the change. The test runs in the sandbox's network namespace, so the kernel tables it reads
// are those of the device NetworkManager manages.
class TestNetworkManagerWatch : public QObject
{
    Q_OBJECT

    NmSandbox m_sandbox;
    NoPrinters m_printers;
    std::unique_ptr<net::NetworkWatch> m_watch;
    int m_told = 0;
    net::NetworkFingerprint m_seen; // the network as the read after the last tell found it

    void Told()
    {
        ++m_told;
        net::nm::NetworkManagerConnector connector;
        try {
            const std::vector<net::AdapterEntry> adapters = net::QueryAdapters(connector, m_printers);
            m_seen = adapters.size() == 1 ? adapters.front().Network : net::NetworkFingerprint {};
        } catch (const net::ServiceError&) {
            m_seen = {};
        }
    }

    // Runs `change` off this thread, so the watch hears NetworkManager meanwhile, and returns the
    // milliseconds from its end until a tell whose read satisfied `shows`; -1 when none came in 5 s.
    template <typename Change, typename Shows> qint64 TimeToSee(Change change, Shows shows)
    {
        std::atomic<bool> done = false;
        std::thread worker([&] {
            change();
            done = true;
        });
        while (!done)
            QTest::qWait(20);
        worker.join();
        QElapsedTimer timer;
        timer.start();
        while (!shows(m_seen) && timer.elapsed() < 5000)
            QTest::qWait(20);
        return shows(m_seen) ? timer.elapsed() : -1;
    }

    static std::int32_t Apply(const store::SiteProfile& site)
    {
        net::nm::NetworkManagerConnector connector;
        return apply::ApplySteps(connector, 1, site, nullptr, {}).Result;
    }

    QString PeerMac() const
    {
        const QString link = NmSandbox::run(
            u"ip"_s, { u"-n"_s, m_sandbox.tag + u"-srv"_s, u"-o"_s, u"link"_s, u"show"_s, m_sandbox.tag + u"p"_s });
        return QRegularExpression(u"link/ether ([0-9a-f:]{17})"_s).match(link).captured(1).toUpper();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString reason = m_sandbox.unavailableReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
        const int netns = ::open(qPrintable(u"/run/netns/"_s + m_sandbox.netns()), O_RDONLY | O_CLOEXEC);
        QVERIFY(netns >= 0);
        QCOMPARE(::setns(netns, CLONE_NEWNET), 0);
        ::close(netns);
        QVERIFY(net::nm::NetworkManagerOnBus(QDBusConnection::systemBus()));
        std::int32_t result = -1;
        std::thread([&] { result = Apply(DhcpSite()); }).join();
        QVERIFY2(result == apply::kApplyOk || result == apply::kAlreadyDhcp, qPrintable(QString::number(result)));
        m_watch = net::nm::MakeNmNetworkWatch(QDBusConnection::systemBus());
        m_watch->Start([this] { Told(); });
    }

    // Another address and gateway (a static site), then the lease again with its domain.
    void tellsAnotherAddressAndGateway()
    {
        std::int32_t result = -1;
        const qint64 toStatic
            = TimeToSee([&] { result = Apply(StaticSite()); },
                        [](const net::NetworkFingerprint& seen) { return seen.Gateway == "10.77.0.1"; });
        qInfo("static site live → told and read: %lld ms", toStatic);
        QCOMPARE(result, std::int32_t(apply::kApplyOk));
        QVERIFY2(toStatic >= 0, qPrintable(QString::fromStdString(m_seen.Gateway)));
        QCOMPARE(QString::fromStdString(m_seen.DNSDomain), QString());

        const qint64 toDhcp
            = TimeToSee([&] { result = Apply(DhcpSite()); },
                        [](const net::NetworkFingerprint& seen) {
                            return seen.Gateway == "10.88.0.1" && seen.DNSDomain == "sandbox.lanvex.test";
                        });
        qInfo("lease live → told and read: %lld ms", toDhcp);
        QCOMPARE(result, std::int32_t(apply::kApplyOk));
        QVERIFY2(toDhcp >= 0, qPrintable(QString::fromStdString(m_seen.Gateway + " " + m_seen.DNSDomain)));
    }

    // The gateway's MAC address changes with nothing else: only the kernel's table shows it.
    void tellsTheGatewaysMacAddress()
    {
        const QString peer = PeerMac();
        QVERIFY(!peer.isEmpty());
        for (const QString& mac : { u"02:00:5E:10:00:01"_s, peer }) {
            const qint64 seen = TimeToSee(
                [&] {
                    m_sandbox.ip({ u"neigh"_s, u"replace"_s, u"10.88.0.1"_s, u"lladdr"_s, mac, u"dev"_s,
                                   m_sandbox.device(), u"nud"_s, u"reachable"_s });
                },
                [&](const net::NetworkFingerprint& network) { return network.GatewayMAC == mac.toStdString(); });
            qInfo("gateway MAC %s → told and read: %lld ms", qPrintable(mac), seen);
            QVERIFY2(seen >= 0, qPrintable(QString::fromStdString(m_seen.GatewayMAC)));
        }
    }

    // Nothing changes, nothing is told: the kernel's neighbour messages that carry no new address
    // and the signals that carry no change stay quiet.
    void staysQuietWhileNothingChanges()
    {
        QTest::qWait(1000);
        m_told = 0;
        QTest::qWait(4000);
        QCOMPARE(m_told, 0);
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerWatch)
#include "tst_NetworkManagerWatch.moc"
