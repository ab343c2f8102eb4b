#include "net/sim/SimulatedService.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <utility>

namespace lanvex::net::sim {

namespace {

nlohmann::json readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return nullptr;
    return nlohmann::json::parse(in, nullptr, /*allow_exceptions=*/false);
}

} // namespace

SimulatedConnector::SimulatedConnector(std::string jsonPath)
    : jsonPath_(std::move(jsonPath))
{ }

std::unique_ptr<ManagementService> SimulatedConnector::Connect(std::string_view)
{
    // Not built yet: behaves like an unreachable service.
    throw ServiceError("simulated service not available");
}

SimulatedPrinters::SimulatedPrinters(std::string jsonPath)
    : jsonPath_(std::move(jsonPath))
{ }

std::string SimulatedPrinters::DefaultPrinterEntry() const
{
    const nlohmann::json doc = readFile(jsonPath_);
    if (doc.is_object() && doc.contains("defaultPrinter") && doc["defaultPrinter"].is_string())
        return doc["defaultPrinter"].get<std::string>();
    return {};
}

std::vector<std::string> SimulatedPrinters::InstalledPrinters() const
{
    std::vector<std::string> names;
    const nlohmann::json doc = readFile(jsonPath_);
    if (doc.is_object() && doc.contains("printers") && doc["printers"].is_array()) {
        for (const auto& name : doc["printers"])
            if (name.is_string())
                names.push_back(name.get<std::string>());
    }
    return names;
}

} // namespace lanvex::net::sim
