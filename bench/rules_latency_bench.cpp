// How soon a rule answers: the real window on a pty with TimeRX 0, one rule
// ("ping" -> "pong"), the device writes "ping" and times until "pong" is read
// back at its end of the pty. Then an echoing device against an echo rule:
// the global limit must stop the loop with the window still turning.
//   bench_rules_latency [ROUNDS]
#include <QApplication>
#include <QElapsedTimer>
#include <QToolButton>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "automation/rules_file.h"
#include "bench_window.h"
#include "common/clock.h"
#include "ui/kit/up_down.h"
#include "ui/window/rules_tool.h"

using namespace comtrax;
using namespace comtrax::bench;

namespace {

Rule sendRule(const std::string& name, const std::string& pattern, const std::string& reply)
{
    Rule r;
    r.name = name;
    r.pattern = {PatternKind::Text, pattern};
    r.actions = {{RuleAction::Kind::Send, reply, false, "$0D", 1}};
    return r;
}

std::string readAll(int fd)
{
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    return out;
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    int master = -1, slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, name, &raw, nullptr) != 0)
        return 1;
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    {
        BenchWindow w(name, false);
        if (!w.connected())
            return 1;
        while (w.window->terminal().rxTimeoutMs() > 0)
            w.window->controls().TimeOutRx->downButton()->click();
        auto* tool = w.window->findChild<RulesTool*>();
        RuleSet set;
        set.rules = {sendRule("pong", "ping", "pong")};
        set.limit.on = false;
        tool->apply(set, false);

        std::vector<double> ms;
        for (int i = 0; i < rounds; ++i) {
            readAll(master);
            const int64_t t0 = monotonicNowNs();
            if (::write(master, "ping", 4) != 4)
                return 1;
            std::string got;
            QElapsedTimer guard;
            guard.start();
            while (got.find("pong\r") == std::string::npos && guard.elapsed() < 2000) {
                app.processEvents(QEventLoop::AllEvents, 1);
                got += readAll(master);
            }
            ms.push_back(static_cast<double>(monotonicNowNs() - t0) / 1e6);
            const int64_t until = monotonicNowNs() + 5000000;  // a gap, so each ping is its own packet
            while (monotonicNowNs() < until)
                app.processEvents(QEventLoop::AllEvents, 1);
        }
        std::sort(ms.begin(), ms.end());
        const double median = ms[ms.size() / 2];
        const double p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];

        // The echo loop: the device sends back all it reads; the limit stops it.
        set.rules = {sendRule("echo", "ping", "ping")};
        set.limit = {true, 20};
        tool->apply(set, false);
        ::write(master, "ping", 4);
        QElapsedTimer run;
        run.start();
        int64_t longestTurnNs = 0;
        int64_t last = monotonicNowNs();
        while (run.elapsed() < 2000) {
            app.processEvents(QEventLoop::AllEvents, 1);
            const std::string back = readAll(master);
            if (!back.empty())
                ::write(master, back.data(), back.size());
            const int64_t now = monotonicNowNs();
            longestTurnNs = std::max(longestTurnNs, now - last);
            last = now;
        }
        std::printf(
            "{\"bench\": \"rules_latency\", \"rounds\": %d, \"median_ms\": %.2f, \"p99_ms\": %.2f, "
            "\"max_ms\": %.2f, \"echo_stopped\": %s, \"echo_longest_turn_ms\": %.1f, \"messages\": %d}\n",
            rounds, median, p99, ms.back(), w.window->terminal().rules().stopped() ? "true" : "false",
            static_cast<double>(longestTurnNs) / 1e6, w.dialogs.shown);
    }
    ::close(slave);
    ::close(master);
    return 0;
}
