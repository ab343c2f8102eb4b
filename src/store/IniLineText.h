#pragma once

#include "store/CharLength.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

// How IniDocument reads one line of a settings file: its end, its blanks, whether it heads a
// section or holds a key. Shared by IniDocument's sources and nothing else; inline, as the parse
// runs them on every line.
namespace lanvex::store::ini {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

inline char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// End of the line that starts at `pos`, its terminator ("\r\n", "\r" or "\n") included.
inline std::size_t lineEnd(std::string_view text, std::size_t pos)
{
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    if (end < text.size())
        end += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    return end;
}

inline std::size_t terminatorLength(std::string_view raw)
{
    if (raw.size() >= 2 && raw.substr(raw.size() - 2) == "\r\n")
        return 2;
    if (!raw.empty() && (raw.back() == '\r' || raw.back() == '\n'))
        return 1;
    return 0;
}

// The line end that starts at `at` of `text`: "\r\n", "\r" or "\n".
inline std::string lineEndAt(std::string_view text, std::size_t at)
{
    return text.compare(at, 2, "\r\n") == 0 ? std::string("\r\n") : std::string(1, text[at]);
}

struct Classified
{
    bool header = false, key = false;
    std::size_t nameBegin = 0, nameEnd = 0, valueBegin = 0, valueEnd = 0;
};

// Finds what a line is: a section header (with its name's range), a key line (with the ranges
// of its key and value, blanks trimmed) or anything else. Its text starts at `contentBegin`.
inline Classified classifyLine(std::string_view raw, std::size_t contentBegin, bool cp936)
{
    Classified c;
    const std::size_t end = raw.size() - terminatorLength(raw);
    const std::string_view text = raw.substr(0, end);
    std::size_t pos = std::min(contentBegin, end);
    while (pos < end && isBlank(raw[pos]))
        ++pos;
    if (pos == end || raw[pos] == ';')
        return c;
    const auto trimmedRange = [&](std::size_t from, std::size_t to, std::size_t& begin, std::size_t& finish) {
        while (from < to && isBlank(raw[from]))
            ++from;
        while (to > from && isBlank(raw[to - 1]))
            --to;
        begin = from;
        finish = to;
    };
    if (raw[pos] == '[') {
        // The name runs to the last "]"; a bracket byte inside a two-byte character does not count.
        std::size_t close = std::string_view::npos;
        for (std::size_t i = pos + 1; i < end;) {
            const std::size_t length = cp936 ? Cp936CharLength(text, i) : 1;
            if (length == 1 && raw[i] == ']')
                close = i;
            i += length;
        }
        if (close == std::string_view::npos)
            return c;
        c.header = true;
        trimmedRange(pos + 1, close, c.nameBegin, c.nameEnd);
        return c;
    }
    const auto equals = text.find('=', pos);
    if (equals == std::string_view::npos)
        return c;
    c.key = true;
    trimmedRange(pos, equals, c.nameBegin, c.nameEnd);
    trimmedRange(equals + 1, end, c.valueBegin, c.valueEnd);
    return c;
}

} // namespace lanvex::store::ini
