#include "qtserial/qt_lock_file.h"

#include <algorithm>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace comtrax {

std::vector<std::string> qtLockDirectories()
{
#ifdef _WIN32
    return {};
#else
    return {"/var/lock", "/etc/locks", "/var/spool/locks",  "/var/spool/uucp",
            "/tmp",      "/var/tmp",   "/var/lock/lockdev", "/run/lock"};
#endif
}

std::string qtLockFileName(const std::string& path)
{
    std::string name = path.rfind("/dev/", 0) == 0 ? path.substr(5) : path;
    std::replace(name.begin(), name.end(), '/', '_');
    return "LCK.." + name;
}

std::string unsafeLockFile(const std::string& path, const std::vector<std::string>& dirs)
{
#ifdef _WIN32
    (void)path;
    (void)dirs;
#else
    const std::string name = qtLockFileName(path);
    for (const std::string& dir : dirs) {
        if (::access(dir.c_str(), R_OK) != 0)
            continue;
        std::string file = dir + "/" + name;
        struct stat st {};
        const bool exists = ::lstat(file.c_str(), &st) == 0;
        if (exists && !S_ISREG(st.st_mode))
            return file;
        if (exists || ::access(dir.c_str(), W_OK) == 0)
            break;  // the one QSerialPort takes
    }
#endif
    return {};
}

}  // namespace comtrax
