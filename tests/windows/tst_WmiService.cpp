#include "apply/ApplyProcedure.h"
#include "apply/ApplyResult.h"
#include "net/AdapterConfiguration.h"
#include "net/AdapterQuery.h"
#include "net/ExtraSettings.h"
#include "net/ServiceValues.h"
#include "net/wmi/WmiConnector.h"
#include "net/wmi/WmiNetwork.h"
#include "printer/WinspoolPrinterSource.h"
#include "store/windows/WindowsText.h"

#include <algorithm>
#include <doctest/doctest.h>
#include <fstream>
#include <objbase.h>
#include <thread>
#include <wbemidl.h>
#include <wrl/client.h>

using namespace lanvex;
using namespace lanvex::net;
using Microsoft::WRL::ComPtr;

namespace {

constexpr std::string_view kIpEnabled = "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = TRUE";

std::string text(const Value& value)
{
    return std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : std::string("(not text)");
}

// The configurations' own Index values, in the query's order, asked of WMI directly.
std::vector<long> realIndexes()
{
    ComPtr<IWbemLocator> locator;
    REQUIRE(SUCCEEDED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator, &locator)));
    ComPtr<IWbemServices> services;
    BSTR space = SysAllocString(L"ROOT\\CIMV2");
    REQUIRE(SUCCEEDED(locator->ConnectServer(space, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services)));
    SysFreeString(space);
    BSTR language = SysAllocString(L"WQL");
    BSTR query = SysAllocString(L"SELECT Index FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = TRUE");
    ComPtr<IEnumWbemClassObject> results;
    REQUIRE(SUCCEEDED(services->ExecQuery(language, query, WBEM_FLAG_FORWARD_ONLY, nullptr, &results)));
    SysFreeString(language);
    SysFreeString(query);
    std::vector<long> indexes;
    for (;;) {
        ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        results->Next(static_cast<LONG>(WBEM_INFINITE), 1, &object, &returned);
        if (returned == 0)
            return indexes;
        VARIANT index;
        VariantInit(&index);
        object->Get(L"Index", 0, &index, nullptr, nullptr);
        indexes.push_back(V_I4(&index));
        VariantClear(&index);
    }
}

// The MAC address the host's kernel holds for `address`, read past Wine through its Z: drive: what
// Wine's neighbour table reports, found by another road. Empty when it holds no complete entry.
std::string hostNeighbourMAC(const std::string& address)
{
    std::ifstream table("Z:\\proc\\net\\arp");
    std::string ip, type, flags, mac, mask, device;
    std::getline(table, ip); // the heading
    while (table >> ip >> type >> flags >> mac >> mask >> device) {
        if (ip == address && (std::stoul(flags, nullptr, 16) & 0x2))
            return FormatMACAddress(mac).value_or("");
    }
    return {};
}

// A value of the interfaces' TCP/IP parameters, as a DHCP lease leaves it; removed again at the end.
class InterfaceParameters
{
public:
    explicit InterfaceParameters(const std::string& settingId)
        : path_(L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\"
                + store::windows::Widen(settingId))
    {
        created_
            = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr)
            == ERROR_SUCCESS;
    }
    ~InterfaceParameters()
    {
        if (created_) {
            RegCloseKey(key_);
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, path_.c_str());
        }
    }
    bool Set(const wchar_t* name, const std::wstring& value)
    {
        return created_
            && RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)))
            == ERROR_SUCCESS;
    }
    bool Remove(const wchar_t* name) { return created_ && RegDeleteValueW(key_, name) == ERROR_SUCCESS; }

private:
    std::wstring path_;
    HKEY key_ = nullptr;
    bool created_ = false;
};

} // namespace

