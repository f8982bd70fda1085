// Benchmarks of the whole window: the real TerminalWindow on the Qt serial port and a
// pseudo-terminal, run offscreen (or under Xvfb with QT_QPA_PLATFORM=xcb).
// Each mode prints one JSON line on standard output.
//
//   bench_window rx [--timeout MS] [--no-log] [--stalls] -- DEVICE-OPTIONS...
//       a bench_device child streams the pattern; figures: MB/s, bytes lost,
//       CPU seconds per MB of this process; with --stalls the longest stall of
//       the event loop instead, from a 1 ms timer whose own wakes would count
//       in the CPU figure (so that run's CPU is not the program's)
//   bench_window prepare DIR [--timeout MS]
//       settings in DIR for the real program (receive timeout MS), and where
//       Start Log sits in its window, for a click from outside
//   bench_window idle --open|--closed [--seconds S]
//       CPU of this process while nothing happens
//   bench_window send [--lines N]
//       send until the bytes are readable at the device
//   bench_window period [--seconds S]
//       lines per second in period mode with PeriodTX "0"
//   bench_window memory [--lines N] [--length L]
//       resident size after N log lines of L bytes in the window
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QToolButton>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench_util.h"
#include "bench_window.h"
#include "device_process.h"
#include "pty_device.h"
#include "ui/kit/up_down.h"
#include "ui/window/terminal_timers.h"

using namespace comtrax;
using namespace comtrax::bench;

namespace {

std::string deviceProgram()
{
    return (QCoreApplication::applicationDirPath() + "/bench_device").toStdString();
}

std::string optionValue(const std::vector<std::string>& args, const std::string& key, const std::string& dflt)
{
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == key)
            return args[i + 1];
    return dflt;
}

bool hasOption(const std::vector<std::string>& args, const std::string& key)
{
    for (const auto& a : args)
        if (a == key)
            return true;
    return false;
}

// The receive timeout set as the user sets it, with its arrows.
void stepTimeoutTo(TerminalWindow& window, int32_t ms)
{
    for (int i = 0; i < 100 && window.terminal().rxTimeoutMs() < ms; ++i)
        window.controls().TimeOutRx->upButton()->click();
    for (int i = 0; i < 100 && window.terminal().rxTimeoutMs() > ms; ++i)
        window.controls().TimeOutRx->downButton()->click();
}

void waitInLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The event loop's lateness: a 1 ms timer that notes how late it fires. The
// longest gap is the longest time any event (a click, a repaint) had to wait.
class StallMeter : public QObject {
public:
    explicit StallMeter(std::function<void()> onTick) : onTick_(std::move(onTick))
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const int64_t now = monotonicNs();
            if (last_ && measuring) {
                const double gap = double(now - last_) / 1e6;
                longestMs = std::max(longestMs, gap);
                if (gap > 20 && std::getenv("BENCH_STALLS"))
                    std::fprintf(stderr, "stall %.1f ms at %.3f s\n", gap, double(now) / 1e9);
            }
            last_ = now;
            onTick_();
        });
        timer_.start();
    }
    bool measuring = false;
    double longestMs = 0;

private:
    QTimer timer_;
    int64_t last_ = 0;
    std::function<void()> onTick_;
};

