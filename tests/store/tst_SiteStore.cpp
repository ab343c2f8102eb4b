#include "store/ManagedSitesFile.h"
#include "store/SiteStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lanvex::store;

Q_DECLARE_METATYPE(std::vector<std::string>)

namespace {

std::string bytes(const QByteArray& b)
{
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

SiteProfile sampleSite(const std::string& name)
{
    SiteProfile site;
    site.Name = name;
    site.DHCPEnabled = false;
    site.IP = "192.168.1.10";
    site.SubNetMask = "255.255.255.0";
    site.DefaultGateway = "192.168.1.1";
    site.ChangeDNS = true;
    site.DNS = "192.168.1.53";
    site.AuxDNS = "8.8.8.8";
    site.ChangeWINS = false;
    site.WINS = "";
    site.AuxWINS = "10.0.0.2";
    site.ChangePrinter = true;
    site.PrinterName = "前台打印机";
    return site;
}

} // namespace

class TestSiteStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void siteListIsSplitAtEveryComma_data();
    void siteListIsSplitAtEveryComma();
    void entryZeroTakesTheCurrentSettings();
    void siteSectionsReadAsStored();
    void writeSiteStoresTheKeysInTheirOrder();
    void savedSitesLoadBackUnchanged();
    void optionalKeysFollowTheTwelveOnlyWithAValue();
    void writeSiteRefusesNamesTheFileCannotHold();
    void managedSitesFollowTheOwnUnlessANameHidesThem();
    void anUnreadableManagedFileGivesNoSitesAndOneReason();
    void aHugeSiteListIsCappedAndWrittenBackWhole_data();
    void aHugeSiteListIsCappedAndWrittenBackWhole();
    void scrollRange_data();
    void scrollRange();
};

void TestSiteStore::siteListIsSplitAtEveryComma_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<std::vector<std::string>>("names");

    QTest::newRow("no Sites key") << QByteArray("[Common]\r\n") << std::vector<std::string> {};
    QTest::newRow("empty Sites") << QByteArray("[Common]\r\nSites=\r\n") << std::vector<std::string> {};
    QTest::newRow("three sites") << QByteArray("[Common]\r\nSites=a,b,c\r\n")
                                 << std::vector<std::string> { "a", "b", "c" };
    QTest::newRow("two commas") << QByteArray("[Common]\r\nSites=a,,b\r\n")
                                << std::vector<std::string> { "a", "", "b" };
    QTest::newRow("trailing comma") << QByteArray("[Common]\r\nSites=a,\r\n") << std::vector<std::string> { "a", "" };
    QTest::newRow("spaces after commas stay")
        << QByteArray("[Common]\r\nSites=a, b ,c\r\n") << std::vector<std::string> { "a", " b ", "c" };
    QTest::newRow("only a comma") << QByteArray("[common]\r\nsites=,\r\n") << std::vector<std::string> { "", "" };
    QTest::newRow("GBK names") << QByteArray("[Common]\r\nSites=\xB0\xEC\xB9\xAB\xCA\xD2,\xBC\xD2\xC0\xEF\r\n")
                               << std::vector<std::string> { "办公室", "家里" };

    // Far beyond the 143 bytes other values are cut to: every name must come back.
    std::vector<std::string> many;
    QByteArray line = "[Common]\r\nSites=";
    for (int i = 0; i < 300; ++i) {
        many.push_back("site" + std::to_string(i));
        line += (i ? "," : "") + QByteArray::fromStdString(many.back());
    }
    QTest::newRow("long list read whole") << line + "\r\n" << many;
}

void TestSiteStore::siteListIsSplitAtEveryComma()
{
    QFETCH(QByteArray, file);
    QFETCH(std::vector<std::string>, names);
    const SiteListModel model = LoadSiteModel(IniDocument::Parse(bytes(file)), std::nullopt);
    QCOMPARE(model.SiteCount, static_cast<std::int32_t>(names.size() + 1));
    QCOMPARE(model.SiteNames.size(), names.size() + 1);
    QCOMPARE(model.SiteProfiles.size(), names.size() + 1);
    QCOMPARE(model.SiteNames[0], std::string(kCurrentSettingsName));
    for (std::size_t i = 0; i < names.size(); ++i) {
        QCOMPARE(model.SiteNames[i + 1], names[i]);
        QCOMPARE(model.SiteProfiles[i + 1].Name, names[i]);
    }
    // The list text written back on a save is the one that was read.
    QCOMPARE(SiteListText(model), IniDocument::Parse(bytes(file)).Value("Common", "Sites").value_or(""));
}

