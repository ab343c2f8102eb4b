#include "cli/ListCommand.h"
#include "store/IniModule.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <nlohmann/json.hpp>
#include <sstream>

class TestListCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printsTheSavedSitesAsJson();
    void printsAnEmptyArrayWithoutSettings();
    void theOrganisationsSitesFollowMarked();
};

void TestListCommand::printsTheSavedSitesAsJson()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lanvex.ini");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Common]\r\nSites=\xB0\xEC\xB9\xAB\xCA\xD2, Home\r\n"
               "[\xB0\xEC\xB9\xAB\xCA\xD2]\r\nDHCPEnabled=1\r\nChangeDNS=0\r\nChangeWINS=2\r\nIP=10.0.0.1\r\n"
               "PrinterName=\"Laser \"\"A\"\"\"\r\nAuxWINS=C:\\x\x01\ty\x7F\r\n");
    file.close();
    lanvex::store::IniFileName = path.toStdString();

    std::ostringstream out;
    QCOMPARE(lanvex::cli::RunListCommand(out, out), 0);
    // Every control character is escaped, DEL included.
    QVERIFY(out.str().find('\x7F') == std::string::npos);
    QVERIFY(out.str().find("\\u007f") != std::string::npos);
    const auto sites = nlohmann::ordered_json::parse(out.str());
    QVERIFY(sites.is_array());
    QCOMPARE(sites.size(), std::size_t(2)); // entry 0 is not a saved site

    const auto& office = sites[0];
    std::vector<std::string> keys;
    for (const auto& item : office.items())
        keys.push_back(item.key());
    const std::vector<std::string> fields { "Name",          "Description",    "DHCPEnabled", "IP",
                                            "SubNetMask",    "DefaultGateway", "ChangeDNS",   "DNS",
                                            "AuxDNS",        "ChangeWINS",     "WINS",        "AuxWINS",
                                            "ChangePrinter", "PrinterName" };
    QVERIFY(keys == fields);
    QCOMPARE(office["Name"].get<std::string>(), std::string("办公室"));
    QVERIFY(office["DHCPEnabled"].is_boolean() && office["DHCPEnabled"].get<bool>());
    QVERIFY(office["ChangeDNS"].is_boolean() && !office["ChangeDNS"].get<bool>());
    QVERIFY(office["ChangeWINS"].get<bool>());
    QCOMPARE(office["IP"].get<std::string>(), std::string("10.0.0.1"));
    // Quotes, backslashes and control characters survive the JSON text.
    QCOMPARE(office["PrinterName"].get<std::string>(), std::string("Laser \"\"A\"\""));
    QCOMPARE(office["AuxWINS"].get<std::string>(), std::string("C:\\x\x01\ty\x7F"));
    // The name keeps its blank; its missing section reads as an empty site.
    QCOMPARE(sites[1]["Name"].get<std::string>(), std::string(" Home"));
    QVERIFY(!sites[1]["DHCPEnabled"].get<bool>());
}

void TestListCommand::printsAnEmptyArrayWithoutSettings()
{
    QTemporaryDir dir;
    lanvex::store::IniFileName = dir.filePath("missing.ini").toStdString();
    std::ostringstream out;
    QCOMPARE(lanvex::cli::RunListCommand(out, out), 0);
    QVERIFY(nlohmann::json::parse(out.str()) == nlohmann::json::array());

    // A settings file that is there but cannot be read is no empty list.
    lanvex::store::IniFileName = dir.path().toStdString();
    std::ostringstream none, err;
    QCOMPARE(lanvex::cli::RunListCommand(none, err), 1);
    QCOMPARE(none.str(), std::string());
    QVERIFY(err.str().find(dir.path().toStdString()) != std::string::npos);
}

void TestListCommand::theOrganisationsSitesFollowMarked()
{
#ifdef Q_OS_WIN
    QSKIP("the organisation's file is found through XDG_CONFIG_DIRS on Linux only; windows_store checks its place");
#endif
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("managed/lanvex"));
    QFile managed(dir.filePath("managed/lanvex/lanvex.ini"));
    QVERIFY(managed.open(QIODevice::WriteOnly));
    managed.write("[Common]\r\nSites=Lab,HOME\r\n[Lab]\r\nIP=10.9.0.1\r\n[HOME]\r\nIP=10.9.0.2\r\n");
    managed.close();
    QFile own(dir.filePath("lanvex.ini"));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("[Common]\r\nSites=Home\r\n[Home]\r\nDHCPEnabled=1\r\n");
    own.close();
    lanvex::store::IniFileName = own.fileName().toStdString();
    // The first folder has no file: the next one's counts.
    qputenv("XDG_CONFIG_DIRS", (dir.filePath("none") + ':' + dir.filePath("managed")).toUtf8());

    std::ostringstream out, err;
    QCOMPARE(lanvex::cli::RunListCommand(out, err), 0);
    QCOMPARE(err.str(), std::string());
    const auto sites = nlohmann::json::parse(out.str());
    QCOMPARE(sites.size(), std::size_t(2)); // the own Home hides the organisation's HOME
    QVERIFY(sites[0]["Name"] == "Home");
    QVERIFY(!sites[0].contains("Managed"));
    QVERIFY(sites[1]["Name"] == "Lab");
    QVERIFY(sites[1]["IP"] == "10.9.0.1");
    QVERIFY(sites[1]["Managed"] == true);

    // An organisation's file that can't be read is said, and the own sites still list.
    QVERIFY(managed.remove());
    QVERIFY(QDir(dir.path()).mkpath("managed/lanvex/lanvex.ini"));
    std::ostringstream listed, said;
    QCOMPARE(lanvex::cli::RunListCommand(listed, said), 0);
    QCOMPARE(nlohmann::json::parse(listed.str()).size(), std::size_t(1));
    QVERIFY(said.str().find("managed/lanvex/lanvex.ini") != std::string::npos);
    qunsetenv("XDG_CONFIG_DIRS");
}

QTEST_GUILESS_MAIN(TestListCommand)
#include "tst_ListCommand.moc"
