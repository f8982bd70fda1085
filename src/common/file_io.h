#pragma once
// Whole-file reads and the one way every data file of the terminal is rewritten:
// a temporary file in the same directory, flushed and renamed over the old one,
// so a crash or a full disk never leaves a half-written file behind.
#include <sys/types.h>

#include <cstddef>
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

// Every file the terminal reads or rewrites is looked at before it is opened
// (opening a FIFO waits for a writer, opening a device can act on it), is
// opened without waiting and without following a last link, and is used only
// when it turns out to be a plain file.
//
// A symbolic link in a data file's name is followed only where no one else
// could have made it: a link of the user's own in a directory of the user's
// own, or any link in a directory that no one but its owner (the user or
// root) may write. Anywhere else, such as /tmp, a link may have been planted
// by another user to have this one's program read or overwrite a file of
// theirs; the file is then neither read nor replaced.
enum class LinkRule {
    OwnPlaces,  // the program's own data files
    Any,        // a file the user picked by name: any link, as the user named it
};

// Who owns a link and the directory it lies in, and that directory's mode.
struct LinkPlace {
    uid_t linkOwner = 0;
    uid_t directoryOwner = 0;
    mode_t directoryMode = 0;
};
// The rule above for one link, for the user with the given id.
bool mayFollowLink(const LinkPlace& place, uid_t user);

// What a name leads to, looked at without opening anything.
struct DataFileLookup {
    enum Kind {
        Missing,     // nothing there (or a link to nothing): a first start
        Regular,     // a plain file, at target
        NotRegular,  // a FIFO, a socket, a device, a directory ...
        Refused,     // a link that may not be followed, or the name cannot be looked at
    };
    Kind kind = Missing;
    std::string target;  // the file the name stands for, its links followed
    mode_t type = 0;     // NotRegular: what it is (S_IFIFO, S_IFDIR ...)
    FileResult refusal;  // Refused: why
};
DataFileLookup lookUpDataFile(const std::string& path, LinkRule links = LinkRule::OwnPlaces);

// A file opened for reading as described above; closed when the object goes.
class FileForReading {
public:
    FileForReading() = default;
    FileForReading(const FileForReading&) = delete;
    FileForReading& operator=(const FileForReading&) = delete;
    ~FileForReading();
    // A missing file is a failure like any other; kind() tells them apart.
    FileResult open(const std::string& path, LinkRule links = LinkRule::OwnPlaces);
    DataFileLookup::Kind kind() const { return kind_; }
    // Reads until capacity bytes are in or the file ends.
    FileResult read(void* out, std::size_t capacity, std::size_t& got);
    int descriptor() const { return fd_; }

private:
    int fd_ = -1;
    std::string path_;
    DataFileLookup::Kind kind_ = DataFileLookup::Missing;
};

// Reads the whole file into out. A missing file is a failure.
FileResult readWholeFile(const std::string& path, std::string& out);
// The same for a file that must not be longer than maxBytes: a longer one is
// not the file it should be, and nothing of it is read (a failure that says so).
FileResult readBoundedFile(const std::string& path, std::size_t maxBytes, std::string& out);
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
// link the rule above lets be followed stays, and the file it names is
// replaced; a file the user may not write is refused, not replaced, and so is
// whatever is not a plain file (a FIFO, a device, a directory) and a link the
// rule does not let be followed.
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
