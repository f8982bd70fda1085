// The real back end over pseudo-terminals: the slave side plays the serial
// port, the master side plays the device at the other end of the cable.
#include <gtest/gtest.h>

#include <cstring>

#include <QCoreApplication>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "qtserial/qt_serial_port.h"
#include "serial/port_holder.h"
#include "serial/port_identity.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

// How long a wait for the kernel to move bytes may last before the test gives
// up: long enough that a busy machine only slows a test down, never fails it.
constexpr std::chrono::seconds GenerousWait{30};

// QSerialPort's notifier needs an application object on the thread, as in the
// terminal itself.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test_qtserial";
        static char* argv[] = {name, nullptr};
        app_ = new QCoreApplication(argc, argv);
    }
    void TearDown() override { delete app_; }

private:
    QCoreApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// One pty pair, the master kept by the test.
struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;

    Pty()
    {
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            path = name;
            ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~Pty()
    {
        closeMaster();
        closeSlave();
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void closeSlave()
    {
        if (slave >= 0)
            ::close(slave);
        slave = -1;
    }

    void send(const std::string& bytes) const
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t r = ::write(master, bytes.data() + done, bytes.size() - done);
            if (r > 0)
                done += static_cast<std::size_t>(r);
            else
                waitFor(POLLOUT);
        }
    }

    // Everything the device receives, until `count` bytes are in or a generous
    // bound runs out (the bound only ends a failing test).
    std::string receive(std::size_t count) const
    {
        std::string got;
        char buf[4096];
        const auto end = std::chrono::steady_clock::now() + GenerousWait;
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            waitFor(POLLIN);
            const ssize_t r = ::read(master, buf, sizeof buf);
            if (r > 0)
                got.append(buf, static_cast<std::size_t>(r));
        }
        return got;
    }

    void waitFor(short events) const
    {
        pollfd p{master, events, 0};
        ::poll(&p, 1, 20);
    }
};

std::string allByteValues()
{
    std::string s;
    for (int i = 0; i < 256; ++i)
        s += static_cast<char>(i);
    return s;
}

// The kernel moves bytes from one side of a pty to the other a moment later.
// Waiting for readiness is no help once earlier bytes are waiting, so look
// again every millisecond, within a bound that only ends a failing test.
uint32_t waitForInput(QtSerialPort& port, uint32_t count)
{
    uint32_t n = port.inputCount();
    const auto end = std::chrono::steady_clock::now() + GenerousWait;
    while (n < count && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        n = port.inputCount();
    }
    return n;
}

std::string readAll(QtSerialPort& port, uint32_t n)
{
    std::string out(n, '\0');
    const uint32_t got = port.read(reinterpret_cast<uint8_t*>(out.data()), n);
    out.resize(got);
    return out;
}

void write(QtSerialPort& port, const std::string& bytes)
{
    port.write(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
}

}  // namespace

TEST(QtSerialPort, DeviceNamesBecomePathsUnderDev)
{
    const struct {
        const char* name;
        const char* path;
    } cases[] = {
        {"ttyUSB0", "/dev/ttyUSB0"},
        {"ttyV0", "/dev/ttyV0"},
        {"/dev/pts/3", "/dev/pts/3"},
        {"/tmp/x/ttyV1", "/tmp/x/ttyV1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtSerialPort::devicePath(c.name), c.path) << c.name;
}

TEST(QtSerialPort, EveryByteValueReachesTheDeviceUnchanged)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    QtSerialPort port;
    ASSERT_TRUE(port.open(pty.path, 9600, 8, OneStop));
    EXPECT_TRUE(port.isOpen());

    // Raw line: CR stays CR, LF gets no CR, nothing is echoed or swallowed.
    const std::string bytes = allByteValues() + "AT\r\n";
    write(port, bytes);
    EXPECT_EQ(pty.receive(bytes.size()), bytes);
}

TEST(QtSerialPort, TheChosenSettingsReachTheLine)
{
    const struct {
        int baud, bits, stop;
        tcflag_t size;
        bool twoStopFlag;
        speed_t speed;
    } cases[] = {
        {9600, 8, OneStop, CS8, false, B9600},
        {115200, 8, TwoStop, CS8, true, B115200},
        // One and a half stop bits: what the UART sends for two with five bits.
        // (A pty keeps eight bits whatever is asked, so the size is not looked at.)
        {300, 5, OneAndHalfStop, 0, true, B300},
    };
    for (const auto& c : cases) {
        Pty pty;
        QtSerialPort port;
        ASSERT_TRUE(port.open(pty.path, c.baud, c.bits, c.stop)) << c.baud;
        termios t{};
        ASSERT_EQ(::tcgetattr(port.readNotifierHandle(), &t), 0);
        if (c.size) {
            EXPECT_EQ(t.c_cflag & CSIZE, c.size) << c.baud;
        }
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStopFlag) << c.baud;
        EXPECT_EQ(t.c_cflag & (PARENB | CRTSCTS), 0u) << c.baud;
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u) << c.baud;
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u) << c.baud;
        EXPECT_EQ(::cfgetospeed(&t), c.speed) << c.baud;
    }
}

