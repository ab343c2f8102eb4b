#include "net/ProxyStore.h"

#include <algorithm>
#include <charconv>

namespace lanvex::net {

namespace {

bool hasBlankOrControl(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A host name or IPv4 address, or an IPv6 address in brackets: no blanks, no separators that
// would change what a desktop's URL or list makes of it.
bool isProxyHost(std::string_view host)
{
    if (host.empty() || host.size() > 253 || hasBlankOrControl(host))
        return false;
    if (host.front() == '[')
        return host.size() > 2 && host.back() == ']'
            && host.substr(1, host.size() - 2).find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
    return host.find_first_of("/:@,;?#[]\"'\\") == std::string_view::npos;
}

std::optional<int> parsePort(std::string_view text)
{
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

std::optional<std::vector<std::string>> parseBypass(std::string_view text)
{
    std::vector<std::string> hosts;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view host = trimmed(text.substr(0, comma));
        if (hasBlankOrControl(host) || host.find_first_of(";\"'\\") != std::string_view::npos)
            return std::nullopt;
        if (!host.empty())
            hosts.emplace_back(host);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return hosts;
}

bool isPacUrl(std::string_view url)
{
    const bool knownScheme
        = url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0 || url.rfind("file://", 0) == 0;
    return knownScheme && url.size() > 8 && url.size() <= 2048 && !hasBlankOrControl(url);
}

std::optional<ProxyMode> parseMode(std::string_view text)
{
    for (const ProxyMode mode : { ProxyMode::Keep, ProxyMode::None, ProxyMode::Manual, ProxyMode::Auto }) {
        if (text == ProxyModeName(mode))
            return mode;
    }
    return text.empty() ? std::optional(ProxyMode::Keep) : std::nullopt;
}

} // namespace

std::string ProxySettings::Server() const
{
    return host + ':' + std::to_string(port);
}

std::string_view ProxyModeName(ProxyMode mode)
{
    switch (mode) {
    case ProxyMode::None:
        return "none";
    case ProxyMode::Manual:
        return "manual";
    case ProxyMode::Auto:
        return "auto";
    case ProxyMode::Keep:
        break;
    }
    return "keep";
}

std::optional<ProxySettings> ParseProxySettings(const ProxyTexts& texts)
{
    const std::optional<ProxyMode> mode = parseMode(trimmed(texts.mode));
    if (!mode)
        return std::nullopt;
    ProxySettings settings;
    settings.mode = *mode;
    if (*mode == ProxyMode::Manual) {
        const std::string_view server = trimmed(texts.server);
        const std::size_t colon = server.rfind(':');
        if (colon == std::string_view::npos || !isProxyHost(server.substr(0, colon)))
            return std::nullopt;
        const std::optional<int> port = parsePort(server.substr(colon + 1));
        auto bypass = parseBypass(texts.bypass);
        if (!port || !bypass)
            return std::nullopt;
        settings.host = std::string(server.substr(0, colon));
        settings.port = *port;
        settings.bypass = std::move(*bypass);
    } else if (*mode == ProxyMode::Auto) {
        const std::string_view pac = trimmed(texts.pac);
        if (!isPacUrl(pac))
            return std::nullopt;
        settings.pacUrl = std::string(pac);
    }
    return settings;
}

} // namespace lanvex::net
