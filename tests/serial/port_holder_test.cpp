// Who holds a refused port, as far as lock files tell: only files that no
// stranger could have planted are believed, and none of them can hold the
// terminal up.
#include <gtest/gtest.h>

#ifdef __linux__

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "serial/port_holder.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

namespace fs = std::filesystem;

std::string self()
{
    return "test_serial (pid " + std::to_string(::getpid()) + ")";
}

// Runs what in a child and tells whether it came back. A lookup that waits
// for a FIFO's writer never would: the alarm ends the child, and the test
// fails instead of hanging.
bool returnsPromptly(const std::function<void()>& what)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(5);
        what();
        ::_exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A stand-in device (the lookup only looks at it) and its lock directory.
struct LockRig {
    TempDir dir;
    std::string locks = dir.file("locks");
    std::string device = dir.file("ttyHolder");
    std::string lock = locks + "/LCK..ttyHolder";

    LockRig()
    {
        fs::create_directory(locks);
        fs::permissions(locks, fs::perms(0755));
        writeFileBytes(device, "");
    }
    std::string holder() const { return findPortHolder(device, {locks}); }
};

}  // namespace

// A terminal that keeps a UUCP lock file (LCK..name with its pid) is named
// from it; a lock file left by a process that has ended names nobody.
TEST(PortHolder, ALockFileNamesALiveProcessOnly)
{
    LockRig r;
    const struct {
        std::string text;
        bool named;
    } cases[] = {
        {std::to_string(::getpid()) + "\n", true},
        {"      " + std::to_string(::getpid()) + "\ncomtrax\nhost\n", true},  // padded, as HDB locks are
        {std::to_string(::getpid()) + std::string(1 << 20, ' '), true},       // only its start is read
        {"999999999\n", false},  // beyond any pid the system gives
        {"", false},
        {"comtrax\n", false},
    };
    for (const auto& c : cases) {
        writeFileBytes(r.lock, c.text);
        EXPECT_EQ(r.holder(), c.named ? self() : "") << c.text.substr(0, 20);
    }
    EXPECT_EQ(findPortHolder("/no/such/device", {r.locks}), "");
    EXPECT_EQ(describeProcess(::getpid()), self());
}

// Something other than a regular file where the lock file should be: a FIFO
// (whose open would wait for a writer for good), a link (to a file naming a
// live process, or anywhere else), a directory. None of them names anyone,
// and the lookup comes back at once.
TEST(PortHolder, APlantedFifoLinkOrDirectoryNamesNobodyAndNeverWaits)
{
    LockRig r;
    const std::string bait = r.dir.file("bait");
    writeFileBytes(bait, std::to_string(::getpid()) + "\n");
    const std::function<void()> plant[] = {
        [&] { ASSERT_EQ(::mkfifo(r.lock.c_str(), 0644), 0); },
        [&] { fs::create_symlink(bait, r.lock); },
        [&] { fs::create_directory(r.lock); },
    };
    for (const auto& p : plant) {
        p();
        // The child fails when the lookup names anyone, and never comes back
        // when it waits.
        EXPECT_TRUE(returnsPromptly([&] {
            if (!r.holder().empty())
                ::_exit(1);
        }));
        fs::remove(r.lock);
    }
}

// Whom a lock file blames is believed only when nobody else could have put
// it there: in a directory only root or this user may write, or a file root
// or this user owns.
TEST(PortHolder, ALockFileIsTrustedOnlyWhereNoStrangerCouldHavePlantedIt)
{
    const unsigned me = 1000, other = 1001;
    const struct {
        unsigned dirOwner, dirMode, fileOwner;
        bool trusted;
    } cases[] = {
        {0, 0755, other, true},       // a directory of root's: whoever owns the file was let in
        {me, 0700, other, true},      // my own directory
        {0, 01777, other, false},     // /run/lock, /tmp: anyone may write
        {0, 01777, 0, true},          // ... but root's file there is root's
        {0, 01777, me, true},         // ... and so is mine
        {0, 0775, other, false},      // a group may write
        {other, 0755, other, false},  // a stranger's directory
        {other, 0755, me, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lockFileTrusted(c.dirOwner, c.dirMode, c.fileOwner, me), c.trusted)
            << c.dirOwner << " " << std::oct << c.dirMode << std::dec << " " << c.fileOwner;
}

// The same through the file system: a file another user planted in a
// directory everyone may write names nobody, one that user could not have
// planted still names its holder.
TEST(PortHolder, AStrangersLockFileInASharedDirectoryIsNotBelieved)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    LockRig r;
    fs::permissions(r.locks, fs::perms(01777));
    writeFileBytes(r.lock, std::to_string(::getpid()) + "\n");
    ASSERT_EQ(::chown(r.lock.c_str(), 65534, 65534), 0);
    EXPECT_EQ(r.holder(), "");

    fs::permissions(r.locks, fs::perms(0755));  // only root may write there now
    EXPECT_EQ(r.holder(), self());
}

// /tmp is writable by everyone: a lock file there blames whom its writer
// pleases (pid 1 here), so the lookup does not look there.
TEST(PortHolder, ALockFileInTmpBlamesNobody)
{
    TempDir dir;
    const std::string name = "ttyTmpBlame" + std::to_string(::getpid());
    const std::string device = dir.file(name);
    writeFileBytes(device, "");
    const std::string planted = "/tmp/LCK.." + name;
    writeFileBytes(planted, "1\n");
    EXPECT_EQ(findPortHolder(device), "");
    std::remove(planted.c_str());
}

#endif