TEST(QtSerialPort, DeviceBytesAreCountedAndReadInOrder)
{
    Pty pty;
    QtSerialPort port;
    ASSERT_TRUE(port.open(pty.path, 115200, 8, TwoStop));
    EXPECT_EQ(port.inputCount(), 0u);

    const std::string bytes = allByteValues();
    pty.send(bytes);
    ASSERT_EQ(waitForInput(port, 256), 256u);
    // A short read takes the front and leaves the rest waiting.
    EXPECT_EQ(readAll(port, 100), bytes.substr(0, 100));
    EXPECT_EQ(port.inputCount(), 156u);
    EXPECT_EQ(readAll(port, 1000), bytes.substr(100));
    EXPECT_EQ(port.inputCount(), 0u);
    EXPECT_EQ(readAll(port, 10), "");
}

// The receive thread's read: nothing waiting is 0 again and again (a terminal
// set to return at once reads 0 then too, which must not look like a lost
// line), bytes come in order, and only a hung-up line is -1.
TEST(QtSerialPort, AReceiveReadTellsNothingWaitingFromALostLine)
{
    Pty pty;
    QtSerialPort port;
    ASSERT_TRUE(port.open(pty.path, 115200, 8, TwoStop));
    ASSERT_GE(port.receiveHandle(), 0);
    uint8_t buffer[512];
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(port.readReceived(buffer, sizeof buffer), 0);

    const std::string bytes = allByteValues();
    pty.send(bytes);
    std::string got;
    for (int tries = 0; got.size() < bytes.size() && tries < 2000; ++tries) {
        pollfd ready{port.receiveHandle(), POLLIN, 0};
        ::poll(&ready, 1, 10);
        const int64_t n = port.readReceived(buffer, 100);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 100);
        got.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
    }
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(port.readReceived(buffer, sizeof buffer), 0);

    pty.closeMaster();
    pty.closeSlave();
    int64_t after = 0;
    for (int tries = 0; after == 0 && tries < 200; ++tries) {
        pollfd ready{port.receiveHandle(), POLLIN, 0};
        ::poll(&ready, 1, 10);
        after = port.readReceived(buffer, sizeof buffer);
    }
    EXPECT_EQ(after, -1);
}

TEST(QtSerialPort, BytesTheEventLoopBufferedAreNeitherLostNorReordered)
{
    Pty pty;
    QtSerialPort port;
    ASSERT_TRUE(port.open(pty.path, 9600, 8, OneStop));

    pty.send("first ");
    ASSERT_EQ(waitForInput(port, 6), 6u);
    // The window's event loop runs between two polls. QSerialPort's own
    // notifier must not take the bytes out of the system's queue then: it would
    // fire without pause once the line hangs up.
    QCoreApplication::processEvents();
    int queued = 0;
    ASSERT_EQ(::ioctl(port.readNotifierHandle(), FIONREAD, &queued), 0);
    EXPECT_EQ(queued, 6);
    pty.send("second");
    ASSERT_EQ(waitForInput(port, 12), 12u);
    EXPECT_EQ(readAll(port, 4), "firs");
    QCoreApplication::processEvents();
    EXPECT_EQ(readAll(port, 100), "t second");
}

