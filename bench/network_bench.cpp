// A port across the network beside the local pty, same stream: 10 MB of all
// 256 byte values from the device through ser2net (raw and RFC 2217) into the
// network port, checked byte for byte; the throughput against a plain socket
// reader of the same ser2net in the same run; CPU per MB of the reading thread
// alone against the local port's (a pty opened by the program's own serial
// port), both read as the receive thread reads: wait on receiveHandle(), then
// readReceived() until nothing waits. The device's writer and ser2net are not
// counted. A line's echo round trip through ser2net, median of 100.
// Prints one JSON line per row. ser2net only on 127.0.0.1, stopped at the end.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <time.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include <QCoreApplication>
#include <thread>
#include <vector>

#include "bench_util.h"
#include "common/clock.h"
#include "netport/network_port.h"
#include "netport/ser2net_rig.h"
#include "qtserial/qt_serial_port.h"

using namespace comtrax;
using namespace comtrax::bench;
using comtrax::testing::PtyPair;
using comtrax::testing::Ser2netRig;

namespace {

constexpr std::size_t StreamBytes = 10u << 20;

std::vector<uint8_t> stream()
{
    std::vector<uint8_t> s(StreamBytes);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    return s;
}

// Writes the stream into the device's end on a thread of its own.
std::thread feeder(int master, const std::vector<uint8_t>& bytes)
{
    return std::thread([master, &bytes] {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            pollfd p{master, POLLOUT, 0};
            ::poll(&p, 1, 50);
            const ssize_t n =
                ::write(master, bytes.data() + sent, std::min<std::size_t>(65536, bytes.size() - sent));
            if (n > 0)
                sent += static_cast<std::size_t>(n);
        }
    });
}

struct Run {
    double seconds = 0, cpu = 0;
    long wakes = 0, reads = 0;  // the reader's waits on the handle, reads that brought bytes
    bool exact = false;
};

double threadCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Reads the stream from an open port the way the receive thread does, on this
// thread, while the device's end is written on another; the CPU counted is
// this thread's alone. The bytes are checked as they come.
Run readThrough(SerialPort& port, int deviceEnd, const std::vector<uint8_t>& bytes)
{
    Run r;
    std::vector<uint8_t> buffer(65536);
    std::size_t got = 0;
    bool exact = true;
    long reads = 0, wakes = 0;
    const double cpu0 = threadCpuSeconds();
    const int64_t t0 = bench::monotonicNs();
    std::thread feed = feeder(deviceEnd, bytes);
    while (got < bytes.size() && secondsSince(t0) < 60) {
        pollfd p{port.receiveHandle(), POLLIN, 0};
        ::poll(&p, 1, 50);
        int64_t n = 0;
        while ((n = port.readReceived(buffer.data(), static_cast<uint32_t>(buffer.size()))) > 0) {
            const auto k = std::min(static_cast<std::size_t>(n), bytes.size() - got);
            exact = exact && static_cast<std::size_t>(n) == k
                && std::memcmp(buffer.data(), bytes.data() + got, k) == 0;
            got += k;
            ++reads;
        }
        ++wakes;
        if (n < 0)
            break;
    }
    r.cpu = threadCpuSeconds() - cpu0;
    r.seconds = secondsSince(t0);
    feed.join();
    r.exact = exact && got == bytes.size();
    r.wakes = wakes;
    r.reads = reads;
    return r;
}

Run throughPort(const std::string& url, PtyPair& pty, const std::vector<uint8_t>& bytes)
{
    SystemClock clock;
    NetworkPort port(clock);
    if (!port.open(url, 115200, 8, OneStop))
        return {};
    while (port.connecting())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return readThrough(port, pty.master, bytes);
}

Run throughPlainSocket(uint16_t portNumber, PtyPair& pty, const std::vector<uint8_t>& bytes)
{
    Run r;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(portNumber);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        return r;
    std::vector<uint8_t> got;
    std::vector<uint8_t> buffer(65536);
    const int64_t t0 = bench::monotonicNs();
    std::thread feed = feeder(pty.master, bytes);
    while (got.size() < bytes.size() && secondsSince(t0) < 60) {
        const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (n <= 0)
            break;
        got.insert(got.end(), buffer.begin(), buffer.begin() + n);
    }
    r.seconds = secondsSince(t0);
    feed.join();
    ::close(fd);
    r.exact = got == bytes;
    return r;
}

