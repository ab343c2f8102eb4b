#pragma once

#include "printer/PrinterSource.h"
#include "store/SiteProfile.h"

#include <string>
#include <vector>

// What the tests over the NetworkManager sandbox apply: a static site on the sandbox's own network
// (10.77.0.0/24) and DHCP from its server; and a machine without printers.
namespace lanvex::nm_test {

class NoPrinters : public printer::PrinterSource
{
public:
    std::string DefaultPrinterEntry() const override { return {}; }
    std::vector<std::string> InstalledPrinters() const override { return {}; }
};

inline store::SiteProfile SandboxStaticSite()
{
    store::SiteProfile site;
    site.Name = "Office";
    site.IP = "10.77.0.5";
    site.SubNetMask = "255.255.255.0";
    site.DefaultGateway = "10.77.0.1";
    return site;
}

inline store::SiteProfile SandboxDhcpSite()
{
    store::SiteProfile site;
    site.Name = "Home";
    site.DHCPEnabled = true;
    return site;
}

} // namespace lanvex::nm_test
