#pragma once

namespace lanvex::platform {

// Whether the program runs in a session reached over the network (SSH on Linux, Remote Desktop on
// Windows), where a change of the network can cut the user off.
bool IsRemoteSession();

} // namespace lanvex::platform
