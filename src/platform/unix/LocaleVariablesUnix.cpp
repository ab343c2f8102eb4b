#include "platform/LocaleVariables.h"

namespace lanvex::platform {

QString LocaleVariable(const char* name)
{
    return qEnvironmentVariable(name);
}

} // namespace lanvex::platform