TEST(QtSerialPort, PurgeDropsWaitingInputButNotTheLineAlreadySent)
{
    Pty pty;
    QtSerialPort port;
    ASSERT_TRUE(port.open(pty.path, 9600, 8, OneStop));

    pty.send("stale answer");
    ASSERT_EQ(waitForInput(port, 12), 12u);
    QCoreApplication::processEvents();
    pty.send("more");
    ASSERT_EQ(waitForInput(port, 16), 16u);

    write(port, "CMD1\r");
    port.purge();
    EXPECT_EQ(port.inputCount(), 0u);
    write(port, "CMD2\r");
    EXPECT_EQ(pty.receive(10), "CMD1\rCMD2\r");

    pty.send("fresh");
    ASSERT_EQ(waitForInput(port, 5), 5u);
    EXPECT_EQ(readAll(port, 100), "fresh");
}

TEST(QtSerialPort, ProbeFailsWhenTheOtherEndClosesOrNoPortIsOpen)
{
    Pty pty;
    QtSerialPort port;
    EXPECT_FALSE(port.probe());
    ASSERT_TRUE(port.open(pty.path, 9600, 8, OneStop));
    EXPECT_TRUE(port.probe());

    // The test's own slave handle going away is no loss of the device.
    pty.closeSlave();
    EXPECT_TRUE(port.probe());
    EXPECT_TRUE(port.probe());

    pty.closeMaster();
    EXPECT_FALSE(port.probe());
    // The event loop seeing the hang-up changes nothing.
    QCoreApplication::processEvents();
    EXPECT_FALSE(port.probe());
    EXPECT_EQ(port.inputCount(), 0u);
    EXPECT_EQ(readAll(port, 10), "");

    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.probe());
}

TEST(QtSerialPort, RefusedOpensLeaveThePortClosedAndFree)
{
    Pty pty;
    QtSerialPort port;
    const struct {
        std::string name;
        int baud, bits, stop;
    } refused[] = {
        {"/dev/pts/no-such-port", 9600, 8, OneStop},
        {"", 9600, 8, OneStop},
        {pty.path, 9600, 9, OneStop},
        {pty.path, 9600, 4, OneStop},
        {pty.path, 0, 8, OneStop},
        {pty.path, 9600, 8, OneAndHalfStop},  // only five-bit characters have it
        {pty.path, 9600, 6, OneAndHalfStop},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(port.open(c.name, c.baud, c.bits, c.stop)) << c.name << " " << c.bits;
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(port.readNotifierHandle(), -1);
    }

    // Nothing is still held from the refused attempts.
    QtSerialPort other;
    ASSERT_TRUE(other.open(pty.path, 9600, 8, OneStop));
    EXPECT_GE(other.readNotifierHandle(), 0);
}

TEST(QtSerialPort, APortIsOpenedByOneOwnerAtATime)
{
    Pty pty;
    QtSerialPort first;
    QtSerialPort second;
    ASSERT_TRUE(first.open(pty.path, 9600, 8, OneStop));
    EXPECT_FALSE(second.open(pty.path, 9600, 8, OneStop));
    EXPECT_TRUE(first.probe());

    first.close();
    EXPECT_TRUE(second.open(pty.path, 19200, 8, TwoStop));
}

TEST(QtSerialPort, AWriteTakesWhatFitsAndNeverWaits)
{
    Pty pty;
    QtSerialPort port;
    ASSERT_TRUE(port.open(pty.path, 4000000, 8, OneStop));
    const auto put = [&](const char* text) {
        return port.write(reinterpret_cast<const uint8_t*>(text), static_cast<uint32_t>(std::strlen(text)));
    };

    // Fill the line until the system takes no more; then nothing fits, and
    // the write says so at once instead of waiting for room. (The kernel moves
    // the pty's buffers on its own time, so room may open up between the two:
    // fill again then.)
    const std::string block(4096, 'x');
    const int fd = port.readNotifierHandle();
    int64_t taken = -2;
    for (int attempt = 0; attempt < 100 && taken != 0; ++attempt) {
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ASSERT_EQ(errno, EAGAIN);
        taken = put("stuck");
    }
    EXPECT_EQ(taken, 0);
    EXPECT_TRUE(port.probe());

    // Once the device reads again, there is room.
    char sink[65536];
    taken = 0;
    const auto end = std::chrono::steady_clock::now() + GenerousWait;
    while (taken == 0 && std::chrono::steady_clock::now() < end) {
        while (::read(pty.master, sink, sizeof sink) > 0) {
        }
        taken = put("go");
        if (taken == 0)
            ::usleep(10000);
    }
    EXPECT_EQ(taken, 2);

    // A line that is gone refuses the bytes.
    ::close(pty.master);
    pty.master = -1;
    EXPECT_EQ(put("lost"), -1);
}

