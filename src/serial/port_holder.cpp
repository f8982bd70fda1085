#include "serial/port_holder.h"

#ifdef __linux__
#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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
// The directories are the ones Qt and the classic terminals use.
int lockFileHolder(const std::string& path)
{
    const std::string name = path.substr(path.rfind('/') + 1);
    for (const char* dir :
         {"/run/lock/", "/var/lock/", "/var/spool/locks/", "/var/spool/uucp/", "/etc/locks/", "/tmp/"}) {
        std::ifstream file(std::string(dir) + "LCK.." + name);
        long pid = 0;
        if (file >> pid && processExists(static_cast<int>(pid)))
            return static_cast<int>(pid);
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

std::string findPortHolder(const std::string& path)
{
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0)
        return {};
    int pid = lockHolder(device);
    if (pid == 0)
        pid = lockFileHolder(path);
    if (pid == 0 && S_ISCHR(device.st_mode))
        pid = openerOf(device);
    return pid > 0 ? describeProcess(pid) : std::string();
}

#else

std::string describeProcess(int pid)
{
    return "pid " + std::to_string(pid);
}

std::string findPortHolder(const std::string&)
{
    return {};
}

#endif

}  // namespace comtrax
