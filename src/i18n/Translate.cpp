#include "i18n/Translate.h"

namespace lanvex::i18n {

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

std::string TranslateLines(const char* context, const std::string& text)
{
    std::string translated;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        translated += Translate(context, text.substr(start, end == std::string::npos ? end : end - start).c_str());
        if (end == std::string::npos)
            return translated;
        translated += "\r\n";
        start = end + 2;
    }
}

std::string Arg(std::string_view text, std::initializer_list<std::string_view> values)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t number
            = i + 1 < text.size() && text[i] == '%' ? static_cast<std::size_t>(text[i + 1] - '0') : 0;
        if (number >= 1 && number <= values.size()) {
            result += values.begin()[number - 1];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

} // namespace lanvex::i18n
