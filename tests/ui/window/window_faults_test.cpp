// Faults the terminal must live through: a device that vanishes while it
// streams and while a periodic send runs (a real pty, the window's own timers
// and port wake-ups), and data files that cannot be written because the disk
// is full or the directory is gone. Each fault gets one message, leaves the
// old file as it was and leaves the program working.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "macros/cmd_lists.h"
#include "qtserial/qt_serial_port.h"
#include "support/file_limits.h"
#include "support/temp_dir.h"
#include "ui/kit/colours.h"
#include "ui/panels/macro_panel.h"
#include "pty_io.h"
#include "wait_until.h"
#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

// A device behind a fixed name that can be pulled out and plugged in again.
// A pty whose master has closed never comes back under its old name, so the
// name is a symbolic link that each plug-in points at a fresh pty.
class PluggableDevice {
public:
    explicit PluggableDevice(std::string link) : link_(std::move(link)) {}
    ~PluggableDevice() { unplug(); }

    const std::string& name() const { return link_; }

    void plugIn()
    {
        unplug();
        char slaveName[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (::openpty(&master_, &slave_, slaveName, &raw, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        const std::string fresh = link_ + ".new";
        ::unlink(fresh.c_str());
        if (::symlink(slaveName, fresh.c_str()) != 0 || ::rename(fresh.c_str(), link_.c_str()) != 0)
            throw std::runtime_error("cannot point the device name at the pty");
    }

    // The master end closes: the line hangs up under the terminal's feet.
    void unplug()
    {
        if (master_ >= 0)
            ::close(master_);
        if (slave_ >= 0)
            ::close(slave_);
        master_ = slave_ = -1;
        ::unlink(link_.c_str());
    }

    void send(const std::string& bytes) { sendToPty(master_, bytes); }

    // Everything the terminal has written since the last call.
    std::string drain() { return drainPty(master_); }

private:
    std::string link_;
    int master_ = -1;
    int slave_ = -1;
};

// The device sends numbered lines "rx 0001;" ended by CR alone, so that the
// log file, with its line breaks taken out, shows every received byte again.
constexpr std::size_t DeviceLineSize = 9;

std::string deviceLine(int n)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "rx %04d;\r", n);
    return buf;
}

// What a log file holds: the numbers of the device lines, the echoes of the
// periodic PING, and anything that is neither.
struct LogContent {
    std::vector<int> lines;
    int pings = 0;
    int pingsNotSent = 0;  // marked: the port refused them
    std::string junk;
};

LogContent parseLog(const std::string& log)
{
    std::string s;
    for (char c : log)
        if (c != '\r' && c != '\n')
            s += c;
    LogContent out;
    std::size_t i = 0;
    while (i < s.size()) {
        const std::string notSent = std::string("PING") + Sender::NotSentMark;
        if (s.compare(i, notSent.size(), notSent) == 0) {
            ++out.pingsNotSent;
            i += notSent.size();
        } else if (s.compare(i, 4, "PING") == 0) {
            ++out.pings;
            i += 4;
        } else if (s.compare(i, 3, "rx ") == 0 && i + 8 <= s.size() && s[i + 7] == ';'
                   && std::all_of(s.begin() + long(i) + 3, s.begin() + long(i) + 7,
                                  [](unsigned char c) { return c >= '0' && c <= '9'; })) {
            out.lines.push_back(std::stoi(s.substr(i + 3, 4)));
            i += 8;
        } else {
            out.junk += s[i++];
        }
    }
    return out;
}

int countOf(const std::string& haystack, const std::string& needle)
{
    int n = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
        ++n;
    return n;
}

// The whole window on the pluggable device with real timers: logging on,
// PING sent every 40 ms while the device streams.
struct LiveRig : BasicWindowRig<QtSerialPort, SystemClock> {
    PluggableDevice device{dir.file("ttyV0")};
    std::vector<int> pauses;

    explicit LiveRig(bool autoConnect)
    {
        device.plugIn();
        lister.ports = {device.name()};
        startTimers = true;
        sleep = [this](int ms) { pauses.push_back(ms); };
        open();
        dialogs.messages.clear();  // the first run's note about the rebuilt CmdConfig

        Controls& c = ui();
        while (terminal().rxTimeoutMs() < 5)
            c.TimeOutRx->upButton()->click();
        c.ComPort->setCurrentIndex(0);
        c.BaudRate->setCurrentIndex(7);
        c.AutoConnect->setChecked(autoConnect);
        c.MainStrCmd->setText("PING");
        c.PeriodTX->setText("40");
        c.RBPeriod->setChecked(true);
        c.BTConnect->click();
        c.StartLog->click();
    }
    // The window goes before the device it is connected to.
    ~LiveRig() { window.reset(); }

