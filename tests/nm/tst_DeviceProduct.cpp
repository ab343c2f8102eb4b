#include "net/nm/DeviceProduct.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace lanvex::net::nm;
using namespace Qt::StringLiterals;

namespace {

bool WriteFile(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

class TestDeviceProduct : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        const QString net = m_root.filePath(QStringLiteral("sys/devices/pci0000:00/0000:00:1f.6/net/eno1"));
        QVERIFY(WriteFile(net + QStringLiteral("/ifindex"), "2\n"));
        QVERIFY(WriteFile(m_root.filePath(QStringLiteral("run/udev/data/n2")),
                          "I:1234\nE:ID_NET_NAME_ONBOARD=eno1\nE:ID_VENDOR_FROM_DATABASE=Intel Corporation\n"
                          "E:ID_MODEL_FROM_DATABASE=Ethernet Connection (7) I219-LM\n"));
        // A device whose ifindex file holds something else than a number.
        QVERIFY(WriteFile(m_root.filePath(QStringLiteral("sys/devices/virtual/net/odd0/ifindex")), "../n2\n"));
    }

    void readsUdevEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("product");
        QTest::newRow("vendor and model")
            << u"E:ID_VENDOR_FROM_DATABASE=Realtek\nE:ID_MODEL_FROM_DATABASE=RTL8111\n"_s << u"Realtek RTL8111"_s;
        QTest::newRow("model only, CRLF") << u"E:ID_MODEL_FROM_DATABASE=Wi-Fi 6 AX201\r\n"_s << u"Wi-Fi 6 AX201"_s;
        QTest::newRow("key as a prefix of another")
            << u"E:ID_MODEL_FROM_DATABASE_EXTRA=x\nE:ID_MODEL_FROM_DATABASE=Real\n"_s << u"Real"_s;
        QTest::newRow("control characters dropped")
            << QStringLiteral("E:ID_MODEL_FROM_DATABASE=bad\u001bname\nE:ID_VENDOR_FROM_DATABASE=Acme\n") << u"Acme"_s;
        QTest::newRow("nothing known") << u"I:1234\nE:ID_NET_DRIVER=veth\n"_s << QString();
    }
    void readsUdevEntries()
    {
        QFETCH(QString, entry);
        QFETCH(QString, product);
        QCOMPARE(QString::fromStdString(ProductFromUdevEntry(entry.toStdString())), product);
    }

    void followsOnlyTheInterfacesOwnPath_data()
    {
        QTest::addColumn<QString>("udi");
        QTest::addColumn<QString>("interfaceName");
        QTest::addColumn<QString>("product");
        const QString eno1 = QStringLiteral("/sys/devices/pci0000:00/0000:00:1f.6/net/eno1");
        QTest::newRow("found") << eno1 << u"eno1"_s << u"Intel Corporation Ethernet Connection (7) I219-LM"_s;
        QTest::newRow("other interface") << eno1 << u"eno2"_s << QString();
        QTest::newRow("no udi") << QString() << u"eno1"_s << QString();
        QTest::newRow("outside sysfs") << u"/etc/net/eno1"_s << u"eno1"_s << QString();
        QTest::newRow("climbing out") << u"/sys/../etc/net/eno1"_s << u"eno1"_s << QString();
        QTest::newRow("ifindex not a number") << u"/sys/devices/virtual/net/odd0"_s << u"odd0"_s << QString();
        QTest::newRow("missing device") << u"/sys/devices/virtual/net/gone0"_s << u"gone0"_s << QString();
    }
    void followsOnlyTheInterfacesOwnPath()
    {
        QFETCH(QString, udi);
        QFETCH(QString, interfaceName);
        QFETCH(QString, product);
        QCOMPARE(QString::fromStdString(
                     DeviceProduct(m_root.path().toStdString(), udi.toStdString(), interfaceName.toStdString())),
                 product);
    }
};

QTEST_GUILESS_MAIN(TestDeviceProduct)
#include "tst_DeviceProduct.moc"
