#include "net/wmi/WmiNetworkAround.h"

#include "net/ExtraSettings.h"
#include "net/wmi/WmiNetwork.h"
#include "net/wmi/WmiWiFi.h"
#include "store/SiteProfile.h"
#include "store/windows/WindowsText.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <future>
#include <optional>
#include <thread>

// The socket headers first: the IP helper declares its table functions only after them, and the
// remote access headers need the Windows types before them.
// clang-format off
#include <winsock2.h>
#include <iphlpapi.h>
#include <objbase.h>
#include <netlistmgr.h>
#include <ras.h>
#include <raserror.h>
#include <wrl/client.h>
// clang-format on

namespace lanvex::net::wmi {

using Microsoft::WRL::ComPtr;
using store::windows::Widen;

namespace {

// How long a hung-up connection may take to be gone before the step gives up on it.
constexpr std::chrono::seconds kHangUpTime { 10 };
// How long a new network category may take to read back.
constexpr std::chrono::seconds kCategoryTime { 2 };
constexpr std::chrono::milliseconds kPoll { 100 };

// A Win32 error as the method's result: the class's own code where it has one, otherwise as an
// HRESULT, which no code of the class can be mistaken for.
std::uint32_t asResult(DWORD error)
{
    if (error == ERROR_SUCCESS)
        return 0;
    if (error == ERROR_ACCESS_DENIED)
        return kAccessDenied;
    return static_cast<std::uint32_t>(HRESULT_FROM_WIN32(error));
}

std::uint32_t asResult(HRESULT hr)
{
    if (hr == E_ACCESSDENIED)
        return kAccessDenied;
    return SUCCEEDED(hr) ? 0 : static_cast<std::uint32_t>(hr);
}

const std::string* onlyText(const std::vector<Value>& args)
{
    return args.size() == 1 ? std::get_if<std::string>(&args[0]) : nullptr;
}

bool sameName(const std::wstring& a, const wchar_t* b)
{
    return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

// COM for the call, where the calling thread has none yet.
class ComScope
{
public:
    ComScope()
        : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED))
    { }
    ~ComScope()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

// --- The remote access phone book (VPN connections) ---

// Grows `items` until a RasEnum* call fits; each item's dwSize is set.
template <typename T, typename Call> DWORD rasEnumerate(std::vector<T>& items, Call call)
{
    DWORD bytes = sizeof(T);
    DWORD count = 0;
    DWORD error = ERROR_BUFFER_TOO_SMALL;
    for (int attempt = 0; attempt < 3 && error == ERROR_BUFFER_TOO_SMALL; ++attempt) {
        items.assign(bytes / sizeof(T) + 1, T {});
        for (T& item : items)
            item.dwSize = sizeof(T);
        bytes = static_cast<DWORD>(items.size() * sizeof(T));
        error = call(items.data(), &bytes, &count);
    }
    items.resize(error == ERROR_SUCCESS ? count : 0);
    return error;
}

// The phone-book entry `name` (letter case ignored), with the phone book that holds it (the user's
// or all users'); nothing when none does. A failure to read them is left in `error`.
std::optional<RASENTRYNAMEW> entryOf(const std::wstring& name, DWORD& error)
{
    std::vector<RASENTRYNAMEW> entries;
    error = rasEnumerate(entries, [](RASENTRYNAMEW* data, DWORD* bytes, DWORD* count) {
        return RasEnumEntriesW(nullptr, nullptr, data, bytes, count);
    });
    for (const RASENTRYNAMEW& entry : entries)
        if (sameName(name, entry.szEntryName))
            return entry;
    return std::nullopt;
}

// The live connection of the entry `name`; nothing while it is down.
std::optional<HRASCONN> activeConnection(const std::wstring& name)
{
    std::vector<RASCONNW> connections;
    rasEnumerate(connections,
                 [](RASCONNW* data, DWORD* bytes, DWORD* count) { return RasEnumConnectionsW(data, bytes, count); });
    for (const RASCONNW& connection : connections)
        if (sameName(name, connection.szEntryName))
            return connection.hrasconn;
    return std::nullopt;
}

// Hangs up and waits until the connection is gone: ending it while the port is still open would
// leave the port unusable for the next dial.
bool hangUp(HRASCONN connection)
{
    RasHangUpW(connection);
    const auto deadline = std::chrono::steady_clock::now() + kHangUpTime;
    for (;;) {
        RASCONNSTATUSW status {};
        status.dwSize = sizeof status;
        if (RasGetConnectStatusW(connection, &status) == ERROR_INVALID_HANDLE)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPoll);
    }
}

// Dials the entry synchronously with the credentials the system saved for it.
std::uint32_t dial(const RASENTRYNAMEW& entry)
{
    RASDIALPARAMSW parameters {};
    parameters.dwSize = sizeof parameters;
    std::memcpy(parameters.szEntryName, entry.szEntryName, sizeof parameters.szEntryName);
    BOOL hasPassword = FALSE;
    const wchar_t* book = entry.szPhonebookPath[0] ? entry.szPhonebookPath : nullptr;
    if (const DWORD error = RasGetEntryDialParamsW(book, &parameters, &hasPassword); error != ERROR_SUCCESS)
        return asResult(error);
    HRASCONN connection = nullptr;
    const DWORD error = RasDialW(nullptr, book, &parameters, 0, nullptr, &connection);
    SecureZeroMemory(parameters.szPassword, sizeof parameters.szPassword);
    if (error != ERROR_SUCCESS && connection)
        hangUp(connection); // a failed dial still holds its handle
    return asResult(error);
}

std::uint32_t activateConnection(const std::wstring& name)
{
    if (activeConnection(name))
        return 0;
    DWORD error = ERROR_SUCCESS;
    const auto entry = entryOf(name, error);
    if (!entry)
        return error == ERROR_SUCCESS ? std::uint32_t { kProfileNotFound } : asResult(error);
    return dial(*entry);
}

std::uint32_t deactivateConnection(const std::wstring& name)
{
    if (const auto connection = activeConnection(name))
        return hangUp(*connection) ? kSuccess : kUnableToConfigure;
    DWORD error = ERROR_SUCCESS;
    if (entryOf(name, error))
        return 0;
    return error == ERROR_SUCCESS ? std::uint32_t { kProfileNotFound } : asResult(error);
}

// --- The network's category (network list manager) ---

std::string guidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return store::windows::Narrow(text);
}

