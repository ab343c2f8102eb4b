// Import and export of sites between settings files and the --list JSON, as the console and the
// window's list menu run them.
#include "cli/CommandLine.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"
#include "store/TextCodec.h"
#include "transfer/SiteJson.h"
#include "transfer/SiteTransfer.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#ifdef _WIN32
constexpr bool kSpecialFiles = false;
bool MakeFifo(const std::string&)
{
    return false;
}
#else
// FIFOs and devices, which Windows has not as files.
constexpr bool kSpecialFiles = true;
bool MakeFifo(const std::string& path)
{
    return ::mkfifo(path.c_str(), 0600) == 0;
}
#endif

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
                         "IPv6Address=2001:db8::9/64\r\nCheckAddress=0\r\nWiFi=Lab 5G\r\n"
                         "DisconnectOnApply=Home VPN\r\nFirewallZone=work\r\nHostname=lab-7\r\n");
        const std::string list = ListJson(path("lanvex.ini"));
        QVERIFY(list.find(R"("PrinterName":"","MoreIP":"172.16.0.10/255.255.0.0","IPv6Mode":"static",)"
                          R"("IPv6Address":"2001:db8::9/64","CheckAddress":"0","WiFi":"Lab 5G",)"
                          R"("DisconnectOnApply":"Home VPN","FirewallZone":"work","Hostname":"lab-7"})")
                != std::string::npos);
        for (const auto& site : nlohmann::json::parse(list)) // no optional key in the other sites
            QCOMPARE(site.size(), std::size_t(site["Name"] == "Lab" ? 22 : 14));
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

    // Many sites with every field set and texts of every length, more than one block of the packed
    // form the import holds them in, come through whole and in order; importing them again over
    // themselves leaves the file as it was.
    void everyFieldOfManySitesComesThrough()
    {
        std::vector<store::SiteProfile> sites;
        nlohmann::ordered_json file = nlohmann::ordered_json::array();
        for (int i = 0; i < 400; ++i) {
            store::SiteProfile site;
            site.Name = "Site " + std::to_string(i);
            site.DHCPEnabled = i % 2 == 0;
            site.ChangeDNS = i % 3 == 0;
            site.ChangeWINS = i % 5 == 0;
            site.ChangePrinter = i % 7 == 0;
            site.IP = "10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250);
            site.SubNetMask = std::string(i % 3, 'm');
            site.DefaultGateway = std::string(i % 140, 'g');
            site.DNS = "d" + std::to_string(i);
            site.AuxDNS = std::string(i % 2 ? 0 : 130, 'x');
            site.WINS = "w" + std::to_string(i * 7);
            site.AuxWINS = std::string(i % 11, 'y');
            site.PrinterName = "Printer " + std::string(i % 128, 'p');
            int k = 0;
            for (const store::ExtraKey& key : store::kExtraKeys) {
                const std::size_t length = k == i % 18 ? std::size_t(i * 37 + 200) % 4000 : std::size_t(i + k) % 150;
                site.Extras.*key.member = std::string(length, static_cast<char>('a' + k++ % 26));
            }
            sites.push_back(site);
            file.push_back(transfer::ProfileJson(site));
        }
        WriteBytes(path("many.json"), file.dump());
        const std::string settings = path("many.ini");
        QCOMPARE(transfer::ImportSites(settings, path("many.json"), false).added.size(), sites.size());
        const std::string written = ReadBytes(settings);
        const store::SiteListModel model = store::LoadSiteModel(store::IniFile(settings).Load(), std::nullopt);
        QCOMPARE(model.SiteProfiles.size(), sites.size() + 1);
        for (std::size_t i = 0; i < sites.size(); ++i)
            QVERIFY2(model.SiteProfiles[i + 1] == sites[i], sites[i].Name.c_str());

        QCOMPARE(transfer::ImportSites(settings, path("many.json"), true).replaced.size(), sites.size());
        QVERIFY(ReadBytes(settings) == written);
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

    // Refused whole, with the reason in the program's words, and the settings file left as it was:
    // nothing that the program could not read back, no site reported that it did not keep, and no
    // file that is not one.
    void importRefusesWhatTheProgramCouldNotKeep_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("special");
        QTest::addColumn<QString>("reason");
        const auto records = [](std::size_t count, std::size_t from) {
            std::string json = "[";
            for (std::size_t i = 0; i < count; ++i)
                json += (i ? ",{\"Name\":\"s" : "{\"Name\":\"s") + std::to_string(from + i) + "\"}";
            return QByteArray::fromStdString(json + "]");
        };
        const QString full = QStringLiteral("办公位置列表最多容纳 100000 个办公位置。");
        QTest::newRow("more records than the list holds") << records(store::kMaxSites + 1, 0) << "" << full;
        // With the saved ones, the list would pass the limit by one.
        QTest::newRow("list full with the saved sites") << records(2, 0) << "many saved" << full;
        // Refused as read, and before the parse gathers a string of any length.
        for (const int length : { 5000, 100000 })
            QTest::addRow("a text of %d bytes", length) << "[{\"Name\":\"" + QByteArray(length, 'x') + "\"}]"
                                                        << "" << QStringLiteral("文件中有一项不是办公位置记录。");
        QTest::newRow("nothing but section headers") << QByteArray("[]\n").repeated(300000) << "" << full;
        // 8 MB of sites into a settings file of 60 MiB: more than the program reads.
        const QByteArray printer(4000, 'p');
        QByteArray large = "[";
        for (int i = 0; i < 2000; ++i)
            large += (i ? ",{\"Name\":\"p" : "{\"Name\":\"p") + QByteArray::number(i) + "\",\"PrinterName\":\""
                + printer + "\"}";
        QTest::newRow("settings file past the size limit")
            << large + "]"
            << "big" << QStringLiteral("导入后配置文件将超过 64 MiB，本程序将无法再读取它。");
        if (kSpecialFiles) {
            QTest::newRow("FIFO") << QByteArray() << "fifo" << QStringLiteral("它不是一个普通文件。");
            QTest::newRow("/dev/zero") << QByteArray() << "/dev/zero" << QStringLiteral("它不是一个普通文件。");
        }
        QTest::newRow("folder") << QByteArray() << "folder" << QStringLiteral("这个位置上是一个文件夹。");
        QTest::newRow("file past the size limit")
            << QByteArray() << "sparse" << QStringLiteral("文件超过了本程序的上限（64 MiB）。");
    }

    void importRefusesWhatTheProgramCouldNotKeep()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, special);
        QFETCH(QString, reason);
        std::string incoming = path("in.json");
        std::string settings = kSettings;
        if (special == "big") {
            settings += "[Big]\r\nIP=" + std::string(60 << 20, 'x') + "\r\n";
            WriteBytes(path("lanvex.ini"), settings);
        } else if (special == "many saved") {
            settings = "[Common]\r\nSites=saved0";
            for (std::size_t i = 1; i < store::kMaxSites - 1; ++i)
                settings += ",saved" + std::to_string(i);
            settings += "\r\n";
            WriteBytes(path("lanvex.ini"), settings);
        } else if (special == "fifo") {
            QVERIFY(MakeFifo(incoming));
        } else if (special == "folder") {
            incoming = m_dir.path().toStdString();
        } else if (special == "sparse") {
            WriteBytes(incoming, "[");
            std::filesystem::resize_file(incoming, (64 << 20) + 1);
        } else if (special.startsWith('/')) {
            incoming = special.toStdString();
        }
        if (!content.isEmpty())
            WriteBytes(incoming, content.toStdString());

        const transfer::TransferReport report = transfer::ImportSites(path("lanvex.ini"), incoming, false);
        std::filesystem::remove(path("in.json"));
        QVERIFY(report.failed);
        QVERIFY(report.added.empty());
        QVERIFY2(QString::fromStdString(report.error).endsWith(reason), report.error.c_str());
        QVERIFY(ReadBytes(path("lanvex.ini")) == settings);
    }

