// The desktops' proxy stores against their real files: GNOME's settings through GIO's keyfile
// backend in a temporary config folder, KDE's kioslaverc in the same folder.
#include "platform/DesktopProxy.h"
#include "platform/unix/KdeProxyStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lanvex;

namespace {

net::ProxySettings proxyOf(const net::ProxyTexts& texts)
{
    const auto settings = net::ParseProxySettings(texts);
    return settings.value_or(net::ProxySettings {});
}

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestDesktopProxy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
        qputenv("GSETTINGS_BACKEND", "keyfile");
    }

    // Each mode in GNOME's settings, as the keyfile backend keeps them for every program.
    void gnomeKeepsEachMode()
    {
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        const auto store = platform::MakeDesktopProxyStore();
        const QString keyfile = m_config.filePath(QStringLiteral("glib-2.0/settings/keyfile"));

        QCOMPARE(store->SetProxy(proxyOf({ "manual", "proxy.corp:3128", "localhost, *.corp", "" })),
                 net::ProxyChange::Done);
        QString text = fileText(keyfile);
        QVERIFY2(text.contains("mode='manual'"), qPrintable(text));
        QVERIFY(text.contains("ignore-hosts=['localhost', '*.corp']"));
        for (const char* protocol : { "http", "https", "ftp" }) {
            const QString group = QStringLiteral("[system/proxy/%1]\nhost='proxy.corp'\nport=3128").arg(protocol);
            QVERIFY2(text.contains(group), protocol);
        }

        QCOMPARE(store->SetProxy(proxyOf({ "auto", "", "", "http://wpad.corp/proxy.pac" })), net::ProxyChange::Done);
        text = fileText(keyfile);
        QVERIFY(text.contains("mode='auto'"));
        QVERIFY(text.contains("autoconfig-url='http://wpad.corp/proxy.pac'"));

        QCOMPARE(store->SetProxy(proxyOf({ "none", "", "", "" })), net::ProxyChange::Done);
        QVERIFY(fileText(keyfile).contains("mode='none'"));
    }

    // kioslaverc's proxy group is set, the rest of the file kept; no other desktop has a store.
    void kdeKeepsTheRestOfItsFile()
    {
        const QString path = m_config.filePath(QStringLiteral("kioslaverc"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Cache]\nMaxCacheSize=5120\n\n[Proxy Settings]\nAuthMode=0\nProxyType=4\nhttpProxy=http_proxy\n"
                   "\n[$Version]\nupdate_info=kioslave.upd:kde4.2\n");
        file.close();
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
        QCOMPARE(platform::MakeDesktopProxyStore()->SetProxy(proxyOf({ "manual", "[fd00::1]:8080", "intranet", "" })),
                 net::ProxyChange::Done);
        const QString text = fileText(path);
        QVERIFY2(text.startsWith("[Cache]\nMaxCacheSize=5120\n\n[Proxy Settings]\nProxyType=1\n"
                                 "httpProxy=http://[fd00::1]:8080\nhttpsProxy=http://[fd00::1]:8080\n"),
                 qPrintable(text));
        QVERIFY(text.contains("NoProxyFor=intranet\n"));
        QVERIFY(text.contains("AuthMode=0\n"));
        QVERIFY(text.contains("[$Version]\nupdate_info=kioslave.upd:kde4.2\n"));
        QCOMPARE(text.count("ProxyType="), 1);

        qputenv("XDG_CURRENT_DESKTOP", "XFCE");
        QCOMPARE(platform::MakeDesktopProxyStore()->SetProxy(proxyOf({ "none", "", "", "" })),
                 net::ProxyChange::NoStore);
    }

private:
    QTemporaryDir m_config;
};

QTEST_GUILESS_MAIN(TestDesktopProxy)
#include "tst_DesktopProxy.moc"
