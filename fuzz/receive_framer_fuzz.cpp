// The receive poll driven by a script: bytes arriving in chunks of any size,
// the clock moving by any step (across the Monday wrap too), the timeout,
// display mode, time stamps, filter, after-answer mode, reads cut short,
// purges, the port closing and opening, the log file paused and resumed.
//
// After every poll the framer is held against a model of the framing rules:
// when a packet must end, that the line shown is exactly the conversion of the
// bytes read since the previous packet (so every byte read is accounted for,
// none twice, none lost), that RxBuffer never overflows, that the after-answer
// step runs when it must, and that msUntilPacketEnd never wakes the window too
// late or too early. At the end the line is left silent and every byte fed
// must have been shown or purged.
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "log/log_file.h"
#include "receive/receiver.h"
#include "log/statistics.h"
#include "serial/port_access.h"
#include "support/fake_clock.h"
#include "support/fake_serial_port.h"
#include "support/recording_view.h"

using namespace comtrax;
using namespace comtrax::testing;
using comtrax::fuzz::hexDump;

namespace {

constexpr int64_t WeekMs = 7LL * 86400000;

// A port that keeps every byte it hands out, and checks that the poll never
// asks for more than RxBuffer can take.
class RecordingPort : public FakeSerialPort {
public:
    const Receiver* rx = nullptr;
    std::string readLog;
    uint32_t overclaim = 0;  // a driver that reports more than it was asked for

    uint32_t read(uint8_t* buffer, uint32_t n) override
    {
        if (rx)
            FUZZ_CHECK(n <= Receiver::BufferSize - rx->rxCount(),
                       "read of " + std::to_string(n) + " with " + std::to_string(rx->rxCount()) + " held");
        const uint32_t got = FakeSerialPort::read(buffer, n);
        readLog.append(reinterpret_cast<const char*>(buffer), got);
        return got == n && n > 0 ? got + overclaim : got;
    }
};

std::string asciiLine(const std::string& packet)
{
    std::string text;
    for (const char c : packet) {
        if (c == '\r')
            text += "\r\n";
        else if (c == '\n')
            continue;
        else if (c == '\0')
            text += "<NULL>";
        else
            text += c;
    }
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

std::string hexLine(const std::string& packet)
{
    std::string text = hexDump(packet, std::string::npos);
    return text;
}

std::string stamp(const LocalDateTime& t)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, " [ %02d:%02d:%02d:%03d < ] ", t.hour, t.minute, t.second, t.msec);
    return buf;
}

struct Rig {
    RecordingPort port;
    FakePortLister lister;
    RecordingView view;
    FakeClock clock;
    TerminalOptions options;
    PortAccess access{port, lister, view};
    TrafficCounters counters{view};
    LogFile logFile{view, fuzz::scratchDir()};
    LogOutput log{view, logFile};
    Receiver rx{access, counters, log, options, clock};

    // The model.
    std::string stream;       // bytes fed and not purged, in order
    std::size_t shown = 0;    // bytes of readLog already turned into lines
    int64_t lastRx = 0;       // the monotonic millisecond of the last read
    int32_t reads = 0;        // polls that found bytes
    std::string logExpected;  // what the log file must hold
    int afterAnswers = 0;
    bool inTick = false;

    Rig()
    {
        port.rx = &rx;
        rx.setAfterAnswer([this] { onAfterAnswer(); });
        open();
    }

    void open() { access.openPort({"ttyUSB0", "9600", "8", 0, {}}); }

    void purgeModel() { stream.erase(stream.size() - port.input.size()); }

    void onAfterAnswer()
    {
        FUZZ_CHECK(inTick && options.sendMode == SendMode::AfterAnswer, "after-answer step out of place");
        FUZZ_CHECK(port.input.empty(), "after-answer step while bytes wait");
        ++afterAnswers;
        // A nested poll (a modal box on this path) must do nothing at all.
        const uint32_t held = rx.rxCount();
        const std::size_t lines = view.logLines.size(), got = port.readLog.size();
        rx.poll();
        FUZZ_CHECK(rx.rxCount() == held && view.logLines.size() == lines && port.readLog.size() == got,
                   "a poll ran inside a poll");
    }

