#include "transmit/command_file.h"

#include "common/texts.h"

#include <cstring>

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

FileResult readCommandFile(const std::string& path, CommandFile& out)
{
    CommandFileParser parser;
    // The user picked the name, links and all; what is behind it must be a
    // plain file, and is looked at before it is opened (opening a pipe waits
    // for a writer, opening a device can act on it).
    FileForReading file;
    if (FileResult r = file.open(path, LinkRule::Any); !r) {
        out = parser.finish();
        if (file.kind() == DataFileLookup::NotRegular)
            return FileResult::failure(trFormat("Это не обычный файл: %1", {path}));
        return r;
    }
    char buf[65536];
    FileResult result;
    while (!parser.full()) {
        std::size_t n = 0;
        result = file.read(buf, sizeof buf, n);
        if (!result)
            break;
        parser.feed(std::string_view(buf, n));
        if (n < sizeof buf)
            break;
    }
    out = parser.finish(result.ok);
    return result;
}

}  // namespace comtrax
