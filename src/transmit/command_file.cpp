#include "transmit/command_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

FileResult readCommandFile(const std::string& path, CommandFile& out)
{
    CommandFileParser parser;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        out = parser.finish();
        return FileResult::failure("Cannot open '" + path + "': " + std::strerror(err));
    }
    char buf[65536];
    FileResult result;
    while (!parser.full()) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            result = FileResult::failure("Cannot read '" + path + "': " + std::strerror(errno));
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
