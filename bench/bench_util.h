#pragma once
// Small helpers shared by the benchmarks: clocks, CPU time, memory, figures
// and a JSON line writer. Timings live only here, never in the tests.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace comtrax::bench {

// CLOCK_MONOTONIC in nanoseconds: the same clock in every process, so a parent
// can time a child's start-up.
int64_t monotonicNs();
double secondsSince(int64_t t0Ns);

// CPU seconds (user + system) of this process, all its threads.
double processCpuSeconds();
// Times the process went to sleep and was woken (voluntary context switches).
int64_t processWakes();
// CPU seconds of another process from /proc/<pid>/stat (clock ticks) and from
// the scheduler's nanosecond counters of all its threads; -1 when unreadable.
double procStatCpuSeconds(int pid);
double procSchedCpuSeconds(int pid);

// "VmRSS" / "VmHWM" of /proc/self/status in kB; -1 when missing.
long statusKb(const char* field, int pid = 0);

struct Figures {
    double median = 0, p99 = 0, min = 0, max = 0;
    std::size_t count = 0;
};
Figures figures(std::vector<double> values);

// One flat JSON object, keys in the order they were added.
class Json {
public:
    Json& add(const std::string& key, double value, int decimals = 3);
    Json& add(const std::string& key, int64_t value);
    Json& add(const std::string& key, int value) { return add(key, int64_t(value)); }
    Json& add(const std::string& key, std::size_t value) { return add(key, int64_t(value)); }
    Json& add(const std::string& key, bool value);
    Json& add(const std::string& key, const std::string& value);
    Json& add(const std::string& key, const char* value) { return add(key, std::string(value)); }
    std::string str() const;

private:
    std::vector<std::pair<std::string, std::string>> items_;
};

}  // namespace comtrax::bench
