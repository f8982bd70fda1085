// Start-up of the program with full files: from the moment the process is
// started to the first paint of the main window.
//
//   bench_startup prepare DIR        CmdConfig (full, valid), OldCmd, CfgTerminal
//   bench_startup run DIR [RUNS]     starts itself RUNS times as the program
//
// Each run is this executable started anew as "child": it does exactly what the
// program's main does (QApplication, TerminalWindow with the real port, clock and
// dialogs, show) in DIR, and reports when TerminalWindow is first painted. The parent
// takes the time just before it starts the process, so loading the libraries
// counts. The child ends without shutDown, so the files stay as prepared.
#include <QApplication>
#include <QEvent>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"
#include "bench_window.h"
#include "full_files.h"
#include "common/clock.h"
#include "qtserial/qt_serial_port.h"
#include "ui/window/terminal_window.h"

extern char** environ;

using namespace comtrax;
using namespace comtrax::bench;

namespace {

int64_t mainEntryNs = 0;

class FirstPaint : public QObject {
public:
    int64_t shownNs = 0;
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Show && !shownNs)
            shownNs = monotonicNs();
        if (e->type() == QEvent::Paint) {
            const int64_t paintNs = monotonicNs();
            std::printf("%lld %lld %lld\n", static_cast<long long>(mainEntryNs),
                        static_cast<long long>(shownNs), static_cast<long long>(paintNs));
            std::fflush(stdout);
            std::_Exit(0);
        }
        return QObject::eventFilter(watched, e);
    }
};

int child(int argc, char* argv[], const std::string& dir)
{
    if (::chdir(dir.c_str()) != 0)
        return 1;
    QApplication app(argc, argv);
    QtSerialPort port;
    QtPortLister lister;
    SystemClock clock;
    WindowEnvironment env;
    env.port = &port;
    env.lister = &lister;
    env.clock = &clock;
    TerminalWindow w(env);
    FirstPaint watch;
    w.installEventFilter(&watch);
    w.show();
    return app.exec();
}

int prepare(int argc, char* argv[], const std::string& dir)
{
    const std::string err = writeFullCmdConfigAndHistory(dir);
    if (!err.empty()) {
        std::fprintf(stderr, "%s\n", err.c_str());
        return 1;
    }
    // The window reads both files and, on closing, writes CfgTerminal.
    QApplication app(argc, argv);
    PrintingDialogs dialogs;
    QtSerialPort port;
    FixedLister lister;
    SystemClock clock;
    WindowEnvironment env;
    env.port = &port;
    env.lister = &lister;
    env.clock = &clock;
    env.dialogs = &dialogs;
    env.directory = dir;
    {
        TerminalWindow w(env);
        w.close();
    }
    if (dialogs.shown) {
        std::fprintf(stderr, "the window complained about the prepared files\n");
        return 1;
    }
    return 0;
}

int run(const char* self, const std::string& dir, int runs)
{
    std::vector<double> total, toMain, toShow, toPaintFromMain;
    for (int i = 0; i < runs; ++i) {
        int out[2];
        if (::pipe(out) != 0)
            return 1;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        posix_spawn_file_actions_addclose(&fa, out[0]);
        std::string a0 = self, a1 = "child", a2 = dir;
        char* argv[] = {a0.data(), a1.data(), a2.data(), nullptr};
        pid_t pid = -1;
        const int64_t t0 = monotonicNs();
        const int r = posix_spawn(&pid, self, &fa, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&fa);
        ::close(out[1]);
        if (r != 0)
            return 1;
        std::string text;
        char buf[256];
        ssize_t n;
        while ((n = ::read(out[0], buf, sizeof buf)) > 0)
            text.append(buf, static_cast<std::size_t>(n));
        ::close(out[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        long long m = 0, s = 0, p = 0;
        if (std::sscanf(text.c_str(), "%lld %lld %lld", &m, &s, &p) != 3) {
            std::fprintf(stderr, "run %d: no paint reported\n", i);
            return 1;
        }
        total.push_back(double(p - t0) / 1e6);
        toMain.push_back(double(m - t0) / 1e6);
        toShow.push_back(double(s - t0) / 1e6);
        toPaintFromMain.push_back(double(p - m) / 1e6);
    }
    const Figures t = figures(total), m = figures(toMain), s = figures(toShow), pm = figures(toPaintFromMain);
    Json j;
    j.add("bench", "startup")
        .add("runs", runs)
        .add("platform", std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "default")
        .add("to_paint_median_ms", t.median, 2)
        .add("to_paint_min_ms", t.min, 2)
        .add("to_paint_max_ms", t.max, 2)
        .add("to_main_median_ms", m.median, 2)
        .add("to_show_median_ms", s.median, 2)
        .add("main_to_paint_median_ms", pm.median, 2);
    std::printf("%s\n", j.str().c_str());
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    mainEntryNs = monotonicNs();
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup prepare|run DIR [RUNS]\n");
        return 1;
    }
    const std::string mode = argv[1], dir = argv[2];
    if (mode == "child")
        return child(argc, argv, dir);
    if (mode == "prepare")
        return prepare(argc, argv, dir);
    if (mode == "run")
        return run("/proc/self/exe", dir, argc > 3 ? std::max(1, std::atoi(argv[3])) : 11);
    return 1;
}
