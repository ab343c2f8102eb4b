#include "net/wmi/WmiIPv6.h"

#include "net/wmi/WmiValue.h"

#include <algorithm>
#include <wrl/client.h>

namespace lanvex::net::wmi {

using Microsoft::WRL::ComPtr;

namespace {

constexpr std::int32_t kIPv6Family = 23; // AddressFamily of the StandardCimv2 classes
constexpr std::int32_t kManualOrigin = 1; // PrefixOrigin and Protocol "manual"/"static"

// A WQL text literal: quotes and backslashes escaped.
std::wstring quoted(const std::wstring& text)
{
    std::wstring escaped = L"'";
    for (wchar_t c : text) {
        if (c == L'\'' || c == L'\\')
            escaped += L'\\';
        escaped += c;
    }
    return escaped + L"'";
}

std::wstring widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end()); // addresses are ASCII, checked before
}

HRESULT query(IWbemServices* services, const std::wstring& text, std::vector<ComPtr<IWbemClassObject>>& found)
{
    ComPtr<IEnumWbemClassObject> results;
    HRESULT hr = services->ExecQuery(Bstr(std::wstring_view(L"WQL")).get(), Bstr(std::wstring_view(text)).get(),
                                     WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, &results);
    while (SUCCEEDED(hr)) {
        ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        hr = results->Next(static_cast<LONG>(WBEM_INFINITE), 1, &object, &returned);
        if (FAILED(hr) || returned == 0)
            break;
        found.push_back(object);
    }
    return FAILED(hr) ? hr : S_OK;
}

std::wstring pathOf(IWbemClassObject* object)
{
    Variant path;
    if (FAILED(object->Get(L"__PATH", 0, path.get(), nullptr, nullptr)) || V_VT(&*path) != VT_BSTR)
        return {};
    return std::wstring(V_BSTR(&*path), SysStringLen(V_BSTR(&*path)));
}

std::wstring textOf(IWbemClassObject* object, const wchar_t* name)
{
    Variant value;
    if (FAILED(object->Get(name, 0, value.get(), nullptr, nullptr)) || V_VT(&*value) != VT_BSTR)
        return {};
    return std::wstring(V_BSTR(&*value), SysStringLen(V_BSTR(&*value)));
}

// A method's result: its ReturnValue, or the HRESULT of the call.
std::uint32_t resultOf(HRESULT hr, IWbemClassObject* out)
{
    if (FAILED(hr))
        return static_cast<std::uint32_t>(hr);
    Variant value;
    if (!out || FAILED(out->Get(L"ReturnValue", 0, value.get(), nullptr, nullptr)))
        return 0; // a method without a return value succeeded when the call did
    if (V_VT(&*value) == VT_I4)
        return static_cast<std::uint32_t>(V_I4(&*value));
    if (V_VT(&*value) == VT_UI4)
        return V_UI4(&*value);
    return 0;
}

struct Argument
{
    const wchar_t* name;
    Value value;
    VARTYPE type = VT_EMPTY; // a narrower integer type where the parameter asks for one
};

// Calls a method of a class (static, such as Create) or of an object path.
std::uint32_t call(IWbemServices* services, const std::wstring& classOrPath, const std::wstring& className,
                   const wchar_t* method, const std::vector<Argument>& args)
{
    ComPtr<IWbemClassObject> definition, signature, in, out;
    HRESULT hr = services->GetObject(Bstr(std::wstring_view(className)).get(), 0, nullptr, &definition, nullptr);
    if (SUCCEEDED(hr))
        hr = definition->GetMethod(method, 0, &signature, nullptr);
    if (SUCCEEDED(hr) && signature)
        hr = signature->SpawnInstance(0, &in);
    for (const Argument& arg : args) {
        if (FAILED(hr) || !in)
            break;
        Variant value;
        ToVariant(arg.value, *value.get());
        if (arg.type != VT_EMPTY)
            hr = VariantChangeType(value.get(), value.get(), 0, arg.type);
        if (SUCCEEDED(hr))
            hr = in->Put(arg.name, 0, value.get(), 0);
    }
    if (SUCCEEDED(hr))
        hr = services->ExecMethod(Bstr(std::wstring_view(classOrPath)).get(), Bstr(std::wstring_view(method)).get(), 0,
                                  nullptr, in.Get(), &out, nullptr);
    return resultOf(hr, out.Get());
}

std::wstring onInterface(const wchar_t* className, const IPv6Interface& target, const std::wstring& more = {})
{
    return std::wstring(L"SELECT * FROM ") + className + L" WHERE InterfaceIndex = " + std::to_wstring(target.index)
        + L" AND AddressFamily = " + std::to_wstring(kIPv6Family) + more;
}

// Deletes the objects a query finds, except those `keep` names.
template <typename Keep> std::uint32_t deleteFound(IWbemServices* services, const std::wstring& text, const Keep& keep)
{
    std::vector<ComPtr<IWbemClassObject>> found;
    if (const HRESULT hr = query(services, text, found); FAILED(hr))
        return static_cast<std::uint32_t>(hr);
    for (const auto& object : found) {
        if (keep(object.Get()))
            continue;
        if (const HRESULT hr
            = services->DeleteInstance(Bstr(std::wstring_view(pathOf(object.Get()))).get(), 0, nullptr, nullptr);
            FAILED(hr))
            return static_cast<std::uint32_t>(hr);
    }
    return 0;
}