TEST_SUITE("wmi")
{
    TEST_CASE("the IP-enabled configurations are numbered 1, 2, 3 ... and fetched by that number")
    {
        wmi::WmiConnector connector;
        const auto service = connector.Connect("winmgmts:");
        const std::vector<ObjectRef> adapters = service->ExecQuery(kIpEnabled, "WQL", 16);
        REQUIRE_MESSAGE(!adapters.empty(), "Wine lists the machine's network interfaces; this one has none");
        const std::vector<long> real = realIndexes();
        REQUIRE(real.size() == adapters.size());

        for (std::size_t i = 0; i < adapters.size(); ++i) {
            const auto number = static_cast<std::int64_t>(i + 1);
            INFO("adapter " << number << ", Index " << real[i] << " in WMI");
            CHECK(adapters[i]->Property("Index") == Value(number));
            CHECK(std::holds_alternative<bool>(adapters[i]->Property("DHCPEnabled")));
            CHECK_FALSE(text(adapters[i]->Property("Description")).empty());
            CHECK(std::holds_alternative<std::monostate>(adapters[i]->Property("NoSuchProperty")));
            // The fetched object is the same instance: the one its methods would change.
            const ObjectRef fetched
                = service->Get("Win32_NetworkAdapterConfiguration.Index=" + std::to_string(number), 0);
            CHECK(fetched->Property("Index") == Value(number));
            CHECK(text(fetched->Property("Description")) == text(adapters[i]->Property("Description")));
            INFO("path " << text(fetched->Property("__PATH")));
            CHECK(text(fetched->Property("__PATH")).ends_with(".Index=" + std::to_string(real[i])));
        }
        CHECK_THROWS_AS(
            service->Get("Win32_NetworkAdapterConfiguration.Index=" + std::to_string(adapters.size() + 1), 0),
            ServiceError);
        CHECK_THROWS_AS(service->Get("Win32_NetworkAdapterConfiguration.Index=0", 0), ServiceError);
    }

    TEST_CASE("the adapter query and the apply run on WMI; a method the service lacks is a failed step")
    {
        wmi::WmiConnector connector;
        printer::WinspoolPrinterSource printers;
        const std::vector<std::string> descriptions = ListAdapters(connector);
        REQUIRE_FALSE(descriptions.empty());
        const store::SiteProfile first = GetAdapterInfo(connector, printers, 1);
        CHECK(first.Description == descriptions[0]);
        CHECK_FALSE(first.MACAddress.empty());

        // Wine implements none of the adapter methods: its answer is a failure, never a success.
        const auto service = connector.Connect("winmgmts:\\\\.\\root\\cimv2");
        const ObjectRef adapter = service->Get("Win32_NetworkAdapterConfiguration.Index=1", 0);
        CHECK(adapter->ExecMethod("EnableDHCP", {}) != 0);
        CHECK(adapter->ExecMethod("NoSuchMethod", { std::string("x") }) != 0);

        store::SiteProfile site;
        site.IP = "192.168.8.20";
        site.SubNetMask = "255.255.255.0";
        site.DefaultGateway = "192.168.8.1";
        std::vector<std::string> shown;
        CHECK(apply::ApplySteps(connector, 1, site, nullptr, [&](const std::string& line) { shown.push_back(line); })
                  .Result
              == apply::kStaticFailed);
        CHECK(shown.back() == "设置IP地址及子网掩码失败!");
        const auto beyond = static_cast<std::int32_t>(descriptions.size() + 1);
        CHECK(apply::ApplySteps(connector, beyond, site, nullptr, {}).Result == apply::kAdapterNotFound);
    }

    TEST_CASE("the optional keys' calls: arrays to the class's methods, IPv6 to root\\StandardCimv2")
    {
        wmi::WmiConnector connector;
        const auto service = connector.Connect("winmgmts:\\\\.\\root\\cimv2");
        const ObjectRef adapter = service->Get("Win32_NetworkAdapterConfiguration.Index=1", 0);
        using Texts = std::vector<std::string>;
        // Every argument shape goes through COM without raising; Wine implements none of these,
        // and its answer is a failure, never a success.
        CHECK(
            adapter->ExecMethod("EnableStatic",
                                { Texts { "192.168.8.20", "192.168.9.20" }, Texts { "255.255.255.0", "255.255.0.0" } })
            != 0);
        CHECK(adapter->ExecMethod("SetGateways",
                                  { Texts { "192.168.8.1", "192.168.9.1" }, std::vector<std::int64_t> { 5, 20 } })
              != 0);
        CHECK(adapter->ExecMethod("SetDNSDomain", { std::string("corp.example.com") }) != 0);
        // They need the namespace and the interface's index, which Wine may not give.
        try {
            connector.Connect("winmgmts:\\\\.\\root\\StandardCimv2");
            MESSAGE("root\\StandardCimv2 connects");
        } catch (const ServiceError& error) {
            MESSAGE((std::string("root\\StandardCimv2: ") + error.what()));
        }
        MESSAGE((std::string("InterfaceIndex holds alternative ")
                 + std::to_string(adapter->Property("InterfaceIndex").index())));
        const std::pair<const char*, std::vector<Value>> ipv6Calls[] = {
            { "MSFT_NetAdapterBindingSettingData.Disable", {} },
            { "MSFT_NetIPAddress.Create", { Texts { "2001:db8::5/64" } } },
            { "MSFT_NetRoute.Create", { std::string("fe80::1") } },
            { "MSFT_DNSClientServerAddress.Put", { Texts { "2001:db8::53" } } },
        };
        for (const auto& [method, args] : ipv6Calls) {
            const std::uint32_t result = adapter->ExecMethod(method, args);
            MESSAGE((std::string(method) + " answered " + std::to_string(result))); // what this system's WMI says
            CHECK(result != 0);
        }
    }

    TEST_CASE("the network an adapter is on: the gateway's MAC from the neighbour table, the domain DHCP gave")
    {
        wmi::WmiConnector connector;
        printer::WinspoolPrinterSource printers;
        const std::vector<AdapterEntry> adapters = QueryAdapters(connector, printers);
        REQUIRE_FALSE(adapters.empty());
        bool compared = false;
        for (const AdapterEntry& adapter : adapters) {
            INFO("adapter " << adapter.Index << ", gateway " << adapter.Network.Gateway);
            CHECK(adapter.Network.SSID.empty()); // no WLAN service here
            const std::string expected = hostNeighbourMAC(adapter.Network.Gateway);
            if (adapter.Network.Gateway.empty() || expected.empty())
                continue;
            CHECK(adapter.Network.GatewayMAC == expected);
            compared = true;
        }
        if (!compared)
            MESSAGE("no adapter's gateway is in the host's neighbour table: its MAC address went unchecked");

        // The domain DHCP gave is the interface's DhcpDomain; none there is no domain, and an
        // interface the system keeps no parameters for has none to tell.
        const auto dhcp = std::find_if(adapters.begin(), adapters.end(),
                                       [](const AdapterEntry& adapter) { return adapter.Info.DHCPEnabled; });
        REQUIRE(dhcp != adapters.end());
        const auto service = connector.Connect("winmgmts:");
        const std::string settingId
            = text(service->Get("Win32_NetworkAdapterConfiguration.Index=" + std::to_string(dhcp->Index), 0)
                       ->Property("SettingID"));
        {
            InterfaceParameters parameters(settingId);
            REQUIRE(parameters.Set(L"DhcpDomain", L"branch.example.test"));
            const std::vector<AdapterEntry> leased = QueryAdapters(connector, printers);
            CHECK(leased[static_cast<std::size_t>(dhcp->Index - 1)].Network.DNSDomain == "branch.example.test");
            REQUIRE(parameters.Remove(L"DhcpDomain"));
            CHECK(wmi::DhcpDomain(settingId) == std::string());
        }
        CHECK_FALSE(wmi::DhcpDomain("{6B29FC40-CA47-1067-B31D-00DD010662DA}").has_value());
        CHECK_FALSE(wmi::DhcpDomain("not a GUID").has_value());
    }

    TEST_CASE("the network around an adapter: what the system cannot do is refused, never reported done")
    {
        wmi::WmiConnector connector;
        const auto service = connector.Connect("winmgmts:");
        const ObjectRef adapter = service->Get("Win32_NetworkAdapterConfiguration.Index=1", 0);
        const auto call = [&](const char* method, std::vector<Value> args) {
            const std::uint32_t result = adapter->ExecMethod(method, args);
            MESSAGE(std::string(method) << " answered " << result); // what this system offers
            return result;
        };
        // Refused before any system call: a zone Windows has no category for, a name that is no
        // computer name, arguments of the wrong shape.
        CHECK(call("SetFirewallZone", { std::string("trusted") }) == kInvalidParameter);
        CHECK(call("SetFirewallZone", {}) == kInvalidParameter);
        CHECK(call("SetHostname", { std::string("-office") }) == kInvalidParameter);
        CHECK(call("SetHostname", { std::string() }) == kInvalidParameter);
        CHECK(call("ActivateConnection", { std::vector<std::string> { "Office VPN" } }) == kInvalidParameter);

        // The system's answers: none of these exists here, so none may come back as done.
        const std::uint32_t wifi = call("ConnectWiFi", { std::string("Lanvex Test Network") });
        CHECK((wifi == kNotSupported || wifi == kProfileNotFound));
        CHECK(call("ActivateConnection", { std::string("Lanvex Test VPN") }) == kProfileNotFound);
        CHECK(call("DeactivateConnection", { std::string("Lanvex Test VPN") }) == kProfileNotFound);
        CHECK(call("SetFirewallZone", { std::string("Private") }) != 0);

        // Every adapter's zone is one Windows has, or none; the list reads them without failing.
        // Wine's network list names its connections' adapters by their interfaces' GUIDs, and
        // gives each the public category.
        printer::WinspoolPrinterSource printers;
        std::size_t zoned = 0;
        for (const AdapterEntry& entry : QueryAdapters(connector, printers)) {
            INFO("adapter " << entry.Index << " zone " << entry.FirewallZone);
            CHECK((entry.FirewallZone.empty() || entry.FirewallZone == "public" || entry.FirewallZone == "private"
                   || entry.FirewallZone == "domain"));
            zoned += entry.FirewallZone.empty() ? 0 : 1;
        }
        CHECK(zoned > 0);

        // An address no host holds is free, or could not be checked; never taken.
        const AddressAnswer free = service->ProbeAddress(1, "192.0.2.77", std::chrono::milliseconds(500));
        MESSAGE("ProbeAddress 192.0.2.77: state " << static_cast<int>(free.state));
        CHECK(free.state != AddressAnswer::State::Taken);
        CHECK(service->ProbeAddress(1, "192.0.2.300", std::chrono::milliseconds(500)).state
              == AddressAnswer::State::NotChecked);
        // A gateway holds its address: where this system can ask, the answer names the gateway's MAC.
        for (const AdapterEntry& entry : QueryAdapters(connector, printers)) {
            const std::string expected = hostNeighbourMAC(entry.Network.Gateway);
            if (entry.Network.Gateway.empty() || expected.empty())
                continue;
            const AddressAnswer held
                = service->ProbeAddress(entry.Index, entry.Network.Gateway, std::chrono::milliseconds(1000));
            MESSAGE("ProbeAddress " << entry.Network.Gateway << ": state " << static_cast<int>(held.state) << " "
                                    << held.holderMAC);
            CHECK((held.state == AddressAnswer::State::NotChecked
                   || (held.state == AddressAnswer::State::Taken && held.holderMAC == expected)));
        }

        // The computer's name, given again: taken for the next start, or refused; never "done now".
        const std::string hostname = text(adapter->Property("DNSHostName"));
        REQUIRE_FALSE(hostname.empty());
        if (!ExtraValueProblem({}, "Hostname", hostname)) { // a name this program would set
            const std::uint32_t named = call("SetHostname", { hostname });
            CHECK((named == kResultAfterRestart || named == kAccessDenied));
        }
    }

    TEST_CASE("monikers, and COM on another thread")
    {
        CHECK(wmi::NamespaceOfMoniker("winmgmts:") == std::wstring(L"\\\\.\\root\\cimv2"));
        CHECK(wmi::NamespaceOfMoniker("WinMgmts:{impersonationLevel=impersonate}!\\\\.\\root\\cimv2")
              == std::wstring(L"\\\\.\\root\\cimv2"));
        CHECK(wmi::NamespaceOfMoniker("winmgmts://./root/cimv2") == std::wstring(L"\\\\.\\root\\cimv2"));
        CHECK_FALSE(wmi::NamespaceOfMoniker("ldap://server").has_value());
        wmi::WmiConnector connector;
        CHECK_THROWS_AS(connector.Connect("ldap://server"), ServiceError);
        CHECK_THROWS_AS(connector.Connect("winmgmts:root\\nosuchnamespace"), ServiceError);

        std::size_t listed = 0;
        std::thread worker([&] { listed = ListAdapters(connector).size(); });
        worker.join();
        CHECK(listed == ListAdapters(connector).size());
        CHECK(listed > 0);
    }
}