void TestSiteStore::entryZeroTakesTheCurrentSettings()
{
    const IniDocument doc = IniDocument::Parse("[Common]\r\nSites=a\r\n[a]\r\nIP=1.2.3.4\r\n");
    SiteProfile adapter = sampleSite("whatever the adapter said");
    adapter.Description = "Intel(R) Ethernet";
    adapter.MACAddress = "00:1A:2B:3C:4D:5E";

    const SiteListModel withAdapter = LoadSiteModel(doc, adapter);
    QCOMPARE(withAdapter.CurSiteIndex, 0);
    SiteProfile expected = adapter;
    expected.Name = kCurrentSettingsName;
    QVERIFY(withAdapter.SiteProfiles[0] == expected);
    QCOMPARE(withAdapter.SiteProfiles[1].IP, std::string("1.2.3.4"));

    const SiteListModel without = LoadSiteModel(doc, std::nullopt);
    QCOMPARE(without.CurSiteIndex, -1);
    QCOMPARE(without.SiteNames[0], std::string(kCurrentSettingsName));
    QVERIFY(without.SiteProfiles[0] == SiteProfile {});
}

void TestSiteStore::managedSitesFollowTheOwnUnlessANameHidesThem()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("managed.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // GBK: 总部 (headquarters) and 分部 (branch), the forms the organisation's file is written in.
    file.write("[Common]\r\nSites=\xD7\xDC\xB2\xBF,Lab,\xB7\xD6\xB2\xBF\r\n"
               "[\xD7\xDC\xB2\xBF]\r\nIP=10.0.0.1\r\n[Lab]\r\nIP=10.0.0.2\r\n[\xB7\xD6\xB2\xBF]\r\nIP=10.0.0.3\r\n");
    file.close();
    const auto managed = ReadManagedSites(path.toStdString());
    QVERIFY(managed->problem.empty());
    QCOMPARE(managed->sites.size(), std::size_t(3));

    // The own "lab" hides the organisation's "Lab", as one section would hold both.
    const IniDocument own = IniDocument::Parse("[Common]\r\nSites=lab,Home\r\n[lab]\r\nIP=192.168.0.2\r\n");
    SiteListModel model = LoadSiteModel(own, std::nullopt, managed);
    QCOMPARE(model.SiteNames, (std::vector<std::string> { kCurrentSettingsName, "lab", "Home", "总部", "分部" }));
    QCOMPARE(model.SiteCount, 5);
    QCOMPARE(model.ManagedCount, 2);
    QCOMPARE(model.SiteProfiles[1].IP, std::string("192.168.0.2"));
    QCOMPARE(model.SiteProfiles[4].IP, std::string("10.0.0.3"));
    QVERIFY(!IsManagedEntry(model, 2) && IsManagedEntry(model, 3) && IsManagedEntry(model, 4));
    // The organisation's names never reach the user's own list.
    QCOMPARE(SiteListText(model), std::string("lab,Home"));

    // After a save, the model is rebuilt from the user's file and keeps the organisation's sites;
    // an own site named like one of them now hides it.
    const IniDocument saved = IniDocument::Parse("[Common]\r\nSites=lab,Home,\xB7\xD6\xB2\xBF\r\n");
    ReplaceSites(model, saved);
    QCOMPARE(model.SiteNames, (std::vector<std::string> { kCurrentSettingsName, "lab", "Home", "分部", "总部" }));
    QCOMPARE(model.ManagedCount, 1);
}

