// The proxy keys' rules: what a site's four texts make of the user's proxy.
#include "net/ProxyStore.h"

#include <QTest>

using namespace lanvex::net;

class TestProxySettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("bypass");
        QTest::addColumn<QString>("pac");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("canonical"); // mode|host|port|bypass joined by ;|pac

        QTest::newRow("no key: keep") << ""
                                      << "x"
                                      << ""
                                      << "" << true << "keep||0||";
        QTest::newRow("keep ignores the rest") << "keep"
                                               << "bad server"
                                               << ""
                                               << "" << true << "keep||0||";
        QTest::newRow("none") << "none"
                              << ""
                              << ""
                              << "" << true << "none||0||";
        QTest::newRow("manual") << "manual"
                                << " proxy.corp:3128 "
                                << "localhost, *.corp,,10.0.0.0/8"
                                << "" << true << "manual|proxy.corp|3128|localhost;*.corp;10.0.0.0/8|";
        QTest::newRow("manual, IPv6 host") << "manual"
                                           << "[fd00::1]:8080"
                                           << ""
                                           << "" << true << "manual|[fd00::1]|8080||";
        QTest::newRow("auto") << "auto"
                              << ""
                              << ""
                              << "https://wpad.corp/p.pac" << true << "auto||0||https://wpad.corp/p.pac";
        QTest::newRow("unknown mode") << "Manual"
                                      << "p:1"
                                      << ""
                                      << "" << false << "";
        QTest::newRow("manual without port") << "manual"
                                             << "proxy.corp"
                                             << ""
                                             << "" << false << "";
        QTest::newRow("port 0") << "manual"
                                << "proxy.corp:0"
                                << ""
                                << "" << false << "";
        QTest::newRow("port too large") << "manual"
                                        << "proxy.corp:65536"
                                        << ""
                                        << "" << false << "";
        QTest::newRow("scheme in server") << "manual"
                                          << "http://proxy.corp:80"
                                          << ""
                                          << "" << false << "";
        QTest::newRow("blank in host") << "manual"
                                       << "proxy corp:80"
                                       << ""
                                       << "" << false << "";
        QTest::newRow("bare IPv6 host") << "manual"
                                        << "fd00::1:8080"
                                        << ""
                                        << "" << false << "";
        QTest::newRow("quote in bypass") << "manual"
                                         << "p:80"
                                         << "a'b"
                                         << "" << false << "";
        QTest::newRow("auto without URL") << "auto"
                                          << ""
                                          << ""
                                          << "" << false << "";
        QTest::newRow("auto with a path") << "auto"
                                          << ""
                                          << ""
                                          << "C:\\proxy.pac" << false << "";
        QTest::newRow("auto with a control character") << "auto"
                                                       << ""
                                                       << ""
                                                       << "http://a/\n"
                                                       << false << "";
    }

    void parse()
    {
        QFETCH(QString, mode);
        QFETCH(QString, server);
        QFETCH(QString, bypass);
        QFETCH(QString, pac);
        QFETCH(bool, valid);
        QFETCH(QString, canonical);
        const auto settings
            = ParseProxySettings({ mode.toStdString(), server.toStdString(), bypass.toStdString(), pac.toStdString() });
        QCOMPARE(settings.has_value(), valid);
        if (!settings)
            return;
        QStringList hosts;
        for (const std::string& host : settings->bypass)
            hosts << QString::fromStdString(host);
        const QString shown = QStringList { QString::fromUtf8(ProxyModeName(settings->mode).data()),
                                            QString::fromStdString(settings->host), QString::number(settings->port),
                                            hosts.join(';'), QString::fromStdString(settings->pacUrl) }
                                  .join('|');
        QCOMPARE(shown, canonical);
    }
};

QTEST_APPLESS_MAIN(TestProxySettings)
#include "tst_ProxySettings.moc"
