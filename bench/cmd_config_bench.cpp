// Times loading and saving a full CmdConfig (100 lists, 10 258 000 bytes):
// the save runs when the user leaves editor mode, so it must not stall the window.
//
//   bench_cmd_config [directory] [runs]
//
// The directory (default: a fresh one under the system temp directory) should be
// on the disk the terminal runs from, since the save includes fsync.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "full_files.h"
#include "macros/cmd_lists.h"

using namespace comtrax;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Stats {
    double median, min, max;
};

Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return {median, v.front(), v.back()};
}

}  // namespace

int main(int argc, char* argv[])
{
    namespace fs = std::filesystem;
    std::string dir;
    bool ownDir = false;
    if (argc > 1) {
        dir = argv[1];
    } else {
        std::string tmpl = (fs::temp_directory_path() / "comtrax-bench-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) {
            std::perror("mkdtemp");
            return 1;
        }
        dir = tmpl;
        ownDir = true;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
    const std::string path = dir + "/CmdConfig";

    CmdLists lists;
    bench::fillCmdLists(lists);
    if (auto r = lists.saveLists(path); !r) {
        std::fprintf(stderr, "%s\n", r.error.c_str());
        return 1;
    }

    std::vector<double> load, save;
    for (int i = 0; i < runs; ++i) {
        CmdLists fresh;
        auto t0 = Clock::now();
        const auto lr = fresh.loadLists(path);
        load.push_back(msSince(t0));
        if (lr.rebuilt || !lr.io || fresh.commandHelp(100, 48, 12) != lists.commandHelp(100, 48, 12)) {
            std::fprintf(stderr, "the file did not load: %s\n", lr.io.error.c_str());
            return 1;
        }
        t0 = Clock::now();
        const auto sr = fresh.saveLists(path);
        save.push_back(msSince(t0));
        if (!sr) {
            std::fprintf(stderr, "%s\n", sr.error.c_str());
            return 1;
        }
    }

    std::printf("CmdConfig, %zu bytes, %d runs, in %s\n", CmdLists::FileSize, runs, dir.c_str());
    std::printf("%-16s %10s %10s %10s\n", "operation", "median ms", "min ms", "max ms");
    const struct {
        const char* name;
        Stats s;
    } rows[] = {{"loadLists", stats(load)}, {"saveLists", stats(save)}};
    for (const auto& row : rows)
        std::printf("%-16s %10.2f %10.2f %10.2f\n", row.name, row.s.median, row.s.min, row.s.max);

    // The same figures as one JSON line, for bench/run.sh.
    const Stats l = stats(load), s = stats(save);
    std::printf(
        "{\"bench\": \"cmd_config\", \"bytes\": %zu, \"runs\": %d, \"load_median_ms\": %.3f, "
        "\"load_max_ms\": %.3f, \"save_median_ms\": %.3f, \"save_min_ms\": %.3f, \"save_max_ms\": %.3f}\n",
        CmdLists::FileSize, runs, l.median, l.max, s.median, s.min, s.max);

    std::error_code ec;
    fs::remove(path, ec);
    if (ownDir)
        fs::remove(dir, ec);
    return 0;
}
