// The adapter query and the apply procedures against a scripted service that records every call,
// so the order of calls and status texts and the object each method ran on can be checked.
#include "apply/ApplyProcedure.h"
#include "apply/ApplyResult.h"
#include "net/AdapterConfiguration.h"
#include "net/AdapterQuery.h"
#include "printer/PrinterSource.h"

#include <QTest>
#include <algorithm>
#include <map>
#include <set>

using namespace lanvex;
using net::Value;

namespace {

struct Script
{
    std::vector<std::map<std::string, Value>> adapters; // Index 1, 2, ... in this order
    std::map<std::string, std::uint32_t> results; // forced method results
    std::set<std::string> raising; // "Connect", "ExecQuery", "Get" or a method
    std::vector<std::string> events; // calls and status texts, in order
    std::vector<std::vector<Value>> args; // arguments of each method call
    net::ChangePermission permission = net::ChangePermission::Granted;
    void raiseIf(const std::string& what)
    {
        if (raising.count(what))
            throw net::ServiceError(what);
    }
};

class FakeObject : public net::ManagementObject
{
public:
    FakeObject(Script& s, std::size_t i, std::string name)
        : s_(s)
        , i_(i)
        , name_(std::move(name))
    { }
    Value Property(std::string_view name) const override
    {
        if (name == "Index")
            return static_cast<std::int64_t>(i_ + 1);
        s_.raiseIf("Property " + std::string(name));
        const auto it = s_.adapters[i_].find(std::string(name));
        return it == s_.adapters[i_].end() ? Value() : it->second;
    }
    std::uint32_t ExecMethod(std::string_view method, const std::vector<Value>& args) override
    {
        s_.events.push_back(name_ + "." + std::string(method));
        s_.args.push_back(args);
        s_.raiseIf(std::string(method));
        return s_.results.count(std::string(method)) ? s_.results.at(std::string(method)) : 0;
    }

private:
    Script& s_;
    std::size_t i_;
    std::string name_;
};

class FakeService : public net::ManagementService
{
public:
    explicit FakeService(Script& s)
        : s_(s)
    { }
    std::vector<net::ObjectRef> ExecQuery(std::string_view query, std::string_view language,
                                          std::int32_t flags) override
    {
        s_.events.push_back("ExecQuery " + std::string(query) + " " + std::string(language) + " "
                            + std::to_string(flags));
        s_.raiseIf("ExecQuery");
        std::vector<net::ObjectRef> set;
        for (std::size_t i = 0; i < s_.adapters.size(); ++i)
            set.push_back(std::make_shared<FakeObject>(s_, i, "item"));
        return set;
    }
    net::ObjectRef Get(std::string_view path, std::int32_t flags) override
    {
        s_.events.push_back("Get " + std::string(path) + " " + std::to_string(flags));
        s_.raiseIf("Get");
        const std::size_t index = std::stoul(std::string(path.substr(path.find('=') + 1)));
        return std::make_shared<FakeObject>(s_, index - 1, "byPath");
    }
    net::ChangePermission MayChange() override { return s_.permission; }

private:
    Script& s_;
};

class FakeConnector : public net::ServiceConnector
{
public:
    explicit FakeConnector(Script& s)
        : s_(s)
    { }
    std::unique_ptr<net::ManagementService> Connect(std::string_view moniker) override
    {
        s_.events.push_back("Connect " + std::string(moniker));
        s_.raiseIf("Connect");
        return std::make_unique<FakeService>(s_);
    }

private:
    Script& s_;
};

class FixedPrinters : public printer::PrinterSource
{
public:
    std::string DefaultPrinterEntry() const override { return "Office Laser,winspool,Ne01:"; }
    std::vector<std::string> InstalledPrinters() const override { return { "Office Laser" }; }
};

const std::string kApplyConnect = "Connect winmgmts:\\\\.\\root\\cimv2";
const std::string kApplyQuery
    = "ExecQuery SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True WQL 16";
const std::string kInfoQuery = "ExecQuery Select * From Win32_NetworkAdapterConfiguration Where IPEnabled=TRUE WQL 16";

std::map<std::string, Value> staticAdapter(bool dhcp = false)
{
    using Texts = std::vector<std::string>;
    return { { "Description", std::string("NIC") },
             { "DHCPEnabled", dhcp },
             { "IpAddress", Texts { "192.168.1.10", "192.168.1.11" } },
             { "IPSubnet", Texts { "255.255.255.0" } },
             { "DefaultIPGateway", Texts { "192.168.1.1" } },
             { "DNSServerSearchOrder", Texts { "192.168.1.53", "8.8.8.8", "9.9.9.9" } },
             { "WINSPrimaryServer", std::string("192.168.1.5") },
             { "WINSSecondaryServer", std::string("") },
             { "MACAddress", std::string("00:1A:2B:3C:4D:5E") } };
}

store::SiteProfile staticSite(bool dns, bool wins)
{
    store::SiteProfile site;
    site.IP = "10.1.2.3";
    site.SubNetMask = "255.255.0.0";
    site.DefaultGateway = "10.1.0.1";
    site.ChangeDNS = dns;
    site.DNS = "10.1.0.53";
    site.ChangeWINS = wins;
    site.WINS = "10.1.0.5";
    site.AuxWINS = "10.1.0.6";
    return site;
}

apply::ApplyOutcome run(Script& s, std::int32_t adapter, const store::SiteProfile& site)
{
    FakeConnector connector(s);
    return apply::ApplySteps(connector, adapter, site, nullptr,
                             [&s](const std::string& text) { s.events.push_back("status " + text); });
}

std::int32_t resultOf(Script& s, std::int32_t adapter, const store::SiteProfile& site)
{
    return run(s, adapter, site).Result;
}

} // namespace