int runRx(const std::vector<std::string>& args)
{
    const int timeoutMs = std::stoi(optionValue(args, "--timeout", "10"));
    const bool logOn = !hasOption(args, "--no-log");
    const bool measureStalls = hasOption(args, "--stalls");
    std::vector<std::string> devArgs;
    bool after = false;
    for (const auto& a : args) {
        if (after)
            devArgs.push_back(a);
        if (a == "--")
            after = true;
    }
    devArgs.push_back("--hold");
    const std::string patternName = optionValue(devArgs, "--pattern", "binary");
    DeviceProcess device(deviceProgram(), devArgs);
    const std::string pathLine = device.readLine();
    if (pathLine.rfind("path ", 0) != 0) {
        std::fprintf(stderr, "bench_device did not start\n");
        return 1;
    }
    BenchWindow w(pathLine.substr(5), logOn);
    if (!w.connected()) {
        std::fprintf(stderr, "the window did not connect\n");
        return 1;
    }
    stepTimeoutTo(*w.window, timeoutMs);
    w.window->show();

    std::string phase;
    int64_t startNs = 0, deviceEndNs = 0, endNs = 0;
    double cpuStart = 0, cpuEnd = 0, writeMbps = 0;
    int64_t wakesStart = 0, wakesEnd = 0;
    uint64_t written = 0;
    bool deviceDone = false, finished = false;
    int32_t lastRx = 0;
    int64_t lastProgressNs = monotonicNs();
    QEventLoop loop;
    std::function<void()> startEndCheck = [] {};

    QSocketNotifier notifier(device.outputFd(), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        for (const std::string& line : device.readLines()) {
            if (line.rfind("start ", 0) == 0) {
                startNs = std::stoll(line.substr(6));
                cpuStart = processCpuSeconds();
                wakesStart = processWakes();
            } else if (line.rfind("done ", 0) == 0) {
                const std::string j = line.substr(5);
                auto num = [&](const char* key) {
                    const auto at = j.find(std::string("\"") + key + "\": ");
                    return at == std::string::npos ? 0.0 : std::stod(j.substr(at + std::strlen(key) + 4));
                };
                auto str = [&](const char* key) {
                    const auto at = j.find(std::string("\"") + key + "\": \"");
                    if (at == std::string::npos)
                        return std::string();
                    const auto from = at + std::strlen(key) + 5;
                    return j.substr(from, j.find('"', from) - from);
                };
                written = static_cast<uint64_t>(num("bytes_written"));
                writeMbps = num("write_mb_per_s");
                deviceEndNs = static_cast<int64_t>(num("end_ns"));
                phase = str("phase");
                deviceDone = true;
                startEndCheck();
            } else if (line == "noopen") {
                loop.quit();
            }
        }
    });

    // Done when every byte written has been read and shown: nothing held.
    const auto checkEnd = [&] {
        if (finished || !startNs)
            return;
        const int32_t rx = w.window->terminal().rxBytes();
        if (rx != lastRx) {
            lastRx = rx;
            lastProgressNs = monotonicNs();
        }
        if (deviceDone && uint64_t(rx) >= written && w.window->terminal().heldBytes() == 0) {
            endNs = monotonicNs();
            cpuEnd = processCpuSeconds();
            wakesEnd = processWakes();
            finished = true;
            loop.quit();
        } else if (deviceDone && secondsSince(lastProgressNs) > 5) {
            loop.quit();  // bytes went missing: nothing more will come
        }
    };
    // Without the stall meter nothing of the bench wakes the window while the
    // stream runs: the end is looked for every millisecond only once the
    // device has written its last byte (a few milliseconds before the end).
    std::unique_ptr<StallMeter> meter;
    QTimer endCheck;
    endCheck.setTimerType(Qt::PreciseTimer);
    endCheck.setInterval(1);
    QObject::connect(&endCheck, &QTimer::timeout, checkEnd);
    startEndCheck = [&] {
        if (!meter)
            endCheck.start();
    };
    if (measureStalls)
        meter = std::make_unique<StallMeter>([&] {
            meter->measuring = meter->measuring || (startNs && !finished);
            checkEnd();
        });
    QTimer::singleShot(300000, &loop, &QEventLoop::quit);
    loop.exec();
    if (!finished) {
        endNs = monotonicNs();
        cpuEnd = processCpuSeconds();
        wakesEnd = processWakes();
    }
    device.finish();

    const LogCheck check =
        checkLog(logOn ? readWholeFile(w.logPath()) : std::string(), written, patternNamed(patternName));
    const double seconds = double(endNs - startNs) / 1e9;
    const double mb = double(written) / 1e6;
    const double cpu = cpuEnd - cpuStart;
    Json j;
    j.add("bench", "rx")
        .add("phase", phase)
        .add("pattern", patternName)
        .add("platform", QGuiApplication::platformName().toStdString())
        .add("timeout_ms", timeoutMs)
        .add("log", logOn)
        .add("bytes_device", std::size_t(written))
        .add("bytes_read", int64_t(w.window->terminal().rxBytes()))
        .add("bytes_in_log", std::size_t(check.got))
        .add("bytes_lost", std::size_t(check.lost))
        .add("log_intact", check.intact)
        .add("first_mismatch", check.firstMismatch)
        .add("finished", finished)
        .add("seconds", seconds)
        .add("device_write_seconds", double(deviceEndNs - startNs) / 1e9)
        .add("mb_per_s", mb / seconds)
        .add("device_mb_per_s", writeMbps)
        .add("cpu_seconds", cpu)
        .add("cpu_s_per_mb", cpu / mb, 4)
        .add("cpu_share_of_core", cpu / seconds)
        .add("wakes_per_s", double(wakesEnd - wakesStart) / seconds)
        .add("stall_meter", measureStalls)
        .add("vmhwm_kb", int64_t(statusKb("VmHWM")));
    if (meter)
        j.add("longest_stall_ms", meter->longestMs, 2);
    std::printf("%s\n", j.str().c_str());
    return 0;
}

