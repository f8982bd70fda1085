// The network port against a real ser2net on 127.0.0.1, with a pty pair
// behind each of its accepters.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "common/clock.h"
#include "netport/network_port.h"
#include "netport/ser2net_rig.h"
#include "serial/connection.h"
#include "support/fake_serial_port.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

constexpr double WaitSeconds = 10;  // only a broken run ever waits this long

std::string rawUrl(const Ser2netRig& rig)
{
    return "tcp://127.0.0.1:" + std::to_string(rig.rawPort());
}

std::string telnetUrl(const Ser2netRig& rig)
{
    return "rfc2217://127.0.0.1:" + std::to_string(rig.telnetPort());
}

template <typename Pred> bool waitFor(Pred pred, double seconds = WaitSeconds)
{
    const int64_t deadline = monotonicNowNs() + static_cast<int64_t>(seconds * 1e9);
    while (!pred()) {
        if (monotonicNowNs() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool connected(NetworkPort& port)
{
    return waitFor([&] { return !port.connecting(); }) && port.probe();
}

std::vector<uint8_t> allByteValues(int times)
{
    std::vector<uint8_t> bytes;
    for (int t = 0; t < times; ++t)
        for (int v = 0; v < 256; ++v)
            bytes.push_back(static_cast<uint8_t>(v));
    return bytes;
}

void writeAll(NetworkPort& port, const std::vector<uint8_t>& bytes)
{
    std::size_t sent = 0;
    waitFor([&] {
        const int64_t n = port.write(bytes.data() + sent, static_cast<uint32_t>(bytes.size() - sent));
        if (n > 0)
            sent += static_cast<std::size_t>(n);
        port.probe();  // lets what is pending go out
        return n < 0 || sent == bytes.size();
    });
    waitFor([&] { return port.write(nullptr, 0) >= 0 && port.probe(); }, 0.2);
}

std::vector<uint8_t> receive(NetworkPort& port, std::size_t want)
{
    std::vector<uint8_t> got(want);
    std::size_t have = 0;
    waitFor([&] {
        const int64_t n = port.readReceived(got.data() + have, static_cast<uint32_t>(want - have));
        if (n > 0)
            have += static_cast<std::size_t>(n);
        return n < 0 || have == want;
    });
    got.resize(have);
    return got;
}

class Ser2net : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Ser2netRig::available())
            GTEST_SKIP() << "ser2net is not installed (scripts/install-deps.sh)";
        ASSERT_TRUE(rig.start());
    }
    Ser2netRig rig;
    SystemClock clock;
};

}  // namespace

