#include "net/DesktopSteps.h"

#include "i18n/Translatable.h"
#include "printer/PrinterSource.h"

namespace lanvex::net {

namespace {

std::int32_t setProxy(ProxyStore* proxy, const store::SiteProfile& site, const StatusSink& showStatus)
{
    const std::optional<ProxySettings> settings = SiteProxy(site);
    if (!settings)
        return kExtraValueSkipped;
    if (settings->mode == ProxyMode::Keep)
        return 0;
    if (showStatus)
        showStatus(LANVEX_TR_NOOP("net", "正在设置代理服务器，请稍候..."));
    switch (proxy ? proxy->SetProxy(*settings) : ProxyChange::NoStore) {
    case ProxyChange::Done:
        return 0;
    case ProxyChange::NoStore:
        return kProxyNoStore;
    case ProxyChange::Failed:
        break;
    }
    return kProxyFailed;
}

std::int32_t setDefaultPrinter(const DesktopTargets& targets, const store::SiteProfile& site,
                               const StatusSink& showStatus)
{
    if (!targets.applyPrinter || !site.ChangePrinter)
        return 0;
    if (showStatus)
        showStatus(LANVEX_TR_NOOP("net", "正在设置默认打印机，请稍候..."));
    // An empty name names no installed printer: a failed step, never a silent skip.
    const bool done = targets.printers && !site.PrinterName.empty()
        && targets.printers->SetDefaultPrinter(site.PrinterName) == printer::DefaultPrinterChange::Done;
    return done ? kPrinterSet : kPrinterFailed;
}

} // namespace

std::optional<ProxySettings> SiteProxy(const store::SiteProfile& site)
{
    const store::SiteExtras& extras = site.Extras;
    return ParseProxySettings({ extras.ProxyMode, extras.ProxyServer, extras.ProxyBypass, extras.ProxyPAC });
}

std::int32_t ApplyDesktopSteps(const DesktopTargets& targets, const store::SiteProfile& site,
                               const StatusSink& showStatus)
{
    const std::int32_t proxy = setProxy(targets.proxy, site, showStatus);
    return proxy | setDefaultPrinter(targets, site, showStatus);
}

std::int32_t ApplySite(ServiceConnector& connector, const DesktopTargets& targets, std::int32_t adapterNumber,
                       const store::SiteProfile& site, const StatusSink& showStatus)
{
    const std::int32_t result = ApplyIPSettings(connector, adapterNumber, site, showStatus);
    if (!AddressApplied(result))
        return result;
    return result | ApplyDesktopSteps(targets, site, showStatus);
}

std::string DesktopSummaryLines(std::int32_t applyResult, const store::SiteProfile& site)
{
    std::string lines;
    const auto line = [&lines](const char* text) { lines.append("\r\n").append(text); };
    const std::optional<ProxySettings> proxy = SiteProxy(site);
    if (!proxy)
        line(LANVEX_TR_NOOP("net", "代理服务器设置有误，未应用。"));
    else if ((applyResult & kProxyNoStore) != 0)
        line(LANVEX_TR_NOOP("net", "未找到桌面的代理设置，代理服务器未更改。"));
    else if ((applyResult & kProxyFailed) != 0)
        line(LANVEX_TR_NOOP("net", "更新代理服务器设置失败。"));
    else if (proxy->mode != ProxyMode::Keep && AddressApplied(applyResult))
        line(LANVEX_TR_NOOP("net", "更新代理服务器设置成功。"));
    if ((applyResult & kPrinterSet) != 0)
        line(LANVEX_TR_NOOP("net", "设置默认打印机成功。"));
    else if ((applyResult & kPrinterFailed) != 0)
        line(LANVEX_TR_NOOP("net", "设置默认打印机失败，请确认该打印机已安装。"));
    return lines;
}

} // namespace lanvex::net
