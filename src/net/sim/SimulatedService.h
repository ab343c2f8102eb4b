#pragma once

#include "net/ManagementService.h"
#include "net/ProxyStore.h"
#include "printer/PrinterSource.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lanvex::net::sim {

// A management service played from a JSON file. The file is read afresh at every Connect, so an
// outside edit is seen by the next operation; every method call is logged in the file's "calls"
// and the whole file is written back atomically, so an observer always sees the adapters' state.
//
// Adapters with "IPEnabled": true are listed with Index 1, 2, 3 ... in file order. A method
// returns the adapter's "results" entry for it when there is one and changes nothing; otherwise it
// checks its arguments like the real service (68 bad parameters, 66 bad mask, 69 too many
// gateways, 70 bad address, 71 bad gateway) and changes the adapter only on success. A file that
// cannot be read or parsed, or that says "unavailable": true, makes Connect fail. "delayMs" makes
// every query and method call take that long, like a slow service.
//
// Only a regular file is read (a FIFO or a device in its place fails the connection), and a read
// is kept while the file stays unchanged, so listing many adapters reads it once. Each method call
// takes an exclusive lock on the file, applies itself to the file as it stands and writes it back,
// so calls from several processes at once are all logged.
class SimulatedConnector : public ServiceConnector
{
public:
    explicit SimulatedConnector(std::string jsonPath);
    ~SimulatedConnector() override;
    std::unique_ptr<ManagementService> Connect(std::string_view moniker) override;

    struct Cache;

private:
    std::string jsonPath_;
    std::shared_ptr<Cache> cache_;
};

// The printers of the same file: "printers" (names) and "defaultPrinter" (the profile entry).
class SimulatedPrinters : public printer::PrinterSource
{
public:
    explicit SimulatedPrinters(std::string jsonPath);
    ~SimulatedPrinters() override;
    std::string DefaultPrinterEntry() const override;
    std::vector<std::string> InstalledPrinters() const override;
    // Sets "defaultPrinter" to the named printer of "printers" and logs the call as
    // {"Index": 0, "method": "SetDefaultPrinter", "args": [name], "result"}: 0, or 1801 (no such printer).
    printer::DefaultPrinterChange SetDefaultPrinter(const std::string& name) const override;

private:
    std::string jsonPath_;
    std::shared_ptr<SimulatedConnector::Cache> cache_;
};

// The user's proxy in the same file: "proxy" holds {"mode", "server", "bypass" (a list), "pac"} as
// the last change left it, and each change is logged as {"Index": 0, "method": "SetProxy",
// "args": [mode, server, bypass joined by ",", pac], "result": 0}.
class SimulatedProxy : public ProxyStore
{
public:
    explicit SimulatedProxy(std::string jsonPath);
    ~SimulatedProxy() override;
    ProxyChange SetProxy(const ProxySettings& settings) override;

private:
    std::string jsonPath_;
    std::shared_ptr<SimulatedConnector::Cache> cache_;
};

} // namespace lanvex::net::sim