std::uint32_t setBinding(IWbemServices* services, const IPv6Interface& target, const wchar_t* method)
{
    std::vector<ComPtr<IWbemClassObject>> found;
    const std::wstring text = L"SELECT * FROM MSFT_NetAdapterBindingSettingData WHERE ComponentID = 'ms_tcpip6' AND "
                              L"InterfaceDescription = "
        + quoted(target.description);
    if (const HRESULT hr = query(services, text, found); FAILED(hr))
        return static_cast<std::uint32_t>(hr);
    if (found.empty())
        return kNotSupported;
    return call(services, pathOf(found.front().Get()), L"MSFT_NetAdapterBindingSettingData", method, {});
}

std::uint32_t setServers(IWbemServices* services, const IPv6Interface& target, const std::vector<std::string>& servers)
{
    std::vector<ComPtr<IWbemClassObject>> found;
    if (const HRESULT hr = query(services, onInterface(L"MSFT_DNSClientServerAddress", target), found); FAILED(hr))
        return static_cast<std::uint32_t>(hr);
    if (found.empty())
        return kNotSupported;
    Variant value;
    ToVariant(servers, *value.get());
    HRESULT hr = found.front()->Put(L"ServerAddresses", 0, value.get(), 0);
    if (SUCCEEDED(hr))
        hr = services->PutInstance(found.front().Get(), WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr);
    return FAILED(hr) ? static_cast<std::uint32_t>(hr) : 0;
}

std::uint32_t removeDefaultRoutes(IWbemServices* services, const IPv6Interface& target)
{
    return deleteFound(services, onInterface(L"MSFT_NetRoute", target, L" AND DestinationPrefix = '::/0'"),
                       [](IWbemClassObject*) { return false; });
}

std::uint32_t setAddresses(IWbemServices* services, const IPv6Interface& target, const std::vector<std::string>& wanted)
{
    // The manual addresses not wanted go; the wanted ones not there yet are created.
    std::vector<std::wstring> present;
    const auto keep = [&](IWbemClassObject* object) {
        Variant prefix;
        object->Get(L"PrefixLength", 0, prefix.get(), nullptr, nullptr);
        Variant converted;
        VariantChangeType(converted.get(), const_cast<VARIANT*>(&*prefix), 0, VT_I4);
        const std::wstring entry = textOf(object, L"IPAddress") + L"/"
            + (V_VT(&*converted) == VT_I4 ? std::to_wstring(V_I4(&*converted)) : std::wstring());
        for (const std::string& address : wanted) {
            if (widen(address) == entry) {
                present.push_back(entry);
                return true;
            }
        }
        return false;
    };
    const std::wstring manual = L" AND PrefixOrigin = " + std::to_wstring(kManualOrigin);
    if (const std::uint32_t removed = deleteFound(services, onInterface(L"MSFT_NetIPAddress", target, manual), keep))
        return removed;
    for (const std::string& address : wanted) {
        if (std::find(present.begin(), present.end(), widen(address)) != present.end())
            continue;
        const std::size_t slash = address.find('/');
        const std::vector<Argument> args {
            { L"InterfaceIndex", target.index, VT_UI4 },
            { L"IPAddress", address.substr(0, slash) },
            { L"AddressFamily", std::int64_t { kIPv6Family }, VT_UI2 },
            { L"PrefixLength", std::int64_t { std::stoi(address.substr(slash + 1)) }, VT_UI1 },
        };
        if (const std::uint32_t result = call(services, L"MSFT_NetIPAddress", L"MSFT_NetIPAddress", L"Create", args))
            return result;
    }
    return 0;
}

std::uint32_t setGateway(IWbemServices* services, const IPv6Interface& target, const std::string& gateway)
{
    if (const std::uint32_t removed = removeDefaultRoutes(services, target))
        return removed;
    if (gateway.empty())
        return 0;
    const std::vector<Argument> args {
        { L"InterfaceIndex", target.index, VT_UI4 },
        { L"DestinationPrefix", std::string("::/0") },
        { L"AddressFamily", std::int64_t { kIPv6Family }, VT_UI2 },
        { L"NextHop", gateway },
    };
    return call(services, L"MSFT_NetRoute", L"MSFT_NetRoute", L"Create", args);
}

const std::vector<std::string>* texts(const std::vector<Value>& args)
{
    return args.size() == 1 ? std::get_if<std::vector<std::string>>(&args[0]) : nullptr;
}

} // namespace

std::uint32_t RunIPv6Method(IWbemServices* services, AdapterMethod method, const std::vector<Value>& args,
                            const IPv6Interface& target)
{
    switch (method) {
    case AdapterMethod::DisableIPv6:
        return setBinding(services, target, L"Disable");
    case AdapterMethod::EnableIPv6: {
        // Automatic: the binding on, and nothing manual left to override what the network offers.
        if (const std::uint32_t result = setBinding(services, target, L"Enable"))
            return result;
        if (const std::uint32_t result = setAddresses(services, target, {}))
            return result;
        if (const std::uint32_t result = removeDefaultRoutes(services, target))
            return result;
        return setServers(services, target, {});
    }
    case AdapterMethod::SetIPv6Addresses: {
        const auto* wanted = texts(args);
        if (!wanted || wanted->empty())
            return kInvalidParameter;
        if (const std::uint32_t result = setBinding(services, target, L"Enable"))
            return result;
        return setAddresses(services, target, *wanted);
    }
    case AdapterMethod::SetIPv6Gateway: {
        const auto* gateway = args.size() == 1 ? std::get_if<std::string>(&args[0]) : nullptr;
        return gateway ? setGateway(services, target, *gateway) : kInvalidParameter;
    }
    case AdapterMethod::SetIPv6DNSServers: {
        const auto* servers = texts(args);
        return servers ? setServers(services, target, *servers) : kInvalidParameter;
    }
    default:
        return kInvalidParameter;
    }
}

} // namespace lanvex::net::wmi
