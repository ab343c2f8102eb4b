#include "i18n/Translations.h"

#include "i18n/Translate.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTranslator>

namespace lanvex::i18n {

namespace {

// The languages a translation is shipped for.
const QStringList kTranslated { QStringLiteral("en") };

bool IsCLocale(const QString& locale)
{
    return locale.isEmpty() || locale == QLatin1String("C") || locale == QLatin1String("POSIX")
        || locale.startsWith(QLatin1String("C."));
}

// "en_GB.UTF-8@euro" -> "en".
QString LanguageOf(const QString& locale)
{
    return locale.section(QLatin1Char('_'), 0, 0)
        .section(QLatin1Char('.'), 0, 0)
        .section(QLatin1Char('@'), 0, 0)
        .toLower();
}

} // namespace

QString TranslationLanguage(const std::function<QString(const char* variable)>& environment)
{
    QString locale;
    for (const char* variable : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        locale = environment(variable);
        if (!locale.isEmpty())
            break;
    }
    // The C locale shows the source texts, whatever LANGUAGE says (as gettext does).
    if (IsCLocale(locale))
        return {};
    QStringList wanted = environment("LANGUAGE").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    wanted << locale;
    for (const QString& entry : wanted) {
        const QString language = LanguageOf(entry);
        if (language == QLatin1String("zh"))
            return {};
        if (kTranslated.contains(language))
            return language;
    }
    return {};
}

bool InstallTranslations(QCoreApplication& application, const std::function<QString(const char* variable)>& environment)
{
    const QString language = environment
        ? TranslationLanguage(environment)
        : TranslationLanguage([](const char* variable) { return qEnvironmentVariable(variable); });
    if (language.isEmpty())
        return false;
    // Compiled into the program (translations/CMakeLists.txt), so a copy of the program alone has it.
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("lanvex_") + language, QStringLiteral(":/i18n"))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    SetTranslator([](const char* context, const char* sourceText) {
        return QCoreApplication::translate(context, sourceText).toStdString();
    });
    return true;
}

} // namespace lanvex::i18n
