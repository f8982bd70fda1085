// The receive thread on a real pty: every byte once and in order across
// reconfigures, a stop during a stream and the loss of the device. Run under
// ThreadSanitizer by `make tsan`.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "receive/receive_thread.h"
#include "serial/serial_port.h"

using namespace comtrax;

namespace {

// The slave end of a pty as a port: only what the receive thread calls.
class PtyPort final : public SerialPort {
public:
    PtyPort()
    {
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master_, &slave_, nullptr, &raw, nullptr) != 0)
            throw std::runtime_error("openpty failed");
    }
    ~PtyPort() override
    {
        closeMaster();
        ::close(slave_);
    }
    int master() const { return master_; }
    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }
    bool open(const std::string&, int, int, int) override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    bool probe() override { return true; }
    uint32_t inputCount() override
    {
        int n = 0;
        return ::ioctl(slave_, FIONREAD, &n) == 0 && n > 0 ? uint32_t(n) : 0;
    }
    uint32_t read(uint8_t* buffer, uint32_t n) override
    {
        const ssize_t r = ::read(slave_, buffer, n);
        return r > 0 ? uint32_t(r) : 0;
    }
    void purge() override {}
    int64_t write(const uint8_t*, uint32_t n) override { return n; }
    int receiveHandle() const override { return slave_; }

private:
    int master_ = -1;
    int slave_ = -1;
};

// Everything handed over until the predicate holds (bounded).
template <typename Done> void collect(HandOver& handOver, std::string& bytes, bool& lost, Done done)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done() && std::chrono::steady_clock::now() < until) {
        pollfd p{handOver.handle(), POLLIN, 0};
        ::poll(&p, 1, 20);
        ReceiveBatch b = handOver.take();
        for (const FramedPacket& packet : b.packets)
            bytes += packet.bytes;
        lost = lost || b.lost;
    }
}

std::string pattern(std::size_t n)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>('A' + (i * 7 + i / 26) % 26);
    return s;
}

}  // namespace

TEST(ReceiveThreadOnAPty, EveryByteOnceThroughReconfiguresAStopAndALoss)
{
    enum class End { Stop, Loss };
    for (const End end : {End::Stop, End::Loss}) {
        SCOPED_TRACE(end == End::Stop ? "stop" : "loss");
        PtyPort port;
        Framer framer;
        HandOver handOver;
        ReceiveThread thread(port, framer, handOver);
        ASSERT_TRUE(thread.start({gapForTimeoutNs(1), false, false}));

        const std::string stream = pattern(200000);
        std::atomic<std::size_t> sent{0};
        std::thread writer([&] {
            for (std::size_t at = 0; at < stream.size();) {
                const ssize_t n = ::write(port.master(), stream.data() + at,
                                          std::min<std::size_t>(997, stream.size() - at));
                if (n > 0)
                    at += std::size_t(n);
                sent = at;
                if (at % 8 == 0)
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
        std::string got;
        bool lost = false;
        // Framing settings change while the bytes flow.
        for (int i = 0; i < 20; ++i) {
            thread.reconfigure({gapForTimeoutNs(i % 4 - 1), i % 2 == 0, i % 3 == 0});
            collect(handOver, got, lost, [&] { return got.size() > std::size_t(i) * 5000; });
        }
        writer.join();
        collect(handOver, got, lost, [&] { return got.size() >= stream.size() / 2; });
        if (end == End::Stop) {
            thread.stop();
        } else {
            collect(handOver, got, lost, [&] { return got.size() >= stream.size(); });
            port.closeMaster();
            collect(handOver, got, lost, [&] { return lost; });
            EXPECT_TRUE(lost);
            thread.stop();
        }
        // After the stop, the window takes what was handed over and what is held.
        collect(handOver, got, lost, [] { return true; });
        ReceiveBatch rest = handOver.take();
        for (const FramedPacket& packet : rest.packets)
            got += packet.bytes;
        std::vector<FramedPacket> held;
        framer.flush(held);
        for (const FramedPacket& packet : held)
            got += packet.bytes;
        // What was read is a prefix of the stream: nothing lost between, nothing twice.
        ASSERT_LE(got.size(), stream.size());
        EXPECT_EQ(got, stream.substr(0, got.size()));
        if (end == End::Loss) {
            EXPECT_EQ(got.size(), stream.size());
        }
        EXPECT_FALSE(thread.running());
    }
}

// A packet after a quiet spell reaches the window at its end, not a display
// frame later: the reads that bring its bytes wake nobody (they carry only
// counts), so the first wake is the packet's own. Packets 200 ms apart, each
// ending by a 30 ms silence; the window looks only when woken.
TEST(ReceiveThreadOnAPty, APacketAfterAQuietSpellIsTheFirstThingTheWindowIsWokenFor)
{
    PtyPort port;
    Framer framer;
    HandOver handOver;
    ReceiveThread thread(port, framer, handOver);
    ASSERT_TRUE(thread.start({gapForTimeoutNs(30), false, false}));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ASSERT_EQ(::write(port.master(), "ping", 4), 4);
        pollfd p{handOver.handle(), POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 5000), 1);
        const ReceiveBatch b = handOver.take();
        ASSERT_EQ(b.packets.size(), 1u);
        EXPECT_EQ(b.packets[0].bytes, "ping");
        EXPECT_EQ(b.bytes, 4u);
    }
    thread.stop();
}
