#pragma once

#include <functional>
#include <string>
#include <string_view>

// Marks a text for translation where it is defined; Translate looks it up where it is shown.
#define LANVEX_TR_NOOP(context, text) text

namespace lanvex::app {

// Every text the user reads passes through Translate. The source texts are the Chinese ones;
// without an installed translator (the console without Qt) they are shown as they are.
using Translator = std::function<std::string(const char* context, const char* sourceText)>;
void SetTranslator(Translator translator);
std::string Translate(const char* context, const char* sourceText);

// Puts `value` in place of the lowest-numbered marker %1 ... %9 of `text`, as QString::arg does.
std::string Arg(std::string text, std::string_view value);

} // namespace lanvex::app