const char* zoneName(NLM_NETWORK_CATEGORY category)
{
    switch (category) {
    case NLM_NETWORK_CATEGORY_PRIVATE:
        return "private";
    case NLM_NETWORK_CATEGORY_DOMAIN_AUTHENTICATED:
        return "domain";
    case NLM_NETWORK_CATEGORY_PUBLIC:
        break;
    }
    return "public";
}

// The category a zone name sets; nothing for a name Windows has no category for. Empty is the
// system's default, public.
std::optional<NLM_NETWORK_CATEGORY> categoryOf(std::string_view zone)
{
    if (zone.empty() || EqualsNoCase(zone, "public"))
        return NLM_NETWORK_CATEGORY_PUBLIC;
    if (EqualsNoCase(zone, "private"))
        return NLM_NETWORK_CATEGORY_PRIVATE;
    return std::nullopt;
}

// Calls `visit` with each connected network connection and its adapter's GUID, until it returns
// true.
template <typename Visit> HRESULT forEachConnection(Visit visit)
{
    ComPtr<INetworkListManager> manager;
    HRESULT hr = CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&manager));
    ComPtr<IEnumNetworkConnections> connections;
    if (SUCCEEDED(hr))
        hr = manager->GetNetworkConnections(&connections);
    while (SUCCEEDED(hr) && connections) {
        ComPtr<INetworkConnection> connection;
        ULONG fetched = 0;
        if (connections->Next(1, &connection, &fetched) != S_OK || fetched == 0 || !connection)
            break;
        GUID adapter {};
        if (SUCCEEDED(connection->GetAdapterId(&adapter)) && visit(adapter, connection.Get()))
            break;
    }
    return hr;
}

// Sets the category and reads it back, for a little while: a system that takes the call without
// doing it (Wine's) has failed, not succeeded.
std::uint32_t setCategory(INetwork* network, NLM_NETWORK_CATEGORY category)
{
    HRESULT hr = network->SetCategory(category);
    const auto deadline = std::chrono::steady_clock::now() + kCategoryTime;
    while (SUCCEEDED(hr)) {
        NLM_NETWORK_CATEGORY current {};
        hr = network->GetCategory(&current);
        if (SUCCEEDED(hr) && current == category)
            return 0;
        if (std::chrono::steady_clock::now() >= deadline)
            return kUnableToConfigure;
        std::this_thread::sleep_for(kPoll);
    }
    return asResult(hr);
}

std::uint32_t setFirewallZone(std::string_view settingId, std::string_view zone)
{
    const auto category = categoryOf(zone);
    if (!category)
        return kInvalidParameter;
    const auto guid = InterfaceGuid(settingId);
    if (!guid)
        return kNotSupported;
    const ComScope com;
    // An adapter without a connected network has no category to set.
    std::uint32_t result = kNotConfigurable;
    const HRESULT walked = forEachConnection([&](const GUID& adapter, INetworkConnection* connection) {
        if (!IsEqualGUID(adapter, *guid))
            return false;
        ComPtr<INetwork> network;
        const HRESULT hr = connection->GetNetwork(&network);
        result = FAILED(hr) ? asResult(hr)
            : network       ? setCategory(network.Get(), *category)
                            : std::uint32_t { kNotConfigurable };
        return true;
    });
    return FAILED(walked) ? asResult(walked) : result;
}

