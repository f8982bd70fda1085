// A device on a pseudo-terminal for the receive benchmarks: it waits until a
// program opens the slave end, then streams the checkable byte pattern.
//
//   bench_device [--pattern text|binary] [--wait-open MS] [--settle MS] [--stall MS] [--go] [--hold]
//                [--flood BYTES]
//                (--stream BYTES | --bursts COUNT SIZE SILENCE_MS | --paced BYTES BYTES_PER_S)
// --flood writes BYTES of the pattern as fast as the pty takes them right
// before the bursts (the pattern goes on across both): a busy window just
// before packets that must each keep a line of their own.
//
// Protocol on standard output, one line each:
//   path /dev/pts/N          at once
//   open                     when a program has the slave open (or "noopen" and exit 2)
//   ready                    with --go: settled, waiting for a line "go" on standard input
//   start NS                 CLOCK_MONOTONIC of the first byte written
//   done {json}              bytes written, seconds, MB/s
// bench_device --print-pattern text|binary COUNT writes the pattern itself.
// With --hold it then keeps the master open (and drains what the program sends)
// until its standard input closes, so the program's port stays alive.
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "bench_util.h"
#include "pty_device.h"

using namespace comtrax::bench;

namespace {

struct Args {
    int waitOpenMs = 30000;
    int settleMs = 500;
    int stallMs = 10000;
    bool hold = false;
    bool go = false;  // start on "go" from standard input, not after the settling time alone
    std::string phase = "stream";
    uint64_t bytes = 16u << 20;
    int count = 0, size = 0, silenceMs = 0;
    double rate = 0;
    uint64_t flood = 0;  // bytes streamed before the bursts
    std::string pattern = "binary";
};

void say(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

void sleepMs(double ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(int64_t(ms * 1000)));
}

}  // namespace

int main(int argc, char* argv[])
{
    // bench_device --print-pattern text|binary COUNT: the bytes a log should hold.
    if (argc == 4 && std::string(argv[1]) == "--print-pattern") {
        const std::string p = pattern(0, std::stoull(argv[3]), patternNamed(argv[2]));
        std::fwrite(p.data(), 1, p.size(), stdout);
        return 0;
    }
    Args a;
    for (int i = 1; i < argc; ++i) {
        const std::string k = argv[i];
        auto next = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string("0"); };
        if (k == "--wait-open")
            a.waitOpenMs = std::stoi(next());
        else if (k == "--settle")
            a.settleMs = std::stoi(next());
        else if (k == "--stall")
            a.stallMs = std::stoi(next());
        else if (k == "--pattern")
            a.pattern = next();
        else if (k == "--hold")
            a.hold = true;
        else if (k == "--go")
            a.go = true;
        else if (k == "--flood")
            a.flood = std::stoull(next());
        else if (k == "--stream") {
            a.phase = "stream";
            a.bytes = std::stoull(next());
        } else if (k == "--bursts") {
            a.phase = "bursts";
            a.count = std::stoi(next());
            a.size = std::stoi(next());
            a.silenceMs = std::stoi(next());
            a.bytes = uint64_t(a.count) * uint64_t(a.size);
        } else if (k == "--paced") {
            a.phase = "paced";
            a.bytes = std::stoull(next());
            a.rate = std::stod(next());
        } else {
            std::fprintf(stderr, "unknown option %s\n", k.c_str());
            return 1;
        }
    }

    PtyDevice dev(false);
    say("path " + dev.slavePath());
    if (!dev.waitPeerOpen(a.waitOpenMs)) {
        say("noopen");
        return 2;
    }
    say("open");
    // The program sets the line to raw mode right after its open; bytes
    // written before that could be echoed or translated.
    sleepMs(a.settleMs);
    // The caller may have more to do before the stream (click the program's
    // Start Log, say): it says when.
    if (a.go) {
        say("ready");
        std::string line;
        for (char c = 0; !(c == '\n' && line == "go");) {
            if (c == '\n')
                line.clear();
            else if (c)
                line += c;
            if (::read(0, &c, 1) != 1)
                return 2;
        }
    }

    if (a.flood && a.phase != "bursts") {
        std::fprintf(stderr, "--flood goes with --bursts only\n");
        return 1;
    }
    a.bytes += a.flood;
    const std::string data = pattern(0, a.bytes, patternNamed(a.pattern));
    std::size_t written = 0;
    const int64_t t0 = monotonicNs();
    say("start " + std::to_string(t0));
    if (a.flood) {
        // A silence after it, as between the packets: the first packet is one of its own.
        written = dev.writeAll(data.data(), std::size_t(a.flood), a.stallMs);
        sleepMs(a.silenceMs);
    }
    if (written < a.flood) {
        // The program stopped reading: no bursts.
    } else if (a.phase == "stream") {
        written = dev.writeAll(data.data(), data.size(), a.stallMs);
    } else if (a.phase == "bursts") {
        for (int b = 0; b < a.count; ++b) {
            const std::size_t w = dev.writeAll(data.data() + written, std::size_t(a.size), a.stallMs);
            written += w;
            if (w < std::size_t(a.size))
                break;
            if (b + 1 < a.count)
                sleepMs(a.silenceMs);
        }
    } else {
        // Chunks of 1 ms worth of bytes, each on its due time.
        const std::size_t chunk = std::max<std::size_t>(1, std::size_t(a.rate / 1000));
        while (written < data.size()) {
            const double due = double(written) / a.rate;
            sleepMs((due - secondsSince(t0)) * 1000);
            const std::size_t n = std::min(chunk, data.size() - written);
            const std::size_t w = dev.writeAll(data.data() + written, n, a.stallMs);
            written += w;
            if (w < n)
                break;
        }
    }
    const double secs = secondsSince(t0);
    Json j;
    j.add("phase", a.phase)
        .add("pattern", a.pattern)
        .add("bytes_planned", std::size_t(a.bytes))
        .add("bytes_written", written)
        .add("write_seconds", secs)
        .add("write_mb_per_s", double(written) / 1e6 / secs)
        .add("end_ns", monotonicNs());
    say("done " + j.str());

    if (a.hold) {
        // Until the parent closes our standard input.
        for (;;) {
            pollfd p{0, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) {
                char buf[256];
                if (::read(0, buf, sizeof buf) <= 0)
                    break;
            }
            dev.drain();
        }
    }
    return written == a.bytes ? 0 : 3;
}
