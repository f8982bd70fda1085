#include "common/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace comtrax {

namespace {

std::string describe(const std::string& what, const std::string& path, int err)
{
    return what + " '" + path + "': " + std::strerror(err);
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
            return FileResult::failure(describe("Cannot read", path, errno));
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return {};
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
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FileResult::failure(describe("Cannot open", path, errno));
    constexpr std::size_t Chunk = 65536;
    for (;;) {
        const std::size_t want = std::min(Chunk, maxBytes - out.size());
        const std::size_t before = out.size();
        out.resize(before + want);
        std::size_t got = 0;
        const FileResult r = readAll(fd, path, out.data() + before, want, got);
        out.resize(before + got);
        if (!r) {
            ::close(fd);
            return r;
        }
        if (got < want || out.size() >= maxBytes)
            break;
    }
    ::close(fd);
    return {};
}

FileResult readWholeFile(const std::string& path, std::string& out)
{
    return readFilePrefix(path, static_cast<std::size_t>(-1), out);
}

FileResult readFileInto(const std::string& path, void* buf, std::size_t capacity, std::size_t& got)
{
    got = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FileResult::failure(describe("Cannot open", path, errno));
    const FileResult r = readAll(fd, path, static_cast<char*>(buf), capacity, got);
    ::close(fd);
    return r;
}

FileResult replaceFileAtomically(const std::string& path, const std::string& bytes)
{
    return replaceFileAtomically(path, bytes.data(), bytes.size());
}

FileResult replaceFileAtomically(const std::string& path, const void* data, std::size_t size)
{
    std::string tmp = path + ".tmp-XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return FileResult::failure(describe("Cannot create a temporary file for", path, errno));
    ::fchmod(fd, 0644);
    if (!writeAll(fd, static_cast<const char*>(data), size) || ::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        return FileResult::failure(describe("Cannot write", path, err));
    }
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return FileResult::failure(describe("Cannot write", path, err));
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return FileResult::failure(describe("Cannot replace", path, err));
    }
    // Make the rename itself durable.
    const int dfd = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return {};
}

}  // namespace comtrax
