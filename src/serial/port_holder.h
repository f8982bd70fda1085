#pragma once
// Who holds a port another program has: the terminal that refuses the port
// can then say which program to close.
#include <string>

namespace comtrax {

// The program holding the device at path, as "picocom (pid 1234)", or empty
// when the system does not tell. Looks, in this order, for an flock on the
// device (/proc/locks), a lock file naming a live process (/run/lock,
// /var/lock: LCK..name) and a process with the device open (/proc/*/fd, as
// far as this user may look). Linux only; elsewhere always empty.
std::string findPortHolder(const std::string& path);

// "name (pid N)" for a live process, or "pid N" when its name is unreadable.
std::string describeProcess(int pid);

}  // namespace comtrax
