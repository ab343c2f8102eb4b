#include "net/CommandText.h"

namespace lanvex::net {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

std::vector<std::string> SplitCommandText(std::string_view text)
{
    std::vector<std::string> items;
    std::size_t at = 0;
    for (;;) {
        while (at < text.size() && isBlank(text[at]))
            ++at;
        if (at >= text.size())
            return items;
        std::string item;
        bool quoted = false;
        while (at < text.size() && (quoted || !isBlank(text[at]))) {
            std::size_t slashes = 0;
            while (at < text.size() && text[at] == '\\') {
                ++slashes;
                ++at;
            }
            if (at < text.size() && text[at] == '"') {
                // 2n backslashes and a quote: n backslashes, and the quote groups; 2n+1: n and a quote.
                item.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    item += '"';
                } else {
                    quoted = !quoted;
                }
                ++at;
                continue;
            }
            item.append(slashes, '\\');
            if (at < text.size() && (quoted || !isBlank(text[at])))
                item += text[at++];
        }
        items.push_back(std::move(item));
    }
}

} // namespace lanvex::net
