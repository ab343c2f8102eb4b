// --adapters and --apply over the shipped sample network and a settings file in a temporary folder.
#include "app/AdapterCommands.h"
#include "net/sim/SimulatedService.h"
#include "store/IniModule.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <nlohmann/json.hpp>
#include <sstream>

using namespace lanvex;

namespace {

constexpr const char* kSettings = R"([Common]
Sites=Office,Home,Office,Bad

[Office]
DHCPEnabled=0
IP=172.20.0.9
SubNetMask=255.255.0.0
DefaultGateway=172.20.0.1
ChangeDNS=1
DNS=172.20.0.53
ChangeWINS=0

[Home]
DHCPEnabled=1

[Bad]
DHCPEnabled=0
IP=1.2.3.4; reboot
SubNetMask=255.255.255.0
DefaultGateway=1.2.3.1
)";

class Fixture
{
public:
    Fixture()
    {
        QVERIFY(QFile::copy(LANVEX_SOURCE_DIR "/examples/simulated-network.json", network()));
        QFile::setPermissions(network(), QFile::ReadOwner | QFile::WriteOwner);
        QFile settings(dir_.filePath("lanvex.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(kSettings);
        store::IniFileName = settings.fileName().toStdString();
    }
    QString network() const { return dir_.filePath("network.json"); }
    app::Platform platform() const
    {
        app::Platform p;
        p.connector = std::make_unique<net::sim::SimulatedConnector>(network().toStdString());
        p.printers = std::make_unique<net::sim::SimulatedPrinters>(network().toStdString());
        return p;
    }
    nlohmann::json state() const
    {
        QFile file(network());
        return file.open(QIODevice::ReadOnly) ? nlohmann::json::parse(file.readAll().toStdString()) : nullptr;
    }

private:
    QTemporaryDir dir_;
};

} // namespace

class TestAdapterCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void adapters()
    {
        Fixture fixture;
        app::Platform platform = fixture.platform();
        std::ostringstream out;
        QCOMPARE(app::RunAdaptersCommand(platform, out), 0);
        const auto list = nlohmann::ordered_json::parse(out.str());
        QCOMPARE(list.size(), std::size_t(2));
        const auto& wired = list[0];
        QCOMPARE(wired.begin().key(), std::string("position"));
        QCOMPARE(wired["position"].get<int>(), 0);
        QCOMPARE(wired["Index"].get<int>(), 1);
        QCOMPARE(wired["DHCPEnabled"].get<bool>(), false);
        QCOMPARE(wired["IP"].get<std::string>(), std::string("192.168.1.10"));
        QCOMPARE(wired["AuxDNS"].get<std::string>(), std::string("8.8.8.8"));
        QCOMPARE(wired["PrinterName"].get<std::string>(), std::string("Office Laser"));
        const auto& wireless = list[1];
        QCOMPARE(wireless["Index"].get<int>(), 2);
        QCOMPARE(wireless["DHCPEnabled"].get<bool>(), true);
        QCOMPARE(wireless["IP"].get<std::string>(), std::string());
        QCOMPARE(wireless["PrinterName"].get<std::string>(), std::string());
        QCOMPARE(wireless["MACAddress"].get<std::string>(), std::string("00:E0:4C:68:01:02"));
    }

    void apply_data()
    {
        QTest::addColumn<QString>("site");
        QTest::addColumn<QString>("adapter"); // empty: not given
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("summary");
        const QString updated = "更新IP及子网掩码成功。\n更新网关成功。\n更新DNS成功。\n更新WINS服务器成功。\n";
        QTest::newRow("default adapter") << "Office"
                                         << "" << 0 << updated;
        QTest::newRow("to dhcp") << "Home"
                                 << "1" << 0 << "设定为DHCP工作方式成功。\n";
        QTest::newRow("already dhcp") << "Home"
                                      << "2" << 0 << "已经是DHCP工作方式。\n";
        QTest::newRow("no such adapter") << "Office"
                                         << "3" << 1 << "未找到所选网卡，设置未生效。\n";
        QTest::newRow("refused address") << "Bad"
                                         << "1" << 1 << "更新IP及子网掩码失败。\n";
        QTest::newRow("unknown site") << "office"
                                      << "1" << 2 << "";
        QTest::newRow("adapter zero") << "Office"
                                      << "0" << 2 << "";
        QTest::newRow("adapter negative") << "Office"
                                          << "-1" << 2 << "";
        QTest::newRow("adapter text") << "Office"
                                      << "1x" << 2 << "";
        QTest::newRow("adapter too large") << "Office"
                                           << "99999999999" << 2 << "";
    }

    void apply()
    {
        QFETCH(QString, site);
        QFETCH(QString, adapter);
        QFETCH(int, exitCode);
        QFETCH(QString, summary);
        Fixture fixture;
        app::Platform platform = fixture.platform();
        std::ostringstream out;
        std::ostringstream err;
        const auto adapterText = adapter.isEmpty() ? std::nullopt : std::optional(adapter.toStdString());
        QCOMPARE(app::RunApplyCommand(platform, site.toStdString(), adapterText, out, err), exitCode);
        QCOMPARE(QString::fromStdString(out.str()), summary);
        if (exitCode == 2)
            QVERIFY(fixture.state()["calls"].empty());
    }

    // Progress goes to stderr and the service state follows; an unreachable service fails the command.
    void progressAndUnreachableService()
    {
        Fixture fixture;
        app::Platform platform = fixture.platform();
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(app::RunApplyCommand(platform, "Office", std::nullopt, out, err), 0);
        QVERIFY(err.str().find("正在设置DNS，请稍候...") != std::string::npos);
        QCOMPARE(fixture.state()["adapters"][0]["IPAddress"][0].get<std::string>(), std::string("172.20.0.9"));

        auto doc = fixture.state();
        doc["unavailable"] = true;
        QFile file(fixture.network());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(doc.dump().c_str());
        file.close();
        out.str("");
        QCOMPARE(app::RunApplyCommand(platform, "Office", std::nullopt, out, err), 1);
        QCOMPARE(QString::fromStdString(out.str()), QString("无法连接系统的网络管理服务，设置未生效。\n"));
    }
};

QTEST_GUILESS_MAIN(TestAdapterCommands)
#include "tst_AdapterCommands.moc"