TEST(QtPortLister, ListsLinksToLivePtysOnceAndNothingElse)
{
    Pty pty;
    TempDir dev;
    namespace fs = std::filesystem;
    fs::create_symlink(pty.path, dev.file("ttyV0"));
    fs::create_symlink(fs::path(pty.path).lexically_relative(dev.path()), dev.file("ttyRel"));
    fs::create_symlink("/dev/null", dev.file("notapty"));
    fs::create_symlink("/dev/pts/ptmx", dev.file("ptmx"));
    fs::create_symlink("/dev/pts/999999", dev.file("gone"));
    fs::create_symlink("/proc/self/fd/0", dev.file("stdin"));
    writeFileBytes(dev.file("plain"), "x");

    QtPortLister lister(dev.path());
    EXPECT_EQ(lister.ptyLinks(), (std::vector<std::string>{"ttyRel", "ttyV0"}));

    const std::vector<std::string> all = lister.listPorts();
    EXPECT_EQ(std::count(all.begin(), all.end(), "ttyV0"), 1);

    // The listed name opens the pty behind the link.
    QtSerialPort port;
    ASSERT_TRUE(port.open(dev.file("ttyV0"), 9600, 8, OneStop));
    write(port, "via link");
    EXPECT_EQ(pty.receive(8), "via link");
}

// The persistent links udev makes for USB adapters are offered by their
// paths, which open as they stand.
TEST(QtPortLister, ListsTheByIdLinksThatLeadToADevice)
{
    Pty pty;
    TempDir dev;
    namespace fs = std::filesystem;
    fs::create_directories(dev.file("serial/by-id"));
    const std::string link = dev.file("serial/by-id/usb-Silicon_Labs_CP2102_0001-if00-port0");
    fs::create_symlink(pty.path, link);
    fs::create_symlink("/dev/pts/999999", dev.file("serial/by-id/usb-gone-if00-port0"));
    writeFileBytes(dev.file("serial/by-id/plain"), "x");

    QtPortLister lister(dev.path());
    EXPECT_EQ(lister.byIdLinks(), (std::vector<std::string>{link}));
    const std::vector<PortInfo> infos = lister.listPortInfos();
    const auto it =
        std::find_if(infos.begin(), infos.end(), [&](const PortInfo& i) { return i.name == link; });
    ASSERT_NE(it, infos.end());
    EXPECT_EQ(portLabel(*it), link);
    EXPECT_TRUE(identityOf(*it).empty());  // reopened by its path, which outlives the renaming
    const std::vector<std::string> names = lister.listPorts();
    EXPECT_EQ(std::count(names.begin(), names.end(), link), 1);

    QtSerialPort port;
    ASSERT_TRUE(port.open(link, 9600, 8, OneStop));
    write(port, "by id");
    EXPECT_EQ(pty.receive(5), "by id");
}

// Other terminals lock the port with flock: a port one of them holds is not
// opened, and a port this program holds is refused to them.
TEST(QtSerialPort, APortLockedByAnotherProgramIsRefusedAndOursIsLocked)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    const int other = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    QtSerialPort port;
    EXPECT_FALSE(port.open(pty.path, 9600, 8, OneStop));
    EXPECT_EQ(port.lastOpenFailure(), OpenFailure::HeldByOther);
    EXPECT_FALSE(port.isOpen());

    ASSERT_EQ(::flock(other, LOCK_UN), 0);
    ASSERT_TRUE(port.open(pty.path, 9600, 8, OneStop));
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(errno, EWOULDBLOCK);
    port.close();
    EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
}

