#include "net/wmi/WmiConnector.h"

#include "net/AdapterConfiguration.h"
#include "net/ServiceValues.h"
#include "net/wmi/WmiIPv6.h"
#include "net/wmi/WmiNetwork.h"
#include "net/wmi/WmiNetworkAround.h"
#include "net/wmi/WmiProbe.h"
#include "net/wmi/WmiValue.h"
#include "store/windows/WindowsText.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <objbase.h>
#include <wbemidl.h>
#include <wrl/client.h>

namespace lanvex::net::wmi {

using Microsoft::WRL::ComPtr;
using store::windows::Narrow;
using store::windows::Widen;

namespace {

// WBEMSTATUS values as the HRESULTs that the calls return.
constexpr HRESULT kNotFound = static_cast<HRESULT>(0x80041002);
constexpr HRESULT kInvalidParameter = static_cast<HRESULT>(0x80041008);

constexpr std::wstring_view kAdapterClass = L"Win32_NetworkAdapterConfiguration";
constexpr std::wstring_view kAdapterNumbering
    = L"SELECT Index FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = TRUE";

std::string hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

void check(HRESULT hr, const char* what)
{
    if (FAILED(hr))
        throw ServiceError(std::string(what) + " failed: " + hex(hr));
}

bool equalsNoCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return towlower(x) == towlower(y); });
}

// COM for the calling thread, set up on its first connection and left at the thread's end. A
// thread that already has COM (a window's thread) keeps its own.
class ComApartment
{
public:
    ComApartment()
        : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED))
    { }
    ~ComApartment()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT Result() const { return result_ == RPC_E_CHANGED_MODE ? S_OK : result_; }

private:
    HRESULT result_;
};

void enterCom()
{
    thread_local ComApartment apartment;
    check(apartment.Result(), "CoInitializeEx");
    // The process's COM security: the service may act for the user (needed to change adapters).
    // A program that set its own first keeps it.
    static std::once_flag security;
    std::call_once(security, [] {
        CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                             nullptr, EOAC_NONE, nullptr);
    });
}

Value propertyOf(IWbemClassObject* object, const wchar_t* name)
{
    Variant value;
    const HRESULT hr = object->Get(name, 0, value.get(), nullptr, nullptr);
    if (hr == kNotFound)
        return std::monostate {};
    check(hr, "reading a property");
    return FromVariant(*value);
}

std::wstring lowered(std::wstring_view name)
{
    std::wstring lower(name);
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(towlower(c));
    return lower;
}

// Every property of an object, read at once: Wine's objects of one query go stale when the next
// query on their class runs. A value of a type the seam has no form for is kept as nullopt.
using Snapshot = std::map<std::wstring, std::optional<Value>>;

Snapshot snapshotOf(IWbemClassObject* object)
{
    Snapshot properties;
    check(object->BeginEnumeration(0), "reading the properties");
    for (;;) {
        BSTR name = nullptr;
        Variant value;
        const HRESULT hr = object->Next(0, &name, value.get(), nullptr, nullptr);
        check(hr, "reading the properties");
        if (hr != WBEM_S_NO_ERROR)
            break;
        std::wstring key = lowered(std::wstring_view(name, SysStringLen(name)));
        SysFreeString(name);
        try {
            properties.emplace(std::move(key), FromVariant(*value));
        } catch (const ServiceError&) {
            properties.emplace(std::move(key), std::nullopt);
        }
    }
    object->EndEnumeration();
    // Wine's enumeration leaves out the system properties that the calls need.
    for (const wchar_t* name : { L"__CLASS", L"__PATH" }) {
        if (!properties.count(lowered(name)))
            properties.emplace(lowered(name), propertyOf(object, name));
    }
    return properties;
}

Value valueIn(const Snapshot& properties, std::wstring_view name)
{
    const auto it = properties.find(lowered(name));
    if (it == properties.end())
        return std::monostate {};
    if (!it->second)
        throw ServiceError("the property " + Narrow(name) + " has a type the program does not read");
    return *it->second;
}

// A connection to a namespace, with the security the calls need.
HRESULT connectNamespace(const std::wstring& name, ComPtr<IWbemServices>& services)
{
    ComPtr<IWbemLocator> locator;
    HRESULT hr = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator));
    if (SUCCEEDED(hr))
        hr = locator->ConnectServer(Bstr(name).get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services);
    if (SUCCEEDED(hr))
        hr = CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                               RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    return hr;
}