// Counts paint events by widget, to see what an idle second repaints.
class PaintCounter : public QObject {
public:
    std::map<std::string, int> counts;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            std::string name = o->objectName().toStdString();
            if (name.empty())
                name = std::string(o->metaObject()->className()) + " in "
                    + (o->parent() ? o->parent()->objectName().toStdString() : std::string("?"));
            ++counts[name];
        }
        return false;
    }
};

int runIdle(const std::vector<std::string>& args)
{
    const bool open = hasOption(args, "--open");
    const double seconds = std::stod(optionValue(args, "--seconds", "10"));
    const int warmMs = std::stoi(optionValue(args, "--warm-ms", "2000"));
    std::unique_ptr<DeviceProcess> device;
    std::string path;
    if (open) {
        device = std::make_unique<DeviceProcess>(deviceProgram(),
                                                 std::vector<std::string>{"--stream", "0", "--hold"});
        const std::string line = device->readLine();
        if (line.rfind("path ", 0) != 0)
            return 1;
        path = line.substr(5);
    }
    BenchWindow w(path);
    if (open && !w.connected()) {
        std::fprintf(stderr, "the window did not connect\n");
        return 1;
    }
    w.window->show();
    waitInLoop(warmMs);
    PaintCounter paints;
    if (std::getenv("BENCH_PAINTS"))
        qApp->installEventFilter(&paints);
    const double cpu0 = processCpuSeconds();
    const int64_t t0 = monotonicNs();
    waitInLoop(int(seconds * 1000));
    const double cpu = processCpuSeconds() - cpu0;
    for (const auto& [name, n] : paints.counts)
        std::fprintf(stderr, "paint %s: %d\n", name.c_str(), n);
    const double elapsed = secondsSince(t0);
    const bool stillOpen = w.connected();
    if (device)
        device->finish();
    Json j;
    j.add("bench", "idle")
        .add("program", "bench_window")
        .add("port", open ? "open" : "closed")
        .add("connected", stillOpen)
        .add("platform", QGuiApplication::platformName().toStdString())
        .add("seconds", elapsed)
        .add("cpu_seconds", cpu, 4)
        .add("core_percent", 100 * cpu / elapsed, 4);
    std::printf("%s\n", j.str().c_str());
    return 0;
}

