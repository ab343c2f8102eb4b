#include "platform/RemoteSession.h"

#include <cstdlib>

namespace lanvex::platform {

bool IsRemoteSession()
{
    // sshd sets it for every session it starts; an X11 or Wayland session forwarded over SSH has it too.
    const char* connection = std::getenv("SSH_CONNECTION");
    return connection && connection[0] != '\0';
}

} // namespace lanvex::platform
