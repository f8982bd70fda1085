#pragma once
// Whole-file reads and the one way every data file of the terminal is rewritten:
// a temporary file in the same directory, flushed and renamed over the old one,
// so a crash or a full disk never leaves a half-written file behind.
#include <string>
#include <vector>

namespace comtrax {

struct FileResult {
    bool ok = true;
    std::string error;  // human-readable reason when !ok
    explicit operator bool() const { return ok; }
    static FileResult failure(std::string why) { return {false, std::move(why)}; }
};

bool fileExists(const std::string& path);
// Reads the whole file into out. A missing file is a failure.
FileResult readWholeFile(const std::string& path, std::string& out);
// Reads at most maxBytes from the start of the file.
FileResult readFilePrefix(const std::string& path, std::size_t maxBytes, std::string& out);
// Reads at most capacity bytes from the start of the file straight into buf;
// got is the number of bytes read. For large fixed images that must not be
// copied through an intermediate string.
FileResult readFileInto(const std::string& path, void* buf, std::size_t capacity, std::size_t& got);
// The same into a buffer the caller zero-filled with fresh pages (calloc):
// pages of the file that hold only zeros are not written, so a large file that
// is mostly empty takes memory only for what it holds.
FileResult readFileSparse(const std::string& path, void* buf, std::size_t capacity, std::size_t& got);
// Writes bytes to path atomically (temporary file + fsync + rename). The file
// keeps its mode and owner; a new one gets what the umask allows; a symbolic
// link stays and the file it names is replaced; a file the user may not write
// is refused, not replaced.
FileResult replaceFileAtomically(const std::string& path, const std::string& bytes);
FileResult replaceFileAtomically(const std::string& path, const void* data, std::size_t size);

// True for the name of a temporary file replaceFileAtomically makes for name
// ("<name>.tmp-" and six letters or digits).
bool isLeftoverTemporaryOf(const std::string& fileName, const std::string& name);
// Removes the temporary files a save cut short (a kill, a power loss) left
// beside the given files of directory; returns how many went.
int removeLeftoverTemporaries(const std::string& directory, const std::vector<std::string>& names);

// An exclusive lock on a directory, held while the object lives (flock on the
// directory itself: no file to leave behind, and the kernel drops it when the
// process dies). Tells whether another instance works in the same directory.
class DirectoryLock {
public:
    DirectoryLock() = default;
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;
    ~DirectoryLock();
    // False when someone else holds the lock; true when it is now held (or the
    // directory cannot be opened at all).
    bool tryLock(const std::string& directory);
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace comtrax