void TestSiteStore::anUnreadableManagedFileGivesNoSitesAndOneReason()
{
    QTemporaryDir folder;
    const auto absent = ReadManagedSites(folder.filePath(QStringLiteral("none.ini")).toStdString());
    QVERIFY(absent->sites.empty());
    QVERIFY(absent->problem.empty());

    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder.ini")));
    const auto broken = ReadManagedSites(folder.filePath(QStringLiteral("folder.ini")).toStdString());
    QVERIFY(broken->sites.empty());
    QVERIFY(!broken->problem.empty());
    // The user's own sites load as ever.
    const SiteListModel model = LoadSiteModel(IniDocument::Parse("[Common]\r\nSites=a\r\n"), std::nullopt, broken);
    QCOMPARE(model.SiteCount, 2);
    QCOMPARE(model.ManagedCount, 0);
}

void TestSiteStore::siteSectionsReadAsStored()
{
    const std::string file = "[Common]\r\nSites=Office, B ,office,Nowhere,\r\n"
                             "[OFFICE]\r\nDHCPEnabled=2\r\nChangeDNS=-1\r\nChangeWINS=yes\r\nChangePrinter=99999\r\n"
                             "IP="
        + std::string(200, '1')
        + "\r\nDNS= 10.0.0.53 \r\nPrinterName=\"HP\"\r\n"
          "[B]\r\nDHCPEnabled=1\r\nWINS=10.0.0.9\r\n";
    const SiteListModel model = LoadSiteModel(IniDocument::Parse(file), std::nullopt);
    QCOMPARE(model.SiteCount, 6);

    const SiteProfile& office = model.SiteProfiles[1];
    QVERIFY(office.DHCPEnabled); // 2 > 0
    QVERIFY(!office.ChangeDNS); // -1
    QVERIFY(!office.ChangeWINS); // no digits
    QVERIFY(office.ChangePrinter); // beyond 16 bits, still positive
    QCOMPARE(office.IP, std::string(143, '1'));
    QCOMPARE(office.DNS, std::string("10.0.0.53"));
    QCOMPARE(office.PrinterName, std::string("HP"));

    // " B " reads section [B]; names differing in case share a section.
    QVERIFY(model.SiteProfiles[2].DHCPEnabled);
    QCOMPARE(model.SiteProfiles[2].WINS, std::string("10.0.0.9"));
    QCOMPARE(model.SiteProfiles[2].Name, std::string(" B "));
    QCOMPARE(model.SiteProfiles[3].IP, office.IP);
    QCOMPARE(model.SiteProfiles[3].Name, std::string("office"));

    // A listed site without a section, and an empty name, read as empty records with their names.
    SiteProfile nowhere;
    nowhere.Name = "Nowhere";
    QVERIFY(model.SiteProfiles[4] == nowhere);
    QVERIFY(model.SiteProfiles[5] == SiteProfile {});
}

void TestSiteStore::writeSiteStoresTheKeysInTheirOrder()
{
    IniDocument fresh = IniDocument::Parse("");
    QVERIFY(WriteSite(fresh, "办公室", sampleSite("办公室")));
    const std::string gbkOffice = "\xB0\xEC\xB9\xAB\xCA\xD2";
    QCOMPARE(fresh.Serialize(),
             "[Common]\r\nSites=" + gbkOffice + "\r\n[" + gbkOffice
                 + "]\r\nDHCPEnabled=0\r\nIP=192.168.1.10\r\nSubNetMask=255.255.255.0\r\n"
                   "DefaultGateway=192.168.1.1\r\nChangeDNS=1\r\nDNS=192.168.1.53\r\n"
                   "AuxDNS=8.8.8.8\r\nChangeWINS=0\r\nWINS=\r\nAuxWINS=10.0.0.2\r\n"
                   "ChangePrinter=1\r\nPrinterName=\xC7\xB0\xCC\xA8\xB4\xF2\xD3\xA1\xBB\xFA\r\n");

    // Existing keys change where they stand; keys new to the section follow in the stored order.
    IniDocument existing = IniDocument::Parse("[Common]\r\nSites=x\r\n[x]\r\nIP=1.1.1.1\r\n; note\r\nDHCPEnabled=1\r\n"
                                              "Custom=kept\r\n\r\n[y]\r\nIP=2.2.2.2\r\n");
    QVERIFY(WriteSite(existing, "x,y", sampleSite("x")));
    QCOMPARE(existing.Serialize(),
             std::string("[Common]\r\nSites=x,y\r\n[x]\r\nIP=192.168.1.10\r\n; note\r\nDHCPEnabled=0\r\n"
                         "Custom=kept\r\nSubNetMask=255.255.255.0\r\nDefaultGateway=192.168.1.1\r\nChangeDNS=1\r\n"
                         "DNS=192.168.1.53\r\nAuxDNS=8.8.8.8\r\nChangeWINS=0\r\nWINS=\r\nAuxWINS=10.0.0.2\r\n"
                         "ChangePrinter=1\r\nPrinterName=\xC7\xB0\xCC\xA8\xB4\xF2\xD3\xA1\xBB\xFA\r\n\r\n"
                         "[y]\r\nIP=2.2.2.2\r\n"));
}

