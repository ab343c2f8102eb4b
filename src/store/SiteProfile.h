#pragma once

#include <string>

namespace lanvex::store {

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

    bool operator==(const SiteProfile&) const = default;
};

} // namespace lanvex::store