int runSend(const std::vector<std::string>& args)
{
    const int lines = std::stoi(optionValue(args, "--lines", "10000"));
    PtyDevice dev(true);
    BenchWindow w(dev.slavePath());
    if (!w.connected())
        return 1;
    w.window->show();
    waitInLoop(200);
    dev.drain();

    std::vector<double> total, call;
    total.reserve(lines);
    call.reserve(lines);
    int errors = 0;
    int sent = 0;
    QEventLoop loop;
    // One line per turn of the event loop, as a user's Enter or a timer would.
    std::function<void()> step = [&] {
        const std::string line = "AT+BENCH=" + std::to_string(sent);
        const std::size_t want = line.size() + 1;  // the suffix $0D
        w.window->controls().MainStrCmd->setText(QString::fromLatin1(line));
        const int64_t t0 = monotonicNs();
        w.window->controls().ButtonSend->click();
        const int64_t t1 = monotonicNs();
        std::string got;
        while (got.size() < want) {
            pollfd p{dev.master(), POLLIN, 0};
            if (::poll(&p, 1, 1000) <= 0)
                break;
            got += dev.drain();
        }
        const int64_t t2 = monotonicNs();
        if (got != line + "\r")
            ++errors;
        call.push_back(double(t1 - t0) / 1e6);
        total.push_back(double(t2 - t0) / 1e6);
        if (++sent < lines)
            QTimer::singleShot(0, step);
        else
            loop.quit();
    };
    QTimer::singleShot(0, step);
    loop.exec();

    const Figures f = figures(total), c = figures(call);
    Json j;
    j.add("bench", "send")
        .add("lines", sent)
        .add("wrong_bytes", errors)
        .add("median_ms", f.median, 4)
        .add("p99_ms", f.p99, 4)
        .add("max_ms", f.max, 4)
        .add("call_median_ms", c.median, 4)
        .add("call_max_ms", c.max, 4);
    std::printf("%s\n", j.str().c_str());
    return 0;
}

