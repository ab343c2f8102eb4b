#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lanvex::net::nm {

// Vendor and model of a device as udev's database entry names them ("E:ID_VENDOR_FROM_DATABASE=…",
// "E:ID_MODEL_FROM_DATABASE=…"), joined by a blank; empty when the entry names neither.
std::string ProductFromUdevEntry(std::string_view entry);

// The product name of the network device NetworkManager identifies by `udi` (its sysfs path) and
// `interfaceName`, looked up under `root` ("/" outside tests); empty when unknown. Only a sysfs path
// that ends in this very interface is followed.
std::string DeviceProduct(const std::filesystem::path& root, std::string_view udi, std::string_view interfaceName);

} // namespace lanvex::net::nm
