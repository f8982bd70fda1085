#pragma once
// A text file of command lines, read as bytes (Windows-1251), CR LF, LF or CR
// line ends. At most 500 lines are read; lines of 255 or more characters are
// skipped but counted. Reading also ends after MaxBytes bytes, so a huge file
// without line ends costs no more than a full one. bigFile is set when either
// bound ended the reading.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"

namespace comtrax {

struct CommandFile {
    static constexpr std::size_t MaxLines = 500;
    static constexpr std::size_t MaxLineLength = 254;  // a line must be shorter than 255
    // Eight times what 500 usable lines with CR LF take: room for some long
    // lines, and still read in a moment.
    static constexpr std::size_t MaxBytes = std::size_t(1) << 20;

    std::vector<std::string> lines;
    bool bigFile = false;
};

// Splits a command file fed in pieces of any size. Memory stays small whatever
// is fed: an over-long line is only counted, and everything after the 500th
// line is ignored, so a large file picked by mistake cannot exhaust memory.
class CommandFileParser {
public:
    void feed(std::string_view bytes);
    // The end of the file: a final line without a line end still counts.
    // After a read error pass false: a line cut off by the error is not taken.
    CommandFile finish(bool endOfFile = true);
    // True once 500 lines or MaxBytes bytes were read; the rest of the file
    // need not be fed.
    bool full() const { return linesRead_ >= CommandFile::MaxLines || cutOff_; }

private:
    void endLine();

    CommandFile result_;
    std::string current_;
    std::size_t currentLength_ = 0;  // may exceed what current_ keeps
    std::size_t linesRead_ = 0;
    std::size_t bytesRead_ = 0;
    bool cutOff_ = false;  // bytes came past MaxBytes: the line being read is not taken
    bool lineStarted_ = false;
    bool afterCR_ = false;  // an LF right after a CR belongs to the same line end
};

CommandFile parseCommandFile(const std::string& bytes);

// Reads the file at path in pieces. Anything but a regular file (a device, a
// pipe, a directory) is refused unread. On failure out holds the lines read
// so far.
FileResult readCommandFile(const std::string& path, CommandFile& out);

}  // namespace comtrax
