#pragma once

#include <string>

namespace lanvex::store {

// Settings beyond the twelve keys of the Windows tool, each as the text its key holds. Empty means
// the key is absent: a site without them reads, saves and applies as it always did. The texts are
// kept as written, so a value the apply refuses is still saved back unchanged.
struct SiteExtras
{
    std::string Adapter; // the adapter the site is for: a MAC address, an interface name or a GUID
    std::string MatchGateway; // the network the site is for: its default gateway's address,
    std::string MatchGatewayMAC; // that gateway's MAC address,
    std::string MatchSSID; // the Wi-Fi network's name,
    std::string MatchDNSDomain; // the DNS domain DHCP gives
    std::string AutoApply; // "1": applied by itself when its network is recognised
    std::string MoreIP; // "address/mask,address/mask"
    std::string GatewayMetric; // the metric of DefaultGateway
    std::string MoreGateways; // "gateway:metric,gateway:metric"
    std::string DNSSuffix;
    std::string IPv6Mode; // keep, auto, static or off
    std::string IPv6Address; // "address/prefix,address/prefix"
    std::string IPv6Gateway;
    std::string IPv6DNS; // up to two, joined by ","
    std::string ProxyMode; // keep, none, manual or auto
    std::string ProxyServer; // "host:port", for every protocol
    std::string ProxyBypass; // hosts joined by ","
    std::string ProxyPAC; // the auto-configuration script's URL
    std::string RunOnApply; // a program and its arguments, run after the site was applied
    std::string RunOnLeave; // run when the site stops being its adapter's live site
    std::string RunTimeout; // seconds a program may run, 1 to 3600 (60)
    std::string VerifyTCP; // "host:port,host:port": each must accept a connection after the apply
    std::string VerifyDNS; // "name" or "name=address", joined by ",": each must resolve
    std::string VerifyGateway; // "1": the new default gateway must answer
    std::string VerifyTimeout; // seconds for all the probes together, 1 to 120 (10)
    std::string Hotkey; // a key of the whole desktop that applies the site, in Qt's portable text: "Ctrl+Alt+1"
    std::string CheckAddress; // "0": a static address is taken without asking the link whether it is free
    std::string WiFi; // the Wi-Fi network joined first, with the profile the system holds for it
    std::string ConnectOnApply; // system connections (VPN, WireGuard) brought up after the apply, joined by ","
    std::string DisconnectOnApply; // system connections brought down before it
    std::string FirewallZone; // the firewall zone of the adapter's connection
    std::string Hostname; // the computer's name

    bool operator==(const SiteExtras&) const = default;
};

// The optional keys in the order they follow the twelve, named as in the file and in JSON.
struct ExtraKey
{
    const char* name;
    std::string SiteExtras::*member;
};
inline constexpr ExtraKey kExtraKeys[] = {
    { "Adapter", &SiteExtras::Adapter },
    { "MatchGateway", &SiteExtras::MatchGateway },
    { "MatchGatewayMAC", &SiteExtras::MatchGatewayMAC },
    { "MatchSSID", &SiteExtras::MatchSSID },
    { "MatchDNSDomain", &SiteExtras::MatchDNSDomain },
    { "AutoApply", &SiteExtras::AutoApply },
    { "MoreIP", &SiteExtras::MoreIP },
    { "GatewayMetric", &SiteExtras::GatewayMetric },
    { "MoreGateways", &SiteExtras::MoreGateways },
    { "DNSSuffix", &SiteExtras::DNSSuffix },
    { "IPv6Mode", &SiteExtras::IPv6Mode },
    { "IPv6Address", &SiteExtras::IPv6Address },
    { "IPv6Gateway", &SiteExtras::IPv6Gateway },
    { "IPv6DNS", &SiteExtras::IPv6DNS },
    { "ProxyMode", &SiteExtras::ProxyMode },
    { "ProxyServer", &SiteExtras::ProxyServer },
    { "ProxyBypass", &SiteExtras::ProxyBypass },
    { "ProxyPAC", &SiteExtras::ProxyPAC },
    { "RunOnApply", &SiteExtras::RunOnApply },
    { "RunOnLeave", &SiteExtras::RunOnLeave },
    { "RunTimeout", &SiteExtras::RunTimeout },
    { "VerifyTCP", &SiteExtras::VerifyTCP },
    { "VerifyDNS", &SiteExtras::VerifyDNS },
    { "VerifyGateway", &SiteExtras::VerifyGateway },
    { "VerifyTimeout", &SiteExtras::VerifyTimeout },
    { "Hotkey", &SiteExtras::Hotkey },
    { "CheckAddress", &SiteExtras::CheckAddress },
    { "WiFi", &SiteExtras::WiFi },
    { "ConnectOnApply", &SiteExtras::ConnectOnApply },
    { "DisconnectOnApply", &SiteExtras::DisconnectOnApply },
    { "FirewallZone", &SiteExtras::FirewallZone },
    { "Hostname", &SiteExtras::Hostname },
};

// One site's settings. The same record carries an adapter's live configuration (the
// current-settings entry); Description and MACAddress are filled only there and never stored.
// All texts are UTF-8 in memory; the settings file holds them in code page 936.
struct SiteProfile
{
    std::string Name;
    std::string Description;
    bool DHCPEnabled = false;
    std::string IP;
    std::string SubNetMask;
    std::string DefaultGateway;
    bool ChangeDNS = false;
    std::string DNS;
    std::string AuxDNS;
    bool ChangeWINS = false;
    std::string WINS;
    std::string AuxWINS;
    bool ChangePrinter = false;
    std::string PrinterName;
    std::string MACAddress;
    SiteExtras Extras;

    bool operator==(const SiteProfile&) const = default;
};

} // namespace lanvex::store
