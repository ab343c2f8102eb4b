#include "net/nm/NetworkManagerConnector.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using lanvex::net::ServiceError;
using lanvex::net::nm::NetworkManagerConnector;

// Start-up must never hang on a missing bus or a missing NetworkManager: Connect fails, and fast.
class TestNetworkManagerConnector : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failsWithoutBus()
    {
        QDBusConnection bus = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/lanvex/bus"),
                                                            QStringLiteral("missing"));
        NetworkManagerConnector connector(bus);
        QElapsedTimer timer;
        timer.start();
        QVERIFY_THROWS_EXCEPTION(ServiceError, connector.Connect("winmgmts:"));
        QVERIFY(timer.elapsed() < 1000);
        QDBusConnection::disconnectFromBus(QStringLiteral("missing"));
    }

    void failsOnBusWithoutNetworkManager()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        QProcess process;
        process.start(daemon,
                      { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        QVERIFY(process.waitForStarted(5000));
        const auto stop = qScopeGuard([&] {
            process.terminate();
            process.waitForFinished(5000);
        });
        QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine(), 5000);
        const QString address = QString::fromUtf8(process.readLine()).trimmed();

        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("empty"));
        QVERIFY(bus.isConnected());
        NetworkManagerConnector connector(bus);
        QElapsedTimer timer;
        timer.start();
        QVERIFY_THROWS_EXCEPTION(ServiceError, connector.Connect("winmgmts:\\\\.\\root\\cimv2"));
        QVERIFY(timer.elapsed() < 3000);
        QDBusConnection::disconnectFromBus(QStringLiteral("empty"));
    }
};

QTEST_GUILESS_MAIN(TestNetworkManagerConnector)
#include "tst_NetworkManagerConnector.moc"