// The local port: a pty pair of its own, its slave opened by the program's
// serial port.
Run fromPty(const std::vector<uint8_t>& bytes)
{
    int master = -1, slave = -1;
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return {};
    termios t{};
    ::tcgetattr(master, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    Run r;
    QtSerialPort port(std::vector<std::string>{});
    if (port.open(name, 115200, 8, OneStop))
        r = readThrough(port, master, bytes);
    port.close();
    ::close(slave);
    ::close(master);
    return r;
}

double echoMedianMs(const std::string& url, PtyPair& pty)
{
    SystemClock clock;
    NetworkPort port(clock);
    if (!port.open(url, 115200, 8, OneStop))
        return -1;
    while (port.connecting())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::atomic<bool> stop{false};
    std::thread device([&] {  // echoes every byte back
        uint8_t b[4096];
        while (!stop) {
            pollfd p{pty.master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = ::read(pty.master, b, sizeof b);
            if (n > 0) [[maybe_unused]]
                const ssize_t w = ::write(pty.master, b, static_cast<std::size_t>(n));
        }
    });
    std::vector<double> ms;
    const std::string line = "PING 0123456789\r\n";
    uint8_t buffer[256];
    for (int i = 0; i < 100; ++i) {
        const int64_t t0 = bench::monotonicNs();
        port.write(reinterpret_cast<const uint8_t*>(line.data()), static_cast<uint32_t>(line.size()));
        std::size_t got = 0;
        while (got < line.size() && secondsSince(t0) < 5) {
            pollfd p{port.receiveHandle(), POLLIN, 0};
            ::poll(&p, 1, 5);
            const int64_t n = port.readReceived(buffer, sizeof buffer);
            if (n > 0)
                got += static_cast<std::size_t>(n);
        }
        ms.push_back(secondsSince(t0) * 1000);
    }
    stop = true;
    device.join();
    return figures(ms).median;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // the local port's QSerialPort wants one
    if (!Ser2netRig::available()) {
        std::puts("{\"bench\":\"network\",\"skipped\":\"ser2net is not installed\"}");
        return 0;
    }
    const std::vector<uint8_t> bytes = stream();
    const double mb = static_cast<double>(StreamBytes) / (1 << 20);
    Ser2netRig rig;
    if (!rig.start()) {
        std::puts("{\"bench\":\"network\",\"error\":\"ser2net did not start\"}");
        return 1;
    }
    const Run pty = fromPty(bytes);
    const Run plain = throughPlainSocket(rig.rawPort(), rig.rawPty(), bytes);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const Run raw = throughPort("tcp://127.0.0.1:" + std::to_string(rig.rawPort()), rig.rawPty(), bytes);
    const Run telnet =
        throughPort("rfc2217://127.0.0.1:" + std::to_string(rig.telnetPort()), rig.telnetPty(), bytes);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // The same through a ser2net whose sends carry as much as a pty read does.
    Ser2netRig wide(4096);
    Run rawWide, telnetWide;
    if (wide.start()) {
        rawWide = throughPort("tcp://127.0.0.1:" + std::to_string(wide.rawPort()), wide.rawPty(), bytes);
        telnetWide =
            throughPort("rfc2217://127.0.0.1:" + std::to_string(wide.telnetPort()), wide.telnetPty(), bytes);
        wide.kill();
    }
    const double echo =
        echoMedianMs("rfc2217://127.0.0.1:" + std::to_string(rig.telnetPort()), rig.telnetPty());
    const auto row = [&](const char* name, const Run& r) {
        Json j;
        j.add("bench", "network").add("row", name).add("mb", mb).add("exact", r.exact);
        j.add("mb_per_s", r.seconds > 0 ? mb / r.seconds : 0.0);
        if (r.cpu > 0) {
            j.add("cpu_s_per_mb", r.cpu / mb, 4);
            j.add("wakes_per_mb", static_cast<double>(r.wakes) / mb, 0);
            j.add("cpu_us_per_wake", r.wakes > 0 ? r.cpu * 1e6 / static_cast<double>(r.wakes) : 0.0, 1);
        }
        std::puts(j.str().c_str());
    };
    row("local_pty", pty);
    row("ser2net_plain_socket", plain);
    row("ser2net_raw", raw);
    row("ser2net_rfc2217", telnet);
    row("ser2net_raw_4k_sends", rawWide);
    row("ser2net_rfc2217_4k_sends", telnetWide);
    Json ratio;
    ratio.add("bench", "network").add("row", "goals");
    ratio.add("raw_share_of_plain", plain.seconds > 0 ? plain.seconds / raw.seconds : 0.0);
    ratio.add("rfc2217_share_of_plain", plain.seconds > 0 ? plain.seconds / telnet.seconds : 0.0);
    ratio.add("raw_cpu_vs_pty", pty.cpu > 0 ? raw.cpu / pty.cpu : 0.0);
    ratio.add("rfc2217_cpu_vs_pty", pty.cpu > 0 ? telnet.cpu / pty.cpu : 0.0);
    ratio.add("raw_4k_cpu_vs_pty", pty.cpu > 0 ? rawWide.cpu / pty.cpu : 0.0);
    ratio.add("rfc2217_4k_cpu_vs_pty", pty.cpu > 0 ? telnetWide.cpu / pty.cpu : 0.0);
    ratio.add("echo_median_ms", echo);
    std::puts(ratio.str().c_str());
    return 0;
}