    void tick()
    {
        const bool open = access.portOpen();
        const uint32_t heldBefore = rx.rxCount();
        const std::size_t readBefore = port.readLog.size();
        const std::size_t linesBefore = view.logLines.size();
        const int answersBefore = afterAnswers;
        const bool waiting = open && !port.input.empty();
        const LocalDateTime now = clock.now();

        inTick = true;
        rx.poll();
        inTick = false;

        const std::size_t got = port.readLog.size() - readBefore;
        FUZZ_CHECK(rx.rxCount() <= Receiver::BufferSize, "RxCount beyond the buffer");
        FUZZ_CHECK(counters.rxBytes() == static_cast<int32_t>(port.readLog.size()),
                   "RxBytes is not the bytes read");
        if (!open) {
            FUZZ_CHECK(got == 0 && rx.rxCount() == heldBefore && view.logLines.size() == linesBefore,
                       "the poll worked with the port closed");
            return;
        }
        FUZZ_CHECK(waiting == (got > 0), "bytes waiting but none read, or read from nothing");
        // Silence is measured on the monotonic clock between reads.
        const int64_t mono = clock.monotonicNs() / 1000000;
        // Bytes read after the held packet's silence ran out start a new
        // packet: the held one ends first, however late the poll came.
        const bool silentBefore = got > 0 && heldBefore > 0 && mono - lastRx > rx.rxTimeoutMs();
        if (got > 0) {
            ++reads;
            lastRx = mono;
        }
        FUZZ_CHECK(counters.readPackets() == reads, "Read count is not the polls that found bytes");

        std::vector<std::string> packets;
        if (silentBefore) {
            packets.push_back(port.readLog.substr(shown, heldBefore));
            shown += heldBefore;
        }
        // When a packet ends: silence past the timeout, or more than 1500 held.
        const uint32_t held = (silentBefore ? 0 : heldBefore) + static_cast<uint32_t>(got);
        const bool silent = mono - lastRx > rx.rxTimeoutMs();
        const bool ends = silent || held > Receiver::EarlyCut;
        // A text packet cut early keeps what follows its last line break,
        // unless that tail is itself longer than the cut.
        uint32_t kept = 0;
        if (ends && !silent && !options.hex) {
            const std::string all = port.readLog.substr(shown);
            const std::size_t lastBreak = all.find_last_of("\r\n");
            if (lastBreak != std::string::npos && all.size() - lastBreak - 1 <= Receiver::EarlyCut)
                kept = static_cast<uint32_t>(all.size() - lastBreak - 1);
        }
        FUZZ_CHECK(rx.rxCount() == (ends ? kept : held),
                   "held " + std::to_string(rx.rxCount()) + " of " + std::to_string(held) + ", packet end "
                       + std::to_string(ends) + ", silence " + std::to_string(mono - lastRx) + ", timeout "
                       + std::to_string(rx.rxTimeoutMs()));
        FUZZ_CHECK(rx.rxCount() <= Receiver::EarlyCut, "more than 1500 bytes left held");

        // The line: exactly the bytes read since the previous packet.
        const std::size_t nowShown = port.readLog.size() - rx.rxCount();
        if (nowShown > shown)
            packets.push_back(port.readLog.substr(shown, nowShown - shown));
        shown = nowShown;
        std::size_t lines = linesBefore;
        int answers = answersBefore;
        for (const std::string& packet : packets) {
            std::string text = options.hex ? hexLine(packet) : asciiLine(packet);
            if (!text.empty() && options.showTime)
                text = stamp(now) + text;
            const bool passes =
                !text.empty() && (options.filter.empty() || text.find(options.filter) != std::string::npos);
            if (passes)
                ++lines;
            FUZZ_CHECK(view.logLines.size() >= lines, "packet of " + hexDump(packet) + " not shown");
            if (passes) {
                // A packet's closing CR is the end of its line, not an empty line.
                std::string shownLine = text;
                if (!options.hex && shownLine.back() == '\r')
                    shownLine.pop_back();
                FUZZ_CHECK(view.logLines[lines - 1] == shownLine,
                           "line " + hexDump(view.logLines[lines - 1]) + "\n  expected "
                               + hexDump(shownLine));
                if (logFile.active())
                    logExpected += shownLine + "\r\n";
            }
            if (!text.empty() && options.sendMode == SendMode::AfterAnswer && port.input.empty())
                ++answers;
        }
        FUZZ_CHECK(view.logLines.size() == lines, "a line shown that no packet made");
        FUZZ_CHECK(afterAnswers == answers, "after-answer step missed or repeated");
    }

    // The window sleeps until msUntilPacketEnd: the packet must not end
    // before then, and must end then unless the week starts again in between.
    void checkWakeUp()
    {
        const int64_t d = rx.msUntilPacketEnd();
        if (!access.portOpen() || rx.rxCount() == 0) {
            FUZZ_CHECK(d == -1, "a wake-up with nothing to show");
            return;
        }
        FUZZ_CHECK(d >= 0 && d <= WeekMs, "wake-up " + std::to_string(d));
        if (!port.input.empty())
            return;  // the next poll reads and moves the deadline
        if (d >= 1) {
            clock.advance(d - 1);
            const uint32_t held = rx.rxCount();
            tick();
            FUZZ_CHECK(rx.rxCount() == held, "packet ended before the wake-up time");
            clock.advance(1);
        }
        const int64_t before = lastRx;
        tick();
        // At Monday 00:00 silence is measured afresh: a wake-up there may find nothing due.
        const bool weekStart = weekTimeMs(clock.now()) == 0 || lastRx < before;
        // A timeout longer than a week is asked about again after a week.
        const bool reAsk = d == WeekMs;
        FUZZ_CHECK(rx.rxCount() == 0 || weekStart || reAsk,
                   "packet still held at the wake-up time: wake-up " + std::to_string(d) + ", timeout "
                       + std::to_string(rx.rxTimeoutMs()) + ", last read " + std::to_string(before) + ", now "
                       + std::to_string(weekTimeMs(clock.now())));
    }

