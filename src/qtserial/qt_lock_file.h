#pragma once
// The lock file QSerialPort's open takes for a port. QSerialPort reads an
// existing one with a blocking open, following links: a FIFO someone planted
// in its place (/run/lock is writable by everyone) would hold the open, and
// the window, for good. The port checks it first.
#include <string>
#include <vector>

namespace comtrax {

// The directories QSerialPort takes its lock file from, in its order: the
// first readable one that holds the file or may be written.
std::vector<std::string> qtLockDirectories();

// The lock file's name there: "/dev/ttyUSB0" -> "LCK..ttyUSB0",
// "/dev/pts/3" -> "LCK..pts_3", any other path with its slashes as '_'.
std::string qtLockFileName(const std::string& path);

// The lock file QSerialPort would open for the device at path when it is no
// regular file (a FIFO, a device, a link that may lead anywhere); empty when
// there is none or it is a plain file.
std::string unsafeLockFile(const std::string& path, const std::vector<std::string>& dirs);

}  // namespace comtrax