void TestSiteStore::savedSitesLoadBackUnchanged()
{
    SiteListModel model;
    model.SiteNames = { kCurrentSettingsName, "总部", " 分部 1", "'quoted'" };
    IniDocument doc = IniDocument::Parse("");
    for (std::size_t i = 1; i < model.SiteNames.size(); ++i) {
        SiteProfile site = sampleSite(model.SiteNames[i]);
        site.DHCPEnabled = i % 2 == 1;
        site.PrinterName = " 打印机 " + std::to_string(i);
        QVERIFY(WriteSite(doc, SiteListText(model), site));
    }
    const SiteListModel loaded = LoadSiteModel(IniDocument::Parse(doc.Serialize()), std::nullopt);
    QCOMPARE(loaded.SiteNames, model.SiteNames);
    for (std::size_t i = 1; i < model.SiteNames.size(); ++i) {
        SiteProfile expected = sampleSite(model.SiteNames[i]);
        expected.DHCPEnabled = i % 2 == 1;
        expected.PrinterName = " 打印机 " + std::to_string(i);
        QVERIFY2(loaded.SiteProfiles[i] == expected, model.SiteNames[i].c_str());
    }
}

void TestSiteStore::optionalKeysFollowTheTwelveOnlyWithAValue()
{
    SiteProfile site = sampleSite("x");
    // Longer than the 143 bytes the twelve keys are cut at: read whole.
    for (int i = 10; i < 30; ++i) {
        if (i > 10)
            site.Extras.MoreIP += ',';
        site.Extras.MoreIP += "10.1.0." + std::to_string(i) + "/255.255.255.0";
    }
    site.Extras.DNSSuffix = "corp.example.com";
    site.Extras.IPv6Mode = "off";
    IniDocument doc = IniDocument::Parse("[Common]\r\nSites=x\r\n[x]\r\nCustom=kept\r\n[y]\r\nIP=2.2.2.2\r\n");
    QVERIFY(WriteSite(doc, "x,y", site));
    const std::string twelve = "DHCPEnabled=0\r\nIP=192.168.1.10\r\nSubNetMask=255.255.255.0\r\n"
                               "DefaultGateway=192.168.1.1\r\nChangeDNS=1\r\nDNS=192.168.1.53\r\n"
                               "AuxDNS=8.8.8.8\r\nChangeWINS=0\r\nWINS=\r\nAuxWINS=10.0.0.2\r\n"
                               "ChangePrinter=1\r\nPrinterName=\xC7\xB0\xCC\xA8\xB4\xF2\xD3\xA1\xBB\xFA\r\n";
    QCOMPARE(doc.Serialize(),
             "[Common]\r\nSites=x,y\r\n[x]\r\nCustom=kept\r\n" + twelve + "MoreIP=" + site.Extras.MoreIP
                 + "\r\nDNSSuffix=corp.example.com\r\nIPv6Mode=off\r\n[y]\r\nIP=2.2.2.2\r\n");
    QVERIFY(site.Extras.MoreIP.size() > IniDocument::kMaxReadBytes);
    QCOMPARE(ReadSite(IniDocument::Parse(doc.Serialize()), "x"), site);

    // An emptied key leaves the file, every line of it; the other sections stay as they were.
    IniDocument withDuplicate = IniDocument::Parse("[Common]\r\nSites=x\r\n[x]\r\n" + twelve
                                                   + "MoreIP=1.1.1.1/255.0.0.0\r\nmoreip=2.2.2.2/255.0.0.0\r\n"
                                                     "IPv6Mode=off\r\n[y]\r\nMoreIP=other site\r\n");
    site.Extras = {};
    QVERIFY(WriteSiteKeys(withDuplicate, site));
    QCOMPARE(withDuplicate.Serialize(), "[Common]\r\nSites=x\r\n[x]\r\n" + twelve + "[y]\r\nMoreIP=other site\r\n");
    QCOMPARE(ReadSite(withDuplicate, "x"), site);
}