    uint32_t indicator() { return backgroundColour(ui().ComPort); }
    std::string log() { return readFileBytes(dir.file(window->terminal().logFileName())); }

    // Streams lines first..last, a line every couple of milliseconds, and
    // returns what the device received meanwhile.
    std::string stream(int first, int last)
    {
        std::string seen;
        for (int n = first; n <= last; ++n) {
            device.send(deviceLine(n));
            QTest::qWait(2);
            seen += device.drain();
        }
        return seen;
    }

    // Every byte the terminal read is in the log or still held for the packet
    // under way; the lines come in order and none twice.
    void expectEveryReadByteLoggedOnce(const LogContent& log)
    {
        EXPECT_EQ(log.junk, "");
        for (std::size_t i = 1; i < log.lines.size(); ++i)
            ASSERT_LT(log.lines[i - 1], log.lines[i]) << "at line " << i;
        const auto read = static_cast<std::size_t>(window->terminal().rxBytes());
        EXPECT_EQ(read, log.lines.size() * DeviceLineSize + window->terminal().heldBytes());
    }
};

}  // namespace

TEST(DeviceLoss, WithoutAutoConnectTheLossTurnsRedAndEveryLineReadIsLogged)
{
    LiveRig r(false);
    ASSERT_TRUE(r.window->terminal().portOpen());
    const std::string seen = r.stream(1, 200);
    // The window has read the whole stream (its last packet may still be held,
    // the periodic send goes on) before the device goes, on a busy machine too.
    ASSERT_TRUE(waitUntil([&] { return r.window->terminal().rxBytes() >= int32_t(200 * DeviceLineSize); }));
    r.device.unplug();  // in the middle of a packet and of the periodic send

    ASSERT_TRUE(waitUntil([&] { return r.indicator() == clRed; })) << "the loss was not noticed";
    EXPECT_FALSE(r.window->terminal().portOpen());
    EXPECT_EQ(r.ui().BTConnect->text(), "Disconnect");
    EXPECT_FALSE(r.ui().ComPort->isEnabled());
    EXPECT_TRUE(r.dialogs.errors.isEmpty());
    EXPECT_TRUE(r.dialogs.messages.isEmpty());
    EXPECT_EQ(r.dialogs.noPortWindows, 0) << "the period path must not complain about a closed port";

    const LogContent log = parseLog(r.log());
    r.expectEveryReadByteLoggedOnce(log);
    EXPECT_GT(log.lines.size(), 100u);
    const int pingsOnTheWire = countOf(seen, "PING\r");
    EXPECT_GE(pingsOnTheWire, 2);
    EXPECT_LE(pingsOnTheWire, log.pings) << "a line went out without its echo in the log";

    // Once the port is closed the period sends nothing more: the log gains no
    // line, and the read-out, once its display frame has shown the count the
    // log holds, stays as it is.
    const QString sent = QStringLiteral("Send: %1").arg(log.pings)
        + (log.pingsNotSent ? QStringLiteral(" (-%1)").arg(log.pingsNotSent) : QString());
    EXPECT_TRUE(waitUntil([&] { return r.ui().LSend->text() == sent; }))
        << r.ui().LSend->text().toStdString() << " for " << sent.toStdString();
    QTest::qWait(200);
    EXPECT_EQ(r.ui().LSend->text(), sent);
    const LogContent later = parseLog(r.log());
    EXPECT_EQ(later.pings, log.pings);
    EXPECT_EQ(later.pingsNotSent, log.pingsNotSent);

    // Disconnect only resets the display; Connect on a missing device says so.
    r.ui().BTConnect->click();
    EXPECT_EQ(r.ui().BTConnect->text(), "Connect");
    EXPECT_EQ(r.indicator(), clWindow);
    r.ui().BTConnect->click();
    EXPECT_EQ(r.ui().BTConnect->text(), "Connect");
    EXPECT_EQ(r.dialogs.messages.size(), 1);
}

