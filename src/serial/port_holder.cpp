#include "serial/port_holder.h"

#ifdef __linux__
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#endif

namespace comtrax {

#ifdef __linux__

namespace {

// A decimal number and nothing else (a /proc entry that is a process).
bool isNumber(const char* s)
{
    if (*s == '\0')
        return false;
    for (; *s != '\0'; ++s)
        if (*s < '0' || *s > '9')
            return false;
    return true;
}

bool processExists(int pid)
{
    struct stat st {};
    return pid > 0 && ::stat(("/proc/" + std::to_string(pid)).c_str(), &st) == 0;
}

// The holder of an flock (or a POSIX lock) on the device's inode. A line of
// /proc/locks: "1: FLOCK  ADVISORY  WRITE 1234 00:05:567 0 EOF", the device
// numbers in hex; a waiter's line has "->" after the number and is skipped.
int lockHolder(const struct stat& device)
{
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string id, type, advisory, mode, where;
        long pid = 0;
        if (!(fields >> id >> type) || type == "->")
            continue;
        if (!(fields >> advisory >> mode >> pid >> where))
            continue;
        unsigned devMajor = 0, devMinor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(where.c_str(), "%x:%x:%llu", &devMajor, &devMinor, &inode) != 3)
            continue;
        if (devMajor == major(device.st_dev) && devMinor == minor(device.st_dev) && inode == device.st_ino
            && pid > 0)
            return static_cast<int>(pid);
    }
    return 0;
}

// The pid a UUCP-style lock file names (LCK..ttyUSB0: the pid as text on its
// first line, as Qt and most terminals write it), when that process lives.
int lockFileHolder(const std::string& path, const std::vector<std::string>& lockDirs)
{
    const std::string name = path.substr(path.rfind('/') + 1);
    for (const std::string& dir : lockDirs) {
        const int pid = lockFilePid(dir + "/LCK.." + name);
        if (processExists(pid))
            return pid;
    }
    return 0;
}

// A process with the device open: the descriptors in /proc/<pid>/fd that
// lead to the same character device. Processes of other users are skipped
// unless this one may look.
int openerOf(const struct stat& device)
{
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return 0;
    int found = 0;
    while (found == 0) {
        const dirent* p = ::readdir(proc);
        if (p == nullptr)
            break;
        if (!isNumber(p->d_name))
            continue;
        const std::string fdDir = std::string("/proc/") + p->d_name + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (fds == nullptr)
            continue;
        while (const dirent* f = ::readdir(fds)) {
            if (!isNumber(f->d_name))
                continue;
            struct stat st {};
            if (::stat((fdDir + "/" + f->d_name).c_str(), &st) == 0 && S_ISCHR(st.st_mode)
                && st.st_rdev == device.st_rdev) {
                found = std::atoi(p->d_name);
                break;
            }
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return found;
}

}  // namespace

std::string describeProcess(int pid)
{
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    if (name.empty())
        return "pid " + std::to_string(pid);
    return name + " (pid " + std::to_string(pid) + ")";
}

const std::vector<std::string>& holderLockDirectories()
{
    static const std::vector<std::string> dirs = {"/run/lock", "/var/lock", "/var/spool/locks",
                                                  "/var/spool/uucp", "/etc/locks"};
    return dirs;
}

bool lockFileTrusted(unsigned dirOwner, unsigned dirMode, unsigned fileOwner, unsigned me)
{
    const bool dirOwnedByUs = dirOwner == 0 || dirOwner == me;
    const bool othersMayWrite = (dirMode & (S_IWGRP | S_IWOTH)) != 0;
    return (dirOwnedByUs && !othersMayWrite) || fileOwner == 0 || fileOwner == me;
}

int lockFilePid(const std::string& file)
{
    const std::size_t slash = file.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    struct stat dirStat {};
    if (::stat(dir.c_str(), &dirStat) != 0)
        return 0;
    // Non-blocking, so that a FIFO cannot hold the open; no link followed.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat st {};
    char text[48] = {};
    ssize_t got = -1;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)
        && lockFileTrusted(dirStat.st_uid, dirStat.st_mode, st.st_uid, ::geteuid())) {
        do {
            got = ::read(fd, text, sizeof text - 1);
        } while (got < 0 && errno == EINTR);
    }
    ::close(fd);
    if (got <= 0)
        return 0;
    // Blanks, then the decimal pid (HDB locks pad it to ten places).
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    long pid = 0;
    for (; *p >= '0' && *p <= '9' && pid < 100000000; ++p)
        pid = pid * 10 + (*p - '0');
    return static_cast<int>(pid);
}

std::string findPortHolder(const std::string& path, const std::vector<std::string>& lockDirs)
{
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0)
        return {};
    int pid = lockHolder(device);
    if (pid == 0)
        pid = lockFileHolder(path, lockDirs);
    if (pid == 0 && S_ISCHR(device.st_mode))
        pid = openerOf(device);
    return pid > 0 ? describeProcess(pid) : std::string();
}

#else

std::string describeProcess(int pid)
{
    return "pid " + std::to_string(pid);
}

const std::vector<std::string>& holderLockDirectories()
{
    static const std::vector<std::string> none;
    return none;
}

std::string findPortHolder(const std::string&, const std::vector<std::string>&)
{
    return {};
}

int lockFilePid(const std::string&)
{
    return 0;
}

bool lockFileTrusted(unsigned dirOwner, unsigned, unsigned fileOwner, unsigned me)
{
    return dirOwner == me || fileOwner == me;
}

#endif

}  // namespace comtrax
