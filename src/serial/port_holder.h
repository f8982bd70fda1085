#pragma once
// Who holds a port another program has: the terminal that refuses the port
// can then say which program to close.
#include <string>
#include <vector>

namespace comtrax {

// The directories whose UUCP-style lock files (LCK..name) may name a port's
// holder: the ones the system's terminals use. /tmp is not among them: anyone
// may write there.
const std::vector<std::string>& holderLockDirectories();

// The program holding the device at path, as "picocom (pid 1234)", or empty
// when the system does not tell. Looks, in this order, for an flock on the
// device (/proc/locks), a trusted lock file in lockDirs naming a live process
// and a process with the device open (/proc/*/fd, as far as this user may
// look). Linux only; elsewhere always empty.
std::string findPortHolder(const std::string& path,
                           const std::vector<std::string>& lockDirs = holderLockDirectories());

// "name (pid N)" for a live process, or "pid N" when its name is unreadable.
std::string describeProcess(int pid);

// The pid a lock file names, read safely: never waits (a FIFO planted in its
// place), follows no link, takes only a regular file and only its first few
// dozen bytes, and only a file nobody but root or this user could have put
// there (see lockFileTrusted). 0 when it names nobody.
int lockFilePid(const std::string& file);

// Whether a lock file may be believed: it lies in a directory no one else can
// write (owned by root or this user, writable by no group and no others), or
// root or this user owns it. ids are the owners, me the user who runs the
// program; modes are the st_mode of the directory.
bool lockFileTrusted(unsigned dirOwner, unsigned dirMode, unsigned fileOwner, unsigned me);

}  // namespace comtrax
