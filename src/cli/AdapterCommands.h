#pragma once

#include "net/AdapterQuery.h"
#include "platform/Services.h"
#include "store/SiteListModel.h"

#include <cstdint>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace lanvex::cli {

// --adapters: the adapter list as JSON, each with its position, Index and current settings.
// A service that cannot be reached is an error (stderr, exit code 1), not an empty list.
int RunAdaptersCommand(platform::Services& services, std::ostream& out, std::ostream& err);

// --detect: per adapter, its network (Gateway, GatewayMAC, SSID, DNSDomain), its firewall zone and
// the computer's name (FirewallZone, HostName), the sites that match
// it (Matches, in list order) and the site its settings are (Live, or null), as JSON. A service that
// cannot be reached is an error (stderr, exit code 1).
int RunDetectCommand(platform::Services& services, std::ostream& out, std::ostream& err);

// One adapter's line of --detect and --watch: its network, the sites that match it in list order
// and the first site it holds.
nlohmann::ordered_json DetectRecord(const net::AdapterEntry& adapter, const store::SiteListModel& model);

// --apply NAME [--adapter N]: applies a saved site and prints the summary lines. N names the adapter
// as AdapterChoice.h says (number, interface name, MAC address, GUID); an unknown name is bad usage.
// Without N, a site bound to an adapter (its Adapter key) goes to that adapter; when it is absent,
// nothing changes, stderr says why and the exit code is 1.
// Exit code 0 for result 0 or 32, 1 for any other result, 2 for bad usage.
// With `json`, stdout holds one object: {"Site", "Adapter", "Result", "Steps": [{"Step", "Ok",
// "Text"}], "Restored"} (null, or what was taken back); the summary goes to stderr with the progress.
// A run refused before it began prints no object: stderr says why.
// With `revertAfter`, the change then waits for `lanvex --confirm` of the same user. Kept: exit
// code 0. Not confirmed in time, or the wait interrupted: the adapter's previous settings are put
// back, stdout says what, exit code 1. A failed apply restores at once when it may have changed
// anything, and exits 1 without waiting.
int RunApplyCommand(platform::Services& services, const std::string& siteName,
                    const std::optional<std::string>& adapterText, std::ostream& out, std::ostream& err,
                    std::optional<std::uint32_t> revertAfter = std::nullopt, bool json = false);

// --apply NAME --dry-run [--json]: what the apply would change, one line (or JSON object) per
// setting: {"Setting", "Now", "Then"}, with "Skipped" and why where the step would leave it. Makes
// no changing call. Exit code 0; 1 when the service or the adapter cannot be read; 2 for bad usage.
int RunDryRunCommand(platform::Services& services, const std::string& siteName,
                     const std::optional<std::string>& adapterText, bool json, std::ostream& out, std::ostream& err);

// A summary as separate output lines: the message box joins them with "\r\n".
void PrintSummaryLines(std::ostream& out, const std::string& text);

} // namespace lanvex::cli
