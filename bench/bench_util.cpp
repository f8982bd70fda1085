#include "bench_util.h"

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace comtrax::bench {

int64_t monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

double secondsSince(int64_t t0Ns)
{
    return double(monotonicNs() - t0Ns) / 1e9;
}

double processCpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec)
        + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

int64_t processWakes()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return int64_t(ru.ru_nvcsw);
}

double procStatCpuSeconds(int pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    // The command name may hold blanks and brackets: fields count from the last ')'.
    const auto close = all.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(all.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stoll(field);
        if (i == 15)
            stime = std::stoll(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

double procSchedCpuSeconds(int pid)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    double total = 0;
    bool any = false;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream f(task.path() / "schedstat");
        long long ns = 0;
        if (f >> ns) {
            total += double(ns) / 1e9;
            any = true;
        }
    }
    return any ? total : -1;
}

long statusKb(const char* field, int pid)
{
    std::ifstream f(pid ? "/proc/" + std::to_string(pid) + "/status" : std::string("/proc/self/status"));
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(f, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    return -1;
}

Figures figures(std::vector<double> v)
{
    Figures f;
    if (v.empty())
        return f;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    f.count = n;
    f.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    f.p99 = v[std::min(n - 1, std::size_t(std::ceil(0.99 * double(n))) - 1)];
    f.min = v.front();
    f.max = v.back();
    return f;
}

namespace {
std::string quoted(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
            continue;
        }
        out += c;
    }
    return out + "\"";
}
}  // namespace

Json& Json::add(const std::string& key, double value, int decimals)
{
    char buf[64];
    if (std::isfinite(value))
        std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    else
        std::snprintf(buf, sizeof buf, "null");
    items_.emplace_back(key, buf);
    return *this;
}

Json& Json::add(const std::string& key, int64_t value)
{
    items_.emplace_back(key, std::to_string(value));
    return *this;
}

Json& Json::add(const std::string& key, bool value)
{
    items_.emplace_back(key, value ? "true" : "false");
    return *this;
}

Json& Json::add(const std::string& key, const std::string& value)
{
    items_.emplace_back(key, quoted(value));
    return *this;
}

std::string Json::str() const
{
    std::string out = "{";
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (i)
            out += ", ";
        out += quoted(items_[i].first) + ": " + items_[i].second;
    }
    return out + "}";
}

}  // namespace comtrax::bench
