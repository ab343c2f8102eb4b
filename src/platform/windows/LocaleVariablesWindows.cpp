#include "platform/LocaleVariables.h"

#include <QLocale>

namespace lanvex::platform {

QString LocaleVariable(const char* name)
{
    QString value = qEnvironmentVariable(name);
    if (value.isEmpty() && qstrcmp(name, "LANG") == 0)
        value = QLocale::system().uiLanguages().value(0).replace(QLatin1Char('-'), QLatin1Char('_'));
    return value;
}

} // namespace lanvex::platform
