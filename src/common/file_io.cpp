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

// Links are followed at most this many times, as the system does.
constexpr int MaxLinkHops = 40;

FileResult notRegular(const std::string& path)
{
    return FileResult::failure(trFormat("Это не обычный файл: %1", {path}));
}

// A directory is said to be one, in the words of the step that met it.
FileResult notRegular(const char* templ, const std::string& path, mode_t type)
{
    if (type == S_IFDIR)
        return FileResult::failure(describe(templ, path, EISDIR));
    return notRegular(path);
}

FileResult untrustedLink(const std::string& path)
{
    return FileResult::failure(trFormat("Ссылке %1 нельзя доверять: её мог оставить другой пользователь. "
                                        "Файл, на который она указывает, не читается и не перезаписывается.",
                                        {path}));
}

// Where the link at path lies; nothing when the directory cannot be looked at.
bool linkPlace(const std::string& path, const struct stat& link, LinkPlace& place)
{
    struct stat dir {};
    if (::stat(directoryOf(path).c_str(), &dir) != 0)
        return false;
    place = {link.st_uid, dir.st_uid, dir.st_mode};
    return true;
}

// Opens path for reading, lets read use the file, and closes it.
template <typename Read> FileResult readOpened(const std::string& path, Read read)
{
    FileForReading file;
    if (FileResult r = file.open(path); !r)
        return r;
    return read(file);
}

}  // namespace

bool mayFollowLink(const LinkPlace& place, uid_t user)
{
    const bool ownLinkInOwnDirectory = place.linkOwner == user && place.directoryOwner == user;
    const bool othersMayWrite = (place.directoryMode & (S_IWGRP | S_IWOTH)) != 0
        || (place.directoryOwner != user && place.directoryOwner != 0);
    return ownLinkInOwnDirectory || !othersMayWrite;
}

DataFileLookup lookUpDataFile(const std::string& path, LinkRule links)
{
    DataFileLookup r;
    std::string current = path;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        r.target = current;
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            const int err = errno;
            if (err == ENOENT)
                return r;  // Missing
            r.kind = DataFileLookup::Refused;
            r.refusal = FileResult::failure(describe("Не удалось открыть файл %1: %2", path, err));
            return r;
        }
        if (S_ISREG(st.st_mode)) {
            r.kind = DataFileLookup::Regular;
            return r;
        }
        if (!S_ISLNK(st.st_mode)) {
            r.kind = DataFileLookup::NotRegular;
            r.type = st.st_mode & S_IFMT;
            return r;
        }
        LinkPlace place;
        if (links == LinkRule::OwnPlaces
            && !(linkPlace(current, st, place) && mayFollowLink(place, ::geteuid()))) {
            r.kind = DataFileLookup::Refused;
            r.refusal = untrustedLink(current);
            return r;
        }
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size())
            break;
        target.resize(static_cast<std::size_t>(n));
        // A relative target is relative to the link's directory.
        current = target.front() == '/' ? target : directoryOf(current) + "/" + target;
    }
    r.kind = DataFileLookup::Refused;
    r.refusal = FileResult::failure(describe("Не удалось открыть файл %1: %2", path, ELOOP));
    return r;
}

FileForReading::~FileForReading()
{
    if (fd_ >= 0)
        ::close(fd_);
}

FileResult FileForReading::open(const std::string& path, LinkRule links)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    path_ = path;
    const DataFileLookup at = lookUpDataFile(path, links);
    kind_ = at.kind;
    switch (at.kind) {
    case DataFileLookup::Missing:
        return FileResult::failure(describe("Не удалось открыть файл %1: %2", path, ENOENT));
    case DataFileLookup::NotRegular:
        return notRegular("Не удалось прочитать файл %1: %2", path, at.type);
    case DataFileLookup::Refused:
        return at.refusal;
    case DataFileLookup::Regular:
        break;
    }
    // The name may have been given to something else since it was looked at:
    // no waiting, no last link, and a second look at what was opened.
    const int fd = ::open(at.target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return FileResult::failure(describe("Не удалось открыть файл %1: %2", path, errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        kind_ = DataFileLookup::NotRegular;
        return notRegular(path);
    }
    fd_ = fd;
    return {};
}

FileResult FileForReading::read(void* buf, std::size_t capacity, std::size_t& got)
{
    auto* out = static_cast<char*>(buf);
    got = 0;
    while (got < capacity) {
        const ssize_t n = ::read(fd_, out + got, capacity - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FileResult::failure(describe("Не удалось прочитать файл %1: %2", path_, errno));
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return {};
}

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

FileResult readFilePrefix(const std::string& path, std::size_t maxBytes, std::string& out)
{
    out.clear();
    return readOpened(path, [&](FileForReading& file) {
        constexpr std::size_t Chunk = 65536;
        for (;;) {
            const std::size_t want = std::min(Chunk, maxBytes - out.size());
            const std::size_t before = out.size();
            out.resize(before + want);
            std::size_t got = 0;
            FileResult r = file.read(out.data() + before, want, got);
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

FileResult readBoundedFile(const std::string& path, std::size_t maxBytes, std::string& out)
{
    out.clear();
    FileForReading file;
    if (FileResult r = file.open(path); !r)
        return r;
    const auto tooLong = [&] {
        out.clear();
        return FileResult::failure(
            trFormat("Файл %1 длиннее %2 байт, он не прочитан", {path, std::to_string(maxBytes)}));
    };
    // The size first, so a huge file costs nothing; then one byte past the
    // bound, for a file that grows or says it is smaller than it is.
    struct stat st {};
    if (::fstat(file.descriptor(), &st) == 0 && static_cast<unsigned long long>(st.st_size) > maxBytes)
        return tooLong();
    out.resize(maxBytes + 1);
    std::size_t got = 0;
    FileResult r = file.read(out.data(), out.size(), got);
    out.resize(r ? got : 0);
    if (r && got > maxBytes)
        return tooLong();
    return r;
}

FileResult readFileInto(const std::string& path, void* buf, std::size_t capacity, std::size_t& got)
{
    got = 0;
    return readOpened(path, [&](FileForReading& file) { return file.read(buf, capacity, got); });
}

FileResult readFileSparse(const std::string& path, void* buf, std::size_t capacity, std::size_t& got)
{
    got = 0;
    return readOpened(path, [&](FileForReading& file) {
        constexpr std::size_t Page = 4096;
        std::vector<char> chunk(64 * 1024);
        auto* out = static_cast<char*>(buf);
        const auto zero = [](const char* p, std::size_t n) {
            return std::all_of(p, p + n, [](char c) { return c == 0; });
        };
        while (got < capacity) {
            const std::size_t want = std::min(chunk.size(), capacity - got);
            std::size_t n = 0;
            if (FileResult r = file.read(chunk.data(), want, n); !r)
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

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

FileResult replaceFileAtomically(const std::string& requested, const void* data, std::size_t size)
{
    // Only a plain file, or a name with nothing behind it, is replaced: a
    // rename over a FIFO or a device node would put a plain file in its place.
    const DataFileLookup at = lookUpDataFile(requested);
    if (at.kind == DataFileLookup::Refused)
        return at.refusal;
    if (at.kind == DataFileLookup::NotRegular)
        return notRegular("Не удалось заменить файл %1: %2", requested, at.type);
    // A link stays a link: the file it names is the one replaced.
    const std::string& path = at.target;
    // What the user set on the file stays: its mode and, where the process
    // may, its owner and group. A new file gets what the umask allows, as any
    // other program's file would.
    struct stat old {};
    const bool existed =
        at.kind == DataFileLookup::Regular && ::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
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
