#include "support/odd_files.h"

#include <sys/stat.h>
#include <unistd.h>

namespace comtrax::testing {

const char* nameOf(OddFile kind)
{
    switch (kind) {
    case OddFile::Fifo:
        return "a FIFO";
    case OddFile::Socket:
        return "a socket";
    case OddFile::LinkToFifo:
        return "a link to a FIFO";
    case OddFile::LinkToSocket:
        return "a link to a socket";
    }
    return "?";
}

std::string makeOddFile(const std::string& path, OddFile kind)
{
    const bool link = kind == OddFile::LinkToFifo || kind == OddFile::LinkToSocket;
    const std::string thing = link ? path + ".target" : path;
    const bool fifo = kind == OddFile::Fifo || kind == OddFile::LinkToFifo;
    const int made = fifo ? ::mkfifo(thing.c_str(), 0600) : ::mknod(thing.c_str(), S_IFSOCK | 0600, 0);
    if (made != 0)
        return {};
    if (link && ::symlink(thing.c_str(), path.c_str()) != 0)
        return {};
    return thing;
}

mode_t fileTypeAt(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return 0;
    return st.st_mode & S_IFMT;
}

std::string plantLinkInSharedDirectory(const std::string& dir, const std::string& name,
                                       const std::string& target)
{
    if (::geteuid() != 0)
        return {};
    ::mkdir(dir.c_str(), 0700);
    if (::chmod(dir.c_str(), 01777) != 0)
        return {};
    const std::string link = dir + "/" + name;
    if (::symlink(target.c_str(), link.c_str()) != 0 || ::lchown(link.c_str(), OtherUserId, OtherUserId) != 0)
        return {};
    return link;
}

}  // namespace comtrax::testing
