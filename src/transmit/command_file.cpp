#include "transmit/command_file.h"

#include "common/texts.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace comtrax {

void CommandFileParser::endLine()
{
    if (currentLength_ <= CommandFile::MaxLineLength)
        result_.lines.push_back(current_);
    current_.clear();
    currentLength_ = 0;
    lineStarted_ = false;
    ++linesRead_;
}

void CommandFileParser::feed(std::string_view bytes)
{
    for (const char c : bytes) {
        if (full())
            return;
        if (bytesRead_ == CommandFile::MaxBytes) {
            cutOff_ = true;
            return;
        }
        ++bytesRead_;
        if (c == '\n' && afterCR_) {
            afterCR_ = false;
            continue;
        }
        afterCR_ = false;
        if (c == '\r' || c == '\n') {
            afterCR_ = c == '\r';
            endLine();
            continue;
        }
        lineStarted_ = true;
        if (currentLength_ <= CommandFile::MaxLineLength)
            current_ += c;
        ++currentLength_;
    }
}

CommandFile CommandFileParser::finish(bool endOfFile)
{
    if (endOfFile && lineStarted_ && !full())
        endLine();
    result_.bigFile = full();
    CommandFile out = std::move(result_);
    *this = CommandFileParser();
    return out;
}

CommandFile parseCommandFile(const std::string& bytes)
{
    CommandFileParser parser;
    parser.feed(bytes);
    return parser.finish();
}

namespace {

FileResult notRegular(const std::string& path)
{
    return FileResult::failure(trFormat("Это не обычный файл: %1", {path}));
}

}  // namespace

FileResult readCommandFile(const std::string& path, CommandFile& out)
{
    CommandFileParser parser;
    // Looked at before it is opened: opening a pipe waits for a writer, and
    // opening a device can act on it (a serial port raises its modem lines).
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int err = errno;
        out = parser.finish();
        return FileResult::failure(trFormat("Не удалось открыть файл %1: %2", {path, systemReason(err)}));
    }
    if (!S_ISREG(st.st_mode)) {
        out = parser.finish();
        return notRegular(path);
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        out = parser.finish();
        return FileResult::failure(trFormat("Не удалось открыть файл %1: %2", {path, systemReason(err)}));
    }
    // The name may have been given to something else in between.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        out = parser.finish();
        return notRegular(path);
    }
    char buf[65536];
    FileResult result;
    while (!parser.full()) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result = FileResult::failure(
                trFormat("Не удалось прочитать файл %1: %2", {path, systemReason(errno)}));
            break;
        }
        if (n == 0)
            break;
        parser.feed(std::string_view(buf, static_cast<std::size_t>(n)));
    }
    ::close(fd);
    out = parser.finish(result.ok);
    return result;
}

}  // namespace comtrax
