#pragma once

#include "i18n/Translatable.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace lanvex::i18n {

// Every text the user reads passes through Translate. The source texts are the Chinese ones;
// without an installed translator (the console without Qt) they are shown as they are.
using Translator = std::function<std::string(const char* context, const char* sourceText)>;
void SetTranslator(Translator translator);
std::string Translate(const char* context, const char* sourceText);
// The same for a text of several lines joined by "\r\n", each line a source text of its own.
std::string TranslateLines(const char* context, const std::string& text);

// Puts values[0] in place of %1, values[1] of %2 and so on, in one pass: a value that itself
// holds "%2" stays as it is.
std::string Arg(std::string_view text, std::initializer_list<std::string_view> values);

} // namespace lanvex::i18n