// The connection, shared by the objects it returned.
class Connection
{
public:
    explicit Connection(ComPtr<IWbemServices> services)
        : services_(std::move(services))
    { }

    IWbemServices* Services() const { return services_.Get(); }

    // The Index this connection presents for a configuration's own Index: its position among the
    // IP-enabled configurations plus one; 0 when it is none of them.
    std::int64_t PresentedIndex(std::int64_t realIndex)
    {
        const std::vector<std::int64_t>& real = RealIndexes();
        const auto it = std::find(real.begin(), real.end(), realIndex);
        return it == real.end() ? 0 : (it - real.begin()) + 1;
    }

    // The configuration's own Index for a presented one; nullopt when none has it.
    std::optional<std::int64_t> RealIndex(std::int64_t presented)
    {
        const std::vector<std::int64_t>& real = RealIndexes();
        if (presented < 1 || presented > static_cast<std::int64_t>(real.size()))
            return std::nullopt;
        return real[static_cast<std::size_t>(presented - 1)];
    }

    std::vector<Snapshot> Query(std::wstring_view language, std::wstring_view text, LONG flags)
    {
        ComPtr<IEnumWbemClassObject> results;
        check(services_->ExecQuery(Bstr(language).get(), Bstr(text).get(), flags | WBEM_FLAG_FORWARD_ONLY, nullptr,
                                   &results),
              "ExecQuery");
        std::vector<Snapshot> objects;
        for (;;) {
            ComPtr<IWbemClassObject> object;
            ULONG returned = 0;
            const HRESULT hr = results->Next(static_cast<LONG>(WBEM_INFINITE), 1, &object, &returned);
            check(hr, "reading the query's results");
            if (returned == 0)
                return objects;
            objects.push_back(snapshotOf(object.Get()));
        }
    }

    // The zone of the adapter's network; empty when it has none. The network list is walked once
    // for all the adapters that ask, until a zone is set through this connection.
    std::string FirewallZone(std::string_view settingId)
    {
        if (!zones_)
            zones_ = FirewallZones();
        const auto it = zones_->find(ZoneKey(settingId));
        return it == zones_->end() ? std::string() : it->second;
    }
    void ForgetZones() { zones_.reset(); }

private:
    const std::vector<std::int64_t>& RealIndexes()
    {
        if (!realIndexes_) {
            std::vector<std::int64_t> real;
            for (const auto& object : Query(L"WQL", kAdapterNumbering, WBEM_FLAG_RETURN_IMMEDIATELY)) {
                const Value index = valueIn(object, L"Index");
                real.push_back(std::holds_alternative<std::int64_t>(index) ? std::get<std::int64_t>(index) : -1);
            }
            realIndexes_ = std::move(real);
        }
        return *realIndexes_;
    }

    ComPtr<IWbemServices> services_;
    std::optional<std::vector<std::int64_t>> realIndexes_;
    std::optional<std::map<std::string, std::string>> zones_;
};

// The input parameters of a method in their declared order (their "ID" qualifiers).
std::vector<std::wstring> parameterNames(IWbemClassObject* signature)
{
    std::vector<std::pair<LONG, std::wstring>> parameters;
    check(signature->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY), "reading a method's parameters");
    for (;;) {
        BSTR name = nullptr;
        if (signature->Next(0, &name, nullptr, nullptr, nullptr) != WBEM_S_NO_ERROR)
            break;
        std::wstring parameter(name, SysStringLen(name));
        SysFreeString(name);
        LONG id = static_cast<LONG>(parameters.size());
        ComPtr<IWbemQualifierSet> qualifiers;
        Variant idValue;
        if (SUCCEEDED(signature->GetPropertyQualifierSet(parameter.c_str(), &qualifiers))
            && SUCCEEDED(qualifiers->Get(L"ID", 0, idValue.get(), nullptr)) && V_VT(&*idValue) == VT_I4)
            id = V_I4(&*idValue);
        parameters.emplace_back(id, std::move(parameter));
    }
    signature->EndEnumeration();
    std::sort(parameters.begin(), parameters.end());
    std::vector<std::wstring> names;
    for (auto& parameter : parameters)
        names.push_back(std::move(parameter.second));
    return names;
}