// The refusal names the program that holds the port: here a child of this
// test (so its name is the test's own) that flocks the port as picocom does,
// and one that only keeps it open.
TEST(QtSerialPort, ARefusedOpenNamesTheProgramHoldingThePort)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    for (const bool lock : {true, false}) {
        int ready[2], release[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(release), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY);
            const bool held = fd >= 0 && (!lock || ::flock(fd, LOCK_EX | LOCK_NB) == 0);
            const char said = held ? 'y' : 'n';
            (void)!::write(ready[1], &said, 1);
            char c;
            ::alarm(60);                       // never outlives a test that failed half-way
            (void)!::read(release[0], &c, 1);  // until the test closes its end
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        char said = 0;
        ASSERT_EQ(::read(ready[0], &said, 1), 1);
        ASSERT_EQ(said, 'y');

        const std::string holder = findPortHolder(pty.path);
        const std::string expected = "test_qtserial (pid " + std::to_string(child) + ")";
        // Only the test (and the pty's master, in this process) have it open:
        // without a lock the scan of open descriptors may meet this process
        // first, which is as true.
        if (lock) {
            EXPECT_EQ(holder, expected);
            QtSerialPort port;
            EXPECT_FALSE(port.open(pty.path, 9600, 8, OneStop));
            EXPECT_EQ(port.lastOpenFailure(), OpenFailure::HeldByOther);
            EXPECT_EQ(port.lastOpenHolder(), expected);
        } else {
            EXPECT_NE(holder.find("test_qtserial (pid "), std::string::npos) << holder;
        }
        ::close(release[1]);
        ::close(ready[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
    }
    EXPECT_EQ(findPortHolder("/no/such/port"), "");
}

// A failed open says why, so the user is told what to do about it.
TEST(QtSerialPort, AFailedOpenTellsWhy)
{
    Pty pty;
    ASSERT_FALSE(pty.path.empty());
    QtSerialPort port;
    EXPECT_FALSE(port.open("/dev/ttyNoSuchPort77", 9600, 8, OneStop));
    EXPECT_EQ(port.lastOpenFailure(), OpenFailure::NoDevice);
    EXPECT_FALSE(port.open(pty.path, 9600, 8, OneAndHalfStop));
    EXPECT_EQ(port.lastOpenFailure(), OpenFailure::UnsupportedSetting);
    EXPECT_FALSE(port.open(pty.path, 0, 8, OneStop));
    EXPECT_EQ(port.lastOpenFailure(), OpenFailure::UnsupportedSetting);

    // A user outside the port's group: run as nobody in a child, the port
    // readable by root only.
    ASSERT_EQ(::chmod(pty.path.c_str(), 0600), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        QtSerialPort denied;
        const bool opened = denied.open(pty.path, 9600, 8, OneStop);
        ::_exit(!opened && denied.lastOpenFailure() == OpenFailure::PermissionDenied ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A pty has no modem lines: every modem call is refused, and the port stays
// open and well (the probe, the data in both directions), so the terminal
// shows the lines as unknown and says nothing.
TEST(QtSerialPort, ModemCallsOnAPtyFailQuietlyAndTheLineStaysUp)
{
    Pty pty;
    QtSerialPort port;
    EXPECT_FALSE(port.setDtr(true));  // no port open
    EXPECT_FALSE(port.modemLines().valid);
    ASSERT_TRUE(port.open(pty.path, 9600, 8, OneStop));

    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(port.setDtr(i % 2 == 0));  // ENOTTY: the pty driver has no modem lines
        EXPECT_FALSE(port.setRts(i % 2 == 0));
        EXPECT_FALSE(port.modemLines().valid);
    }
    port.setBreak(true);
    port.setBreak(false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(port.probe());
    write(port, "ok\r");
    EXPECT_EQ(pty.receive(3), "ok\r");
    pty.send("back");
    ASSERT_EQ(waitForInput(port, 4), 4u);
    EXPECT_EQ(readAll(port, 4), "back");
}
