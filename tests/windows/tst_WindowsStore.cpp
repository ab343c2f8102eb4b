#include "WindowsTestSupport.h"
#include "apply/ApplyProcedure.h"
#include "apply/ApplyResult.h"
#include "net/AdapterQuery.h"
#include "net/sim/SimulatedService.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SettingsLocation.h"
#include "store/windows/WindowsText.h"

#include <cerrno>
#include <doctest/doctest.h>
#include <nlohmann/json.hpp>
#include <thread>
#include <windows.h>

using namespace lanvex;
using namespace lanvex::store;
using lanvex::test::ChineseFolder;

namespace {

const std::string kHeadquartersGbk = "\xD7\xDC\xB2\xBF"; // 总部

DWORD attributesOf(const std::string& path)
{
    return GetFileAttributesW(windows::Widen(path).c_str());
}

} // namespace

TEST_SUITE("store")
{
    TEST_CASE("the five procedures work with Chinese names in a folder with a Chinese name")
    {
        const ChineseFolder folder;
        IniFileName = SettingsPathForExecutable(folder / "切换工具.exe");
        CHECK(IniFileName == folder / "切换工具.ini");

        CHECK(WriteIniString("Common", "Sites", "总部,家里"));
        CHECK(WriteIniInt("总部", "DHCPEnabled", 0));
        CHECK(WriteIniString("总部", "IP", "192.168.1.23"));
        CHECK(WriteIniInt("家里", "DHCPEnabled", 1));
        CHECK(ReadIniString("common", "SITES", "") == "总部,家里");
        CHECK(ReadIniInt("总部", "DHCPEnabled", 5) == 0);
        CHECK(ReadIniInt("家里", "dhcpenabled", 0) == 1);
        CHECK(ReadIniString("总部", "IP", "") == "192.168.1.23");
        CHECK(ReadIniString("总部", "DNS", "无") == "无");

        // The file is code page 936 with CRLF lines, as the profile functions write it.
        const std::string bytes = test::FileBytes(IniFileName);
        CHECK(bytes.find("[" + kHeadquartersGbk + "]\r\n") != std::string::npos);
        CHECK(bytes.find("总部") == std::string::npos);

        CHECK(DeleteIniSection("总部"));
        CHECK(ReadIniString("总部", "IP", "") == "");
        CHECK(ReadIniInt("家里", "DHCPEnabled", 0) == 1);
        CHECK(test::FileBytes(IniFileName).find(kHeadquartersGbk + "]") == std::string::npos);
        // Every write replaced the file through a temporary one; none is left behind.
        CHECK(test::CountFiles(folder.Path()) == 1);

        // The one folder a first save may make, and no other.
        MakeFolderOnFirstSave(folder / "新目录");
        IniFileName = folder / "新目录\\站点.ini";
        CHECK(WriteIniString("站点", "IP", "10.0.0.1"));
        IniFileName = folder / "别的目录\\站点.ini";
        CHECK_FALSE(WriteIniString("站点", "IP", "10.0.0.1"));
        MakeFolderOnFirstSave({});
    }

    TEST_CASE("a write keeps the file's attributes and leaves a read-only file alone")
    {
        const ChineseFolder folder;
        IniFileName = folder / "站点.ini";
        REQUIRE(WriteIniString("站点", "IP", "10.0.0.1"));

        SetFileAttributesW(windows::Widen(IniFileName).c_str(), FILE_ATTRIBUTE_HIDDEN);
        CHECK(WriteIniString("站点", "DNS", "10.0.0.53"));
        CHECK((attributesOf(IniFileName) & FILE_ATTRIBUTE_HIDDEN) != 0);
        CHECK(ReadIniString("站点", "DNS", "") == "10.0.0.53");

        SetFileAttributesW(windows::Widen(IniFileName).c_str(), FILE_ATTRIBUTE_READONLY);
        const std::string before = test::FileBytes(IniFileName);
        const WriteResult result
            = IniFile(IniFileName).Update([](IniDocument& doc) { return doc.WriteString("站点", "IP", "10.0.0.2"); });
        CHECK_FALSE(result.ok);
        CHECK(result.errorCode == EACCES);
        CHECK(result.error.find("read-only") != std::string::npos);
        CHECK_FALSE(WriteIniString("站点", "IP", "10.0.0.3"));
        CHECK(test::FileBytes(IniFileName) == before);
        CHECK(test::CountFiles(folder.Path()) == 1);
    }

    TEST_CASE("a write waits for a program that holds the file open without sharing")
    {
        const ChineseFolder folder;
        IniFileName = folder / "站点.ini";
        REQUIRE(WriteIniString("站点", "IP", "10.0.0.1"));
        // What a virus scanner does for a moment.
        HANDLE held = CreateFileW(windows::Widen(IniFileName).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        REQUIRE(held != INVALID_HANDLE_VALUE);
        std::thread release([held] {
            Sleep(300);
            CloseHandle(held);
        });
        CHECK(WriteIniString("站点", "IP", "10.0.0.2"));
        release.join();
        CHECK(ReadIniString("站点", "IP", "") == "10.0.0.2");
    }

    TEST_CASE("two writer processes at once lose none of each other's keys")
    {
        const ChineseFolder folder;
        const std::string path = folder / "共享.ini";
        const std::wstring quoted = L"\"" + windows::Widen(path) + L"\"";
        constexpr int kKeys = 100;
        const std::vector<int> codes
            = test::RunSelfTogether({ L"--writer " + quoted + L" 甲 " + std::to_wstring(kKeys),
                                      L"--writer " + quoted + L" 乙 " + std::to_wstring(kKeys) });
        CHECK(codes == std::vector<int> { 0, 0 });
        IniFileName = path;
        int found = 0;
        for (int i = 0; i < kKeys; ++i) {
            const std::string key = "键" + std::to_string(i), value = "值" + std::to_string(i);
            found += ReadIniString("甲", key, "") == value;
            found += ReadIniString("乙", key, "") == value;
        }
        CHECK(found == 2 * kKeys);
        CHECK(test::CountFiles(folder.Path()) == 1);
    }

    TEST_CASE("the simulated service writes its file back under a Chinese name")
    {
        const ChineseFolder folder;
        const std::string path = folder / "模拟网络.json";
        test::WriteFileBytes(path, R"({"adapters": [
            {"Description": "网卡", "IPEnabled": true, "DHCPEnabled": true, "IPAddress": ["10.0.0.5"]},
            {"Description": "第二块网卡", "IPEnabled": true, "DHCPEnabled": true}], "calls": []})");
        net::sim::SimulatedConnector connector(path);
        store::SiteProfile site;
        site.IP = "192.168.8.20";
        site.SubNetMask = "255.255.255.0";
        site.DefaultGateway = "192.168.8.1";
        CHECK(apply::ApplySteps(connector, 2, site, nullptr, {}).Result == apply::kApplyOk);

        const nlohmann::json written = nlohmann::json::parse(test::FileBytes(path));
        REQUIRE(written["calls"].size() == 2);
        CHECK(written["calls"][0]["method"] == "EnableStatic");
        CHECK(written["calls"][0]["Index"] == 2);
        CHECK(written["calls"][1]["method"] == "SetGateways");
        CHECK(written["adapters"][1]["IPAddress"] == nlohmann::json { "192.168.8.20" });
        CHECK(written["adapters"][1]["DHCPEnabled"] == false);
        CHECK(written["adapters"][0]["DHCPEnabled"] == true);
        CHECK(test::CountFiles(folder.Path()) == 1);
    }

    TEST_CASE("a program installed for all users keeps each user's file in the user's folder")
    {
        const std::string programFiles = windows::Narrow(_wgetenv(L"ProgramFiles"));
        const std::string appData = windows::Narrow(_wgetenv(L"APPDATA"));
        const std::string programData = windows::Narrow(_wgetenv(L"ProgramData"));
        REQUIRE(!programFiles.empty());
        REQUIRE(!appData.empty());

        // A folder of its own: an installer check may leave a lanvex.ini in Program Files\\Lanvex.
        const std::string folder = programFiles + "\\Lanvex test " + std::to_string(GetCurrentProcessId());
        const SettingsLocation installed = FindSettingsLocation(std::nullopt, folder + "\\lanvex.exe");
        CHECK(installed.source == SettingsSource::UserConfigFolder);
        CHECK(installed.path == appData + "\\lanvex\\lanvex.ini");

        const ChineseFolder portable;
        const SettingsLocation beside = FindSettingsLocation(std::nullopt, portable / "lanvex.exe");
        CHECK(beside.source == SettingsSource::BesideProgramPortable);
        CHECK(beside.path == portable / "lanvex.ini");

        CHECK(ManagedSettingsPath() == programData + "\\Lanvex\\lanvex.ini");
    }
}