class WmiObject : public ManagementObject
{
public:
    WmiObject(std::shared_ptr<Connection> connection, Snapshot properties)
        : connection_(std::move(connection))
        , properties_(std::move(properties))
    { }

    Value Property(std::string_view name) const override
    {
        const std::wstring wide = Widen(name);
        if (isAdapter()) {
            if (auto network = networkProperty(wide))
                return *std::move(network);
        }
        Value value = valueIn(properties_, wide);
        if (equalsNoCase(wide, L"Index") && isAdapter() && std::holds_alternative<std::int64_t>(value)) {
            const std::int64_t presented = connection_->PresentedIndex(std::get<std::int64_t>(value));
            return presented > 0 ? Value(presented) : Value();
        }
        return value;
    }

    std::uint32_t ExecMethod(std::string_view method, const std::vector<Value>& args) override
    {
        if (const auto known = FindAdapterMethod(method); known && isAdapter()) {
            if (isIPv6Method(*known))
                return execIPv6(*known, args);
            if (IsNetworkAroundMethod(*known))
                return execNetworkAround(*known, args);
        }
        const Bstr methodName { method };
        const Value path = valueIn(properties_, L"__PATH");
        const Value className = valueIn(properties_, L"__CLASS");
        if (!std::holds_alternative<std::string>(path) || !std::holds_alternative<std::string>(className))
            throw ServiceError("the object has no path");

        ComPtr<IWbemClassObject> inParameters;
        if (const HRESULT hr = prepareArguments(std::get<std::string>(className), methodName, args, inParameters);
            FAILED(hr))
            return static_cast<std::uint32_t>(hr);

        ComPtr<IWbemClassObject> outParameters;
        const HRESULT hr = connection_->Services()->ExecMethod(
            Bstr(std::string_view(std::get<std::string>(path))).get(), methodName.get(), 0, nullptr, inParameters.Get(),
            &outParameters, nullptr);
        if (FAILED(hr))
            return static_cast<std::uint32_t>(hr);
        if (!outParameters)
            return static_cast<std::uint32_t>(kNotFound);
        const Value result = propertyOf(outParameters.Get(), L"ReturnValue");
        if (!std::holds_alternative<std::int64_t>(result))
            return static_cast<std::uint32_t>(kNotFound);
        return static_cast<std::uint32_t>(std::get<std::int64_t>(result));
    }

private:
    std::string text(std::wstring_view name) const
    {
        const Value value = valueIn(properties_, name);
        return std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : std::string();
    }

    // The network the adapter is on, beyond the class's own properties (AdapterConfiguration.h);
    // nothing for the class's own names. A DHCP domain the system keeps nothing for is left out,
    // so the reader takes the connection's suffix instead.
    std::optional<Value> networkProperty(std::wstring_view name) const
    {
        if (equalsNoCase(name, L"GatewayMAC")) {
            const Value index = valueIn(properties_, L"InterfaceIndex");
            const Value gateways = valueIn(properties_, L"DefaultIPGateway");
            const auto* list = std::get_if<std::vector<std::string>>(&gateways);
            std::string gateway;
            for (std::size_t i = 0; list && i < list->size() && gateway.empty(); ++i)
                gateway = ParseIPv4((*list)[i]) ? (*list)[i] : std::string();
            if (gateway.empty())
                return Value(std::string());
            const auto* number = std::get_if<std::int64_t>(&index);
            return Value(NeighbourMAC(number ? *number : InterfaceIndexOf(text(L"MACAddress")), gateway));
        }
        if (equalsNoCase(name, L"SSID"))
            return Value(ConnectedSsid(adapterId()));
        if (equalsNoCase(name, L"FirewallZone"))
            return Value(connection_->FirewallZone(adapterId()));
        if (equalsNoCase(name, L"DNSHostName") && text(L"DNSHostName").empty())
            return Value(ComputerName());
        if (equalsNoCase(name, L"DHCPDNSDomain")) {
            const Value dhcp = valueIn(properties_, L"DHCPEnabled");
            if (std::holds_alternative<bool>(dhcp) && !std::get<bool>(dhcp))
                return Value(std::string()); // no DHCP, no domain from it
            const auto domain = DhcpDomain(text(L"SettingID"));
            return domain ? std::optional<Value>(*domain) : std::optional<Value>(Value());
        }
        return std::nullopt;
    }