TEST(DeviceLoss, WithAutoConnectTheTerminalWaitsInYellowAndGoesOnWhenTheDeviceReturns)
{
    LiveRig r(true);
    ASSERT_TRUE(r.window->terminal().portOpen());
    r.stream(1, 150);
    r.device.unplug();

    ASSERT_TRUE(waitUntil([&] { return r.indicator() == clYellow; })) << "no failed reconnection seen";
    EXPECT_FALSE(r.window->terminal().portOpen());
    EXPECT_EQ(r.ui().BTConnect->text(), "Disconnect");
    EXPECT_TRUE(r.pauses.empty());

    r.device.plugIn();
    ASSERT_TRUE(waitUntil([&] { return r.indicator() == clLime; }))
        << "the returned device was not reconnected";
    EXPECT_TRUE(r.window->terminal().portOpen());
    EXPECT_EQ(r.pauses, std::vector<int>{2000});

    // The periodic send reaches the new device and its lines reach the log.
    // (The check waits for nothing left unread rather than for a given line.)
    std::string seen = r.stream(1001, 1150);
    ASSERT_TRUE(waitUntil([&] {
        seen += r.device.drain();
        const uint32_t waiting = r.port.isOpen() ? r.port.inputCount() : 0;
        return waiting == 0 && r.terminal().heldBytes() == 0;
    })) << "the lines after the reconnection were not all taken in";
    EXPECT_GE(countOf(seen, "PING\r"), 1);

    const LogContent log = parseLog(r.log());
    r.expectEveryReadByteLoggedOnce(log);
    EXPECT_GT(std::count_if(log.lines.begin(), log.lines.end(), [](int n) { return n > 1000; }), 100);
    EXPECT_TRUE(r.dialogs.errors.isEmpty());
    EXPECT_TRUE(r.dialogs.messages.isEmpty());
}

// ---- Files ----------------------------------------------------------------------

namespace {

enum class Fault { DiskFull, DirectoryGone };

const char* faultName(Fault f)
{
    return f == Fault::DiskFull ? "disk full" : "directory gone";
}

// While it lives, files of the window's directory cannot be written: either
// no file may grow beyond limit bytes (a full disk, which stops root too), or
// the directory is moved away, so that the window's paths lead nowhere.
class FaultScope {
public:
    FaultScope(Fault fault, const std::string& dir, std::size_t limit) : dir_(dir)
    {
        if (fault == Fault::DiskFull) {
            limit_.emplace(limit);
            ok_ = limit_->active();
        } else {
            ok_ = ::rename(dir_.c_str(), (dir_ + ".away").c_str()) == 0;
            moved_ = ok_;
        }
    }
    ~FaultScope() { lift(); }
    bool ok() const { return ok_; }
    void lift()
    {
        limit_.reset();
        if (moved_)
            ::rename((dir_ + ".away").c_str(), dir_.c_str());
        moved_ = false;
    }

private:
    std::string dir_;
    std::optional<ScopedFileSizeLimit> limit_;
    bool moved_ = false;
    bool ok_ = false;
};

std::string fileOf(const WindowRig& r, const char* name)
{
    return readFileBytes(r.dir.file(name));
}

// No temporary file of an interrupted save may be left beside the data files.
std::vector<std::string> leftovers(const WindowRig& r)
{
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(r.dir.path()))
        if (e.path().filename().string().find(".tmp") != std::string::npos)
            found.push_back(e.path().filename().string());
    return found;
}

void receive(WindowRig& r, const std::string& bytes)
{
    r.port.feed(bytes);
    r.timers().pollReceive();
    r.clock.advance(1);
    r.timers().pollReceive();
}

}  // namespace

