#include "telnet/telnet_engine.h"

#include <gtest/gtest.h>

#include "telnet/telnet_codes.h"

namespace comtrax {
namespace {

using namespace telnet;
using Bytes = std::vector<uint8_t>;

constexpr int64_t Second = 1000000000;

struct Engine {
    TelnetEngine engine;
    Bytes data;
    explicit Engine(bool comPort = true) : engine(comPort, 3 * Second) { engine.start(0); }
    // Feeds the server's bytes; returns the engine's replies (and clears them).
    Bytes feed(const Bytes& bytes, int64_t now = 0)
    {
        engine.receive(bytes.data(), bytes.size(), data, now);
        return take();
    }
    Bytes take()
    {
        Bytes out;
        out.swap(engine.output());
        return out;
    }
};

Bytes comPortSb(uint8_t command, Bytes value)
{
    Bytes b{Iac, Sb, ComPort, command};
    for (const uint8_t v : value)
        b.push_back(v);
    b.push_back(Iac);
    b.push_back(Se);
    return b;
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(TelnetNegotiation, ClientOffersBinarySgaAndComPort)
{
    Engine e;
    EXPECT_EQ(e.take(),
              (Bytes{Iac, Will, Binary, Iac, Do, Binary, Iac, Will, SuppressGoAhead, Iac, Do, SuppressGoAhead,
                     Iac, Will, ComPort}));
    Engine raw(false);
    const Bytes offers = raw.take();
    EXPECT_EQ(std::count(offers.begin(), offers.end(), ComPort), 0);
}

TEST(TelnetNegotiation, AnswersAndRefusals)
{
    const struct {
        const char* what;
        Bytes before;  // sent first, its replies dropped
        Bytes server;
        Bytes reply;
    } cases[] = {
        {"agreement to our offer is not answered", {}, {Iac, Do, Binary}, {}},
        {"the server's own offer we asked for", {}, {Iac, Will, SuppressGoAhead}, {}},
        {"echo is refused", {}, {Iac, Will, Echo}, {Iac, Dont, Echo}},
        {"an unknown option asked of us", {}, {Iac, Do, 99}, {Iac, Wont, 99}},
        {"an unknown option offered", {}, {Iac, Will, 24}, {Iac, Dont, 24}},
        {"a refusal of our offer is not answered", {}, {Iac, Dont, ComPort}, {}},
        {"an agreed option switched off is confirmed",
         {Iac, Do, Binary},
         {Iac, Dont, Binary},
         {Iac, Wont, Binary}},
        {"a switched-off option again is ignored",
         {Iac, Do, Binary, Iac, Dont, Binary},
         {Iac, Dont, Binary},
         {}},
        {"the server withdraws and offers again",
         {Iac, Will, Binary, Iac, Wont, Binary},
         {Iac, Will, Binary},
         {Iac, Do, Binary}},
        {"a WONT for what was never on is ignored", {}, {Iac, Wont, 77}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Engine e;
        e.take();
        e.feed(c.before);
        EXPECT_EQ(e.feed(c.server), c.reply);
        EXPECT_TRUE(e.data.empty());
        EXPECT_TRUE(e.engine.sawTelnet());
    }
}

TEST(TelnetNegotiation, AnUnknownOptionStormGetsBoundedAnswers)
{
    Engine e;
    e.take();
    Bytes storm;
    for (int i = 0; i < 100000; ++i)
        storm.insert(storm.end(), {Iac, Do, static_cast<uint8_t>(100 + i % 100)});
    const Bytes replies = e.feed(storm);
    EXPECT_LE(replies.size(), 100u * 2 * 3);
    EXPECT_TRUE(e.data.empty());
}

TEST(TelnetData, IacDoubledOutAndUndoubledIn)
{
    Engine e;
    e.feed({Iac, Do, Binary, Iac, Will, Binary});
    const Bytes payload{0x00, 0xff, 0x41, 0xff, 0xff, 0x0d, 0x00, 0x0a};
    Bytes wire;
    e.engine.encodeData(payload.data(), payload.size(), wire);
    EXPECT_EQ(wire, (Bytes{0x00, 0xff, 0xff, 0x41, 0xff, 0xff, 0xff, 0xff, 0x0d, 0x00, 0x0a}));
    e.feed(wire);
    EXPECT_EQ(e.data, payload);  // binary both ways: CR NUL stays as sent
}

TEST(TelnetData, CrNulOnALineThatIsNotBinary)
{
    Engine e;
    e.feed({Iac, Wont, Binary, Iac, Dont, Binary});
    Bytes wire;
    const Bytes payload{'a', '\r', 'b', '\r', '\n'};
    e.engine.encodeData(payload.data(), payload.size(), wire);
    EXPECT_EQ(wire, (Bytes{'a', '\r', 0, 'b', '\r', '\n'}));
    e.feed({'a', '\r', 0, 'b', '\r', '\n', '\r'});
    e.feed({0, 'c'});
    EXPECT_EQ(e.data, (Bytes{'a', '\r', 'b', '\r', '\n', '\r', 'c'}));
}

// Data sent before the server answered the offer of binary goes as binary:
// a server that agrees takes it so, and a NUL after CR would reach the device.
TEST(TelnetData, BinaryFromTheOfferUntilARefusal)
{
    const Bytes payload{'a', '\r', 'b'};
    struct Case {
        const char* name;
        Bytes answer;
        Bytes wire;
    };
    const Case cases[] = {{"no answer yet", {}, {'a', '\r', 'b'}},
                          {"agreed", {Iac, Do, Binary}, {'a', '\r', 'b'}},
                          {"refused", {Iac, Dont, Binary}, {'a', '\r', 0, 'b'}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Engine e;
        e.feed(c.answer);
        Bytes wire;
        e.engine.encodeData(payload.data(), payload.size(), wire);
        EXPECT_EQ(wire, c.wire);
    }
}

TEST(TelnetData, CommandsAreTakenOutOfTheData)
{
    Engine e;
    e.feed({'a', Iac, Nop, 'b', Iac, 246 /* AYT */, Iac, DataMark, Iac, GoAhead, Iac, Break, 'c'});
    EXPECT_EQ(e.data, (Bytes{'a', 'b', 'c'}));
}

// Whatever the pieces the stream arrives in, a cut in the middle of an IAC
// sequence changes neither the data nor the replies.
TEST(TelnetData, ACutAtEveryPositionChangesNothing)
{
    const Bytes stream = concat({{'x', Iac, Iac, 'y'},
                                 {Iac, Do, Binary, Iac, Will, Echo, Iac, Do, ComPort},
                                 comPortSb(101, {0, 1, 0xc2, 0}),
                                 comPortSb(107, {0xb0}),
                                 {'\r', 0, Iac, Nop, 0xff, 0xff, 'z'},
                                 comPortSb(100, {'s', Iac, Iac, 'x'}),
                                 {Iac, Sb, 5, 1, 2, Iac, Se, 'w'}});
    Engine whole;
    const Bytes wholeReplies = whole.feed(stream);
    // The server never offered binary: its CR NUL is a bare CR.
    ASSERT_EQ(whole.data, (Bytes{'x', 0xff, 'y', '\r', 0xff, 'z', 'w'}));
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        Engine split;
        Bytes replies = split.feed(Bytes(stream.begin(), stream.begin() + static_cast<long>(cut)));
        const Bytes rest = split.feed(Bytes(stream.begin() + static_cast<long>(cut), stream.end()));
        replies.insert(replies.end(), rest.begin(), rest.end());
        EXPECT_EQ(split.data, whole.data);
        EXPECT_EQ(replies, wholeReplies);
        EXPECT_EQ(split.engine.serverBaud(), 115200u);
        EXPECT_EQ(split.engine.modemState(), 0xb0);
        EXPECT_EQ(split.engine.signature(), "s\xffx");
    }
}

// Decoding over the received bytes themselves gives what decoding into a
// separate buffer gives, on a binary line (runs between IACs moved whole) and
// on a line that is not, wherever the stream is cut.
TEST(TelnetData, InPlaceDecodingMatchesCopying)
{
    const Bytes body = concat({{'a', 'b', Iac, Iac, Iac, Iac, 'c', '\r', 0, 'd'},
                               comPortSb(101, {0, 0, 0x25, 0x80}),
                               {Iac, Nop, 0, Iac, Iac},
                               comPortSb(100, {'s', Iac, Iac}),
                               {'e', 'f', 'g', Iac, Sb, 9, Iac, Iac, Iac, Se, 'h'}});
    for (const bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        const Bytes stream = concat({{Iac, binary ? Will : Wont, Binary}, body});
        Engine copying;
        const Bytes replies = copying.feed(stream);
        for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
            SCOPED_TRACE(cut);
            Engine e;
            e.take();
            Bytes first(stream.begin(), stream.begin() + static_cast<long>(cut));
            Bytes second(stream.begin() + static_cast<long>(cut), stream.end());
            Bytes data(first.begin(),
                       first.begin()
                           + static_cast<long>(e.engine.receiveInPlace(first.data(), first.size(), 0)));
            data.insert(data.end(), second.begin(),
                        second.begin()
                            + static_cast<long>(e.engine.receiveInPlace(second.data(), second.size(), 0)));
            EXPECT_EQ(data, copying.data);
            EXPECT_EQ(e.engine.serverBaud(), 9600u);
            EXPECT_EQ(e.engine.signature(), "s\xff");
        }
        // The two lines differ only in CR NUL.
        EXPECT_EQ(copying.data.size(), binary ? 14u : 13u);
    }
}

TEST(ComPortControl, SettingsWaitForTheServersAgreementThenGoOut)
{
    Engine e;
    e.take();
    e.engine.setLineSettings(0x0001ffff, 8, comport::ParityEven, comport::StopTwo, comport::FlowHardware);
    EXPECT_TRUE(e.take().empty());  // not before the server agreed
    const Bytes out = e.feed({Iac, Do, ComPort});
    const Bytes expected = concat({comPortSb(1, {0x00, 0x01, 0xff, 0xff, 0xff, 0xff}), comPortSb(2, {8}),
                                   comPortSb(3, {comport::ParityEven}), comPortSb(4, {comport::StopTwo}),
                                   comPortSb(5, {comport::FlowHardware}), comPortSb(11, {0xff, 0xff})});
    EXPECT_EQ(out, expected);
}

TEST(ComPortControl, EachCommandGoesOutAsItsSubnegotiation)
{
    const struct {
        const char* what;
        void (*call)(TelnetEngine&);
        Bytes wire;
    } cases[] = {
        {"DTR on", [](TelnetEngine& t) { t.setControl(comport::DtrOn); }, comPortSb(5, {8})},
        {"DTR off", [](TelnetEngine& t) { t.setControl(comport::DtrOff); }, comPortSb(5, {9})},
        {"RTS on", [](TelnetEngine& t) { t.setControl(comport::RtsOn); }, comPortSb(5, {11})},
        {"RTS off", [](TelnetEngine& t) { t.setControl(comport::RtsOff); }, comPortSb(5, {12})},
        {"break on", [](TelnetEngine& t) { t.setControl(comport::BreakOn); }, comPortSb(5, {5})},
        {"break off", [](TelnetEngine& t) { t.setControl(comport::BreakOff); }, comPortSb(5, {6})},
        {"purge both", [](TelnetEngine& t) { t.purgeData(comport::PurgeBoth); }, comPortSb(12, {3})},
        {"modem state asked", [](TelnetEngine& t) { t.requestModemState(5); }, comPortSb(7, {})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Engine e;
        e.feed({Iac, Do, ComPort});
        c.call(e.engine);
        EXPECT_EQ(e.take(), c.wire);
    }
}

TEST(ComPortControl, RepliesAndNotifications)
{
    Engine e;
    e.feed({Iac, Do, ComPort});
    e.feed(concat({comPortSb(101, {0, 0, 0x25, 0x80}), comPortSb(106, {0x60}), comPortSb(107, {0x30}),
                   comPortSb(108, {})}),
           42);
    EXPECT_EQ(e.engine.serverBaud(), 9600u);
    EXPECT_EQ(e.engine.lineState(), 0x60);
    EXPECT_EQ(e.engine.modemState(), 0x30);
    EXPECT_EQ(e.engine.modemStateAtNs(), 42);
    EXPECT_TRUE(e.engine.flowSuspended());
    e.feed(comPortSb(109, {}));
    EXPECT_FALSE(e.engine.flowSuspended());
    // The server asks for our signature: it is told.
    EXPECT_EQ(e.feed(comPortSb(100, {})), comPortSb(0, {'C', 'o', 'm', 't', 'r', 'a', 'x'}));
    // Client-side codes from a server, and other options' subnegotiations, are dropped.
    EXPECT_TRUE(e.feed(concat({comPortSb(1, {1, 2, 3, 4}), {Iac, Sb, 24, 1, Iac, Se}})).empty());
    EXPECT_EQ(e.engine.serverBaud(), 9600u);
    EXPECT_TRUE(e.data.empty());
}

TEST(ComPortControl, RepliesAreAwaitedUntilAllCameOrTheTimeRanOut)
{
    const Bytes allReplies = concat({comPortSb(101, {0, 1, 0xc2, 0}), comPortSb(102, {8}),
                                     comPortSb(103, {1}), comPortSb(104, {1}), comPortSb(105, {1})});
    Engine e;
    e.engine.setLineSettings(115200, 8, 1, 1, 1);
    EXPECT_TRUE(e.engine.awaitingReplies(0));
    e.feed({Iac, Do, ComPort});
    e.feed(Bytes(allReplies.begin(), allReplies.end() - 7));  // all but the last
    EXPECT_TRUE(e.engine.awaitingReplies(Second));
    e.feed(comPortSb(105, {1}));
    EXPECT_FALSE(e.engine.awaitingReplies(Second));

    Engine silent;  // never acknowledges: waits until the timeout, not longer
    silent.engine.setLineSettings(115200, 8, 1, 1, 1);
    silent.feed({Iac, Do, ComPort});
    EXPECT_TRUE(silent.engine.awaitingReplies(3 * Second - 1));
    EXPECT_FALSE(silent.engine.awaitingReplies(3 * Second));

    Engine refused;  // refuses COM-PORT-CONTROL: nothing to wait for
    refused.engine.setLineSettings(115200, 8, 1, 1, 1);
    refused.feed({Iac, Dont, ComPort});
    EXPECT_TRUE(refused.engine.comPortRefused());
    EXPECT_FALSE(refused.engine.awaitingReplies(0));
    refused.engine.setControl(comport::DtrOn);
    EXPECT_TRUE(refused.take().empty());

    Engine raw(false);  // plain Telnet waits for nothing
    EXPECT_FALSE(raw.engine.awaitingReplies(0));
}

TEST(TelnetHostileServer, AHugeSubnegotiationIsDroppedAndBounded)
{
    Engine e;
    e.feed({Iac, Do, ComPort});
    Bytes huge{Iac, Sb, ComPort, 101};
    huge.resize(1 << 20, 0x41);
    huge.insert(huge.end(), {Iac, Se, 'o', 'k'});
    e.feed(huge);
    EXPECT_EQ(e.data, (Bytes{'o', 'k'}));
    EXPECT_FALSE(e.engine.serverBaud());  // the oversized one is not believed
    EXPECT_EQ(e.engine.fault(), TelnetEngine::Fault::None);
}

TEST(TelnetHostileServer, AnEndlessSubnegotiationIsAFault)
{
    Engine e;
    e.feed({Iac, Sb, ComPort});
    const Bytes chunk(64 * 1024, 'x');
    for (std::size_t sent = 0; sent <= TelnetEngine::EndlessSubnegotiation; sent += chunk.size())
        e.feed(chunk);
    EXPECT_EQ(e.engine.fault(), TelnetEngine::Fault::EndlessSubnegotiation);
    EXPECT_TRUE(e.data.empty());  // nothing of it is taken for data
}

TEST(TelnetHostileServer, ACommandInsideASubnegotiationEndsIt)
{
    Engine e;
    e.feed({Iac, Sb, ComPort, 107, Iac, Will, Echo, 'd'});
    EXPECT_EQ(e.data, (Bytes{'d'}));
    EXPECT_FALSE(e.engine.modemState());
}

}  // namespace
}  // namespace comtrax
