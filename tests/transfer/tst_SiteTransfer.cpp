// Import and export of sites between settings files and the --list JSON, as the console and the
// window's list menu run them.
#include "cli/CommandLine.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"
#include "store/TextCodec.h"
#include "transfer/SiteJson.h"
#include "transfer/SiteTransfer.h"

#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <sstream>

using namespace lanvex;

namespace {

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Gbk(const std::string& utf8)
{
    return store::EncodeFileText(utf8, false).value();
}

std::string ListJson(const std::string& settingsPath)
{
    std::ostringstream out;
    transfer::WriteSiteListJson(store::LoadSiteModel(store::IniFile(settingsPath).Load(), std::nullopt), out);
    return out.str();
}

const std::string kSettings = "[Common]\r\nSites=" + Gbk("办公室") + ",Home,Lab\r\n[" + Gbk("办公室")
    + "]\r\nDHCPEnabled=0\r\nIP=10.1.1.5\r\nSubNetMask=255.255.0.0\r\nDefaultGateway=10.1.1.1\r\nChangeDNS=1\r\n"
      "DNS=10.1.1.53\r\nChangePrinter=1\r\nPrinterName=Front Desk\r\n"
      "[Home]\r\nDHCPEnabled=1\r\n[Lab]\r\nIP=172.16.0.9\r\n";

} // namespace

class TestSiteTransfer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::string path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)).toStdString(); }

