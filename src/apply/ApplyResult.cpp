#include "apply/ApplyResult.h"

namespace lanvex::apply {

bool ApplySucceeded(std::int32_t applyResult)
{
    const std::int32_t result = applyResult & ~kPrinterSet;
    return result == kApplyOk || result == kAlreadyDhcp;
}

bool SettingsApplied(std::int32_t applyResult)
{
    return ApplySucceeded(applyResult & ~(kProgramFailed | kExtraValueSkipped));
}

bool AddressApplied(std::int32_t applyResult)
{
    const std::int32_t ipv4Result = applyResult & ~(kExtraStepBits | kSavedNotLive);
    return ipv4Result < kStaticFailed || ipv4Result == kAlreadyDhcp;
}

bool MayHaveChanged(std::int32_t applyResult)
{
    // Stopped by the address check or a missing Wi-Fi network: the adapter's address is as it was.
    if ((applyResult & (kAddressTaken | kWiFiUnavailable)) != 0)
        return false;
    return applyResult != kServiceUnavailable && applyResult != kAdapterNotFound && applyResult != kNotPermitted
        && applyResult != kEarlierChangePending;
}

} // namespace lanvex::apply
