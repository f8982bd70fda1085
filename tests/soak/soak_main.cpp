// The soak: the whole program, with its own timers, on a real pty for minutes.
// The device answers every line the terminal sends and streams lines of its
// own; the terminal runs the after-answer loop (one line sent by hand starts
// it) with the time stamps and the log file on. At the end the log must hold
// every line the device saw, in order, every answer once and in order, and
// the resident memory must not grow after the first minute.
//
//   soak_window [--seconds N] [--timeout-ms T] [--tick-ms P] [--keep]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../ui/recording_dialogs.h"
#include "qtserial/qt_serial_port.h"
#include "soak/soak_device.h"
#include "soak/soak_log.h"
#include "support/fake_serial_port.h"
#include "support/temp_dir.h"
#include "ui/kit/up_down.h"
#include "ui/window/terminal_window.h"

using namespace comtrax;
using namespace comtrax::soak;

namespace {

struct Options {
    int seconds = 600;
    int timeoutMs = 10;
    int tickMs = 100;
    bool keep = false;
};

bool parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--seconds" && hasValue)
            o.seconds = std::atoi(argv[++i]);
        else if (a == "--timeout-ms" && hasValue)
            o.timeoutMs = std::atoi(argv[++i]);
        else if (a == "--tick-ms" && hasValue)
            o.tickMs = std::atoi(argv[++i]);
        else if (a == "--keep")
            o.keep = true;
        else
            return false;
    }
    return o.seconds > 0 && o.timeoutMs >= 0 && o.tickMs > 0;
}

long residentKb()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

std::string mib(long kb)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f MiB", kb / 1024.0);
    return buf;
}

struct Sample {
    double seconds;
    long kb;
};

// Flat: past the first minute, the end is no higher than the highest value of
// the first half of that stretch, give or take 2 MiB of heap noise. Runs
// shorter than three minutes are too short to tell.
bool memoryFlat(const std::vector<Sample>& samples, double total, std::string& fact)
{
    long atMinute = -1, firstHalfMax = 0, lo = 0, hi = 0;
    const double half = 60 + (total - 60) / 2;
    for (const Sample& s : samples) {
        if (s.seconds < 60)
            continue;
        if (atMinute < 0) {
            atMinute = s.kb;
            lo = hi = s.kb;
        }
        lo = std::min(lo, s.kb);
        hi = std::max(hi, s.kb);
        if (s.seconds <= half)
            firstHalfMax = std::max(firstHalfMax, s.kb);
    }
    const long start = samples.empty() ? -1 : samples.front().kb;
    const long end = samples.empty() ? -1 : samples.back().kb;
    fact = "memory: VmRSS " + mib(start) + " at start";
    if (atMinute < 0 || total < 180) {
        fact += ", " + mib(end) + " at the end (run too short to judge growth)";
        return true;
    }
    fact += ", " + mib(atMinute) + " after the first minute, " + mib(end) + " at the end (between " + mib(lo)
        + " and " + mib(hi) + " after the first minute)";
    return end <= firstHalfMax + 2048;
}

