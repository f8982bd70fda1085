// The network port against broken and hostile servers played on 127.0.0.1:
// whatever they send, memory stays bounded, the user gets a clear message,
// and nothing reaches the log that the device did not send.
#include <gtest/gtest.h>

#include <poll.h>

#include <functional>
#include <memory>
#include <string>

#include "netport/network_port.h"
#include "netport/scripted_server.h"
#include "support/fake_clock.h"
#include "telnet/telnet_codes.h"

using namespace comtrax;
using namespace comtrax::telnet;
using namespace comtrax::testing;

namespace {

using Bytes = std::vector<uint8_t>;

// What the port may hold whatever a server does: its read chunk, the output
// it takes before refusing more, and the Telnet engine's small buffers.
constexpr std::size_t MemoryBound = 1u << 20;
constexpr int64_t GivingUpNs = 20'000'000'000;  // only a broken run waits this long

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

// A server's agreement to everything the client offers.
const Bytes Agree{Iac, Will, Binary,          Iac, Do, Binary, Iac, Will, SuppressGoAhead,
                  Iac, Do,   SuppressGoAhead, Iac, Do, ComPort};

Bytes serverSb(uint8_t command, const Bytes& value)
{
    return Bytes{Iac, Sb, ComPort, static_cast<uint8_t>(command + comport::ServerOffset)} + value
        + Bytes{Iac, Se};
}

struct Outcome {
    Bytes data;  // what the port handed to the reader
    bool lost = false;
    std::string notice;
    std::size_t peakBuffered = 0;
};

// Reads as the receive thread does until the connection is lost or enough
// came; the fake clock moves 100 ms a round, so that waits on it run out.
Outcome readPort(NetworkPort& port, FakeClock& clock, const std::function<bool(const Bytes&)>& enough)
{
    Outcome o;
    const int64_t deadline = monotonicNowNs() + GivingUpNs;
    uint8_t buffer[4096];
    while (monotonicNowNs() < deadline && !(enough && enough(o.data))) {
        port.connecting();  // the window's part: takes the end of the connection attempt
        pollfd p{port.receiveHandle(), POLLIN, 0};
        ::poll(&p, 1, 20);
        int64_t n = 0;
        while ((n = port.readReceived(buffer, sizeof buffer)) > 0)
            o.data.insert(o.data.end(), buffer, buffer + n);
        o.peakBuffered = std::max(o.peakBuffered, port.bufferedBytes());
        if (n < 0) {
            o.lost = true;
            break;
        }
        clock.advance(100);
    }
    o.notice = port.takeNotice();
    return o;
}

struct HostileCase {
    const char* name;
    const char* scheme;  // with ?nowait or not
    std::function<void(const ScriptedServer::Peer&)> script;
    Bytes data;  // what must reach the reader, and nothing else
    bool lost;
    const char* notice;  // a part of the message; empty: no message
};

}  // namespace

TEST(HostileServer, BoundedMemoryAClearMessageAndOnlyWhatWasSent)
{
    const Bytes endless(64 * 1024, 'x');
    const HostileCase cases[] = {
        {"endless subnegotiation", "rfc2217://%?nowait",
         [&](const ScriptedServer::Peer& peer) {
             peer.send(Agree + text("ab") + Bytes{Iac, Sb, ComPort});
             while (peer.send(endless)) {
             }
         },
         text("ab"), true, "подсогласование без конца"},
        {"a 1 MB subnegotiation", "rfc2217://%?nowait",
         [](const ScriptedServer::Peer& peer) {
             peer.send(Agree + text("ab") + Bytes{Iac, Sb, ComPort, 100} + Bytes(1000000, 's')
                       + Bytes{Iac, Se} + text("cd"));
             peer.idle();
         },
         text("abcd"), false, ""},
        {"an unknown option storm", "rfc2217://%?nowait",
         [](const ScriptedServer::Peer& peer) {
             Bytes storm = Agree;
             for (int round = 0; round < 40; ++round)
                 for (int option = 0; option < 256; ++option)
                     storm = storm + Bytes{Iac, Will, static_cast<uint8_t>(option),
                                           Iac, Do,   static_cast<uint8_t>(option)};
             peer.send(storm + text("ok"));
             peer.idle();
         },
         text("ok"), false, ""},
        {"no Telnet on rfc2217://, not waiting",
         "rfc2217://%?nowait",
         [](const ScriptedServer::Peer& peer) {
             peer.send(text("login: "));
             peer.idle();
         },
         {},
         true,
         "не отвечает по протоколу Telnet"},
        {"no Telnet on rfc2217://, waiting",
         "rfc2217://%",
         [](const ScriptedServer::Peer& peer) {
             peer.send(text("login: "));
             peer.idle();
         },
         {},
         true,
         "не отвечает по протоколу Telnet"},
        {"Telnet on tcp://",
         "tcp://%",
         [](const ScriptedServer::Peer& peer) {
             peer.send(Agree + text("data"));
             peer.idle();
         },
         {},
         true,
         "откройте его как rfc2217://"},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server(c.script);
        FakeClock clock;
        NetworkPort port(clock);
        std::string url = c.scheme;
        url.replace(url.find('%'), 1, "127.0.0.1:" + std::to_string(server.port()));
        ASSERT_TRUE(port.open(url, 9600, 8, OneStop));
        const Outcome o = readPort(port, clock, [&](const Bytes& got) { return !c.lost && got == c.data; });
        EXPECT_EQ(o.data, c.data);
        EXPECT_EQ(o.lost, c.lost);
        if (*c.notice != 0) {
            EXPECT_NE(o.notice.find(c.notice), std::string::npos) << o.notice;
        }
        EXPECT_LE(o.peakBuffered, MemoryBound);
        port.close();
    }
}

