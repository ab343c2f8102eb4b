#include "apply/RestorePoint.h"

#include "apply/ApplyResult.h"
#include "i18n/Translate.h"
#include "net/ExtraSettings.h"
#include "net/ServiceValues.h"

#include <algorithm>
#include <exception>

namespace lanvex::apply {

using i18n::Arg;
using i18n::Translate;

namespace {

constexpr const char* kDhcpText = LANVEX_TR_NOOP("net", "DHCP工作方式");
constexpr const char* kAddressText = LANVEX_TR_NOOP("net", "IP地址 %1，子网掩码 %2");
constexpr const char* kGatewayText = LANVEX_TR_NOOP("net", "，网关 %1");
constexpr const char* kDnsText = LANVEX_TR_NOOP("net", "，DNS %1");
constexpr const char* kRestoredText = LANVEX_TR_NOOP("net", "已恢复网卡之前的设置：%1");
constexpr const char* kNotRestoredText = LANVEX_TR_NOOP("net", "未能完全恢复网卡之前的设置：%1");

// What a restore puts back, in one line: DHCP, or the address, mask, gateway and DNS servers.
std::string settingsText(const store::SiteProfile& info)
{
    if (info.DHCPEnabled)
        return Translate("net", kDhcpText);
    std::string text = Arg(Translate("net", kAddressText), { info.IP, info.SubNetMask });
    if (!info.DefaultGateway.empty())
        text += Arg(Translate("net", kGatewayText), { info.DefaultGateway });
    const std::string dns = info.AuxDNS.empty() ? info.DNS : info.DNS + "," + info.AuxDNS;
    if (!dns.empty())
        text += Arg(Translate("net", kDnsText), { dns });
    return text;
}

} // namespace

std::unique_ptr<RestorePoint> RestorePoint::Take(net::ServiceConnector& connector,
                                                 const printer::PrinterSource& printers, std::int32_t adapterNumber,
                                                 std::uint32_t rollbackSeconds)
{
    std::vector<net::AdapterEntry> adapters = net::QueryAdapters(connector, printers);
    const auto found = std::find_if(adapters.begin(), adapters.end(), [adapterNumber](const net::AdapterEntry& entry) {
        return entry.Index == adapterNumber;
    });
    if (found == adapters.end())
        return nullptr;
    return TakeFor(connector, std::move(*found), rollbackSeconds);
}

std::unique_ptr<RestorePoint> RestorePoint::TakeFor(net::ServiceConnector& connector, net::AdapterEntry before,
                                                    std::uint32_t rollbackSeconds)
{
    std::unique_ptr<net::Checkpoint> checkpoint;
    std::string refusal;
    try {
        std::unique_ptr<net::ManagementService> service = connector.Connect(net::kApplyMoniker);
        if (service)
            checkpoint = service->CreateCheckpoint(before.Index, rollbackSeconds);
    } catch (const net::CheckpointPending&) {
        throw;
    } catch (const std::exception& error) {
        // The program restores by itself then, as it does for a service without checkpoints.
        refusal = error.what();
    }
    return std::make_unique<RestorePoint>(std::move(before), std::move(checkpoint), std::move(refusal));
}

RestorePoint::RestorePoint(net::AdapterEntry before, std::unique_ptr<net::Checkpoint> checkpoint,
                           std::string checkpointRefusal)
    : m_before(std::move(before))
    , m_checkpoint(std::move(checkpoint))
    , m_checkpointRefusal(std::move(checkpointRefusal))
{ }

void RestorePoint::StartTimeout(std::uint32_t seconds)
{
    if (!m_checkpoint)
        return;
    try {
        m_checkpoint->RestartTimeout(seconds);
    } catch (const std::exception&) {
        // The service's time then runs from before the change: it may roll back a little early.
    }
}

bool RestorePoint::Keep()
{
    if (!m_checkpoint)
        return true;
    const bool kept = m_checkpoint->Keep();
    m_checkpoint.reset();
    return kept;
}

RestoreResult RestorePoint::Restore(net::ServiceConnector& connector, const store::SiteProfile& applied,
                                    const StatusSink& showStatus)
{
    if (m_checkpoint) {
        std::unique_ptr<net::Checkpoint> checkpoint = std::move(m_checkpoint);
        try {
            checkpoint->Rollback();
            return { NothingApplied(kApplyOk), true };
        } catch (const std::exception&) {
            // Applying the settings from before again does the same, more slowly.
        }
    }
    const store::SiteProfile restoring = RestoringSite(m_before, applied);
    return { ApplySteps(connector, m_before.Index, restoring, nullptr, showStatus), false };
}

store::SiteProfile RestoringSite(const net::AdapterEntry& before, const store::SiteProfile& applied)
{
    const store::SiteProfile& info = before.Info;
    store::SiteProfile site;
    site.Name = applied.Name;
    site.DHCPEnabled = info.DHCPEnabled;
    if (!info.DHCPEnabled) {
        site.IP = info.IP;
        site.SubNetMask = info.SubNetMask;
        site.DefaultGateway = info.DefaultGateway;
        site.Extras.MoreIP = info.Extras.MoreIP;
        site.Extras.GatewayMetric = info.Extras.GatewayMetric;
        site.Extras.MoreGateways = info.Extras.MoreGateways;
        site.ChangeDNS = true;
        site.DNS = info.DNS;
        site.AuxDNS = info.AuxDNS;
        site.ChangeWINS = applied.ChangeWINS;
        site.WINS = info.WINS;
        site.AuxWINS = info.AuxWINS;
        if (!applied.Extras.DNSSuffix.empty())
            site.Extras.DNSSuffix = before.Addresses.DNSDomain;
    }
    const auto appliedIPv6 = net::ParseIPv6Mode(applied.Extras.IPv6Mode);
    if (appliedIPv6 && *appliedIPv6 != net::IPv6Mode::Keep) {
        site.Extras.IPv6Mode = info.Extras.IPv6Mode;
        site.Extras.IPv6Address = info.Extras.IPv6Address;
        site.Extras.IPv6Gateway = info.Extras.IPv6Gateway;
        site.Extras.IPv6DNS = info.Extras.IPv6DNS;
    }
    return site;
}

std::string RestoreSummary(const RestoreResult& restored, const net::AdapterEntry& before)
{
    const std::string settings = settingsText(before.Info);
    if (restored.ByCheckpoint)
        return Arg(Translate("net", kRestoredText), { settings });
    const char* heading = ApplySucceeded(restored.Outcome.Result) ? kRestoredText : kNotRestoredText;
    return Arg(Translate("net", heading), { settings }) + "\r\n" + ApplySummaryText(restored.Outcome);
}

} // namespace lanvex::apply