    void feed(const std::string& bytes)
    {
        port.feed(bytes);
        stream += bytes;
    }
};

int32_t timeoutFrom(fuzz::ByteReader& in)
{
    switch (const uint8_t k = in.byte(); k % 8) {
    case 0:
        return -1;
    case 1:
        return 0;
    case 2:
        return INT32_MIN;
    case 3:
        return INT32_MAX;
    case 4:
        return 100000;
    default:
        return static_cast<int16_t>(in.u16());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    Rig r;
    fuzz::ByteReader in(data, size);
    r.rx.setRxTimeoutMs(static_cast<int16_t>(in.u16()));

    for (int op = 0; op < 4000 && !in.empty(); ++op) {
        switch (in.byte() % 16) {
        case 0:
            r.feed(in.bytes(in.byte()));
            break;
        case 1: {  // a long burst, to pass the 1500-byte mark and fill the buffer
            const std::size_t n = (std::size_t(in.byte()) + 1) * 12;
            const uint8_t seed = in.byte(), step = in.byte();
            std::string burst(n, '\0');
            for (std::size_t i = 0; i < n; ++i)
                burst[i] = static_cast<char>(seed + step * i);
            r.feed(burst);
            break;
        }
        case 2:
            r.clock.advance(in.byte());
            r.tick();
            break;
        case 3:
            r.clock.advance(in.u16());
            r.tick();
            break;
        case 4:
            r.tick();
            break;
        case 5:
            r.options.hex = !r.options.hex;
            break;
        case 6:
            r.options.showTime = !r.options.showTime;
            break;
        case 7:
            r.options.filter = in.bytes(in.byte() % 4);
            break;
        case 8:
            r.rx.setRxTimeoutMs(timeoutFrom(in));
            break;
        case 9: {
            const uint8_t b = in.byte();
            r.port.maxPerRead = (b & 0x7F) ? (b & 0x7F) : 0xFFFFFFFF;
            r.port.overclaim = (b & 0x80) ? 5 : 0;
            break;
        }
        case 10:  // a line sent: the input queue is purged first (only an open port has one)
            if (r.access.portOpen())
                r.purgeModel();
            r.access.purgePort();
            break;
        case 11:
            if (r.access.portOpen()) {
                r.purgeModel();
                r.access.closePort();
            } else {
                r.open();
            }
            break;
        case 12:  // just before Monday 00:00, where the receive clock falls back to 0
            r.clock.set(2024, 1, 7, 23, 59, 59, 1000 - 1 - in.byte() * 3);
            break;
        case 13:
            r.options.sendMode =
                r.options.sendMode == SendMode::AfterAnswer ? SendMode::Manual : SendMode::AfterAnswer;
            break;
        case 14:
            r.checkWakeUp();
            break;
        default:
            r.logFile.toggleLogFile(r.clock.now());
            break;
        }
    }

    // Silence: everything fed and not purged is read and shown.
    if (!r.access.portOpen())
        r.open();
    r.port.maxPerRead = 0xFFFFFFFF;
    r.rx.setRxTimeoutMs(0);
    // Each poll reads at most 2048 bytes and a packet ends one tick later.
    const std::size_t polls = 2 * (r.port.input.size() / 1500 + 2);
    for (std::size_t i = 0; i < polls && (!r.port.input.empty() || r.rx.rxCount() > 0); ++i) {
        r.clock.advance(1);
        r.tick();
    }
    FUZZ_CHECK(r.port.input.empty() && r.rx.rxCount() == 0,
               "bytes left after the line went silent: " + std::to_string(r.port.input.size()) + " waiting, "
                   + std::to_string(r.rx.rxCount()) + " held");
    FUZZ_CHECK(r.port.readLog == r.stream, "bytes read are not the bytes fed: " + hexDump(r.port.readLog));
    FUZZ_CHECK(r.shown == r.stream.size(), "bytes read but never shown");

    if (r.logFile.fileOpen()) {
        const std::string path = fuzz::scratchDir() + "/" + r.logFile.fileName();
        r.logFile.close();
        FUZZ_CHECK(fuzz::readFile(path) == r.logExpected, "log file is not the lines logged");
        fuzz::removeFile(path);
    }
    return 0;
}
