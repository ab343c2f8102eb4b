#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using lanvex::store::SettingsFacts;
using lanvex::store::SettingsSource;

Q_DECLARE_METATYPE(SettingsSource)

namespace {

lanvex::store::WriteResult saveOneKey(const QString& path)
{
    return lanvex::store::IniFile(path.toStdString()).Update([](lanvex::store::IniDocument& doc) {
        return doc.WriteString("Common", "Sites", "A");
    });
}

} // namespace

class TestSettingsLocation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ruleChoosesTheFile_data();
    void ruleChoosesTheFile();
    void installedTreeIsKnownByItsDesktopEntry();
    void firstSaveMakesThePrivateFolder();
};

void TestSettingsLocation::ruleChoosesTheFile_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<bool>("besideExists");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("xdg"); // "-": unset
    QTest::addColumn<QString>("path");
    QTest::addColumn<SettingsSource>("source");

    const auto beside = QStringLiteral("/usr/bin/lanvex.ini");
    const auto inXdg = QStringLiteral("/cfg/lanvex/lanvex.ini");
    const auto inHome = QStringLiteral("/home/u/.config/lanvex/lanvex.ini");
    QTest::newRow("--config wins over a file beside") << "/srv/sites.ini" << true << true << "/cfg"
                                                      << "/srv/sites.ini" << SettingsSource::ConfigOption;
    QTest::newRow("--config wins over the config folder") << "/srv/sites.ini" << false << true << "/cfg"
                                                          << "/srv/sites.ini" << SettingsSource::ConfigOption;
    QTest::newRow("--config relative to the working folder")
        << "sites.ini" << false << true << "/cfg" << QDir::current().absoluteFilePath("sites.ini")
        << SettingsSource::ConfigOption;
    QTest::newRow("installed, file beside")
        << "" << true << true << "/cfg" << beside << SettingsSource::BesideProgramExisting;
    QTest::newRow("not installed, no file beside")
        << "" << false << false << "/cfg" << beside << SettingsSource::BesideProgramPortable;
    QTest::newRow("installed, XDG_CONFIG_HOME")
        << "" << false << true << "/cfg" << inXdg << SettingsSource::UserConfigFolder;
    QTest::newRow("installed, XDG_CONFIG_HOME unset")
        << "" << false << true << "-" << inHome << SettingsSource::UserConfigFolder;
    QTest::newRow("installed, XDG_CONFIG_HOME empty")
        << "" << false << true << "" << inHome << SettingsSource::UserConfigFolder;
    QTest::newRow("installed, XDG_CONFIG_HOME relative")
        << "" << false << true << "cfg" << inHome << SettingsSource::UserConfigFolder;
}

void TestSettingsLocation::ruleChoosesTheFile()
{
    QFETCH(QString, config);
    QFETCH(bool, besideExists);
    QFETCH(bool, installed);
    QFETCH(QString, xdg);
    QFETCH(QString, path);
    QFETCH(SettingsSource, source);

    SettingsFacts facts;
    if (!config.isEmpty())
        facts.configOption = config.toStdString();
    facts.executablePath = "/usr/bin/lanvex";
    facts.besideFileExists = besideExists;
    facts.runsFromInstalledBin = installed;
    if (xdg != "-")
        facts.xdgConfigHome = xdg.toStdString();
    facts.home = "/home/u";

    const auto location = lanvex::store::ChooseSettingsLocation(facts);
    QCOMPARE(QString::fromStdString(location.path), path);
    QCOMPARE(location.source, source);
}

void TestSettingsLocation::installedTreeIsKnownByItsDesktopEntry()
{
    using lanvex::store::IsInstalledBinFolder;
    QTemporaryDir root;
    const QString bin = root.filePath("prefix/bin");
    QVERIFY(QDir().mkpath(bin));
    QVERIFY(QDir().mkpath(root.filePath("build/bin")));
    QVERIFY(QDir().mkpath(root.filePath("prefix/share/applications")));
    QFile entry(root.filePath("prefix/share/applications/app.desktop"));
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.close();
    const std::string relativeEntry = "../share/applications/app.desktop";

    QVERIFY(IsInstalledBinFolder(bin.toStdString(), "/nonexistent/bin", relativeEntry));
    QVERIFY(!IsInstalledBinFolder(root.filePath("build/bin").toStdString(), "/nonexistent/bin", relativeEntry));
    // The folder the build installs to counts by itself, under any spelling of its path.
    QVERIFY(IsInstalledBinFolder(root.filePath("build/bin").toStdString(),
                                 root.filePath("build/./bin/../bin").toStdString(), ""));
    QVERIFY(!IsInstalledBinFolder(bin.toStdString(), "", ""));
}

void TestSettingsLocation::firstSaveMakesThePrivateFolder()
{
    using lanvex::store::UseSettingsLocation;
    QTemporaryDir home;
    const QString file = home.filePath(".config/lanvex/lanvex.ini");
    UseSettingsLocation({ file.toStdString(), SettingsSource::UserConfigFolder });
    QCOMPARE(QString::fromStdString(lanvex::store::IniFileName), file);
    QVERIFY(saveOneKey(file));
    QCOMPARE(lanvex::store::IniFile(file.toStdString()).Load().ReadString("Common", "Sites", ""), std::string("A"));
    for (const QString& folder : { home.filePath(".config"), home.filePath(".config/lanvex") })
        QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
                 QFileDevice::Permissions());

    // A folder that cannot be made fails the save with the folder's name.
    QFile blocker(home.filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString underFile = home.filePath("blocker/lanvex/lanvex.ini");
    UseSettingsLocation({ underFile.toStdString(), SettingsSource::UserConfigFolder });
    const auto written = saveOneKey(underFile);
    QVERIFY(!written.ok);
    QVERIFY2(written.error.find("blocker/lanvex") != std::string::npos, written.error.c_str());

    // Any other missing folder, such as one named by --config, is not made.
    const QString elsewhere = home.filePath("typo/lanvex.ini");
    UseSettingsLocation({ elsewhere.toStdString(), SettingsSource::ConfigOption });
    QVERIFY(!saveOneKey(elsewhere));
    QVERIFY(!QFileInfo::exists(home.filePath("typo")));
}

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "tst_SettingsLocation.moc"
