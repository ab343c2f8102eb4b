#include "apply/DesktopSteps.h"

#include "apply/ApplyResult.h"
#include "i18n/Translatable.h"
#include "printer/PrinterSource.h"

namespace lanvex::apply {

std::optional<net::ProxySettings> SiteProxy(const store::SiteProfile& site)
{
    const store::SiteExtras& extras = site.Extras;
    return net::ParseProxySettings({ extras.ProxyMode, extras.ProxyServer, extras.ProxyBypass, extras.ProxyPAC });
}

std::optional<StepOutcome> ProxyStep::Run(StepContext& context)
{
    const std::optional<net::ProxySettings> settings = SiteProxy(context.Site());
    if (!settings)
        return MakeOutcome("Proxy", false, kExtraValueSkipped,
                           { LANVEX_TR_NOOP("net", "代理服务器设置有误，未应用。") });
    if (settings->mode == net::ProxyMode::Keep)
        return std::nullopt;
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在设置代理服务器，请稍候..."));
    net::ProxyStore* proxy = context.Desktop()->proxy;
    switch (proxy ? proxy->SetProxy(*settings) : net::ProxyChange::NoStore) {
    case net::ProxyChange::Done:
        return MakeOutcome("Proxy", true, 0, { LANVEX_TR_NOOP("net", "更新代理服务器设置成功。") });
    case net::ProxyChange::NoStore:
        return MakeOutcome("Proxy", false, kProxyNoStore,
                           { LANVEX_TR_NOOP("net", "未找到桌面的代理设置，代理服务器未更改。") });
    case net::ProxyChange::Failed:
        break;
    }
    return MakeOutcome("Proxy", false, kProxyFailed, { LANVEX_TR_NOOP("net", "更新代理服务器设置失败。") });
}

std::optional<StepOutcome> PrinterStep::Run(StepContext& context)
{
    const DesktopTargets& targets = *context.Desktop();
    const store::SiteProfile& site = context.Site();
    if (!targets.applyPrinter || !site.ChangePrinter)
        return std::nullopt;
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在设置默认打印机，请稍候..."));
    // An empty name names no installed printer: a failed step, never a silent skip.
    const printer::DefaultPrinterChange change = targets.printers && !site.PrinterName.empty()
        ? targets.printers->SetDefaultPrinter(site.PrinterName)
        : printer::DefaultPrinterChange::NotInstalled;
    if (change == printer::DefaultPrinterChange::Done)
        return MakeOutcome("Printer", true, kPrinterSet, { LANVEX_TR_NOOP("net", "设置默认打印机成功。") });
    if (change == printer::DefaultPrinterChange::NoAnswer)
        return MakeOutcome("Printer", false, kPrinterFailed,
                           { LANVEX_TR_NOOP("net", "打印服务没有回应，未能设置默认打印机。") });
    return MakeOutcome("Printer", false, kPrinterFailed,
                       { LANVEX_TR_NOOP("net", "设置默认打印机失败，请确认该打印机已安装。") });
}

} // namespace lanvex::apply

namespace lanvex::apply {

namespace {

// A proxy as the dry run shows it: "none", "manual host:port (bypass a, b)", "auto URL".
std::string describeProxy(const net::ProxySettings& settings)
{
    std::string text(net::ProxyModeName(settings.mode));
    if (settings.mode == net::ProxyMode::Manual) {
        text.append(" ").append(settings.Server());
        if (!settings.bypass.empty())
            text.append(" (bypass ").append(JoinValues(settings.bypass)).append(")");
    } else if (settings.mode == net::ProxyMode::Auto) {
        text.append(" ").append(settings.pacUrl);
    }
    return text;
}

} // namespace

// The desktop's proxy cannot be read back through the store: its value now is not known.
std::vector<SettingChange> ProxyStep::Preview(const PreviewContext& context) const
{
    const std::optional<net::ProxySettings> settings = SiteProxy(context.site);
    if (!settings)
        return { { "Proxy", std::nullopt, context.site.Extras.ProxyMode,
                   LANVEX_TR_NOOP("net", "代理服务器设置有误，未应用。") } };
    if (settings->mode == net::ProxyMode::Keep)
        return {};
    const bool noStore = !context.desktop || !context.desktop->proxy;
    return { { "Proxy", std::nullopt, describeProxy(*settings),
               noStore ? LANVEX_TR_NOOP("net", "未找到桌面的代理设置，代理服务器未更改。") : nullptr } };
}

std::vector<SettingChange> PrinterStep::Preview(const PreviewContext& context) const
{
    if (!context.site.ChangePrinter)
        return {};
    const DesktopTargets* targets = context.desktop;
    std::optional<std::string> now;
    if (targets && targets->printers)
        now = printer::GetDefaultPrinter(*targets->printers);
    const bool asked = targets && targets->applyPrinter;
    return { { "Printer", now, context.site.PrinterName,
               asked ? nullptr : LANVEX_TR_NOOP("net", "未开启“应用办公位置时设置默认打印机”，默认打印机不变。") } };
}

} // namespace lanvex::apply
