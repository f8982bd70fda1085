#include "serial/usb_latency_timer.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "serial/port_path.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace comtrax {

namespace {

// The kernel writes at most "255\n"; anything that fills this is no timer.
constexpr std::size_t MaxFileBytes = 16;
constexpr int MaxTimerMs = 255;
constexpr std::size_t MaxNameBytes = 64;

// A device's own name: letters, digits, '_', '-', '.', not starting with a
// dot. Anything else (a slash, "..", a space) could lead elsewhere in sysfs.
bool isPlainDeviceName(const std::string& name)
{
    if (name.empty() || name.size() > MaxNameBytes || name.front() == '.')
        return false;
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '_' || c == '-' || c == '.';
        if (!plain)
            return false;
    }
    return true;
}

// The device's name in /dev: a path (or a link to the device) is followed to
// the node it names; a bare name is the name.
std::optional<std::string> deviceNameOf(const std::string& port)
{
    if (port.empty() || isNetworkPortText(port))
        return std::nullopt;
    if (!isPortPath(port))
        return isPlainDeviceName(port) ? std::optional(port) : std::nullopt;
    std::error_code error;
    const std::filesystem::path node = std::filesystem::canonical(port, error);
    if (error)
        return std::nullopt;
    std::string name = node.filename().string();
    return isPlainDeviceName(name) ? std::optional(std::move(name)) : std::nullopt;
}

// "16\n" -> 16. Digits with at most surrounding blanks, nothing else.
std::optional<int> parseTimer(const char* text, std::size_t size)
{
    std::size_t i = 0;
    auto blank = [&](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (i < size && blank(text[i]))
        ++i;
    int value = 0;
    std::size_t digits = 0;
    for (; i < size && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        value = value * 10 + (text[i] - '0');
        if (value > MaxTimerMs)
            return std::nullopt;
    }
    while (i < size && blank(text[i]))
        ++i;
    if (digits == 0 || i != size)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<int> usbLatencyTimerMs(const std::string& port, const std::string& devicesDir)
{
#ifdef _WIN32
    (void)port;
    (void)devicesDir;
    return std::nullopt;
#else
    const std::optional<std::string> name = deviceNameOf(port);
    if (!name)
        return std::nullopt;
    const std::string path = devicesDir + "/" + *name + "/latency_timer";
    // Not through a link, never waiting on a FIFO, only a plain file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::optional<int> timer;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        char text[MaxFileBytes];
        std::size_t size = 0;
        bool failed = false;
        while (size < sizeof text) {
            const ssize_t n = ::read(fd, text + size, sizeof text - size);
            if (n < 0 && errno == EINTR)
                continue;
            failed = n < 0;
            if (n <= 0)
                break;
            size += static_cast<std::size_t>(n);
        }
        if (!failed && size < sizeof text)
            timer = parseTimer(text, size);
    }
    ::close(fd);
    return timer;
#endif
}

}  // namespace comtrax
