// What the real port refuses before or instead of opening: a lock file that
// is no file, and a device or file that is no terminal. Planted files live
// in a scratch directory; the system's lock directories are only read.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "qtserial/qt_serial_port.h"
#include "serial/port_access.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

namespace fs = std::filesystem;

// One pty pair: the slave's path plays the port.
struct PtyPair {
    int master = -1;
    int slave = -1;
    std::string path;
    PtyPair()
    {
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            path = name;
            ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPair()
    {
        ::close(master);
        ::close(slave);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
};

struct NoPorts : PortLister {
    std::vector<std::string> listPorts() override { return {}; }
};

}  // namespace

TEST(QtLockFile, ItsNameIsTheOneQSerialPortTakes)
{
    const struct {
        std::string path, name;
    } cases[] = {
        {"/dev/ttyUSB0", "LCK..ttyUSB0"},
        {"/dev/pts/3", "LCK..pts_3"},
        {"/dev/serial/by-id/usb-x", "LCK..serial_by-id_usb-x"},
        {"/home/u/порт/ttyV0", "LCK.._home_u_порт_ttyV0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qtLockFileName(c.path), c.name);

    // And QSerialPort agrees: with a port open, its lock file (in the system's
    // directories, only read here) is a regular file under that name.
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    QtSerialPort port;
    ASSERT_TRUE(port.open(pty.path, 9600, 8, OneStop));
    bool found = false;
    for (const std::string& dir : qtLockDirectories()) {
        struct stat st {};
        if (::lstat((dir + "/" + qtLockFileName(pty.path)).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            found = true;
    }
    EXPECT_TRUE(found);
}

// Only the directory QSerialPort takes matters: the first readable one that
// holds the file or may be written.
TEST(QtLockFile, OnlyTheDirectoryQSerialPortTakesIsChecked)
{
    TempDir dir;
    const std::string name = qtLockFileName("/dev/ttyS0");
    for (const char* sub : {"empty", "plain", "fifo"})
        fs::create_directory(dir.file(sub));
    writeFileBytes(dir.file("plain/" + name), "1234\n");
    ASSERT_EQ(::mkfifo(dir.file("fifo/" + name).c_str(), 0644), 0);
    const std::string missing = dir.file("missing");

    const struct {
        std::vector<std::string> dirs;
        std::string unsafe;
    } cases[] = {
        {{missing, dir.file("fifo")}, dir.file("fifo/" + name)},
        {{dir.file("empty"), dir.file("fifo")}, ""},  // the empty one, writable, is taken
        {{dir.file("plain"), dir.file("fifo")}, ""},
        {{dir.file("fifo"), dir.file("plain")}, dir.file("fifo/" + name)},
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(unsafeLockFile("/dev/ttyS0", c.dirs), c.unsafe) << (c.dirs.empty() ? "" : c.dirs.back());
}

// A FIFO where QSerialPort would read the lock file holds its open for good;
// a link may lead anywhere. Either is refused before QSerialPort is asked,
// and the refusal names the file. A plain file is QSerialPort's business.
TEST(QtLockFile, APlantedFifoOrLinkIsRefusedByNameBeforeTheOpen)
{
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    TempDir locks;
    const std::string lock = locks.file(qtLockFileName(pty.path));
    writeFileBytes(locks.file("elsewhere"), "");
    QtSerialPort port({locks.path()});

    for (const bool fifo : {true, false}) {
        if (fifo)
            ASSERT_EQ(::mkfifo(lock.c_str(), 0644), 0);
        else
            fs::create_symlink(locks.file("elsewhere"), lock);
        EXPECT_FALSE(port.open(pty.path, 9600, 8, OneStop));
        EXPECT_EQ(port.lastOpenFailure(), OpenFailure::UnsafeLockFile);
        EXPECT_EQ(port.lastOpenLockFile(), lock);
        EXPECT_FALSE(port.isOpen());
        fs::remove(lock);
    }

    writeFileBytes(lock, "");
    EXPECT_TRUE(port.open(pty.path, 9600, 8, OneStop));
    EXPECT_EQ(port.lastOpenLockFile(), "");
}

// Something that opens but is no terminal (here a FIFO and a plain file
// typed as the path; /dev/null and /dev/kmsg go the same way) is no busy
// port: nobody is named as its holder, not even this test, which holds an
// flock on it.
TEST(QtSerialPort, WhatIsNoTerminalIsNotBusyAndNamesNoHolder)
{
    TempDir dir;
    const std::string fifo = dir.file("fifo");
    const std::string plain = dir.file("plain");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    writeFileBytes(plain, "");
    for (const std::string& path : {fifo, plain}) {
        const int held = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
        QtSerialPort port({dir.path()});
        EXPECT_FALSE(port.open(path, 9600, 8, OneStop));
        EXPECT_EQ(port.lastOpenFailure(), OpenFailure::NotATerminal) << path;
        EXPECT_EQ(port.lastOpenHolder(), "") << path;
        EXPECT_FALSE(port.isOpen());
        ::close(held);
    }
}

// A port path is a file name in the system's encoding (UTF-8): a link in a
// directory with a Cyrillic name opens the port behind it.
TEST(QtSerialPort, APathWithACyrillicDirectoryOpens)
{
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    TempDir dir;
    const std::string link = dir.file("порт/ttyV0");
    fs::create_directory(dir.file("порт"));
    fs::create_symlink(pty.path, link);

    QtSerialPort port;
    NoPorts lister;
    RecordingView view;
    PortAccess access{port, lister, view};
    ASSERT_TRUE(access.openPort({"", "9600", "8", 0, {}, link}));
    EXPECT_EQ(access.portName(), link);
    EXPECT_TRUE(view.messages.empty());
    const char byte = 'x';
    ASSERT_EQ(port.write(reinterpret_cast<const uint8_t*>(&byte), 1), 1);
    char got = 0;
    for (int i = 0; i < 500 && ::read(pty.master, &got, 1) != 1; ++i)
        ::usleep(2000);
    EXPECT_EQ(got, 'x');
    access.closePort();
}
