#include "app/Translate.h"

namespace lanvex::app {

namespace {

Translator& installed()
{
    static Translator translator;
    return translator;
}

} // namespace

void SetTranslator(Translator translator)
{
    installed() = std::move(translator);
}

std::string Translate(const char* context, const char* sourceText)
{
    const Translator& translator = installed();
    return translator ? translator(context, sourceText) : std::string(sourceText);
}

std::string Arg(std::string text, std::string_view value)
{
    char lowest = 0;
    for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
        const char digit = at + 1 < text.size() ? text[at + 1] : 0;
        if (digit >= '1' && digit <= '9' && (lowest == 0 || digit < lowest))
            lowest = digit;
    }
    if (lowest == 0)
        return text;
    const std::string marker { '%', lowest };
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, from)) {
        result.append(text, from, at - from);
        result += value;
        from = at + marker.size();
    }
    result.append(text, from);
    return result;
}

} // namespace lanvex::app