class TestApplyProcedure : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void staticApply_data()
    {
        QTest::addColumn<bool>("dns");
        QTest::addColumn<bool>("wins");
        QTest::addColumn<QList<int>>("forced"); // EnableStatic, SetGateways, SetDNSServerSearchOrder, SetWINSServer
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("summary");
        const QString all = "更新IP及子网掩码成功。\r\n更新网关成功。\r\n更新DNS成功。\r\n更新WINS服务器成功。";
        QTest::newRow("all steps") << true << true << QList<int> { 0, 0, 0, 0 } << 0 << all;
        QTest::newRow("no dns, no wins") << false << false << QList<int> { 0, 0, 0, 0 } << 0 << all;
        QTest::newRow("gateway") << true << true << QList<int> { 0, 71, 0, 0 } << 1
                                 << "更新IP及子网掩码成功。\r\n更新DNS成功。\r\n更新WINS服务器成功。\r\n更新网关失败。";
        QTest::newRow("dns") << true << true << QList<int> { 0, 0, 70, 0 } << 2
                             << "更新IP及子网掩码成功。\r\n更新网关成功。\r\n更新WINS服务器成功。\r\n更新DNS失败。";
        QTest::newRow("gateway+dns")
            << true << true << QList<int> { 0, 1, 1, 0 } << 3
            << "更新IP及子网掩码成功。\r\n更新WINS服务器成功。\r\n更新网关失败。\r\n更新DNS失败。";
        QTest::newRow("wins") << true << true << QList<int> { 0, 0, 0, 1 } << 4
                              << "更新IP及子网掩码成功。\r\n更新网关成功。\r\n更新DNS成功。\r\n更新WINS服务器失败。";
        QTest::newRow("gateway+wins")
            << true << true << QList<int> { 0, 1, 0, 1 } << 5
            << "更新IP及子网掩码成功。\r\n更新DNS成功。\r\n更新网关失败。\r\n更新WINS服务器失败。";
        QTest::newRow("dns+wins")
            << true << true << QList<int> { 0, 0, 1, 1 } << 6
            << "更新IP及子网掩码成功。\r\n更新网关成功。\r\n更新DNS失败。\r\n更新WINS服务器失败。";
        QTest::newRow("all three")
            << true << true << QList<int> { 0, 1, 1, 1 } << 7
            << "更新IP及子网掩码成功。\r\n更新网关失败。\r\n更新DNS失败。\r\n更新WINS服务器失败。";
        QTest::newRow("dns not attempted") << false << true << QList<int> { 0, 0, 1, 0 } << 0 << all;
        QTest::newRow("address") << true << true << QList<int> { 1, 1, 1, 1 } << 8 << "更新IP及子网掩码失败。";
    }

    // The whole conversation with the service, status texts included, in order.
    void staticApply()
    {
        QFETCH(bool, dns);
        QFETCH(bool, wins);
        QFETCH(QList<int>, forced);
        QFETCH(int, expected);
        QFETCH(QString, summary);
        Script s;
        s.adapters = { staticAdapter(true), staticAdapter(true) };
        const char* methods[] = { "EnableStatic", "SetGateways", "SetDNSServerSearchOrder", "SetWINSServer" };
        for (int i = 0; i < 4; ++i)
            s.results[methods[i]] = static_cast<std::uint32_t>(forced[i]);
        const store::SiteProfile site = staticSite(dns, wins);

        const apply::ApplyOutcome outcome = run(s, 2, site);
        QCOMPARE(outcome.Result, expected);
        std::vector<std::string> want = { kApplyConnect, kApplyQuery, "status 正在准备设置静态IP，请稍候...",
                                          "status 正在设置IP地址及子网掩码，请稍候...", "item.EnableStatic" };
        if (expected == 8) {
            want.push_back("status 设置IP地址及子网掩码失败!");
        } else {
            for (const char* e : { "status 设置IP地址及子网掩码成功!", "status 正在设置IP网关，请稍候...",
                                   "Get Win32_NetworkAdapterConfiguration.Index=2 0", "byPath.SetGateways" })
                want.push_back(e);
            if (dns)
                want.insert(want.end(), { "status 正在设置DNS，请稍候...", "byPath.SetDNSServerSearchOrder" });
            if (wins)
                want.insert(want.end(), { "status 正在设置WINS服务器，请稍候...", "item.SetWINSServer" });
        }
        QCOMPARE(s.events, want);
        QCOMPARE(QString::fromStdString(apply::ApplySummaryText(outcome)), summary);
    }

    void staticArguments()
    {
        Script s;
        s.adapters = { staticAdapter() };
        store::SiteProfile site = staticSite(true, true);
        site.AuxDNS.clear();
        QCOMPARE(resultOf(s, 1, site), 0);
        using Texts = std::vector<std::string>;
        const std::vector<std::vector<Value>> want = {
            { Texts { "10.1.2.3" }, Texts { "255.255.0.0" } },
            { Texts { "10.1.0.1" }, std::vector<std::int64_t> { 1 } },
            { Texts { "10.1.0.53", "" } }, // two elements even with no alternate server
            { std::string("10.1.0.5"), std::string("10.1.0.6") },
        };
        QVERIFY(s.args == want);
    }

    // A step that raises, or whose object cannot be fetched, is skipped and reported as failed:
    // nothing that did not happen is summarised as done.
    void staticRaisedStepsAreSkipped_data()
    {
        QTest::addColumn<QStringList>("raise");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("gatewayCalls");
        QTest::newRow("fetch by path") << QStringList { "Get" } << 3 << 0;
        QTest::newRow("gateway and WINS") << QStringList { "SetGateways", "SetWINSServer" } << 5 << 1;
        QTest::newRow("address and mask") << QStringList { "EnableStatic" } << 8 << 0;
    }
    void staticRaisedStepsAreSkipped()
    {
        QFETCH(QStringList, raise);
        QFETCH(int, result);
        QFETCH(int, gatewayCalls);
        Script s;
        s.adapters = { staticAdapter() };
        for (const QString& what : raise)
            s.raising.insert(what.toStdString());
        QCOMPARE(resultOf(s, 1, staticSite(true, true)), result);
        QCOMPARE(static_cast<int>(std::count(s.events.begin(), s.events.end(), "byPath.SetGateways")), gatewayCalls);
    }

    void dhcpApply_data()
    {
        QTest::addColumn<bool>("alreadyDhcp");
        QTest::addColumn<QString>("raise");
        QTest::addColumn<int>("enableResult");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("tail");
        QTest::newRow("switched") << false << "" << 0 << 0
                                  << QStringList { "item.EnableDHCP", "status 设置DHCP工作方式成功!" };
        QTest::newRow("refused") << false << "" << 82 << 16
                                 << QStringList { "item.EnableDHCP", "status 设置DHCP工作方式时发生错误!" };
        QTest::newRow("already") << true << "" << 0 << 32 << QStringList { "status 当前已经工作在DHCP方式!" };
        QTest::newRow("raised in call") << false << "EnableDHCP" << 0 << 256 << QStringList { "item.EnableDHCP" };
        QTest::newRow("raised reading mode") << false << "Property DHCPEnabled" << 0 << 256 << QStringList {};
    }

    void dhcpApply()
    {
        QFETCH(bool, alreadyDhcp);
        QFETCH(QString, raise);
        QFETCH(int, enableResult);
        QFETCH(int, expected);
        QFETCH(QStringList, tail);
        Script s;
        s.adapters = { staticAdapter(), staticAdapter(alreadyDhcp) };
        s.results["EnableDHCP"] = static_cast<std::uint32_t>(enableResult);
        if (!raise.isEmpty())
            s.raising.insert(raise.toStdString());
        store::SiteProfile site;
        site.DHCPEnabled = true;
        site.ChangeDNS = site.ChangeWINS = true; // never applied in DHCP mode
        QCOMPARE(resultOf(s, 2, site), expected);
        std::vector<std::string> want = { kApplyConnect, kApplyQuery, "status 正在准备设置DHCP工作方式，请稍候..." };
        for (const QString& e : tail)
            want.push_back(e.toStdString());
        QCOMPARE(s.events, want);
    }

    // A refusal ends the apply before anything changes; a prompt is announced before the change
    // that opens it; a refused prompt, or a change the service left in doubt, ends the apply there.
    void permissionsAndDoubt_data()
    {
        QTest::addColumn<bool>("dhcpSite");
        QTest::addColumn<int>("permission");
        QTest::addColumn<QString>("method"); // the method whose result is forced
        QTest::addColumn<uint>("methodResult");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("tail"); // the events after the query
        const auto granted = int(net::ChangePermission::Granted);
        const auto prompt = int(net::ChangePermission::NeedsAuthorization);
        const auto denied = int(net::ChangePermission::Denied);
        const uint unknown = net::kResultUnknown;
        QTest::newRow("denied") << false << denied << "" << 0u << 512 << QStringList {};
        QTest::newRow("denied, dhcp") << true << denied << "" << 0u << 512 << QStringList {};
        QTest::newRow("prompt answered") << false << prompt << "" << 0u << 0
                                         << QStringList { "status 正在准备设置静态IP，请稍候...",
                                                          "status 正在设置IP地址及子网掩码，请稍候...",
                                                          "status 正在等待系统授权...",
                                                          "item.EnableStatic",
                                                          "status 设置IP地址及子网掩码成功!",
                                                          "status 正在设置IP网关，请稍候...",
                                                          "Get Win32_NetworkAdapterConfiguration.Index=1 0",
                                                          "byPath.SetGateways" };
        QTest::newRow("prompt refused") << false << prompt << "EnableStatic" << 91u << 512
                                        << QStringList { "status 正在准备设置静态IP，请稍候...",
                                                         "status 正在设置IP地址及子网掩码，请稍候...",
                                                         "status 正在等待系统授权...", "item.EnableStatic",
                                                         "status 设置IP地址及子网掩码失败!" };
        QTest::newRow("prompt refused, dhcp")
            << true << prompt << "EnableDHCP" << 91u << 512
            << QStringList { "status 正在准备设置DHCP工作方式，请稍候...", "status 正在等待系统授权...",
                             "item.EnableDHCP", "status 设置DHCP工作方式时发生错误!" };
        QTest::newRow("address in doubt")
            << false << granted << "EnableStatic" << unknown << 1024
            << QStringList { "status 正在准备设置静态IP，请稍候...", "status 正在设置IP地址及子网掩码，请稍候...",
                             "item.EnableStatic", "status 设置IP地址及子网掩码失败!" };
        QTest::newRow("dhcp saved for later")
            << true << granted << "EnableDHCP" << uint(net::kResultSavedNotLive) << (16 | 2048)
            << QStringList { "status 正在准备设置DHCP工作方式，请稍候...", "item.EnableDHCP",
                             "status 设置DHCP工作方式时发生错误!" };
        QTest::newRow("dhcp in doubt") << true << granted << "EnableDHCP" << unknown << 1024
                                       << QStringList { "status 正在准备设置DHCP工作方式，请稍候...", "item.EnableDHCP",
                                                        "status 设置DHCP工作方式时发生错误!" };
    }
    void permissionsAndDoubt()
    {
        QFETCH(bool, dhcpSite);
        QFETCH(int, permission);
        QFETCH(QString, method);
        QFETCH(uint, methodResult);
        QFETCH(int, expected);
        QFETCH(QStringList, tail);
        Script s;
        s.adapters = { staticAdapter() };
        s.permission = static_cast<net::ChangePermission>(permission);
        if (!method.isEmpty())
            s.results[method.toStdString()] = methodResult;
        store::SiteProfile site = staticSite(false, false);
        site.DHCPEnabled = dhcpSite;
        QCOMPARE(resultOf(s, 1, site), expected);
        std::vector<std::string> want = { kApplyConnect, kApplyQuery };
        for (const QString& e : tail)
            want.push_back(e.toStdString());
        QCOMPARE(s.events, want);
    }

    // A later step left in doubt puts the whole apply in doubt, whatever the other steps did; one
    // saved for later is a failure that says so.
    void laterSteps()
    {
        Script s;
        s.adapters = { staticAdapter() };
        s.results["SetGateways"] = 71;
        s.results["SetDNSServerSearchOrder"] = net::kResultSavedNotLive;
        QCOMPARE(resultOf(s, 1, staticSite(true, true)), std::int32_t(1 | 2 | 2048));
        s.results["SetDNSServerSearchOrder"] = net::kResultUnknown;
        QCOMPARE(resultOf(s, 1, staticSite(true, true)), std::int32_t(apply::kOutcomeUnknown));
    }

    // Each summary from the outcome of a scripted apply.
    void summaries_data()
    {
        QTest::addColumn<bool>("dhcpSite");
        QTest::addColumn<QString>("method"); // the method that raises, or whose result is forced
        QTest::addColumn<uint>("methodResult"); // 0: the method raises
        QTest::addColumn<int>("adapter");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("summary");
        const uint saved = net::kResultSavedNotLive;
        QTest::newRow("dhcp ok") << true << "" << 0u << 1 << 0 << "设定为DHCP工作方式成功。";
        QTest::newRow("dhcp failed") << true << "EnableDHCP" << 82u << 1 << 16 << "设定为DHCP工作方式失败。";
        QTest::newRow("already dhcp") << true << "" << 0u << 2 << 32 << "已经是DHCP工作方式。";
        QTest::newRow("no service") << false << "Connect" << 0u << 1 << 64
                                    << "无法连接系统的网络管理服务，设置未生效。";
        QTest::newRow("no adapter") << true << "" << 0u << 3 << 128 << "未找到所选网卡，设置未生效。";
        QTest::newRow("raised in dhcp") << true << "EnableDHCP" << 0u << 1 << 256 << "设定为DHCP工作方式失败。";
        QTest::newRow("not permitted") << false << "EnableStatic" << uint(net::kAccessDenied) << 1 << 512
                                       << "没有更改网络设置的权限，设置未生效。";
        QTest::newRow("in doubt") << true << "EnableDHCP" << uint(net::kResultUnknown) << 1 << 1024
                                  << "网络管理服务没有及时回应，无法确定设置是否已生效。";
        QTest::newRow("dhcp saved for later") << true << "EnableDHCP" << saved << 1 << (16 | 2048)
                                              << "设定为DHCP工作方式失败。\r\n新设置已保存，网卡接通网络后生效。";
        QTest::newRow("gateway saved for later") << false << "SetGateways" << saved << 1 << (1 | 2048)
                                                 << "更新IP及子网掩码成功。\r\n更新DNS成功。\r\n更新WINS服务器成功。\r"
                                                    "\n更新网关失败。\r\n新设置已保存，网卡接通网络后生效。";
    }

    void summaries()
    {
        QFETCH(bool, dhcpSite);
        QFETCH(QString, method);
        QFETCH(uint, methodResult);
        QFETCH(int, adapter);
        QFETCH(int, result);
        QFETCH(QString, summary);
        Script s;
        s.adapters = { staticAdapter(), staticAdapter(true) };
        if (methodResult == 0 && !method.isEmpty())
            s.raising.insert(method.toStdString());
        else if (!method.isEmpty())
            s.results[method.toStdString()] = methodResult;
        store::SiteProfile site = staticSite(false, false);
        site.DHCPEnabled = dhcpSite;
        const apply::ApplyOutcome outcome = run(s, adapter, site);
        QCOMPARE(outcome.Result, result);
        QCOMPARE(QString::fromStdString(apply::ApplySummaryText(outcome)), summary);
    }

    // Nothing applied must never read as success.
    void nothingApplied_data()
    {
        QTest::addColumn<QString>("raise");
        QTest::addColumn<int>("adapter");
        QTest::addColumn<bool>("dhcpSite");
        QTest::addColumn<int>("expected");
        QTest::newRow("no connection") << "Connect" << 1 << false << 64;
        QTest::newRow("query fails") << "ExecQuery" << 1 << true << 64;
        QTest::newRow("no adapter chosen, static") << "" << 0 << false << 128;
        QTest::newRow("no such adapter, dhcp") << "" << 3 << true << 128;
    }

    void nothingApplied()
    {
        QFETCH(QString, raise);
        QFETCH(int, adapter);
        QFETCH(bool, dhcpSite);
        QFETCH(int, expected);
        Script s;
        s.adapters = { staticAdapter(), staticAdapter() };
        if (!raise.isEmpty())
            s.raising.insert(raise.toStdString());
        store::SiteProfile site = staticSite(true, true);
        site.DHCPEnabled = dhcpSite;
        QCOMPARE(resultOf(s, adapter, site), expected);
        QVERIFY(s.args.empty());
    }

    void adapterInfo()
    {
        Script s;
        s.adapters = { staticAdapter(true), staticAdapter(false), staticAdapter(true) };
        FakeConnector connector(s);
        FixedPrinters printers;

        const store::SiteProfile info = net::GetAdapterInfo(connector, printers, 2);
        QCOMPARE(s.events, (std::vector<std::string> { "Connect winmgmts:", kInfoQuery }));
        store::SiteProfile want;
        want.Description = "NIC";
        want.IP = "192.168.1.10";
        want.SubNetMask = "255.255.255.0";
        want.DefaultGateway = "192.168.1.1";
        want.DNS = "192.168.1.53";
        want.AuxDNS = "8.8.8.8";
        want.WINS = "192.168.1.5";
        want.PrinterName = "Office Laser";
        want.MACAddress = "00:1A:2B:3C:4D:5E";
        QCOMPARE(info, want);

        // A DHCP adapter carries no addresses and no printer.
        store::SiteProfile wantDhcp;
        wantDhcp.Description = "NIC";
        wantDhcp.DHCPEnabled = true;
        wantDhcp.MACAddress = "00:1A:2B:3C:4D:5E";
        QCOMPARE(net::GetAdapterInfo(connector, printers, 3), wantDhcp);

        QVERIFY(net::GetAdapterInfo(connector, printers, 4) == store::SiteProfile());
        s.raising = { "Connect" };
        QVERIFY(net::GetAdapterInfo(connector, printers, 2) == store::SiteProfile());
        QVERIFY(net::ListAdapters(connector).empty());
    }

    // Missing, null, short and wrongly typed properties leave their own fields empty only.
    void adapterInfoPartialProperties()
    {
        Script s;
        auto adapter = staticAdapter();
        adapter.erase("IpAddress");
        adapter["IPSubnet"] = std::vector<std::string> {};
        adapter["DNSServerSearchOrder"] = std::vector<std::string> { "1.1.1.1" };
        adapter["Description"] = std::vector<std::string> { "array" };
        s.adapters = { adapter };
        s.raising = { "Property WINSPrimaryServer" };
        FakeConnector connector(s);
        FixedPrinters printers;
        const store::SiteProfile info = net::GetAdapterInfo(connector, printers, 1);
        store::SiteProfile want; // what could be read
        want.DefaultGateway = "192.168.1.1";
        want.DNS = "1.1.1.1";
        want.MACAddress = "00:1A:2B:3C:4D:5E";
        want.PrinterName = "Office Laser";
        QCOMPARE(info, want);

        // The unreadable description adds no line; the others keep their order.
        s.raising.clear();
        s.adapters.push_back(staticAdapter());
        s.adapters.back()["Description"] = std::string("Second");
        QCOMPARE(net::ListAdapters(connector), std::vector<std::string> { "Second" });
    }
};

QTEST_GUILESS_MAIN(TestApplyProcedure)
#include "tst_ApplyProcedure.moc"