private Q_SLOTS:
    void init() { WriteBytes(path("lanvex.ini"), kSettings); }

    void exportGivesTheWindowsFormAndTheListJson()
    {
        const transfer::TransferReport ini = transfer::ExportSites(path("lanvex.ini"), path("sites.ini"));
        QVERIFY(!ini.failed);
        QCOMPARE(ini.exported, std::size_t(3));
        const std::string bytes = ReadBytes(path("sites.ini"));
        // Code page 936 with CRLF line ends only, the list first, then all twelve keys in order.
        QVERIFY(bytes.starts_with("[Common]\r\nSites=" + Gbk("办公室") + ",Home,Lab\r\n[" + Gbk("办公室") + "]\r\n"));
        QCOMPARE(std::count(bytes.begin(), bytes.end(), '\n'), std::count(bytes.begin(), bytes.end(), '\r'));
        const std::string keys = "DHCPEnabled=1\r\nIP=\r\nSubNetMask=\r\nDefaultGateway=\r\nChangeDNS=0\r\nDNS=\r\n"
                                 "AuxDNS=\r\nChangeWINS=0\r\nWINS=\r\nAuxWINS=\r\nChangePrinter=0\r\nPrinterName=\r\n";
        QVERIFY2(bytes.find("[Home]\r\n" + keys) != std::string::npos, bytes.c_str());
        // Read back, the export holds the same sites as the settings file.
        QCOMPARE(ListJson(path("sites.ini")), ListJson(path("lanvex.ini")));

        QVERIFY(!transfer::ExportSites(path("lanvex.ini"), path("sites.JSON")).failed);
        QCOMPARE(ReadBytes(path("sites.JSON")), ListJson(path("lanvex.ini")));

        // A folder in the way is reported, not claimed as written; the settings file itself is
        // never overwritten by an export.
        const transfer::TransferReport blocked = transfer::ExportSites(path("lanvex.ini"), m_dir.path().toStdString());
        QVERIFY(blocked.failed);
        QCOMPARE(blocked.ExitCode(), 1);
        QVERIFY(transfer::ExportSites(path("lanvex.ini"), path("lanvex.ini")).failed);
        QCOMPARE(ReadBytes(path("lanvex.ini")), kSettings);
    }

    void importAddsNewSitesAndReportsEverySkip()
    {
        WriteBytes(path("in.json"),
                   R"([{"Name":"  home ","DHCPEnabled":false,"IP":"1.2.3.4"},
                       {"Name":"Cafe","ChangeDNS":true,"DNS":"9.9.9.9","IP":"192.168.5.5"},
                       {"Name":"cafe"}, {"Name":"A,B"}, {"Name":""}, {"Name":"本机当前设置"},
                       {"Name":"Smile 😀"}, {"Name":"Bad value","IP":"1.2.3.4\n[Home]"},
                       {"Name":"Depot","DHCPEnabled":1}])");
        const transfer::TransferReport report = transfer::ImportSites(path("lanvex.ini"), path("in.json"), false);
        QVERIFY(!report.failed);
        QCOMPARE(report.added, (std::vector<std::string> { "Cafe", "Depot" }));
        QVERIFY(report.replaced.empty());
        std::vector<std::string> skipped;
        for (const auto& s : report.skipped)
            skipped.push_back(s.name);
        QCOMPARE(skipped,
                 (std::vector<std::string> { "home", "cafe", "A,B", "", "本机当前设置", "Smile 😀", "Bad value" }));
        QCOMPARE(report.ExitCode(), 1);

        const store::SiteListModel model
            = store::LoadSiteModel(store::IniFile(path("lanvex.ini")).Load(), std::nullopt);
        QCOMPARE(model.SiteNames,
                 (std::vector<std::string> { store::kCurrentSettingsName, "办公室", "Home", "Lab", "Cafe", "Depot" }));
        QVERIFY(model.SiteProfiles[2].DHCPEnabled); // the saved Home is left as it was
        QCOMPARE(model.SiteProfiles[4].DNS, std::string("9.9.9.9"));
        QVERIFY(model.SiteProfiles[4].ChangeDNS);
        QVERIFY(model.SiteProfiles[5].DHCPEnabled);

        // Into a new settings file, the site list comes first, as a save writes it.
        QVERIFY(!transfer::ImportSites(path("new.ini"), path("in.json"), false).failed);
        QVERIFY(ReadBytes(path("new.ini")).starts_with("[Common]\r\nSites=home,Cafe,Depot\r\n"));

        const std::vector<std::string> lines = transfer::ImportReportLines(report, 3);
        QCOMPARE(lines.front(), std::string("已添加：Cafe"));
        QCOMPARE(lines[2], std::string("已跳过：home（已有同名的办公位置）"));
        QCOMPARE(lines[3], std::string("……另有 6 项"));
        QCOMPARE(lines.back(), std::string("共添加 2 个，替换 0 个，跳过 7 个。"));
    }

    void importWithReplaceOverwritesInPlace()
    {
        // A settings file of the Windows form, as an export on another machine gives it.
        WriteBytes(path("other.ini"),
                   "[Common]\r\nSites=LAB,New\r\n[lab]\r\nDHCPEnabled=1\r\n[New]\r\nIP=10.9.9.9\r\n");
        const transfer::TransferReport report = transfer::ImportSites(path("lanvex.ini"), path("other.ini"), true);
        QCOMPARE(report.replaced, std::vector<std::string> { "Lab" });
        QCOMPARE(report.added, std::vector<std::string> { "New" });
        QCOMPARE(report.ExitCode(), 0);
        const store::SiteListModel model
            = store::LoadSiteModel(store::IniFile(path("lanvex.ini")).Load(), std::nullopt);
        QCOMPARE(model.SiteNames[3], std::string("Lab"));
        QVERIFY(model.SiteProfiles[3].DHCPEnabled);
        QCOMPARE(model.SiteProfiles[3].IP, std::string()); // every key of the imported record, not a mix
        QCOMPARE(model.SiteProfiles[4].IP, std::string("10.9.9.9"));
    }

    // The optional keys go out and come back in both forms; a site without them shows none, and a
    // replaced site keeps none of its old ones.
    void optionalKeysTravelBothWays()
    {
        // The last section of the file is Lab's.
        WriteBytes(path("lanvex.ini"),
                   kSettings
                       + "MoreIP=172.16.0.10/255.255.0.0\r\nIPv6Mode=static\r\n"
                         "IPv6Address=2001:db8::9/64\r\n");
        const std::string list = ListJson(path("lanvex.ini"));
        QVERIFY(list.find(R"("PrinterName":"","MoreIP":"172.16.0.10/255.255.0.0","IPv6Mode":"static",)"
                          R"("IPv6Address":"2001:db8::9/64"})")
                != std::string::npos);
        for (const auto& site : nlohmann::json::parse(list)) // no optional key in the other sites
            QCOMPARE(site.size(), std::size_t(site["Name"] == "Lab" ? 17 : 14));
        for (const char* form : { "out.json", "out.ini" }) {
            QVERIFY(!transfer::ExportSites(path("lanvex.ini"), path(form)).failed);
            const std::string target = std::string("from-") + form + ".ini";
            QVERIFY(!transfer::ImportSites(path(target.c_str()), path(form), false).failed);
            QCOMPARE(ListJson(path(target.c_str())), list);
        }
        // A key of the wrong type spoils its record, and the file with it.
        WriteBytes(path("typed.json"), R"([{"Name":"lab","IP":"172.16.0.11","IPv6Mode":6}])");
        QVERIFY(transfer::ImportSites(path("lanvex.ini"), path("typed.json"), true).failed);
        QCOMPARE(ListJson(path("lanvex.ini")), list);
        WriteBytes(path("plain.json"), R"([{"Name":"lab","IP":"172.16.0.11"}])");
        const transfer::TransferReport report = transfer::ImportSites(path("lanvex.ini"), path("plain.json"), true);
        QCOMPARE(report.replaced, std::vector<std::string> { "Lab" });
        QCOMPARE(ListJson(path("lanvex.ini")).find("MoreIP"), std::string::npos);
    }

    void anUnreadableImportChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("no site list") << QByteArray("[Other]\r\nSites=A\r\n");
        QTest::newRow("JSON object") << QByteArray(R"({"Name":"A"})");
        QTest::newRow("JSON record of wrong types") << QByteArray(R"([{"Name":"A"},{"Name":"B","IP":5}])");
    }

    void anUnreadableImportChangesNothing()
    {
        QFETCH(QByteArray, content);
        if (!content.isEmpty())
            WriteBytes(path("bad"), content.toStdString());
        const transfer::TransferReport report
            = transfer::ImportSites(path("lanvex.ini"), path(content.isEmpty() ? "none" : "bad"), true);
        QVERIFY(report.failed);
        QCOMPARE(report.ExitCode(), 1);
        QCOMPARE(ReadBytes(path("lanvex.ini")), kSettings);
    }

    void newOptionsBelongToTheirCommand()
    {
        const auto mode = [](std::vector<std::string> args) { return cli::ParseCommandLine(args).mode; };
        QVERIFY(cli::ParseCommandLine({ "--import", "f.ini", "--replace" }).replace);
        for (const auto& args : std::vector<std::vector<std::string>> { { "--export" },
                                                                        { "--export", "a", "--replace" },
                                                                        { "--tray", "--list" },
                                                                        { "--import", "a", "--export", "b" } })
            QCOMPARE(mode(args), cli::CommandLine::Mode::Invalid);
    }
};

QTEST_GUILESS_MAIN(TestSiteTransfer)
#include "tst_SiteTransfer.moc"
