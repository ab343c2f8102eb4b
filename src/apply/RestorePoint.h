#pragma once

#include "apply/ApplyProcedure.h"
#include "net/AdapterQuery.h"
#include "net/ManagementService.h"
#include "store/SiteProfile.h"

#include <cstdint>
#include <memory>
#include <string>

namespace lanvex::printer {
class PrinterSource;
}

namespace lanvex::apply {

// How a restore went: the outcome of the apply that put the settings back (result 0 when all is
// back), and whether the service's checkpoint did it instead.
struct RestoreResult
{
    ApplyOutcome Outcome;
    bool ByCheckpoint = false;
};

// The way back from one apply: the adapter's settings from before it and, where the service has
// them, the service's own checkpoint, which rolls the change back even when this program has ended
// by then. Without a checkpoint the program restores by applying the settings from before again,
// through the usual apply procedure.
class RestorePoint
{
public:
    // Reads the adapter's settings and asks the service for a checkpoint that runs out after
    // rollbackSeconds. Throws ServiceError when the service can't be reached; nothing is made for an
    // adapter number that names no adapter.
    static std::unique_ptr<RestorePoint> Take(net::ServiceConnector& connector, const printer::PrinterSource& printers,
                                              std::int32_t adapterNumber, std::uint32_t rollbackSeconds);

    // The same for an adapter just read: only the checkpoint is asked for. Both throw
    // CheckpointPending when the adapter is still in the checkpoint of an earlier change.
    static std::unique_ptr<RestorePoint> TakeFor(net::ServiceConnector& connector, net::AdapterEntry before,
                                                 std::uint32_t rollbackSeconds);

    RestorePoint(net::AdapterEntry before, std::unique_ptr<net::Checkpoint> checkpoint, std::string checkpointRefusal);

    // The adapter's settings before the apply.
    const net::AdapterEntry& Before() const { return m_before; }
    // Whether the service rolls back by itself, should the program end before Keep or Restore.
    bool RestoresWithoutProgram() const { return m_checkpoint != nullptr; }
    // Why a service with checkpoints gave none (empty when it gave one or has none).
    const std::string& CheckpointRefusal() const { return m_checkpointRefusal; }

    // The service rolls back `seconds` from now: called once the change is made, and again before
    // anything long (a program, the user's answer) that the change must outlast.
    void StartTimeout(std::uint32_t seconds);
    // The change stays. False when it is gone already: the service has rolled it back.
    bool Keep();
    // Puts back what `applied` changed: through the checkpoint, or, without one or when the service
    // fails to roll back, by applying the settings from before.
    RestoreResult Restore(net::ServiceConnector& connector, const store::SiteProfile& applied,
                          const StatusSink& showStatus);

private:
    net::AdapterEntry m_before;
    std::unique_ptr<net::Checkpoint> m_checkpoint;
    std::string m_checkpointRefusal;
};

// The site whose apply undoes `applied` on an adapter that had `before`: DHCP or the static
// addresses with their gateways and DNS servers, and the WINS servers, DNS suffix and IPv6 where
// `applied` changed them. It changes no proxy and no printer.
store::SiteProfile RestoringSite(const net::AdapterEntry& before, const store::SiteProfile& applied);

// The lines the user reads after a restore, translated and joined by "\r\n": what was put back
// (or failed to be), then, for a restore by apply, that apply's summary.
std::string RestoreSummary(const RestoreResult& restored, const net::AdapterEntry& before);

} // namespace lanvex::apply
