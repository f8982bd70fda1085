#pragma once
// Things that are not plain files, left where the terminal keeps its data
// files: what a careless or hostile local user can put there. All of them
// live in a test's scratch directory; none is a device of the system's.
#include <string>
#include <sys/types.h>

namespace comtrax::testing {

enum class OddFile {
    Fifo,          // opening it for reading waits for a writer
    Socket,        // a socket's name on disk (made with mknod, nothing listens)
    LinkToFifo,    // the user's own link to a FIFO beside it
    LinkToSocket,  // the same to a socket's name, as a link to a device node would be
};
const char* nameOf(OddFile kind);

// Makes one at path (a link's target goes beside it, at path + ".target").
// Returns the path whose kind must stay as it is: the FIFO or socket itself.
// Empty when the system would not make it.
std::string makeOddFile(const std::string& path, OddFile kind);

// The type of what is at path now, a link not followed (S_IFIFO, S_IFSOCK,
// S_IFLNK, S_IFREG ...), or 0 when nothing is there.
mode_t fileTypeAt(const std::string& path);

// Another local user's id (nobody): the owner of what tests plant as root.
inline constexpr uid_t OtherUserId = 65534;

// As root only: makes dir a directory anyone may write (mode 1777, as /tmp)
// and leaves in it, owned by another user, a link named name to target, as
// that user could. Returns the link's path; empty when not root (only root
// can hand a link to another user).
std::string plantLinkInSharedDirectory(const std::string& dir, const std::string& name,
                                       const std::string& target);

}  // namespace comtrax::testing