// A connection that ends inside a Telnet sequence, wherever it is cut: the
// data before it arrives whole, no half of the sequence is taken for data,
// and the loss is told.
TEST(HostileServer, ATruncatedSequenceAtEveryBytePosition)
{
    const Bytes sequences[] = {serverSb(comport::SetBaud, {0, 0, Iac, Iac, 0x80}), Bytes{Iac, Will, Echo},
                               Bytes{Iac, Iac}};
    for (const Bytes& sequence : sequences) {
        for (std::size_t cut = 1; cut < sequence.size(); ++cut) {
            SCOPED_TRACE(::testing::PrintToString(sequence) + " cut at " + std::to_string(cut));
            const Bytes sent =
                Agree + text("ab") + Bytes(sequence.begin(), sequence.begin() + static_cast<long>(cut));
            ScriptedServer server([&](const ScriptedServer::Peer& peer) { peer.send(sent); });
            FakeClock clock;
            NetworkPort port(clock);
            ASSERT_TRUE(port.open("rfc2217://127.0.0.1:" + std::to_string(server.port()) + "?nowait", 9600, 8,
                                  OneStop));
            const Outcome o = readPort(port, clock, nullptr);
            EXPECT_EQ(o.data, text("ab"));
            EXPECT_TRUE(o.lost);
        }
    }
}

// A server that stops reading: writes keep returning at once, taking nothing
// more once the port holds its share, and the connection stays (a device
// server under flow control stops reading too).
TEST(HostileServer, AServerThatStopsReading)
{
    ScriptedServer server([](const ScriptedServer::Peer& peer) {
        peer.send(Agree);
        peer.idle();
    });
    FakeClock clock;
    NetworkPort port(clock);
    ASSERT_TRUE(
        port.open("rfc2217://127.0.0.1:" + std::to_string(server.port()) + "?nowait", 9600, 8, OneStop));
    const Bytes chunk(64 * 1024, Iac);  // doubled on the wire: the worst case
    std::size_t taken = 0;
    int refusals = 0;
    std::size_t peak = 0;
    const int64_t deadline = monotonicNowNs() + GivingUpNs;
    while (refusals < 50 && monotonicNowNs() < deadline) {
        port.probe();
        const int64_t n = port.write(chunk.data(), static_cast<uint32_t>(chunk.size()));
        ASSERT_GE(n, 0);
        taken += static_cast<std::size_t>(n);
        refusals = n == 0 && !port.connecting() ? refusals + 1 : 0;
        peak = std::max(peak, port.bufferedBytes());
        ::poll(nullptr, 0, 2);
    }
    EXPECT_EQ(refusals, 50);
    EXPECT_GT(taken, 0u);
    EXPECT_LE(peak, MemoryBound);
    EXPECT_TRUE(port.probe());
    server.stop();
    const Outcome o = readPort(port, clock, nullptr);
    EXPECT_TRUE(o.lost);  // and its closing is noticed
}

// The baud the server reports is what the line-state strip shows.
TEST(HostileServer, TheBaudTheServerSetIsReportedWithTheLines)
{
    ScriptedServer server([](const ScriptedServer::Peer& peer) {
        peer.send(Agree + serverSb(comport::SetBaud, {0, 0, 0x4b, 0x00})
                  + serverSb(comport::NotifyModemState, {comport::ModemCts}) + text("go"));
        peer.idle();
    });
    FakeClock clock;
    NetworkPort port(clock);
    ASSERT_TRUE(
        port.open("rfc2217://127.0.0.1:" + std::to_string(server.port()) + "?nowait", 9600, 8, OneStop));
    const Outcome o = readPort(port, clock, [](const Bytes& got) { return got == text("go"); });
    ASSERT_EQ(o.data, text("go"));
    const ModemLines lines = port.modemLines();
    EXPECT_TRUE(lines.valid);
    EXPECT_TRUE(lines.cts);
    EXPECT_EQ(lines.askedBaud, 9600u);
    EXPECT_EQ(lines.reportedBaud, 19200u);
}
