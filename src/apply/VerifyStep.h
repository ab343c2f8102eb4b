#pragma once

#include "apply/ApplyStep.h"

// The checks after an apply: the new default gateway answers, hosts accept connections and names
// resolve, through the adapter just changed. A check that fails ends the apply, whose run then puts
// the previous settings back.
namespace lanvex::apply {

class VerifyStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Verify; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

} // namespace lanvex::apply
