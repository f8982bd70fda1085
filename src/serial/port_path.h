#pragma once
// A port named by a path rather than by a name from the list (a pty link, a
// /dev/serial/by-id link, a link in the user's own directory).
#include <optional>
#include <string>

namespace comtrax {

// A text that is a path: it has a slash ("ttyUSB0" is a name, "/dev/ttyUSB0"
// and "~/ttyV0" are paths) and is no network port's name.
bool isPortPath(const std::string& text);
// A text that names a port across the network: it begins with a scheme
// ("tcp://host:2000", "rfc2217://[::1]:3000"). The network port itself says
// which schemes it knows.
bool isNetworkPortText(const std::string& text);

// "~/ttyV0" -> home + "/ttyV0", as a shell would have it. Anything else, and
// everything when home is unknown or not an absolute path, stays as it is
// ("~user/x" too: no other user's home is looked up).
std::string expandHomePath(const std::string& path, const std::optional<std::string>& home);

}  // namespace comtrax
