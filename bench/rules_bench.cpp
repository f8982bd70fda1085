// The rules' own cost on a received text stream: 20 enabled rules (text, HEX
// and regular expressions mixed, a few across packet borders) tried on every
// 1 KiB packet of printable text, as the facade tries them. Prints MB/s and
// CPU milliseconds per MB of the matching alone (the window's display and log
// come on top, measured by bench_window).
//   bench_rules [MB]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "automation/rule_engine.h"

using namespace comtrax;

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::vector<Rule> twentyRules()
{
    std::vector<Rule> rules;
    const auto add = [&rules](PatternKind kind, const std::string& pattern, bool across) {
        Rule r;
        r.name = "r" + std::to_string(rules.size() + 1);
        r.pattern = {kind, pattern};
        r.acrossPackets = across;
        r.actions = {{RuleAction::Kind::Note, "hit", false, "", 1}};
        rules.push_back(r);
    };
    for (const char* t : {"login:", "Password:", "ERROR$0D", "BUSY", "NO CARRIER", "RING", "$ "})
        add(PatternKind::Text, t, rules.size() % 3 == 0);
    for (const char* h : {"01 03 ?? ??", "06", "15 ??", "7E ?? ?? 7E", "FF FE", "1B 5B ??"})
        add(PatternKind::Hex, h, false);
    for (const char* x : {"T=(-?\\d+)\\.\\d Z", "^ALARM (\\w+)$", "id=(?<id>[0-9A-F]{8})!", "(?i)fatal",
                          "\\+CSQ: (\\d+),", "V(\\d+)\\.(\\d+)\\.(\\d+)X", "OK\\r\\n$"})
        add(PatternKind::Regex, x, rules.size() % 4 == 0);
    rules.resize(20);
    return rules;
}

}  // namespace

int main(int argc, char** argv)
{
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 64;
    // Printable text in lines, pseudo-random, none of the patterns in it.
    std::string packet;
    uint32_t seed = 12345;
    while (packet.size() < 1024) {
        seed = seed * 1103515245u + 12345u;
        const char c = static_cast<char>('a' + (seed >> 16) % 26);
        packet += (seed >> 8) % 40 == 0 ? '\n' : c;
    }
    const class : public Clock {
    public:
        LocalDateTime now() const override { return {}; }
        int64_t monotonicNs() const override { return monotonicNowNs(); }
    } clock;
    RuleEngine engine(clock);
    int hits = 0;
    engine.setActor([&hits](const Firing&) { ++hits; });
    engine.setRules(twentyRules(), {false, 20});

    const std::size_t packets = static_cast<std::size_t>(megabytes) * 1024;
    const double cpu0 = cpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < packets; ++i)
        engine.packetReceived(packet);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = cpuSeconds() - cpu0;
    const double mb = static_cast<double>(packets * packet.size()) / 1e6;

    // An echo loop: every action makes the next packet. The limit stops it.
    RuleEngine echo(clock);
    int echoes = 0;
    echo.setActor([&echoes](const Firing&) { ++echoes; });
    Rule r;
    r.name = "echo";
    r.pattern = {PatternKind::Text, "ping"};
    r.actions = {{RuleAction::Kind::Send, "ping", false, "", 1}};
    echo.setRules({r}, {true, 20});
    for (int i = 0; i < 100000 && !echo.stopped(); ++i)
        echo.packetReceived("ping");

    std::printf(
        "{\"bench\": \"rules\", \"rules\": 20, \"mb\": %.1f, \"mb_per_s\": %.1f, \"cpu_ms_per_mb\": %.2f, "
        "\"hits\": %d, \"echo_actions_before_stop\": %d, \"echo_stopped\": %s}\n",
        mb, mb / seconds, cpu * 1000 / mb, hits, echoes, echo.stopped() ? "true" : "false");
    return 0;
}
