#pragma once

#include "apply/ApplyStep.h"

// The IPv4 steps: DHCP, or the static address and mask followed by the gateways, the DNS servers
// and the WINS servers.
namespace lanvex::apply {

// Turns DHCP on, unless the adapter has it already.
class DhcpStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Address; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// The site's address and mask, and those of MoreIP, in one change.
class StaticAddressStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Address; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// DefaultGateway with its metric, then MoreGateways.
class GatewayStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Routing; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// The two DNS servers, where the site changes DNS. Its summary line is there either way.
class DnsStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Routing; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// The two WINS servers, where the site changes WINS. Its summary line is there either way.
class WinsStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Routing; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

} // namespace lanvex::apply