// Both ends of the link have gone quiet: nothing waits in the port, nothing is
// held for a packet, for a while on end, and the log holds an answer for every
// line sent (a device slowed down by a busy machine may answer the last line
// after a long pause; the end waits for it, up to capMs).
bool waitQuiet(const TerminalWindow& w, SerialPort& port, const std::string& logPath, int quietMs, int capMs)
{
    QElapsedTimer total, quiet;
    total.start();
    quiet.start();
    while (total.elapsed() < capMs) {
        QTest::qWait(10);
        const uint32_t waiting = port.isOpen() ? port.inputCount() : 0;
        if (waiting != 0 || w.terminal().heldBytes() != 0) {
            quiet.restart();
        } else if (quiet.elapsed() >= quietMs) {
            const LogRecords log = parseLog(testing::readFileBytes(logPath));
            if (log.answers.size() >= log.sent.size())
                return true;
            quiet.restart();
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    Options opt;
    if (!parse(argc, argv, opt)) {
        std::fprintf(stderr, "usage: %s [--seconds N] [--timeout-ms T] [--tick-ms P] [--keep]\n", argv[0]);
        return 2;
    }

    testing::TempDir dir;
    int master = -1, slave = -1;
    char slaveName[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (::openpty(&master, &slave, slaveName, &raw, nullptr) != 0) {
        std::perror("openpty");
        return 2;
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    int control[2];
    if (::pipe(control) != 0) {
        std::perror("pipe");
        return 2;
    }
    const std::string transcriptPath = dir.file("device-transcript");

    // The device is forked before any Qt object exists, so it is a plain
    // process with nothing of the terminal in it.
    const pid_t device = ::fork();
    if (device < 0) {
        std::perror("fork");
        return 2;
    }
    if (device == 0) {
        ::close(slave);
        ::close(control[1]);
        DeviceScript script;
        script.streamPeriodMs = opt.tickMs;
        runDevice(master, control[0], script, transcriptPath);
        ::_exit(0);
    }
    ::close(master);
    ::close(control[0]);

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QtSerialPort port;
    testing::FakePortLister lister;
    lister.ports = {slaveName};
    SystemClock clock;
    testing::RecordingDialogs dialogs;
    WindowEnvironment env;
    env.port = &port;
    env.lister = &lister;
    env.clock = &clock;
    env.dialogs = &dialogs;
    env.directory = dir.path();
    env.sleep = [](int) {};
    auto window = std::make_unique<TerminalWindow>(env);
    window->show();
    dialogs.messages.clear();  // the first run's note about the new CmdConfig

    Controls& c = window->controls();
    while (window->terminal().rxTimeoutMs() < opt.timeoutMs)
        c.TimeOutRx->upButton()->click();
    c.VisTime->setChecked(true);
    c.ComPort->setCurrentIndex(0);
    c.BaudRate->setCurrentIndex(7);
    c.BTConnect->click();
    c.StartLog->click();
    c.MainStrCmd->setText("Q");
    c.RBAfterAns->setChecked(true);
    if (!window->terminal().portOpen() || !window->terminal().logActive()) {
        std::fprintf(stderr, "soak: the port or the log file did not open\n");
        ::kill(device, SIGKILL);
        return 2;
    }
    std::printf("soak: %d s, receive timeout %d ms, a device line every %d ms, directory %s\n", opt.seconds,
                window->terminal().rxTimeoutMs(), opt.tickMs, dir.path().c_str());
    std::fflush(stdout);

    // One line by hand starts the loop; every answer sends the next one.
    c.ButtonSend->click();

    std::vector<Sample> samples;
    QElapsedTimer run;
    run.start();
    qint64 nextSample = 0, nextReport = 60000;
    while (run.elapsed() < qint64(opt.seconds) * 1000) {
        QTest::qWait(50);
        if (run.elapsed() >= nextSample) {
            samples.push_back({run.elapsed() / 1000.0, residentKb()});
            nextSample += 5000;
        }
        if (run.elapsed() >= nextReport) {
            std::printf("  %4lld s: %s, VmRSS %s\n", run.elapsed() / 1000, qPrintable(c.LSend->text()),
                        mib(residentKb()).c_str());
            std::fflush(stdout);
            nextReport += 60000;
        }
    }
    const double seconds = run.elapsed() / 1000.0;
    samples.push_back({seconds, residentKb()});

    // Wind down: the device stops streaming, the loop stops after the line in
    // flight, and the device tells what it did once the line is quiet.
    char cmd = StopStreaming;
    bool wrote = ::write(control[1], &cmd, 1) == 1;
    c.RBManual->setChecked(true);
    const std::string logName = window->terminal().logFileName();
    const bool quiet = waitQuiet(*window, port, dir.file(logName), 300, 60000);
    cmd = Finish;
    wrote = ::write(control[1], &cmd, 1) == 1 && wrote;
    int status = 0;
    ::waitpid(device, &status, 0);
    const bool closed = window->close();

    Verdict verdict;
    DeviceTranscript transcript;
    if (!wrote || !readTranscript(transcriptPath, transcript))
        verdict.fail("the device left no transcript");
    else
        verdict = compare(transcript, parseLog(testing::readFileBytes(dir.file(logName))));
    if (!quiet)
        verdict.fail("the line did not fall quiet at the end");
    if (!closed)
        verdict.fail("the window refused to close");
    for (const QString& e : dialogs.errors)
        verdict.fail("error shown: " + e.toStdString());
    for (const QString& m : dialogs.messages)
        verdict.fail("message shown: " + m.toStdString());
    if (dialogs.noPortWindows)
        verdict.fail("the no-port window was shown");
    std::string memoryFact;
    if (!memoryFlat(samples, seconds, memoryFact))
        verdict.fail("resident memory grew after the first minute");
    verdict.facts.push_back(memoryFact);

    for (const std::string& f : verdict.facts)
        std::printf("%s\n", f.c_str());
    for (const std::string& f : verdict.faults)
        std::printf("FAULT: %s\n", f.c_str());
    std::printf("soak: %s\n", verdict.ok ? "PASS" : "FAIL");
    std::fflush(stdout);

    window.reset();
    if (opt.keep) {
        // Keep the directory with the log and the transcript for a look.
        const std::string kept = dir.path() + ".kept";
        std::filesystem::rename(dir.path(), kept);
        std::printf("soak: files kept in %s\n", kept.c_str());
    }
    ::close(slave);
    return verdict.ok ? 0 : 1;
}