    static bool isIPv6Method(AdapterMethod method)
    {
        return method == AdapterMethod::DisableIPv6 || method == AdapterMethod::EnableIPv6
            || method == AdapterMethod::SetIPv6Addresses || method == AdapterMethod::SetIPv6Gateway
            || method == AdapterMethod::SetIPv6DNSServers;
    }

    // The IPv6 methods go to the classes of root\StandardCimv2; a system without them (older
    // Windows, Wine) fails the step with the connection's HRESULT.
    std::uint32_t execIPv6(AdapterMethod method, const std::vector<Value>& args) const
    {
        const Value index = valueIn(properties_, L"InterfaceIndex");
        const Value description = valueIn(properties_, L"Description");
        if (!std::holds_alternative<std::int64_t>(index) || !std::holds_alternative<std::string>(description))
            return kNotSupported;
        ComPtr<IWbemServices> standard;
        if (const HRESULT hr = connectNamespace(L"\\\\.\\root\\StandardCimv2", standard); FAILED(hr))
            return static_cast<std::uint32_t>(hr);
        return RunIPv6Method(standard.Get(), method, args,
                             { std::get<std::int64_t>(index), Widen(std::get<std::string>(description)) });
    }

    // The network around the adapter is not the class's: the system's own interfaces do it.
    std::uint32_t execNetworkAround(AdapterMethod method, const std::vector<Value>& args) const
    {
        if (method == AdapterMethod::SetFirewallZone)
            connection_->ForgetZones();
        return RunNetworkAroundMethod(method, args, adapterId());
    }

    // The GUID by which the system's other interfaces know the adapter: its interface's, found by
    // index (SettingID holds the same on Windows; Wine's class makes up its own), or SettingID.
    std::string adapterId() const
    {
        const Value index = valueIn(properties_, L"InterfaceIndex");
        const auto* number = std::get_if<std::int64_t>(&index);
        const std::string guid = InterfaceGuidText(number ? *number : InterfaceIndexOf(text(L"MACAddress")));
        return guid.empty() ? text(L"SettingID") : guid;
    }

    bool isAdapter() const
    {
        const Value className = valueIn(properties_, L"__CLASS");
        return std::holds_alternative<std::string>(className)
            && equalsNoCase(Widen(std::get<std::string>(className)), kAdapterClass);
    }

    // The method's input parameters filled with `args` in order. A failure is the service's answer
    // (no such method, for example) and becomes the method's result.
    HRESULT prepareArguments(const std::string& className, const Bstr& method, const std::vector<Value>& args,
                             ComPtr<IWbemClassObject>& inParameters) const
    {
        ComPtr<IWbemClassObject> classObject;
        HRESULT hr = connection_->Services()->GetObject(Bstr(std::string_view(className)).get(), 0, nullptr,
                                                        &classObject, nullptr);
        if (FAILED(hr))
            return hr;
        ComPtr<IWbemClassObject> signature;
        hr = classObject->GetMethod(method.get(), 0, &signature, nullptr);
        if (FAILED(hr))
            return hr;
        if (!signature)
            return args.empty() ? S_OK : kInvalidParameter;
        const std::vector<std::wstring> names = parameterNames(signature.Get());
        if (args.size() > names.size())
            return kInvalidParameter;
        hr = signature->SpawnInstance(0, &inParameters);
        if (FAILED(hr))
            return hr;
        for (std::size_t i = 0; i < args.size(); ++i) {
            Variant argument;
            ToVariant(args[i], *argument.get());
            hr = inParameters->Put(names[i].c_str(), 0, argument.get(), 0);
            if (FAILED(hr))
                return hr;
        }
        return S_OK;
    }

    std::shared_ptr<Connection> connection_;
    Snapshot properties_;
};

class WmiService : public ManagementService
{
public:
    explicit WmiService(ComPtr<IWbemServices> services)
        : connection_(std::make_shared<Connection>(std::move(services)))
    { }

    std::vector<ObjectRef> ExecQuery(std::string_view query, std::string_view language, std::int32_t flags) override
    {
        std::vector<ObjectRef> objects;
        for (Snapshot& properties : connection_->Query(Widen(language), Widen(query), flags))
            objects.push_back(std::make_shared<WmiObject>(connection_, std::move(properties)));
        return objects;
    }