TEST(FileFaults, SettingsThatCannotBeSavedKeepTheWindowOpenAndTheOldFile)
{
    for (const Fault fault : {Fault::DiskFull, Fault::DirectoryGone}) {
        SCOPED_TRACE(faultName(fault));
        WindowRig r;
        r.open();
        r.ui().PeriodTX->setText("250");
        ASSERT_TRUE(r.close());
        r.restart();
        const std::string old = fileOf(r, "CfgTerminal");
        // Without OldCmd the history is not saved: the settings are the first write.
        std::filesystem::remove(r.dir.file("OldCmd"));
        r.dialogs.errors.clear();
        r.ui().PeriodTX->setText("777");

        FaultScope scope(fault, r.dir.path(), 500);
        ASSERT_TRUE(scope.ok());
        EXPECT_FALSE(r.close()) << "a close that lost the settings went ahead";
        // The window still works meanwhile.
        r.ui().ComPort->setCurrentIndex(0);
        r.ui().BTConnect->click();
        r.ui().MainStrCmd->setText("AT");
        r.ui().ButtonSend->click();
        EXPECT_EQ(r.port.written, "AT\r");
        ASSERT_EQ(r.dialogs.errors.size(), 1);
        EXPECT_TRUE(r.dialogs.errors[0].contains("CfgTerminal")) << r.dialogs.errors[0].toStdString();

        // Told once, the user can close: a fault that stays (a read-only
        // directory, a disk that stays full) must not lock the window open.
        EXPECT_TRUE(r.close());
        scope.lift();
        EXPECT_EQ(r.dialogs.errors.size(), 1) << "told once";
        EXPECT_EQ(fileOf(r, "CfgTerminal"), old);
        EXPECT_EQ(leftovers(r), std::vector<std::string>{});
    }
}

TEST(FileFaults, AHistoryThatCannotBeSavedStopsTheCloseBeforeTheSettings)
{
    WindowRig r;
    r.open();
    r.ui().BTConnect->click();
    r.ui().MainStrCmd->setText("AT1");
    r.ui().ButtonSend->click();
    ASSERT_TRUE(r.close());
    r.restart();
    const std::string oldHistory = fileOf(r, "OldCmd");
    const std::string oldSettings = fileOf(r, "CfgTerminal");
    r.dialogs.errors.clear();
    r.ui().BTConnect->click();
    r.ui().MainStrCmd->setText("AT2");
    r.ui().ButtonSend->click();

    {
        FaultScope scope(Fault::DiskFull, r.dir.path(), 5000);
        ASSERT_TRUE(scope.ok());
        EXPECT_FALSE(r.close());
    }
    ASSERT_EQ(r.dialogs.errors.size(), 1);
    EXPECT_TRUE(r.dialogs.errors[0].contains("OldCmd")) << r.dialogs.errors[0].toStdString();
    EXPECT_EQ(fileOf(r, "OldCmd"), oldHistory);
    EXPECT_EQ(fileOf(r, "CfgTerminal"), oldSettings);
    EXPECT_EQ(leftovers(r), std::vector<std::string>{});

    EXPECT_TRUE(r.close());
    EXPECT_EQ(fileOf(r, "OldCmd").substr(0, 4),
              std::string("\x03"
                          "AT2"));
    EXPECT_EQ(fileOf(r, "OldCmd").substr(256, 4),
              std::string("\x03"
                          "AT1"));
}

TEST(FileFaults, CommandListsThatCannotBeSavedStayInTheEditorAndKeepTheOldFile)
{
    for (const Fault fault : {Fault::DiskFull, Fault::DirectoryGone}) {
        SCOPED_TRACE(faultName(fault));
        WindowRig r;
        r.open();
        Controls& c = r.ui();
        c.EditAllCmd->click();
        ASSERT_TRUE(r.panel<MacroPanel>().editorMode());
        c.Edit[1]->setText("Reset");
        c.SaveF->click();
        const std::string old = fileOf(r, "CmdConfig");
        ASSERT_EQ(old.size(), CmdLists::FileSize);
        r.dialogs.errors.clear();
        c.Edit[2]->setText("Stop");

        {
            FaultScope scope(fault, r.dir.path(), CmdLists::FileSize / 3);
            ASSERT_TRUE(scope.ok());
            c.SaveF->click();
        }
        ASSERT_EQ(r.dialogs.errors.size(), 1);
        EXPECT_TRUE(r.dialogs.errors[0].contains("CmdConfig")) << r.dialogs.errors[0].toStdString();
        EXPECT_TRUE(fileOf(r, "CmdConfig") == old) << "the old command lists were touched";
        EXPECT_EQ(leftovers(r), std::vector<std::string>{});
        EXPECT_TRUE(r.panel<MacroPanel>().editorMode());
        EXPECT_TRUE(c.SaveF->isEnabled());
        EXPECT_EQ(c.Edit[2]->text(), "Stop");

        c.SaveF->click();
        EXPECT_EQ(r.dialogs.errors.size(), 1);
        CmdLists lists;
        lists.loadLists(r.dir.file("CmdConfig"));
        EXPECT_EQ(lists.commandName(1, 1), "Reset");
        EXPECT_EQ(lists.commandName(1, 2), "Stop");
    }
}

