#pragma once

#include "net/AdapterQuery.h"
#include "net/ExtraSettings.h"
#include "net/ManagementService.h"
#include "store/SiteProfile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lanvex::printer {
class PrinterSource;
}
namespace lanvex::net {
class ProxyStore;
}

// One apply is a list of steps. Each step is a small class that knows its status texts, the calls
// it makes, the bit it adds to the result and the lines it gives the summary.
namespace lanvex::apply {

// Receives the progress texts of an apply, in order, untranslated (context "net"). The window draws
// each one at once.
using StatusSink = std::function<void(const std::string&)>;

// Where the desktop's steps go. A missing proxy store counts as none found.
struct DesktopTargets
{
    const printer::PrinterSource* printers = nullptr;
    net::ProxyStore* proxy = nullptr;
    // [Common] ApplyPrinter: the site's printer becomes the default only when the user asked.
    bool applyPrinter = false;
};

// The steps run in groups, in this order. Every step of a group runs; a group that ends with a
// stop or a result in doubt is the last.
enum class StepGroup
{
    Leave, // the program of the site the adapter leaves, then the connections it brings down
    Join, // the site's Wi-Fi network
    Check, // whether another host holds the site's address
    Address, // DHCP, or the static address and mask
    Routing, // gateways, DNS and WINS servers of a static site
    Options, // the optional keys: DNS suffix, IPv6, values that had to be skipped
    Desktop, // the proxy and the default printer
    Around, // the firewall zone, the computer's name, the connections the site brings up
    Verify, // the checks that the new settings work
    Arrive, // the site's program after the apply
};

// One line of a summary: a source text (context "net"), untranslated, and the values that go in
// place of its %1, %2.
struct SummaryLine
{
    SummaryLine(const char* source)
        : text(source)
    { }
    SummaryLine(const char* source, std::vector<std::string> values)
        : text(source)
        , args(std::move(values))
    { }
    const char* text;
    std::vector<std::string> args;
};

// The line as the user reads it.
std::string TranslatedLine(const SummaryLine& line);

// Where a site comes from, as far as its programs go: an organisation's site runs programs only
// from a file no one but an administrator can change.
enum class SiteOrigin
{
    Own,
    Organisation,
    UnprotectedOrganisation,
};

// A site whose program runs when the adapter leaves it.
struct LeavingSite
{
    store::SiteProfile site;
    SiteOrigin origin = SiteOrigin::Own;
};

// What an apply does around the settings themselves; a restore does none of it.
struct ApplySurroundings
{
    // The site live on the adapter before the apply, when it has a program for leaving.
    std::optional<LeavingSite> leaving;
    SiteOrigin origin = SiteOrigin::Own; // of the site applied
    bool programOutputToStderr = false; // else the programs' output is dropped
    // The checks passed: called before the site's program runs.
    std::function<void()> verified;
};

// What one step did.
struct StepOutcome
{
    const char* step = ""; // the step's name, as scripts see it: "Address", "Gateway", "DNS", ...
    StepGroup group = StepGroup::Address; // set by the procedure
    bool ok = true;
    std::int32_t bits = 0; // what it adds to the apply's result (ApplyResultCode)
    // The apply's whole result, whatever the other steps did: a first change refused or in doubt,
    // an adapter that is not there.
    std::optional<std::int32_t> wholeResult;
    bool stops = false; // nothing after this step's group runs
    std::vector<SummaryLine> lines; // its summary lines
};

StepOutcome MakeOutcome(const char* step, bool ok, std::int32_t bits = 0, std::vector<SummaryLine> lines = {});

// What the steps of one apply share.
class StepContext
{
public:
    StepContext(net::ManagementService& service, std::vector<net::ObjectRef> adapterSet, std::int32_t adapterNumber,
                const store::SiteProfile& site, const DesktopTargets* desktop, bool authorizationNeeded,
                const StatusSink& showStatus, const ApplySurroundings* surroundings = nullptr);

