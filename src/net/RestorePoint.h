#pragma once

#include "net/IPInfo.h"
#include "net/ManagementService.h"
#include "store/SiteProfile.h"

#include <cstdint>
#include <memory>
#include <string>

namespace lanvex::printer {
class PrinterSource;
}

namespace lanvex::net {

// How a restore went: an apply result code (kApplyOk when all is back), and whether the service's
// checkpoint did it.
struct RestoreResult
{
    std::int32_t Result = kApplyOk;
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
    static std::unique_ptr<RestorePoint> Take(ServiceConnector& connector, const printer::PrinterSource& printers,
                                              std::int32_t adapterNumber, std::uint32_t rollbackSeconds);

    RestorePoint(AdapterEntry before, std::unique_ptr<Checkpoint> checkpoint, std::string checkpointRefusal);

    // The adapter's settings before the apply.
    const AdapterEntry& Before() const { return m_before; }
    // Whether the service rolls back by itself, should the program end before Keep or Restore.
    bool RestoresWithoutProgram() const { return m_checkpoint != nullptr; }
    // Why a service with checkpoints gave none (empty when it gave one or has none).
    const std::string& CheckpointRefusal() const { return m_checkpointRefusal; }

    // Called once the change is made: the service's time to roll back runs from now.
    void StartTimeout();
    // The change stays. False when it is gone already: the service has rolled it back.
    bool Keep();
    // Puts back what `applied` changed: through the checkpoint, or, without one or when the service
    // fails to roll back, by applying the settings from before.
    RestoreResult Restore(ServiceConnector& connector, const store::SiteProfile& applied, const StatusSink& showStatus);

private:
    AdapterEntry m_before;
    std::unique_ptr<Checkpoint> m_checkpoint;
    std::string m_checkpointRefusal;
};

// The site whose apply undoes `applied` on an adapter that had `before`: DHCP or the static
// addresses with their gateways and DNS servers, and the WINS servers, DNS suffix and IPv6 where
// `applied` changed them. It changes no proxy and no printer.
store::SiteProfile RestoringSite(const AdapterEntry& before, const store::SiteProfile& applied);

// Whether an apply that ended with `applyResult` may have changed the adapter, so that a restore
// is due. Only the results of applies that stopped before their first change say no.
bool MayHaveChanged(std::int32_t applyResult);

// The lines the user reads after a restore, translated and joined by "\r\n": what was put back
// (or failed to be), then, for a restore by apply, that apply's summary.
std::string RestoreSummary(const RestoreResult& restored, const AdapterEntry& before,
                           const store::SiteProfile& applied);

} // namespace lanvex::net
