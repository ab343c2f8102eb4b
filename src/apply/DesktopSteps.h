#pragma once

#include "apply/ApplyStep.h"
#include "net/ProxyStore.h"
#include "store/SiteProfile.h"

#include <optional>

// What a site changes beyond the adapter, once the adapter has taken it: the user's proxy and
// default printer.
namespace lanvex::apply {

// The proxy a site asks for: its four proxy keys checked. Keep when it has none; nothing when
// their values don't make a proxy.
std::optional<net::ProxySettings> SiteProxy(const store::SiteProfile& site);

// The proxy, when the site sets one.
class ProxyStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Desktop; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// The default printer, when ApplyPrinter is on and the site's printer switch is set.
class PrinterStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Desktop; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

} // namespace lanvex::apply