// --- The computer's name ---

std::uint32_t setHostname(const std::string& name)
{
    if (name.empty() || ExtraValueProblem(store::SiteProfile {}, "Hostname", name))
        return kInvalidParameter;
    if (!SetComputerNameExW(ComputerNamePhysicalDnsHostname, Widen(name).c_str()))
        return asResult(GetLastError());
    return kResultAfterRestart;
}

// --- The link's neighbours ---

struct Resolution
{
    DWORD status = ERROR_NOT_READY;
    ULONG length = 0;
    unsigned char mac[8] = {};
};

// SendARP asks from the interface that holds the source address.
Resolution sendArp(IPAddr destination, IPAddr source)
{
    Resolution resolution;
    resolution.length = sizeof resolution.mac;
    resolution.status = SendARP(destination, source, resolution.mac, &resolution.length);
    return resolution;
}

AddressAnswer answerOf(const Resolution& resolution)
{
    // No answer. ERROR_GEN_FAILURE also stands for an address off the interface's subnet, which
    // was not asked about, so it stays "not checked".
    if (resolution.status == ERROR_BAD_NET_NAME)
        return { AddressAnswer::State::Free, {} };
    if (resolution.status != NO_ERROR || resolution.length != 6)
        return {};
    char text[18];
    const unsigned char* bytes = resolution.mac;
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                  bytes[5]);
    const std::string mac = FormatMACAddress(text).value_or("");
    if (mac.empty() || mac == "00:00:00:00:00:00")
        return {};
    return { AddressAnswer::State::Taken, mac };
}

} // namespace

bool IsNetworkAroundMethod(AdapterMethod method)
{
    return method == AdapterMethod::ConnectWiFi || method == AdapterMethod::ActivateConnection
        || method == AdapterMethod::DeactivateConnection || method == AdapterMethod::SetFirewallZone
        || method == AdapterMethod::SetHostname;
}

std::uint32_t RunNetworkAroundMethod(AdapterMethod method, const std::vector<Value>& args, std::string_view adapterGuid)
{
    const std::string* value = onlyText(args);
    if (!value)
        return kInvalidParameter;
    switch (method) {
    case AdapterMethod::ConnectWiFi:
        return ConnectWiFi(adapterGuid, *value);
    case AdapterMethod::ActivateConnection:
        return value->empty() ? std::uint32_t { kInvalidParameter } : activateConnection(Widen(*value));
    case AdapterMethod::DeactivateConnection:
        return value->empty() ? std::uint32_t { kInvalidParameter } : deactivateConnection(Widen(*value));
    case AdapterMethod::SetFirewallZone:
        return setFirewallZone(adapterGuid, *value);
    case AdapterMethod::SetHostname:
        return setHostname(*value);
    default:
        return kNotSupported;
    }
}

std::map<std::string, std::string> FirewallZones()
{
    const ComScope com;
    std::map<std::string, std::string> zones;
    forEachConnection([&](const GUID& adapter, INetworkConnection* connection) {
        ComPtr<INetwork> network;
        NLM_NETWORK_CATEGORY category {};
        if (SUCCEEDED(connection->GetNetwork(&network)) && SUCCEEDED(network->GetCategory(&category)))
            zones.emplace(guidText(adapter), zoneName(category));
        return false;
    });
    return zones;
}

std::string ComputerName()
{
    wchar_t name[256] = {};
    DWORD length = 256;
    if (!GetComputerNameExW(ComputerNameDnsHostname, name, &length))
        return {};
    return store::windows::Narrow(std::wstring_view(name, length));
}

std::string ZoneKey(std::string_view settingId)
{
    std::string key(settingId);
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

// The request runs on a worker of its own, so that the wait is bounded by `timeout` however long
// the system takes; a late answer is dropped with the worker.
AddressAnswer ProbeAddressFrom(const OwnAddress& source, std::string_view address, std::chrono::milliseconds timeout)
{
    const auto destination = ParseIPv4(address);
    const auto from = ParseIPv4(source.address);
    if (!destination || !from || source.prefix < 1 || !SameSubnet(*destination, *from, source.prefix))
        return {};
    std::packaged_task<Resolution()> task([to = htonl(*destination), by = htonl(*from)] { return sendArp(to, by); });
    std::future<Resolution> resolution = task.get_future();
    std::thread(std::move(task)).detach();
    if (resolution.wait_for(timeout) != std::future_status::ready)
        return { AddressAnswer::State::Free, {} };
    return answerOf(resolution.get());
}

} // namespace lanvex::net::wmi
