#include "telnet/telnet_engine.h"

#include <gtest/gtest.h>

#include "telnet/telnet_codes.h"

namespace comtrax {
namespace {

using namespace telnet;
using Bytes = std::vector<uint8_t>;

constexpr int64_t kSecond = 1000000000;

struct Engine {
    TelnetEngine engine;
    Bytes data;
    explicit Engine(bool comPort = true) : engine(comPort, 3 * kSecond) { engine.start(0); }
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
    Bytes b{kIac, kSb, kComPort, command};
    for (const uint8_t v : value)
        b.push_back(v);
    b.push_back(kIac);
    b.push_back(kSe);
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
              (Bytes{kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill, kSuppressGoAhead, kIac, kDo,
                     kSuppressGoAhead, kIac, kWill, kComPort}));
    Engine raw(false);
    const Bytes offers = raw.take();
    EXPECT_EQ(std::count(offers.begin(), offers.end(), kComPort), 0);
}

TEST(TelnetNegotiation, AnswersAndRefusals)
{
    const struct {
        const char* what;
        Bytes before;  // sent first, its replies dropped
        Bytes server;
        Bytes reply;
    } cases[] = {
        {"agreement to our offer is not answered", {}, {kIac, kDo, kBinary}, {}},
        {"the server's own offer we asked for", {}, {kIac, kWill, kSuppressGoAhead}, {}},
        {"echo is refused", {}, {kIac, kWill, kEcho}, {kIac, kDont, kEcho}},
        {"an unknown option asked of us", {}, {kIac, kDo, 99}, {kIac, kWont, 99}},
        {"an unknown option offered", {}, {kIac, kWill, 24}, {kIac, kDont, 24}},
        {"a refusal of our offer is not answered", {}, {kIac, kDont, kComPort}, {}},
        {"an agreed option switched off is confirmed",
         {kIac, kDo, kBinary},
         {kIac, kDont, kBinary},
         {kIac, kWont, kBinary}},
        {"a switched-off option again is ignored",
         {kIac, kDo, kBinary, kIac, kDont, kBinary},
         {kIac, kDont, kBinary},
         {}},
        {"the server withdraws and offers again",
         {kIac, kWill, kBinary, kIac, kWont, kBinary},
         {kIac, kWill, kBinary},
         {kIac, kDo, kBinary}},
        {"a WONT for what was never on is ignored", {}, {kIac, kWont, 77}, {}},
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
        storm.insert(storm.end(), {kIac, kDo, static_cast<uint8_t>(100 + i % 100)});
    const Bytes replies = e.feed(storm);
    EXPECT_LE(replies.size(), 100u * 2 * 3);
    EXPECT_TRUE(e.data.empty());
}

TEST(TelnetData, IacDoubledOutAndUndoubledIn)
{
    Engine e;
    e.feed({kIac, kDo, kBinary, kIac, kWill, kBinary});
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
    e.feed({kIac, kWont, kBinary, kIac, kDont, kBinary});
    Bytes wire;
    const Bytes payload{'a', '\r', 'b', '\r', '\n'};
    e.engine.encodeData(payload.data(), payload.size(), wire);
    EXPECT_EQ(wire, (Bytes{'a', '\r', 0, 'b', '\r', '\n'}));
    e.feed({'a', '\r', 0, 'b', '\r', '\n', '\r'});
    e.feed({0, 'c'});
    EXPECT_EQ(e.data, (Bytes{'a', '\r', 'b', '\r', '\n', '\r', 'c'}));
}

TEST(TelnetData, CommandsAreTakenOutOfTheData)
{
    Engine e;
    e.feed({'a', kIac, kNop, 'b', kIac, 246 /* AYT */, kIac, kDataMark, kIac, kGoAhead, kIac, kBreak, 'c'});
    EXPECT_EQ(e.data, (Bytes{'a', 'b', 'c'}));
}

// Whatever the pieces the stream arrives in, a cut in the middle of an IAC
// sequence changes neither the data nor the replies.
TEST(TelnetData, ACutAtEveryPositionChangesNothing)
{
    const Bytes stream = concat({{'x', kIac, kIac, 'y'},
                                 {kIac, kDo, kBinary, kIac, kWill, kEcho, kIac, kDo, kComPort},
                                 comPortSb(101, {0, 1, 0xc2, 0}),
                                 comPortSb(107, {0xb0}),
                                 {'\r', 0, kIac, kNop, 0xff, 0xff, 'z'},
                                 comPortSb(100, {'s', kIac, kIac, 'x'}),
                                 {kIac, kSb, 5, 1, 2, kIac, kSe, 'w'}});
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

TEST(ComPortControl, SettingsWaitForTheServersAgreementThenGoOut)
{
    Engine e;
    e.take();
    e.engine.setLineSettings(0x0001ffff, 8, comport::kParityEven, comport::kStopTwo, comport::kFlowHardware);
    EXPECT_TRUE(e.take().empty());  // not before the server agreed
    const Bytes out = e.feed({kIac, kDo, kComPort});
    const Bytes expected = concat({comPortSb(1, {0x00, 0x01, 0xff, 0xff, 0xff, 0xff}), comPortSb(2, {8}),
                                   comPortSb(3, {comport::kParityEven}), comPortSb(4, {comport::kStopTwo}),
                                   comPortSb(5, {comport::kFlowHardware}), comPortSb(11, {0xff, 0xff})});
    EXPECT_EQ(out, expected);
}

TEST(ComPortControl, EachCommandGoesOutAsItsSubnegotiation)
{
    const struct {
        const char* what;
        void (*call)(TelnetEngine&);
        Bytes wire;
    } cases[] = {
        {"DTR on", [](TelnetEngine& t) { t.setControl(comport::kDtrOn); }, comPortSb(5, {8})},
        {"DTR off", [](TelnetEngine& t) { t.setControl(comport::kDtrOff); }, comPortSb(5, {9})},
        {"RTS on", [](TelnetEngine& t) { t.setControl(comport::kRtsOn); }, comPortSb(5, {11})},
        {"RTS off", [](TelnetEngine& t) { t.setControl(comport::kRtsOff); }, comPortSb(5, {12})},
        {"break on", [](TelnetEngine& t) { t.setControl(comport::kBreakOn); }, comPortSb(5, {5})},
        {"break off", [](TelnetEngine& t) { t.setControl(comport::kBreakOff); }, comPortSb(5, {6})},
        {"purge both", [](TelnetEngine& t) { t.purgeData(comport::kPurgeBoth); }, comPortSb(12, {3})},
        {"modem state asked", [](TelnetEngine& t) { t.requestModemState(5); }, comPortSb(7, {})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Engine e;
        e.feed({kIac, kDo, kComPort});
        c.call(e.engine);
        EXPECT_EQ(e.take(), c.wire);
    }
}

TEST(ComPortControl, RepliesAndNotifications)
{
    Engine e;
    e.feed({kIac, kDo, kComPort});
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
    EXPECT_TRUE(e.feed(concat({comPortSb(1, {1, 2, 3, 4}), {kIac, kSb, 24, 1, kIac, kSe}})).empty());
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
    e.feed({kIac, kDo, kComPort});
    e.feed(Bytes(allReplies.begin(), allReplies.end() - 7));  // all but the last
    EXPECT_TRUE(e.engine.awaitingReplies(kSecond));
    e.feed(comPortSb(105, {1}));
    EXPECT_FALSE(e.engine.awaitingReplies(kSecond));

    Engine silent;  // never acknowledges: waits until the timeout, not longer
    silent.engine.setLineSettings(115200, 8, 1, 1, 1);
    silent.feed({kIac, kDo, kComPort});
    EXPECT_TRUE(silent.engine.awaitingReplies(3 * kSecond - 1));
    EXPECT_FALSE(silent.engine.awaitingReplies(3 * kSecond));

    Engine refused;  // refuses COM-PORT-CONTROL: nothing to wait for
    refused.engine.setLineSettings(115200, 8, 1, 1, 1);
    refused.feed({kIac, kDont, kComPort});
    EXPECT_TRUE(refused.engine.comPortRefused());
    EXPECT_FALSE(refused.engine.awaitingReplies(0));
    refused.engine.setControl(comport::kDtrOn);
    EXPECT_TRUE(refused.take().empty());

    Engine raw(false);  // plain Telnet waits for nothing
    EXPECT_FALSE(raw.engine.awaitingReplies(0));
}

TEST(TelnetHostileServer, AHugeSubnegotiationIsDroppedAndBounded)
{
    Engine e;
    e.feed({kIac, kDo, kComPort});
    Bytes huge{kIac, kSb, kComPort, 101};
    huge.resize(1 << 20, 0x41);
    huge.insert(huge.end(), {kIac, kSe, 'o', 'k'});
    e.feed(huge);
    EXPECT_EQ(e.data, (Bytes{'o', 'k'}));
    EXPECT_FALSE(e.engine.serverBaud());  // the oversized one is not believed
    EXPECT_EQ(e.engine.fault(), TelnetEngine::Fault::None);
}

TEST(TelnetHostileServer, AnEndlessSubnegotiationIsAFault)
{
    Engine e;
    e.feed({kIac, kSb, kComPort});
    const Bytes chunk(64 * 1024, 'x');
    for (std::size_t sent = 0; sent <= TelnetEngine::kEndlessSubnegotiation; sent += chunk.size())
        e.feed(chunk);
    EXPECT_EQ(e.engine.fault(), TelnetEngine::Fault::EndlessSubnegotiation);
    EXPECT_TRUE(e.data.empty());  // nothing of it is taken for data
}

TEST(TelnetHostileServer, ACommandInsideASubnegotiationEndsIt)
{
    Engine e;
    e.feed({kIac, kSb, kComPort, 107, kIac, kWill, kEcho, 'd'});
    EXPECT_EQ(e.data, (Bytes{'d'}));
    EXPECT_FALSE(e.engine.modemState());
}

}  // namespace
}  // namespace comtrax
