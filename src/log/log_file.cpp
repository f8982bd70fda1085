#include "log/log_file.h"

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/terminal_view.h"
#include "common/texts.h"

namespace comtrax {

namespace {

const char* const NotLogging = "Запись в файл не ведётся";

std::string reason(int err)
{
    return err ? " (" + systemReason(err) + ")" : std::string();
}

// The log is made in the current directory, which others may be able to
// write to as well. What already lies under the coming name is appended to
// only when it is a plain file of one name: a link planted there (of either
// kind) would send the device's data into a file of someone else's choosing,
// and a pipe or a device could swallow it or hold the window up. refused
// tells such a find from an ordinary failure.
std::FILE* openForAppend(const std::string& path, bool& refused)
{
    refused = false;
    const int fd = ::open(
        path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int err = errno;
        struct stat st {};
        refused = ::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
        errno = err;
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
        ::close(fd);
        refused = true;
        return nullptr;
    }
    // Not waiting was for the open alone, where a pipe would have held it up;
    // writes wait for the disk as before.
    ::fcntl(fd, F_SETFL, O_APPEND);
    std::FILE* f = ::fdopen(fd, "ab");
    if (!f) {
        const int err = errno;
        ::close(fd);
        errno = err;
    }
    return f;
}

}  // namespace

LogFile::LogFile(TerminalView& view, std::string dir)
    : view_(view), dir_(std::move(dir)), status_(trText(NotLogging))
{}

LogFile::~LogFile()
{
    close();
}

std::string LogFile::fileNameFor(const LocalDateTime& t)
{
    return "LOG_" + std::to_string(t.year) + " " + std::to_string(t.month) + " " + std::to_string(t.day) + " "
        + std::to_string(t.hour) + " " + std::to_string(t.minute) + " " + std::to_string(t.second) + ".txt";
}

void LogFile::toggleLogFile(const LocalDateTime& now)
{
    if (logging_) {
        writePending();
        pause();
        return;
    }
    if (!fileOpen_) {
        const std::string name = fileNameFor(now);
        const std::string path = dir_.empty() ? name : dir_ + "/" + name;
        // Appending: a second start within the same second (or a clock set
        // back) must never wipe a log that is already on disk.
        errno = 0;
        bool refused = false;
        std::FILE* f = opener_ ? opener_(path) : openForAppend(path, refused);
        if (!f) {
            // One message, and logging stays off: there is no file that every
            // following line could fail to reach.
            const int err = errno;
            view_.showError(
                refused ? trFormat(
                    "Файл лога %1 не создан: под этим именем уже есть ссылка или не обычный файл", {name})
                        : trFormat("Не удалось создать файл лога %1", {name}) + reason(err));
            view_.logStateChanged();
            return;
        }
        // Unbuffered: lines reach the system in the call that writes them, so
        // a crash keeps every line and a failed write leaves nothing queued
        // that could turn up later out of place.
        std::setvbuf(f, nullptr, _IONBF, 0);
        file_ = f;
        end_ = -1;
        fileName_ = name;
        fileOpen_ = true;
    }
    logging_ = true;
    caption_ = "Pause Log";
    active_ = true;
    status_ = trFormat("Лог записывается в файл %1", {fileName_});
    view_.logStateChanged();
}

void LogFile::pause()
{
    logging_ = false;
    caption_ = "Go Log";
    status_ = trFormat("Запись в файл лога приостановлена (%1)", {fileName_});
    active_ = false;
    view_.logStateChanged();
}

void LogFile::writeLine(const std::string& line)
{
    if (!active_ || !file_)
        return;
    pending_ += line;
    pending_ += "\r\n";
    pendingEnds_.push_back(pending_.size());
    // A batch is held in memory only up to a bound: a flood of lines between
    // two hand-overs reaches the disk as it comes.
    constexpr std::size_t MaxPending = 256 * 1024;
    if (batchDepth_ == 0 || pending_.size() >= MaxPending)
        writePending();
}

void LogFile::endBatch()
{
    if (batchDepth_ > 0 && --batchDepth_ == 0)
        writePending();
}

void LogFile::writePending()
{
    if (pending_.empty())
        return;
    // Written from where the lines were gathered, which keeps its room for
    // the next batch; emptied before anything that could bring new lines.
    const std::string& data = pending_;
    if (!active_ || !file_) {
        pending_.clear();
        pendingEnds_.clear();
        return;
    }
    // Where the lines start, so that a line the disk could only take in part
    // can be taken back: a torn piece would glue itself to the next line
    // written after "Go Log". Asked of the system once, then counted: the
    // file is written only through here.
    const int fd = ::fileno(file_);
    if (end_ < 0 && fd >= 0) {
        struct stat st {};
        if (::fstat(fd, &st) == 0)
            end_ = st.st_size;
    }
    // Straight to the descriptor: the stream is unbuffered, so nothing of it
    // waits in between, and each call reaches the system at once, so a crash
    // keeps every line written.
    std::size_t done = 0;
    int err = 0;
    while (done < data.size()) {
        const ssize_t r = fd >= 0 ? ::write(fd, data.data() + done, data.size() - done) : -1;
        if (r > 0) {
            done += static_cast<std::size_t>(r);
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        err = r < 0 ? errno : 0;
        break;
    }
    if (done == data.size()) {
        if (end_ >= 0)
            end_ += static_cast<int64_t>(done);
        pending_.clear();
        pendingEnds_.clear();
        return;
    }
    // A full disk: the whole lines stay, the torn one goes; say so once and
    // stop writing. The caller goes on showing and sending; "Go Log" tries
    // again into the same file. Paused before the box opens, so lines arriving
    // under its modal loop are not written (and reported) again.
    std::size_t whole = 0;
    for (const std::size_t e : pendingEnds_) {
        if (e > done)
            break;
        whole = e;
    }
    pending_.clear();
    pendingEnds_.clear();
    if (end_ >= 0 && done > whole
        && ::ftruncate(fd, static_cast<off_t>(end_ + static_cast<int64_t>(whole))) != 0)
        err = err ? err : errno;
    end_ = -1;  // asked again before the next line
    std::clearerr(file_);
    pause();
    view_.showError(trFormat("Ошибка записи в файл лога %1", {fileName_}) + reason(err));
}

void LogFile::close()
{
    writePending();
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    // Nothing may be written after this; a later Start Log would append to a
    // file opened anew.
    fileOpen_ = false;
    active_ = false;
    logging_ = false;
}

LogOutput::LogOutput(TerminalView& view, LogFile& file) : view_(view), file_(file) {}

// One line of the log ends in exactly one line break: the break the line's
// own bytes end with (a sent $0D$0A, a received packet's closing CR) is that
// break, not an extra empty line. A lone CR or LF inside becomes CR LF, so the
// file reads line by line with any reader; the bytes on the wire are not
// touched.
std::string LogOutput::withCrLfBreaks(const std::string& line)
{
    std::size_t end = line.size();
    if (end >= 2 && line[end - 2] == '\r' && line[end - 1] == '\n')
        end -= 2;
    else if (end >= 1 && (line[end - 1] == '\r' || line[end - 1] == '\n'))
        end -= 1;
    // Most lines hold no break but the closing one.
    // (Two searches for one character each: find_first_of with a set of two
    // looks each character up in the set, one library call a character.)
    const std::size_t firstBreak = std::min(line.find('\r'), line.find('\n'));
    if (firstBreak >= end)
        return line.substr(0, end);
    std::string out;
    out.reserve(end + 8);
    out.append(line, 0, firstBreak);
    for (std::size_t i = firstBreak; i < end; ++i) {
        const char ch = line[i];
        if (ch == '\r') {
            out += "\r\n";
            if (i + 1 < end && line[i + 1] == '\n')
                ++i;
        } else if (ch == '\n') {
            out += "\r\n";
        } else {
            out += ch;
        }
    }
    return out;
}

bool LogOutput::addLine(const std::string& line, const std::string& filter, LogDirection direction)
{
    if (!filter.empty() && line.find(filter) == std::string::npos)
        return false;
    const std::string text = withCrLfBreaks(line);
    view_.addTrafficLine(text, direction);
    file_.writeLine(text);
    return true;
}

int32_t timeoutStep(int32_t v, bool up)
{
    constexpr int32_t Cap = 100000;
    if (!up) {
        if (v <= 0)
            return v;
        if (v < 10)
            return v - 1;
        if (v < 100)
            return v - 5;
        if (v < 1000)
            return v - 50;
        if (v < 10000)
            return v - 500;
        if (v < Cap)
            return v - 5000;
        return v - 50000;
    }
    int32_t next;
    if (v < 10)
        next = v + 1;
    else if (v < 100)
        next = v + 5;
    else if (v < 1000)
        next = v + 50;
    else if (v < 10000)
        next = v + 500;
    else if (v < Cap)
        next = v + 5000;
    else
        next = Cap;
    return next > Cap ? Cap : next;
}

}  // namespace comtrax
