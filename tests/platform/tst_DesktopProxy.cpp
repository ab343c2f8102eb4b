// The desktops' proxy stores against their real files: GNOME's settings through GIO's keyfile
// backend in a temporary config folder, KDE's kioslaverc in the same folder.
#include "platform/DesktopProxy.h"
#include "platform/unix/KdeProxyStore.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

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

bool writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

net::ProxyChange setKdeProxy()
{
    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    return platform::MakeDesktopProxyStore()->SetProxy(proxyOf({ "manual", "proxy.corp:3128", "", "" }));
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

    // A KDE program that saves kioslaverc under KConfig's lock meanwhile keeps its change, and the
    // proxy is set on top of it.
    void kdeWaitsForKConfigsLock()
    {
        const QString path = m_config.filePath(QStringLiteral("kioslaverc"));
        QFile::remove(path);
        QVERIFY(writeText(path, "[General]\nA=1\n"));
        QLockFile kconfig(QFileInfo(path).canonicalFilePath() + QStringLiteral(".lock"));
        QVERIFY(kconfig.lock());
        std::future<net::ProxyChange> change = std::async(std::launch::async, setKdeProxy);
        QCOMPARE(change.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
        QVERIFY(writeText(path, "[General]\nA=1\nB=2\n"));
        kconfig.unlock();
        QCOMPARE(change.get(), net::ProxyChange::Done);
        const QString text = fileText(path);
        QVERIFY2(text.startsWith("[General]\nA=1\nB=2\n") && text.contains("ProxyType=1\n"), qPrintable(text));
    }

    // What must not be read or replaced in kioslaverc's place is refused at once and left as it was.
    void kdeRefusesWhatIsNotItsFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("link to a device") << "device";
        QTest::newRow("far too large") << "large";
        QTest::newRow("read-only") << "read-only";
        QTest::newRow("another user's link to a file not theirs") << "foreign link";
    }

    void kdeRefusesWhatIsNotItsFile()
    {
        QFETCH(QString, kind);
        const QString path = m_config.filePath(QStringLiteral("kioslaverc"));
        const QString secret = m_config.filePath(QStringLiteral("secret"));
        QFile::remove(path);
        QFile::remove(secret);
        const QByteArray pathBytes = QFile::encodeName(path);
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(pathBytes.constData(), 0600), 0);
        } else if (kind == "device") {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else if (kind == "large") {
            QVERIFY(writeText(path, "[General]\n"));
            QVERIFY(QFile::resize(path, qint64(64) << 20)); // sparse: cheap to make, costly to read
        } else if (kind == "read-only") {
            QVERIFY(writeText(path, "[General]\nA=1\n"));
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        } else {
            if (::geteuid() != 0)
                QSKIP("only root can give a link to another user");
            QVERIFY(writeText(secret, "root's\n"));
            QVERIFY(QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner));
            QVERIFY(QFile::link(secret, path));
            QCOMPARE(::lchown(pathBytes.constData(), 65534, 65534), 0);
        }
        struct stat before = {};
        QCOMPARE(::stat(pathBytes.constData(), &before), 0);
        const QString text = kind == "read-only" || kind == "foreign link" ? fileText(path) : QString();

        QCOMPARE(setKdeProxy(), net::ProxyChange::Failed);
        struct stat after = {};
        QCOMPARE(::stat(pathBytes.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_size, before.st_size);
        if (!text.isEmpty())
            QCOMPARE(fileText(path), text);
        QFile::remove(path);
    }

private:
    QTemporaryDir m_config;
};

QTEST_GUILESS_MAIN(TestDesktopProxy)
#include "tst_DesktopProxy.moc"
