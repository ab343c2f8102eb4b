#include "net/nm/NmMethodArgs.h"

#include <variant>

namespace lanvex::net::nm {

std::optional<std::vector<std::string>> TextsOf(const Value& value)
{
    if (const auto* list = std::get_if<std::vector<std::string>>(&value))
        return *list;
    if (const auto* text = std::get_if<std::string>(&value))
        return std::vector<std::string> { *text };
    if (std::holds_alternative<std::monostate>(value))
        return std::vector<std::string> {};
    return std::nullopt;
}

} // namespace lanvex::net::nm
