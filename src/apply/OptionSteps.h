#pragma once

#include "apply/ApplyStep.h"

// The steps of the optional keys, after the IPv4 ones. A site without the keys takes none of them.
namespace lanvex::apply {

// DNSSuffix: the adapter's connection-specific DNS suffix.
class DnsSuffixStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Options; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// IPv6Mode with its addresses, gateway and DNS servers; stops at the first call that fails.
class IPv6Step : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Options; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// Optional keys whose values cannot be used: named in the summary, never applied.
class SkippedValuesStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Options; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

} // namespace lanvex::apply
