#include "net/nm/DeviceProduct.h"

#include <fstream>

namespace lanvex::net::nm {

namespace {

constexpr std::streamsize kMaxEntrySize = 64 * 1024;

std::string ReadSmallFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::string text(static_cast<std::size_t>(kMaxEntrySize), '\0');
    file.read(text.data(), kMaxEntrySize);
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
}

std::string_view ValueOf(std::string_view entry, std::string_view key)
{
    std::size_t start = 0;
    while (start < entry.size()) {
        std::size_t end = entry.find('\n', start);
        if (end == std::string_view::npos)
            end = entry.size();
        std::string_view line = entry.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=')
            return line.substr(key.size() + 1);
        start = end + 1;
    }
    return {};
}

bool IsPrintable(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

} // namespace

std::string ProductFromUdevEntry(std::string_view entry)
{
    const std::string_view vendor = ValueOf(entry, "E:ID_VENDOR_FROM_DATABASE");
    const std::string_view model = ValueOf(entry, "E:ID_MODEL_FROM_DATABASE");
    std::string product;
    if (!vendor.empty() && IsPrintable(vendor))
        product = vendor;
    if (!model.empty() && IsPrintable(model)) {
        if (!product.empty())
            product += ' ';
        product += model;
    }
    return product;
}

std::string DeviceProduct(const std::filesystem::path& root, std::string_view udi, std::string_view interfaceName)
{
    const std::string suffix = "/net/" + std::string(interfaceName);
    if (interfaceName.empty() || udi.substr(0, 5) != "/sys/" || udi.size() <= suffix.size()
        || udi.substr(udi.size() - suffix.size()) != suffix || udi.find("/../") != std::string_view::npos)
        return {};
    std::string ifindex = ReadSmallFile(root / std::filesystem::path(udi).relative_path() / "ifindex");
    while (!ifindex.empty() && (ifindex.back() == '\n' || ifindex.back() == ' '))
        ifindex.pop_back();
    if (ifindex.empty() || ifindex.size() > 10 || ifindex.find_first_not_of("0123456789") != std::string::npos)
        return {};
    return ProductFromUdevEntry(ReadSmallFile(root / "run/udev/data" / ("n" + ifindex)));
}

} // namespace lanvex::net::nm