TEST(FileFaults, ALogFileThatCannotBeCreatedIsReportedOnceAndLoggingStaysOff)
{
    WindowRig r;
    r.open();
    r.ui().BTConnect->click();
    r.dialogs.errors.clear();
    {
        FaultScope scope(Fault::DirectoryGone, r.dir.path(), 0);
        ASSERT_TRUE(scope.ok());
        r.ui().StartLog->click();
        EXPECT_EQ(r.ui().StartLog->text(), "Start Log");
        receive(r, "first\r");
        r.ui().MainStrCmd->setText("AT");
        r.ui().ButtonSend->click();
    }
    ASSERT_EQ(r.dialogs.errors.size(), 1);
    EXPECT_TRUE(r.dialogs.errors[0].startsWith("Не удалось создать файл лога"))
        << r.dialogs.errors[0].toStdString();
    EXPECT_EQ(r.ui().MainWindow->toPlainText(), "first\nAT");
    EXPECT_EQ(r.port.written, "AT\r");
    EXPECT_TRUE(filesStartingWith(r.dir.path(), "LOG_").empty());

    // Once the directory is back, Start Log makes the file.
    r.ui().StartLog->click();
    EXPECT_EQ(r.ui().StartLog->text(), "Pause Log");
    receive(r, "second\r");
    EXPECT_EQ(readFileBytes(r.dir.file(r.window->terminal().logFileName())), "second\r\n");
    EXPECT_EQ(r.dialogs.errors.size(), 1);
}

TEST(FileFaults, AFullDiskPausesTheLogOnceAndLeavesOnlyWholeLinesInIt)
{
    WindowRig r;
    r.open();
    r.ui().BTConnect->click();
    r.ui().StartLog->click();
    r.dialogs.errors.clear();
    const std::string logPath = r.dir.file(r.window->terminal().logFileName());
    receive(r, "line 1 of the log\r");
    receive(r, "line 2 of the log\r");
    const std::string before = readFileBytes(logPath);
    ASSERT_EQ(before, "line 1 of the log\r\nline 2 of the log\r\n");

    {
        // Room for half a line more.
        FaultScope scope(Fault::DiskFull, r.dir.path(), before.size() + 10);
        ASSERT_TRUE(scope.ok());
        receive(r, "line 3 of the log\r");
        receive(r, "line 4 of the log\r");
        r.ui().MainStrCmd->setText("AT");
        r.ui().ButtonSend->click();
    }
    ASSERT_EQ(r.dialogs.errors.size(), 1);
    EXPECT_TRUE(r.dialogs.errors[0].startsWith("Ошибка записи в файл лога"))
        << r.dialogs.errors[0].toStdString();
    EXPECT_EQ(r.ui().StartLog->text(), "Go Log");
    EXPECT_EQ(readFileBytes(logPath), before) << "a torn line was left in the log";
    // The window and the port carry on.
    EXPECT_TRUE(r.ui().MainWindow->toPlainText().endsWith("line 4 of the log\nAT"));
    EXPECT_EQ(r.port.written, "AT\r");

    // "Go Log" goes on in the same file, right after the last whole line.
    r.ui().StartLog->click();
    receive(r, "line 5 of the log\r");
    EXPECT_EQ(readFileBytes(logPath), before + "line 5 of the log\r\n");
    EXPECT_EQ(r.dialogs.errors.size(), 1);
}

TEST(FileFaults, ADirectoryMissingFromTheStartGivesOneMessageAndAWorkingWindow)
{
    WindowRig r;
    const std::string gone = r.dir.file("not-there");
    r.directory = gone;
    TerminalWindow& window = r.open();
    EXPECT_EQ(r.dialogs.errors.size(), 1);
    EXPECT_TRUE(r.dialogs.errors[0].contains("CmdConfig")) << r.dialogs.errors[0].toStdString();

    // The port list was not made either; ReScan makes it.
    window.controls().BTRescan->click();
    window.controls().BTConnect->click();
    window.controls().MainStrCmd->setText("AT");
    window.controls().ButtonSend->click();
    EXPECT_EQ(r.port.written, "AT\r");
    // Start-up stopped before the history and the settings: nothing to save, and
    // nothing is created at close.
    EXPECT_TRUE(window.close());
    EXPECT_EQ(r.dialogs.errors.size(), 1);
    EXPECT_FALSE(std::filesystem::exists(gone));
}
