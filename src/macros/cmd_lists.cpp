#include "macros/cmd_lists.h"

#include <cstdlib>
#include <new>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/bytes.h"

namespace comtrax {

namespace {

constexpr std::size_t HelpsPerMacroStride = CmdLists::CmdHelpStride * CmdLists::HelpLinesPerMacro;

bool validList(int n)
{
    return n >= 1 && n <= CmdLists::Lists;
}
bool validMacro(int k)
{
    return k >= 1 && k <= CmdLists::Macros;
}
bool validHelpLine(int j)
{
    return j >= 1 && j <= CmdLists::HelpLinesPerMacro;
}

std::size_t cmdLineAt(int k)
{
    return CmdLists::CmdLinesOffset + std::size_t(k - 1) * CmdLists::CmdLineStride;
}
std::size_t cmdNameAt(int k)
{
    return CmdLists::CmdNamesOffset + std::size_t(k - 1) * CmdLists::CmdNameStride;
}
std::size_t cmdHelpAt(int k, int j)
{
    return CmdLists::CmdHelpsOffset + std::size_t(k - 1) * HelpsPerMacroStride
        + std::size_t(j - 1) * CmdLists::CmdHelpStride;
}

// The damaged file is kept under path + ".bak" before the defaults replace it.
// A hard link costs nothing and keeps every byte, however long the file is;
// where links are not possible the file is copied.
// The first backup name not taken: CmdConfig.bak, then CmdConfig.bak.1, .2, ...
// A backup already there is the user's own or that of an earlier damage, and
// is never overwritten.
std::string freeBackupName(const std::string& path)
{
    std::string bak = path + ".bak";
    struct stat st {};
    for (int n = 1; ::lstat(bak.c_str(), &st) == 0; ++n)
        bak = path + ".bak." + std::to_string(n);
    return bak;
}

FileResult keepBackup(const std::string& path)
{
    const std::string bak = freeBackupName(path);
    // A CmdConfig that is a symbolic link: the backup is of the file it names
    // (link() alone would link the link, and the backup would follow the file
    // the defaults are about to overwrite).
    if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, bak.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return {};
    std::string bytes;
    if (auto r = readWholeFile(path, bytes); !r)
        return r;
    return replaceFileAtomically(bak, bytes);
}

}  // namespace

namespace {
unsigned char* zeroImage()
{
    auto* p = static_cast<unsigned char*>(std::calloc(CmdLists::FileSize, 1));
    if (!p)
        throw std::bad_alloc();
    return p;
}
}  // namespace

CmdLists::CmdLists() : data_(zeroImage()) {}

CmdLists::CmdLists(const CmdLists& other) : data_(zeroImage())
{
    *this = other;
}

CmdLists& CmdLists::operator=(const CmdLists& other)
{
    if (this != &other) {
        if (!data_)
            data_.reset(zeroImage());
        std::memcpy(data_.get(), other.data_.get(), FileSize);
    }
    return *this;
}

unsigned char* CmdLists::rec(int n)
{
    return data_.get() + std::size_t(n - 1) * RecordSize;
}

const unsigned char* CmdLists::record(int n) const
{
    if (!validList(n))
        return nullptr;
    return data_.get() + std::size_t(n - 1) * RecordSize;
}

int32_t CmdLists::validMark(int n) const
{
    const unsigned char* r = record(n);
    return r ? getLE32(r + ValidMarkOffset) : 0;
}

void CmdLists::setDefaults()
{
    for (int n = 1; n <= Lists; ++n) {
        clearList(n);
        setListName(n, "List " + std::to_string(n));
        putLE32(rec(n) + ValidMarkOffset, ValidMarkValue);
    }
}

CmdLists::LoadResult CmdLists::loadLists(const std::string& path)
{
    LoadResult result;
    // Only a name with nothing behind it is a first start. Anything else that
    // cannot be read (a FIFO, a directory, a link someone else left) is
    // reported below and neither rebuilt over nor backed up.
    const bool exists = lookUpDataFile(path).kind != DataFileLookup::Missing;
    bool bad = !exists;
    if (exists) {
        // One read of the whole image straight into the lists: on this path a
        // second 10 MB buffer costs more than the read itself.
        std::size_t got = 0;
        if (auto r = readFileSparse(path, data_.get(), FileSize, got); !r) {
            result.io = r;
            return result;
        }
        const auto whole = static_cast<int>(got / RecordSize);
        int taken = 0;  // records read before the check failed, the failing one included
        for (int n = 1; n <= Lists && !bad; ++n) {
            if (n > whole) {
                bad = true;
                break;
            }
            taken = n;
            if (validMark(n) != ValidMarkValue)
                bad = true;
        }
        // A record-by-record reader would never have looked past the failing
        // record: what follows it stays as a fresh start leaves it, zero.
        if (bad)
            std::memset(rec(taken + 1), 0, std::size_t(Lists - taken) * RecordSize);
    }
    if (!bad)
        return result;

    setDefaults();
    result.rebuilt = true;
    result.created = !exists;
    if (exists) {
        if (auto r = keepBackup(path); !r) {
            // Without a backup the damaged file is left alone: the user still
            // has it, and the defaults reach the disk at the next save.
            result.io = r;
            return result;
        }
        result.backupKept = true;
    }
    result.io = saveLists(path);
    return result;
}

FileResult CmdLists::saveLists(const std::string& path) const
{
    return replaceFileAtomically(path, data_.get(), FileSize);
}

void CmdLists::clearList(int n)
{
    if (!validList(n))
        return;
    unsigned char* r = rec(n);
    // Only the length bytes: the old characters stay behind them, as in the
    // file. A byte already zero is not written, so an empty list's pages stay
    // untouched (and cost no memory).
    const auto clear = [r](std::size_t at) {
        if (r[at] != 0)
            r[at] = 0;
    };
    clear(ListNameOffset);
    for (int k = 1; k <= Macros; ++k) {
        clear(cmdLineAt(k));
        clear(cmdNameAt(k));
        for (int j = 1; j <= HelpLinesPerMacro; ++j)
            clear(cmdHelpAt(k, j));
    }
}

void CmdLists::setCommandLine(int n, int k, const std::string& text)
{
    if (validList(n) && validMacro(k))
        putShortString(rec(n) + cmdLineAt(k), CmdLineCapacity, text);
}

void CmdLists::setCommandName(int n, int k, const std::string& text)
{
    if (validList(n) && validMacro(k))
        putShortString(rec(n) + cmdNameAt(k), CmdNameCapacity, text);
}

void CmdLists::setCommandHelp(int n, int k, int j, const std::string& text)
{
    if (validList(n) && validMacro(k) && validHelpLine(j))
        putShortString(rec(n) + cmdHelpAt(k, j), CmdHelpCapacity, text);
}

void CmdLists::setListName(int n, const std::string& text)
{
    if (validList(n))
        putShortString(rec(n) + ListNameOffset, ListNameCapacity, text);
}

std::string CmdLists::commandLine(int n, int k) const
{
    if (!validList(n) || !validMacro(k))
        return {};
    return getShortString(record(n) + cmdLineAt(k), CmdLineCapacity);
}

std::string CmdLists::commandName(int n, int k) const
{
    if (!validList(n) || !validMacro(k))
        return {};
    return getShortString(record(n) + cmdNameAt(k), CmdNameCapacity);
}

std::string CmdLists::commandHelp(int n, int k, int j) const
{
    if (!validList(n) || !validMacro(k) || !validHelpLine(j))
        return {};
    return getShortString(record(n) + cmdHelpAt(k, j), CmdHelpCapacity);
}

std::string CmdLists::listName(int n) const
{
    if (!validList(n))
        return {};
    return getShortString(record(n) + ListNameOffset, ListNameCapacity);
}

}  // namespace comtrax
