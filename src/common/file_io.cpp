#include "common/file_io.h"

#include "common/texts.h"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <vector>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace comtrax {

namespace {

// template: the message with %1 for the file and %2 for the system's reason.
std::string describe(const char* templ, const std::string& path, int err)
{
    return trFormat(templ, {path, systemReason(err)});
}

std::string directoryOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads until capacity bytes are in or the file ends.
FileResult readAll(int fd, const std::string& path, char* out, std::size_t capacity, std::size_t& got)
{
    got = 0;
    while (got < capacity) {
        const ssize_t n = ::read(fd, out + got, capacity - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FileResult::failure(describe("Не удалось прочитать файл %1: %2", path, errno));
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return {};
}

// Opens path for reading, lets read use the descriptor, and closes it.
template <typename Read>
FileResult readOpened(const std::string& path, Read read)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FileResult::failure(describe("Не удалось открыть файл %1: %2", path, errno));
    FileResult r = read(fd);
    ::close(fd);
    return r;
}

}  // namespace

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

FileResult readFilePrefix(const std::string& path, std::size_t maxBytes, std::string& out)
{
    out.clear();
    return readOpened(path, [&](int fd) {
        constexpr std::size_t Chunk = 65536;
        for (;;) {
            const std::size_t want = std::min(Chunk, maxBytes - out.size());
            const std::size_t before = out.size();
            out.resize(before + want);
            std::size_t got = 0;
            FileResult r = readAll(fd, path, out.data() + before, want, got);
            out.resize(before + got);
            if (!r)
                return r;
            if (got < want || out.size() >= maxBytes)
                return FileResult{};
        }
    });
}

FileResult readWholeFile(const std::string& path, std::string& out)
{
    return readFilePrefix(path, static_cast<std::size_t>(-1), out);
}

FileResult readFileInto(const std::string& path, void* buf, std::size_t capacity, std::size_t& got)
{
    got = 0;
    return readOpened(path, [&](int fd) { return readAll(fd, path, static_cast<char*>(buf), capacity, got); });
}

FileResult readFileSparse(const std::string& path, void* buf, std::size_t capacity, std::size_t& got)
{
    got = 0;
    return readOpened(path, [&](int fd) {
        constexpr std::size_t Page = 4096;
        std::vector<char> chunk(64 * 1024);
        auto* out = static_cast<char*>(buf);
        const auto zero = [](const char* p, std::size_t n) {
            return std::all_of(p, p + n, [](char c) { return c == 0; });
        };
        while (got < capacity) {
            const std::size_t want = std::min(chunk.size(), capacity - got);
            std::size_t n = 0;
            if (FileResult r = readAll(fd, path, chunk.data(), want, n); !r)
                return r;
            // A page of zeros is written only where the buffer holds something
            // else: untouched, it stays the system's shared zero page.
            for (std::size_t at = 0; at < n; at += Page) {
                const std::size_t len = std::min(Page, n - at);
                char* to = out + got + at;
                if (!zero(chunk.data() + at, len) || !zero(to, len))
                    std::memcpy(to, chunk.data() + at, len);
            }
            got += n;
            if (n < want)
                break;
        }
        return FileResult{};
    });
}

FileResult replaceFileAtomically(const std::string& path, const std::string& bytes)
{
    return replaceFileAtomically(path, bytes.data(), bytes.size());
}

namespace {

// The file a data file's name stands for: a symbolic link (to a file shared
// between machines or kept elsewhere) stays a link, and the file it names is
// the one replaced. Relative targets are relative to the link's directory.
std::string followLinks(const std::string& path)
{
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size())
            return current;
        target.resize(static_cast<std::size_t>(n));
        current = target.front() == '/' ? target : directoryOf(current) + "/" + target;
    }
    return current;
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

FileResult replaceFileAtomically(const std::string& requested, const void* data, std::size_t size)
{
    const std::string path = followLinks(requested);
    // What the user set on the file stays: its mode and, where the process
    // may, its owner and group. A new file gets what the umask allows, as any
    // other program's file would.
    struct stat old {};
    const bool existed = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    if (existed && ::access(path.c_str(), W_OK) != 0 && errno == EACCES)
        return FileResult::failure(trFormat("Файл %1 только для чтения, он не перезаписан", {path}));
    const mode_t mode = existed ? (old.st_mode & 07777) : (0666 & ~currentUmask());

    std::string tmp = path + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return FileResult::failure(describe("Не удалось создать временный файл для %1: %2", path, errno));
    if (existed && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);  // at least the group, where allowed
    ::fchmod(fd, mode);
    if (!writeAll(fd, static_cast<const char*>(data), size) || ::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        return FileResult::failure(describe("Не удалось записать файл %1: %2", path, err));
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return FileResult::failure(describe("Не удалось записать файл %1: %2", path, err));
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return FileResult::failure(describe("Не удалось заменить файл %1: %2", path, err));
    }
    // Make the rename itself durable.
    const int dfd = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return {};
}

bool isLeftoverTemporaryOf(const std::string& fileName, const std::string& name)
{
    // Exactly what mkstemp makes of "<name>.tmp-XXXXXX".
    const std::string prefix = name + ".tmp-";
    if (fileName.size() != prefix.size() + 6 || fileName.compare(0, prefix.size(), prefix) != 0)
        return false;
    return std::all_of(fileName.begin() + static_cast<std::ptrdiff_t>(prefix.size()), fileName.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

int removeLeftoverTemporaries(const std::string& directory, const std::vector<std::string>& names)
{
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* e = ::readdir(dir)) {
        const std::string fileName = e->d_name;
        for (const std::string& name : names) {
            if (!isLeftoverTemporaryOf(fileName, name))
                continue;
            // Only plain files: a directory or device of that name is not ours.
            struct stat st {};
            const std::string full = directory + "/" + fileName;
            if (::lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(full.c_str()) == 0)
                ++removed;
            break;
        }
    }
    ::closedir(dir);
    return removed;
}

DirectoryLock::~DirectoryLock()
{
    if (fd_ >= 0)
        ::close(fd_);  // releases the lock
}

bool DirectoryLock::tryLock(const std::string& directory)
{
    if (fd_ >= 0)
        return true;
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;  // nothing to lock: the files there cannot be shared either
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

}  // namespace comtrax