#ifndef _WIN32
    // The target of an export is treated as the settings file is: written through a link, with
    // its permissions kept, refused when read-only or linked twice, streamed into a FIFO or a device.
    void exportWritesAsTheSettingsFileIsWritten()
    {
        const std::string settings = path("lanvex.ini");
        const std::string expected = ListJson(settings);
        WriteBytes(path("real.json"), "old");
        QCOMPARE(::chmod(path("real.json").c_str(), 0600), 0);
        QCOMPARE(::symlink("real.json", path("link.json").c_str()), 0);
        QVERIFY(!transfer::ExportSites(settings, path("link.json")).failed);
        QVERIFY(QFileInfo(QString::fromStdString(path("link.json"))).isSymLink());
        QCOMPARE(ReadBytes(path("real.json")), expected);
        struct stat info = {};
        QCOMPARE(::stat(path("real.json").c_str(), &info), 0);
        QCOMPARE(int(info.st_mode & 07777), 0600);

        WriteBytes(path("locked.json"), "old");
        QCOMPARE(::chmod(path("locked.json").c_str(), 0444), 0);
        QVERIFY(QString::fromStdString(transfer::ExportSites(settings, path("locked.json")).error)
                    .endsWith(QStringLiteral("没有权限，或者文件是只读的。")));
        QCOMPARE(ReadBytes(path("locked.json")), std::string("old"));

        WriteBytes(path("twice.json"), "old");
        QCOMPARE(::link(path("twice.json").c_str(), path("second.json").c_str()), 0);
        QVERIFY(QString::fromStdString(transfer::ExportSites(settings, path("twice.json")).error)
                    .endsWith(QStringLiteral("文件还有其他硬链接，替换它会使它们与它分离。")));
        QCOMPARE(ReadBytes(path("second.json")), std::string("old"));

        // A FIFO nobody reads is reported at once; one that another program reads gets the list.
        const std::string fifo = path("pipe.json");
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        QVERIFY(QString::fromStdString(transfer::ExportSites(settings, fifo).error)
                    .endsWith(QStringLiteral("没有程序在读取这个管道。")));
        QProcess reader;
        reader.start(QStringLiteral("cat"), { QString::fromStdString(fifo) });
        QVERIFY(reader.waitForStarted());
        // Until the reader has opened the FIFO, there is nobody to write to.
        transfer::TransferReport toFifo;
        for (int i = 0; i < 100 && (i == 0 || toFifo.failed); ++i) {
            if (i > 0)
                QTest::qWait(50);
            toFifo = transfer::ExportSites(settings, fifo);
        }
        QVERIFY2(!toFifo.failed, toFifo.error.c_str());
        QVERIFY(reader.waitForFinished());
        QCOMPARE(reader.readAllStandardOutput().toStdString(), expected);

        // Standard output, here a pipe of the test's own.
        int pipeEnds[2];
        QCOMPARE(::pipe(pipeEnds), 0);
        std::fflush(stdout);
        const int savedOut = ::dup(STDOUT_FILENO);
        QVERIFY(::dup2(pipeEnds[1], STDOUT_FILENO) >= 0);
        const transfer::TransferReport toStdout = transfer::ExportSites(settings, "/dev/stdout");
        ::dup2(savedOut, STDOUT_FILENO);
        ::close(savedOut);
        ::close(pipeEnds[1]);
        std::string streamed(4096, '\0');
        streamed.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(pipeEnds[0], streamed.data(), 4096))));
        ::close(pipeEnds[0]);
        QVERIFY2(!toStdout.failed, toStdout.error.c_str());
        QVERIFY(streamed.starts_with("[Common]\r\nSites="));
    }
#endif

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
