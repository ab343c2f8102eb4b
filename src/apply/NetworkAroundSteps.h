#pragma once

#include "apply/ApplyStep.h"

#include <chrono>

// The network around the adapter: the system connections a site brings down before its settings
// and up after them, its Wi-Fi network, the check that no other host holds its address, its
// firewall zone and the computer's name. An apply runs them; a restore runs none.
namespace lanvex::apply {

// DisconnectOnApply, after the program of the site left.
class DisconnectStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Leave; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// WiFi: joins the network with the system's saved profile. No profile, or no such network in
// range, stops the apply before the address changes.
class WiFiStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Join; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// CheckAddress: asks the link for each static address before the change; an address another host
// answers for stops the apply.
class AddressCheckStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Check; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

class FirewallZoneStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Around; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

class HostnameStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Around; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// ConnectOnApply, after the zone and the name.
class ConnectStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Around; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// How long the link is given to answer for one address.
inline constexpr std::chrono::milliseconds kAddressProbeTime { 1000 };

} // namespace lanvex::apply