TEST_F(Ser2net, EveryByteValueBothWaysOnBothKinds)
{
    // Not waiting for the acknowledgements changes nothing of the data.
    for (const std::string& url : {rawUrl(rig), telnetUrl(rig), telnetUrl(rig) + "?nowait"}) {
        SCOPED_TRACE(url);
        const bool telnet = url.starts_with("rfc2217");
        NetworkPort port(clock);
        PtyPair& pty = telnet ? rig.telnetPty() : rig.rawPty();
        ASSERT_TRUE(port.open(url, 115200, 8, OneStop));
        ASSERT_TRUE(connected(port)) << port.takeNotice();
        const std::vector<uint8_t> bytes = allByteValues(8);
        writeAll(port, bytes);
        EXPECT_EQ(readFor(pty.master, bytes.size(), WaitSeconds), bytes);
        ASSERT_EQ(::write(pty.master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        EXPECT_EQ(receive(port, bytes.size()), bytes);
        port.close();
    }
}

TEST_F(Ser2net, LineSettingsReachThePtyBehindTheServer)
{
    // A Linux pty keeps the speed and the stop bits but always reads as 8
    // data bits without parity; those two are checked by the server's replies.
    const struct {
        int baud, bits, stop;
        Parity parity;
        LineSettings expected;
    } cases[] = {
        {115200, 8, OneStop, Parity::None, {115200, 8, false, false, false}},
        {19200, 7, TwoStop, Parity::Even, {19200, 8, false, false, true}},
        {4800, 8, OneStop, Parity::Odd, {4800, 8, false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.baud);
        NetworkPort port(clock);
        port.setLineOptions({c.parity, FlowControl::None});
        ASSERT_TRUE(port.open(telnetUrl(rig), c.baud, c.bits, c.stop));
        ASSERT_TRUE(connected(port)) << port.takeNotice();
        EXPECT_TRUE(waitFor([&] {
            const LineSettings now = lineSettingsOf(rig.telnetPty().slave);
            return now.baud == c.expected.baud && now.twoStopBits == c.expected.twoStopBits;
        })) << lineSettingsOf(rig.telnetPty().slave).baud
            << " " << lineSettingsOf(rig.telnetPty().slave).twoStopBits;
        EXPECT_EQ(port.serverBaud(), static_cast<uint32_t>(c.baud));
        EXPECT_EQ(port.takeNotice(), "");  // the server set what was asked
        port.close();
    }
}

// A pty has no modem lines nor a break: ser2net does not acknowledge such
// commands; the connection carries on as before.
TEST_F(Ser2net, ModemCommandsAndBreakDoNotStopTheConnection)
{
    NetworkPort port(clock);
    ASSERT_TRUE(port.open(telnetUrl(rig), 9600, 8, OneStop));
    ASSERT_TRUE(connected(port));
    EXPECT_TRUE(port.setDtr(false));
    EXPECT_TRUE(port.setRts(false));
    EXPECT_TRUE(port.setBreak(true));
    EXPECT_TRUE(port.setBreak(false));
    port.modemLines();
    const std::vector<uint8_t> line{'o', 'k', '\r', '\n'};
    writeAll(port, line);
    EXPECT_EQ(readFor(rig.telnetPty().master, line.size(), WaitSeconds), line);
    EXPECT_TRUE(port.probe());
}

TEST_F(Ser2net, TheWrongKindOfAccepterIsToldClearly)
{
    NetworkPort::Timing quick;
    quick.replyTimeoutNs = 300000000;
    {
        NetworkPort port(clock, quick);
        ASSERT_TRUE(port.open("rfc2217://127.0.0.1:" + std::to_string(rig.rawPort()), 9600, 8, OneStop));
        EXPECT_TRUE(waitFor([&] { return !port.connecting(); }));
        EXPECT_FALSE(port.probe());
        EXPECT_NE(port.takeNotice().find("tcp://"), std::string::npos);
        uint8_t b[16];
        EXPECT_EQ(port.readReceived(b, sizeof b), -1);
    }
    {
        NetworkPort port(clock, quick);
        ASSERT_TRUE(port.open("tcp://127.0.0.1:" + std::to_string(rig.telnetPort()), 9600, 8, OneStop));
        EXPECT_TRUE(waitFor([&] { return !port.connecting() && (port.inputCount(), !port.probe()); }));
        EXPECT_NE(port.takeNotice().find("rfc2217://"), std::string::npos);
        EXPECT_EQ(port.inputCount(), 0u);  // none of the negotiation reached the log
    }
}

TEST_F(Ser2net, NobodyListeningIsToldClearly)
{
    NetworkPort port(clock);
    ASSERT_TRUE(port.open("tcp://127.0.0.1:" + std::to_string(freeLoopbackPort()), 9600, 8, OneStop));
    EXPECT_TRUE(waitFor([&] { return !port.connecting(); }));
    EXPECT_FALSE(port.probe());
    EXPECT_NE(port.takeNotice().find("127.0.0.1"), std::string::npos);
}

// The receive thread's contract: it waits on the one handle and reads while
// this thread writes; a server killed mid-stream is noticed (-1) after what
// arrived was read, and AutoConnect brings the port back with the server.
TEST_F(Ser2net, AKilledServerIsALostDeviceAndAutoConnectReturns)
{
    NetworkPort port(clock);
    FakePortLister lister;
    RecordingView view;
    PortAccess access(port, lister, view);
    Connection connection(access, view, {[](int) {}, [] {}});
    const PortParameters params{"", "9600", "8", 0, {}, telnetUrl(rig)};
    connection.toggle(params, false);
    ASSERT_TRUE(waitFor([&] {
        connection.check(params, true, false);
        return connection.indicatorColour() == clLime;
    }));

    std::atomic<bool> stop{false};
    std::atomic<int64_t> received{0};
    std::atomic<bool> gone{false};
    const int handle = port.receiveHandle();
    std::thread reader([&] {
        uint8_t buffer[4096];
        while (!stop) {
            pollfd p{handle, POLLIN, 0};
            ::poll(&p, 1, 50);
            for (;;) {
                const int64_t n = port.readReceived(buffer, sizeof buffer);
                if (n > 0)
                    received += n;
                if (n < 0)
                    gone = true;
                if (n <= 0)
                    break;
            }
            if (gone)
                return;
        }
    });
    const std::vector<uint8_t> chunk = allByteValues(16);
    ASSERT_EQ(::write(rig.telnetPty().master, chunk.data(), chunk.size()),
              static_cast<ssize_t>(chunk.size()));
    EXPECT_TRUE(waitFor([&] { return received == static_cast<int64_t>(chunk.size()); }));
    const std::vector<uint8_t> out{'h', 'i'};
    writeAll(port, out);  // written while the other thread reads

    rig.kill();
    const int64_t killedAt = monotonicNowNs();
    EXPECT_TRUE(waitFor([&] { return gone.load(); }));
    EXPECT_LT(monotonicNowNs() - killedAt, int64_t{1000000000});
    stop = true;
    reader.join();
    EXPECT_EQ(received, static_cast<int64_t>(chunk.size()));

    connection.check(params, true, false);
    EXPECT_NE(connection.indicatorColour(), clLime);
    ASSERT_TRUE(rig.start());
    EXPECT_TRUE(waitFor([&] {
        connection.check(params, true, false);
        return connection.indicatorColour() == clLime;
    }));
    EXPECT_TRUE(view.messages.empty());
    connection.toggle(params, false);
}

// A second client, pySerial's rfc2217://, sets the pty behind the same
// ser2net as this port does.
TEST_F(Ser2net, PySerialSetsTheSameLineSettings)
{
    // Debian's python3 has python3-serial, whichever python3 comes first on the PATH.
    const std::string python = ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
    if (std::system((python + " -c 'import serial' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "python3-serial is not installed";
    TempDir dir;
    const std::string fifo = dir.file("stdin");
    const std::string readyFile = dir.file("ready");
    NetworkPort port(clock);
    port.setLineOptions({Parity::Even, FlowControl::None});
    ASSERT_TRUE(port.open(telnetUrl(rig), 38400, 7, TwoStop));
    ASSERT_TRUE(connected(port));
    ASSERT_TRUE(waitFor([&] { return lineSettingsOf(rig.telnetPty().slave).baud == 38400; }));
    const LineSettings ours = lineSettingsOf(rig.telnetPty().slave);
    port.close();

    // Away from ours first, so that pySerial's settings must be its own.
    NetworkPort other(clock);
    ASSERT_TRUE(other.open(telnetUrl(rig), 1200, 8, OneStop));
    ASSERT_TRUE(connected(other));
    ASSERT_TRUE(waitFor([&] { return lineSettingsOf(rig.telnetPty().slave).baud == 1200; }));
    other.close();

    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // ser2net lets the last client go
    // pySerial stays connected until its standard input closes: the settings
    // are read while it holds the port (ser2net may restore its own after).
    const std::string script = "import serial, sys; s = serial.serial_for_url('rfc2217://127.0.0.1:"
        + std::to_string(rig.telnetPort())
        + "?ign_set_control', baudrate=38400, bytesize=7, parity='E', stopbits=2, timeout=1); "
          "print('ready', flush=True); sys.stdin.read(); s.close()";
    const std::string command = python + " -c \"" + script + "\" < " + fifo + " > " + readyFile;
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    FILE* child = ::popen(command.c_str(), "r");
    ASSERT_NE(child, nullptr);
    const int hold = ::open(fifo.c_str(), O_WRONLY);  // pySerial's stdin, closed to let it go
    EXPECT_TRUE(waitFor([&] { return readFileBytes(readyFile).find("ready") != std::string::npos; }));
    EXPECT_TRUE(waitFor([&] { return lineSettingsOf(rig.telnetPty().slave) == ours; }))
        << lineSettingsOf(rig.telnetPty().slave).baud;
    ::close(hold);
    EXPECT_EQ(::pclose(child), 0);
}
