#pragma once

#include <QString>
#include <functional>

class QCoreApplication;

namespace lanvex::i18n {

// The translation the user's interface language asks for ("en"), or an empty text for the
// source texts (Chinese, the C locale and every language without a translation). The language
// comes from LANGUAGE, LC_ALL, LC_MESSAGES and LANG, read as gettext reads them.
QString TranslationLanguage(const std::function<QString(const char* variable)>& environment);

// Loads and installs the translation for the user's language, read from `environment` as above
// (by default the process's environment), for the window's texts and for those the layers without
// Qt give (Translate). True when one was installed.
bool InstallTranslations(QCoreApplication& application,
                         const std::function<QString(const char* variable)>& environment = {});

} // namespace lanvex::i18n