int runPeriod(const std::vector<std::string>& args)
{
    const double seconds = std::stod(optionValue(args, "--seconds", "3"));
    PtyDevice dev(true);
    BenchWindow w(dev.slavePath());
    if (!w.connected())
        return 1;
    Controls& ui = w.window->controls();
    ui.MainStrCmd->setText("PING");
    ui.PeriodTX->setText("0");
    w.window->show();

    std::atomic<long> crs{0};
    std::atomic<bool> counting{false}, stop{false};
    std::thread reader([&] {
        char buf[65536];
        while (!stop) {
            pollfd p{dev.master(), POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(dev.master(), buf, sizeof buf);
            if (n > 0 && counting)
                for (ssize_t i = 0; i < n; ++i)
                    crs += buf[i] == '\r';
        }
    });
    ui.RBPeriod->setChecked(true);
    waitInLoop(500);
    const double cpu0 = processCpuSeconds();
    const int64_t t0 = monotonicNs();
    counting = true;
    waitInLoop(int(seconds * 1000));
    counting = false;
    const double elapsed = secondsSince(t0);
    const double cpu = processCpuSeconds() - cpu0;
    ui.RBManual->setChecked(true);
    stop = true;
    reader.join();
    Json j;
    j.add("bench", "period")
        .add("seconds", elapsed)
        .add("lines", int64_t(crs.load()))
        .add("lines_per_s", double(crs.load()) / elapsed, 1)
        .add("cpu_share_of_core", cpu / elapsed);
    std::printf("%s\n", j.str().c_str());
    return 0;
}

// What one wake of each timer costs when nothing happens (port closed): the
// handlers called directly, many times, with the paint that follows included.
int runTicks(const std::vector<std::string>& args)
{
    const int n = std::stoi(optionValue(args, "--count", "2000"));
    BenchWindow w("");
    w.window->show();
    waitInLoop(300);
    auto perCall = [&](const std::function<void()>& f) {
        const double c0 = processCpuSeconds();
        for (int i = 0; i < n; ++i) {
            f();
            QCoreApplication::processEvents();
        }
        return (processCpuSeconds() - c0) / n * 1e6;
    };
    const double empty = perCall([] {});
    const double check = perCall([&] { w.window->timers().runConnectionCheck(); });
    const double house = perCall([&] { w.window->timers().runHousekeeping(); });
    Json j;
    j.add("bench", "ticks")
        .add("calls", n)
        .add("empty_turn_us", empty, 1)
        .add("check_connect_us", check, 1)
        .add("housekeeping_us", house, 1);
    std::printf("%s\n", j.str().c_str());
    return 0;
}

int runMemory(const std::vector<std::string>& args)
{
    const int lines = std::stoi(optionValue(args, "--lines", "5000"));
    const int length = std::stoi(optionValue(args, "--length", "1500"));
    const long rssStart = statusKb("VmRSS");
    BenchWindow w("");
    w.window->show();
    waitInLoop(300);
    const long rssWindow = statusKb("VmRSS");
    // Printable text that differs from line to line, as a device's would.
    for (int i = 0; i < lines; ++i) {
        const std::string line = pattern(uint64_t(i) * length, uint64_t(length), Pattern::Text);
        w.window->addLogLine(line);
        if (i % 50 == 49)
            QCoreApplication::processEvents();
    }
    waitInLoop(500);
    const long rssLines = statusKb("VmRSS");
    Json j;
    j.add("bench", "memory")
        .add("lines", lines)
        .add("line_bytes", length)
        .add("lines_in_window", int64_t(w.window->controls().MainWindow->lineCount()))
        .add("rss_start_kb", int64_t(rssStart))
        .add("rss_window_kb", int64_t(rssWindow))
        .add("rss_after_lines_kb", int64_t(rssLines))
        .add("rss_growth_kb", int64_t(rssLines - rssWindow))
        .add("vmhwm_kb", int64_t(statusKb("VmHWM")));
    std::printf("%s\n", j.str().c_str());
    return 0;
}

// The directory the real program runs in for the receive rows under Xvfb: its
// settings hold the receive timeout (the program is started with nothing but
// its command line), and the answer says where Start Log is in the window, for
// the click from outside that starts the log file.
int runPrepare(const std::vector<std::string>& args)
{
    if (args.size() < 2 || args[1].rfind("--", 0) == 0) {
        std::fprintf(stderr, "usage: bench_window prepare DIR [--timeout MS]\n");
        return 1;
    }
    const std::string dir = args[1];
    const int timeoutMs = std::stoi(optionValue(args, "--timeout", "10"));
    QtSerialPort port;
    FixedLister lister;
    SystemClock clock;
    PrintingDialogs dialogs;
    WindowEnvironment env;
    env.port = &port;
    env.lister = &lister;
    env.clock = &clock;
    env.dialogs = &dialogs;
    env.directory = dir;
    QPoint startLog;
    bool saved = false;
    {
        TerminalWindow window(env);
        window.show();
        waitInLoop(200);
        stepTimeoutTo(window, timeoutMs);
        QWidget* button = window.controls().StartLog;
        startLog = button->mapTo(&window, button->rect().center());
        saved = window.close();
    }
    // What the program will find there.
    TerminalWindow again(env);
    const int32_t stored = again.terminal().rxTimeoutMs();
    Json j;
    j.add("bench", "prepare")
        .add("saved", saved)
        .add("rx_timeout_ms", int64_t(stored))
        .add("start_log_x", startLog.x())
        .add("start_log_y", startLog.y())
        .add("platform", QGuiApplication::platformName().toStdString());
    std::printf("%s\n", j.str().c_str());
    return saved && stored == timeoutMs ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[])
{
    std::fflush(stdout);
    QApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fprintf(stderr, "usage: bench_window rx|idle|send|period|ticks|memory|prepare [options]\n");
        return 1;
    }
    const std::string mode = args.front();
    if (mode == "rx")
        return runRx(args);
    if (mode == "idle")
        return runIdle(args);
    if (mode == "send")
        return runSend(args);
    if (mode == "period")
        return runPeriod(args);
    if (mode == "ticks")
        return runTicks(args);
    if (mode == "memory")
        return runMemory(args);
    if (mode == "prepare")
        return runPrepare(args);
    std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    return 1;
}