void TestSiteStore::aHugeSiteListIsCappedAndWrittenBackWhole_data()
{
    QTest::addColumn<QByteArray>("sites");
    QTest::addColumn<int>("siteCount");
    QByteArray exactlyFull = "a";
    exactlyFull += QByteArray(",a").repeated(int(kMaxSites) - 1);
    QTest::newRow("exactly full") << exactlyFull << int(kMaxSites) + 1;
    QTest::newRow("one empty name over") << exactlyFull + "," << int(kMaxSites) + 1;
    QTest::newRow("millions of commas") << QByteArray(3'000'000, ',') << int(kMaxSites) + 1;
}

// A hand-made list of millions of names must not cost gigabytes, and a save must not drop the
// names the list could not hold.
void TestSiteStore::aHugeSiteListIsCappedAndWrittenBackWhole()
{
    QFETCH(QByteArray, sites);
    QFETCH(int, siteCount);
    const IniDocument doc = IniDocument::Parse(bytes("[Common]\r\nSites=" + sites + "\r\n"));
    SiteListModel model = LoadSiteModel(doc, std::nullopt);
    QCOMPARE(model.SiteCount, siteCount);
    QCOMPARE(model.SiteProfiles.size(), model.SiteNames.size());
    QCOMPARE(SiteListText(model), bytes(sites));
}

void TestSiteStore::writeSiteRefusesNamesTheFileCannotHold()
{
    const std::string original = "[Common]\r\nSites=a\r\n";
    for (const std::string name : { "a]b", "😀", "line\nbreak" }) {
        IniDocument doc = IniDocument::Parse(original);
        QVERIFY2(!WriteSite(doc, "a," + name, sampleSite(name)), name.c_str());
    }
    SiteProfile site = sampleSite("ok");
    site.IP = "1.2.3.4\r\n[Common]";
    IniDocument doc = IniDocument::Parse(original);
    QVERIFY(!WriteSite(doc, "a,ok", site));
}

void TestSiteStore::scrollRange_data()
{
    QTest::addColumn<int>("siteCount");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("pageStep");

    QTest::newRow("one entry") << 1 << false << 0 << 0;
    QTest::newRow("seven entries fit") << 7 << false << 0 << 0;
    QTest::newRow("eight entries") << 8 << true << 2 << 2;
    QTest::newRow("twelve entries") << 12 << true << 6 << 6;
    QTest::newRow("thirteen entries") << 13 << true << 7 << 7;
    QTest::newRow("twenty-one entries") << 21 << true << 15 << 7;
}

void TestSiteStore::scrollRange()
{
    QFETCH(int, siteCount);
    QFETCH(bool, visible);
    QFETCH(int, maximum);
    QFETCH(int, pageStep);
    const ScrollRange range = ScrollRangeFor(siteCount);
    QCOMPARE(range.visible, visible);
    if (!visible)
        return;
    QCOMPARE(range.minimum, 1);
    QCOMPARE(range.maximum, maximum);
    QCOMPARE(range.singleStep, 1);
    QCOMPARE(range.pageStep, pageStep);
}

QTEST_APPLESS_MAIN(TestSiteStore)
#include "tst_SiteStore.moc"
