#include "platform/RemoteSession.h"

#include <windows.h>

namespace lanvex::platform {

bool IsRemoteSession()
{
    return GetSystemMetrics(SM_REMOTESESSION) != 0;
}

} // namespace lanvex::platform
