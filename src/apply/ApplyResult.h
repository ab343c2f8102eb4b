#pragma once

#include <cstdint>

// What an apply ended with, as one number: the exit code of --apply and the callers' tests read it.
namespace lanvex::apply {

// Result codes of an apply. The static path adds up the three low bits.
enum ApplyResultCode : std::int32_t
{
    kApplyOk = 0,
    kGatewayFailed = 1,
    kDnsFailed = 2,
    kWinsFailed = 4,
    kStaticFailed = 8,
    kDhcpFailed = 16,
    kAlreadyDhcp = 32,
    // Cases in which nothing was applied; each has its own summary.
    kServiceUnavailable = 64,
    kAdapterNotFound = 128,
    kDhcpSwitchRaised = 256,
    // The caller may not change the settings (refused, or the authorization prompt was refused):
    // nothing was changed.
    kNotPermitted = 512,
    // The service stopped answering during a change: whether it took effect is not known.
    kOutcomeUnknown = 1024,
    // Added to a failure: the failed change is saved and takes effect later, when it can.
    kSavedNotLive = 2048,
    // The steps of the optional keys, after the IPv4 ones; each runs only for a site that has its key.
    kDnsSuffixFailed = 4096,
    kIPv6Failed = 8192,
    // An optional key held a value that cannot be used; it was skipped, the rest applied.
    kExtraValueSkipped = 16384,
    // The desktop's steps, last (DesktopSteps.h): the proxy, then the default printer.
    kProxyFailed = 32768,
    kProxyNoStore = 65536, // no desktop proxy store was found: the proxy is as it was
    kPrinterFailed = 131072, // not installed, or the system refused
    // Not a failure: the default printer step ran and the site's printer is the default now.
    kPrinterSet = 262144,
    // A site's program (on leaving the last site, or after the apply) failed, could not start, was
    // refused or ran past its time. The settings themselves applied.
    kProgramFailed = 524288,
    // A check after the apply failed: the previous settings were put back.
    kVerifyFailed = 1048576,
    // An earlier change to be confirmed still has the service's checkpoint, which would take this
    // change back with it: nothing was changed.
    kEarlierChangePending = 2097152,
    // Another host answered for the site's address: the apply stopped before the address changed.
    kAddressTaken = 4194304,
    // The site's Wi-Fi network has no saved profile or is not in range: the apply stopped before
    // the address changed.
    kWiFiUnavailable = 8388608,
    // The network around the adapter: joining the Wi-Fi network failed otherwise; a system
    // connection would not come up or go down; the firewall zone or the computer's name was refused.
    kWiFiFailed = 16777216,
    kConnectionFailed = 33554432,
    kFirewallZoneFailed = 67108864,
    kHostnameFailed = 134217728,
};

// The bits the optional keys' and the desktop's steps add to the result of the IPv4 steps.
constexpr std::int32_t kExtraStepBits = kDnsSuffixFailed | kIPv6Failed | kExtraValueSkipped | kProxyFailed
    | kProxyNoStore | kPrinterFailed | kPrinterSet | kProgramFailed | kVerifyFailed | kWiFiFailed | kConnectionFailed
    | kFirewallZoneFailed | kHostnameFailed;

// Whether every step of the apply worked (or the adapter already had DHCP).
bool ApplySucceeded(std::int32_t applyResult);

// Whether every change of the apply worked, whatever became of the site's programs and of values
// that had to be skipped: what the checks, the program after the apply and the question whether
// to keep the change go by.
bool SettingsApplied(std::int32_t applyResult);

// Whether the adapter took the site's IPv4 address or DHCP, whatever became of the later steps.
bool AddressApplied(std::int32_t applyResult);

// Whether an apply that ended with `applyResult` may have changed the adapter, so that a restore
// is due. Only the results of applies that stopped before their first change of the adapter's
// address say no.
bool MayHaveChanged(std::int32_t applyResult);

} // namespace lanvex::apply
