#include "net/ServiceValues.h"

#include <exception>

namespace lanvex::net {

std::optional<std::string> TextOf(const Value& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* flag = std::get_if<bool>(&value))
        return std::string(*flag ? "True" : "False");
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return std::to_string(*number);
    return std::nullopt;
}

std::optional<std::string> ElementOf(const Value& value, std::size_t index)
{
    if (const auto* texts = std::get_if<std::vector<std::string>>(&value))
        return index < texts->size() ? std::optional<std::string>((*texts)[index]) : std::nullopt;
    if (const auto* numbers = std::get_if<std::vector<std::int64_t>>(&value))
        return index < numbers->size() ? std::optional<std::string>(std::to_string((*numbers)[index])) : std::nullopt;
    if (index == 0)
        return TextOf(value);
    return std::nullopt;
}

std::optional<bool> BooleanOf(const Value& value)
{
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag;
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return *number != 0;
    if (const auto* text = std::get_if<std::string>(&value)) {
        if (*text == "True" || *text == "true" || *text == "TRUE")
            return true;
        if (*text == "False" || *text == "false" || *text == "FALSE")
            return false;
    }
    return std::nullopt;
}

std::optional<std::int64_t> IntegerOf(const Value& value)
{
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return *number;
    return std::nullopt;
}

std::vector<std::string> TextsOf(const Value& value)
{
    if (const auto* texts = std::get_if<std::vector<std::string>>(&value))
        return *texts;
    if (const auto text = ElementOf(value, 0))
        return { *text };
    return {};
}

std::vector<std::int64_t> IntegersOf(const Value& value)
{
    if (const auto* numbers = std::get_if<std::vector<std::int64_t>>(&value))
        return *numbers;
    if (const auto number = IntegerOf(value))
        return { *number };
    return {};
}

Value ReadProperty(const ManagementObject& object, std::string_view name)
{
    try {
        return object.Property(name);
    } catch (const std::exception&) {
        return {};
    }
}

void ReadText(const ManagementObject& object, std::string_view name, std::string& target)
{
    if (auto text = TextOf(ReadProperty(object, name)))
        target = std::move(*text);
}

void ReadElement(const ManagementObject& object, std::string_view name, std::size_t index, std::string& target)
{
    if (auto text = ElementOf(ReadProperty(object, name), index))
        target = std::move(*text);
}

bool HasIndex(const ManagementObject& object, std::int32_t adapterNumber)
{
    const auto index = IntegerOf(ReadProperty(object, "Index"));
    return index && *index == adapterNumber;
}

} // namespace lanvex::net