    net::ManagementService& Service() const { return m_service; }
    const std::vector<net::ObjectRef>& AdapterSet() const { return m_adapterSet; }
    std::int32_t AdapterNumber() const { return m_adapterNumber; }
    const store::SiteProfile& Site() const { return m_site; }
    // The site's optional keys, read and checked once for the whole apply.
    const net::ExtraSettings& Extras() const { return m_extras; }
    // Null when the apply leaves the desktop alone, as a restore does.
    const DesktopTargets* Desktop() const { return m_desktop; }
    // Null for a restore, which runs no program and makes no check.
    const ApplySurroundings* Surroundings() const { return m_surroundings; }
    // The result of the groups run so far.
    std::int32_t ResultSoFar() const { return m_resultSoFar; }
    void SetResultSoFar(std::int32_t result) { m_resultSoFar = result; }

    void ShowStatus(const char* text) const;
    // The first change opens the system's authorization prompt; the user is told what the wait is for.
    void BeforeFirstChange();
    // The adapter's configuration in the set; null when none has its Index.
    net::ObjectRef Adapter() const;
    // The same configuration fetched again by its path, once, for the calls the service routes by
    // path; null when it cannot be fetched.
    net::ObjectRef AdapterByPath();

private:
    net::ManagementService& m_service;
    std::vector<net::ObjectRef> m_adapterSet;
    std::int32_t m_adapterNumber;
    const store::SiteProfile& m_site;
    net::ExtraSettings m_extras;
    const DesktopTargets* m_desktop;
    const StatusSink& m_showStatus;
    const ApplySurroundings* m_surroundings;
    std::int32_t m_resultSoFar = 0;
    bool m_authorizationNeeded;
    bool m_changeStarted = false;
    std::optional<net::ObjectRef> m_byPath;
};

// One setting a step would change, as the dry run shows it: the adapter's (or the desktop's)
// value now and the site's value after. Lists are joined by ", ".
struct SettingChange
{
    std::string setting; // "IPAddress", "DefaultIPGateway", "Proxy", ...
    std::optional<std::string> now; // nothing where the value cannot be read
    std::string then;
    // Why the step would leave it as it is, untranslated (context "net"); null when it changes it.
    const char* skipped = nullptr;
};

// What a dry run reads: the site, the adapter as it is now, and the desktop's targets (null when
// the apply leaves the desktop alone). Nothing here can change anything.
struct PreviewContext
{
    const store::SiteProfile& site;
    const net::ExtraSettings& extras;
    const net::AdapterEntry& adapter;
    const DesktopTargets* desktop;
};

class ApplyStep
{
public:
    virtual ~ApplyStep() = default;
    virtual StepGroup Group() const = 0;
    // Runs the step; nothing when the site asks nothing of it.
    virtual std::optional<StepOutcome> Run(StepContext& context) = 0;
    // What Run would change, without a call to the service; empty when the site asks nothing of it.
    virtual std::vector<SettingChange> Preview(const PreviewContext& context) const
    {
        (void)context;
        return {};
    }
};

// A list as a preview shows it: the values that are not empty, joined by ", ".
std::string JoinValues(const std::vector<std::string>& values);

// Result of a call that could not run at all: the call raised, or the object to run it on could
// not be fetched. Such a step counts as failed, never as done.
inline constexpr std::uint32_t kStepNotRun = 0xFFFFFFFFu;

// Runs a method; a call that raises, or no object to run it on, gives kStepNotRun.
std::uint32_t CallSkippingFailure(const net::ObjectRef& object, std::string_view method,
                                  const std::vector<net::Value>& args);

// The outcome of a change after the first: a result in doubt puts the whole apply in doubt; one
// saved for later is a failure that says so.
StepOutcome ChangeOutcome(const char* step, std::uint32_t methodResult, std::int32_t failedBit, const char* succeeded,
                          const char* failed);

// What a failed change adds to the result: whether it is saved to take effect later.
std::int32_t SavedFlag(std::uint32_t methodResult);

} // namespace lanvex::apply
