#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanvex::net {

// What a site does with the user's proxy.
enum class ProxyMode
{
    Keep, // not touched
    None, // direct connections
    Manual, // one server for every protocol, with hosts that bypass it
    Auto // a proxy auto-configuration (PAC) script
};

// The user's proxy as a site sets it, checked.
struct ProxySettings
{
    ProxyMode mode = ProxyMode::Keep;
    std::string host; // Manual
    int port = 0; // Manual
    std::vector<std::string> bypass; // Manual: host names, domains ("*.corp") or addresses
    std::string pacUrl; // Auto

    // "host:port", as the ProxyServer key holds it.
    std::string Server() const;
    bool operator==(const ProxySettings&) const = default;
};

// The four keys' texts as stored: ProxyMode, ProxyServer, ProxyBypass, ProxyPAC.
struct ProxyTexts
{
    std::string mode;
    std::string server;
    std::string bypass;
    std::string pac;
};

// The settings the texts describe, or nothing when they don't make one: an unknown mode, a manual
// proxy without a valid host:port (port 1-65535; an IPv6 host in brackets), a bypass entry with a
// blank or control character, an automatic one without an http(s) or file URL. An empty mode is
// Keep, and Keep ignores the other keys.
std::optional<ProxySettings> ParseProxySettings(const ProxyTexts& texts);

// The key's text of a mode: keep, none, manual, auto.
std::string_view ProxyModeName(ProxyMode mode);

// The outcome of a proxy change.
enum class ProxyChange
{
    Done,
    NoStore, // no desktop proxy store was found: nothing was changed
    Failed // the store refused the change or can't be written
};

// Where the user's proxy is kept: the desktop's settings (GNOME, KDE Plasma), Windows' internet
// settings, or the simulated file.
class ProxyStore
{
public:
    virtual ~ProxyStore() = default;
    // Makes `settings` (never Keep) the user's proxy and tells the programs that listen.
    virtual ProxyChange SetProxy(const ProxySettings& settings) = 0;
};

// The store of a system that has none of the known ones: every change is NoStore.
class NoProxyStore : public ProxyStore
{
public:
    ProxyChange SetProxy(const ProxySettings&) override { return ProxyChange::NoStore; }
};

} // namespace lanvex::net