    ObjectRef Get(std::string_view objectPath, std::int32_t flags) override
    {
        std::wstring path = Widen(objectPath);
        // "Win32_NetworkAdapterConfiguration.Index=N": N is the presented number.
        const std::size_t dot = path.find(L'.');
        const std::size_t equals = path.find(L'=', dot == std::wstring::npos ? 0 : dot);
        if (dot != std::wstring::npos && equals != std::wstring::npos
            && equalsNoCase(std::wstring_view(path).substr(0, dot), kAdapterClass)
            && equalsNoCase(std::wstring_view(path).substr(dot + 1, equals - dot - 1), L"Index")) {
            wchar_t* end = nullptr;
            const long long presented = std::wcstoll(path.c_str() + equals + 1, &end, 10);
            const auto real = *end == L'\0' ? connection_->RealIndex(presented) : std::nullopt;
            if (!real)
                throw ServiceError("no IP-enabled adapter configuration " + Narrow(path.substr(equals + 1)));
            path = std::wstring(kAdapterClass) + L".Index=" + std::to_wstring(*real);
        }
        ComPtr<IWbemClassObject> object;
        check(connection_->Services()->GetObject(Bstr(path).get(), flags, nullptr, &object, nullptr), "Get");
        return std::make_shared<WmiObject>(connection_, snapshotOf(object.Get()));
    }

    // From the adapter's first IPv4 address, so that the answer comes through that adapter.
    bool Probe(std::int32_t adapterNumber, ProbeKind kind, std::string_view target,
               std::chrono::milliseconds timeout) override
    {
        return ProbeFromAddress(firstIPv4(adapterNumber).address, kind, target, timeout);
    }

    // From the adapter's first IPv4 address, so that the request leaves through the adapter.
    AddressAnswer ProbeAddress(std::int32_t adapterNumber, std::string_view address,
                               std::chrono::milliseconds timeout) override
    {
        return ProbeAddressFrom(firstIPv4(adapterNumber), address, timeout);
    }

private:
    // The adapter's first IPv4 address and its prefix; empty when it has none.
    OwnAddress firstIPv4(std::int32_t adapterNumber)
    {
        const ObjectRef adapter = Get(std::string(kPathPrefix) + std::to_string(adapterNumber), 0);
        const std::vector<std::string> addresses = TextsOf(adapter->Property("IPAddress"));
        const std::vector<std::string> masks = TextsOf(adapter->Property("IPSubnet"));
        for (std::size_t i = 0; i < addresses.size(); ++i)
            if (ParseIPv4(addresses[i]))
                return { addresses[i], i < masks.size() ? ParseSubnetMask(masks[i]).value_or(0) : 0 };
        return {};
    }

    std::shared_ptr<Connection> connection_;
};

} // namespace

std::optional<std::wstring> NamespaceOfMoniker(std::string_view moniker)
{
    std::wstring text = Widen(moniker);
    constexpr std::wstring_view kScheme = L"winmgmts:";
    if (text.size() < kScheme.size() || !equalsNoCase(std::wstring_view(text).substr(0, kScheme.size()), kScheme))
        return std::nullopt;
    text.erase(0, kScheme.size());
    // Security settings such as {impersonationLevel=impersonate}, then "!" before a path.
    if (!text.empty() && text.front() == L'{') {
        const std::size_t close = text.find(L'}');
        if (close == std::wstring::npos)
            return std::nullopt;
        text.erase(0, close + 1);
        if (!text.empty() && text.front() == L'!')
            text.erase(0, 1);
    }
    std::replace(text.begin(), text.end(), L'/', L'\\');
    if (text.empty())
        return std::wstring(L"\\\\.\\root\\cimv2");
    if (text.rfind(L"\\\\", 0) == 0)
        return text;
    if (text.find(L':') != std::wstring::npos)
        return std::nullopt; // a class or object path: not a namespace
    return L"\\\\.\\" + text;
}

std::unique_ptr<ManagementService> WmiConnector::Connect(std::string_view moniker)
{
    const auto name = NamespaceOfMoniker(moniker);
    if (!name)
        throw ServiceError("not a WMI moniker: " + std::string(moniker));
    enterCom();
    ComPtr<IWbemServices> services;
    check(connectNamespace(*name, services), "connecting to WMI");
    return std::make_unique<WmiService>(std::move(services));
}

} // namespace lanvex::net::wmi
