// The whole program on a real pseudo-terminal: the window's own timers and
// port wake-ups, the Qt port, the framer and the log file, against a "device"
// that is the other end of the pty.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include <QAction>

#include "common/checksums.h"
#include "common/file_io.h"
#include "ui/line_options_menu.h"
#include "ui/line_state_strip.h"
#include "ui/port_controls.h"
#include "ui/top_bar.h"
#include "log/log_file.h"
#include "ui/log_text_view.h"
#include "transmit/sender.h"
#include "qtserial/qt_serial_port.h"
#include "support/fake_serial_port.h"
#include "support/temp_dir.h"
#include "ui/terminal_window.h"
#include "pty_io.h"
#include "recording_dialogs.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

struct PtyDevice {
    int master = -1;
    int slave = -1;
    std::string path;

    PtyDevice()
    {
        char name[256] = {};
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master, &slave, name, &raw, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        path = name;
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyDevice()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
    void send(const std::string& bytes) { sendToPty(master, bytes); }
    std::string drain() { return drainPty(master); }
};

struct LiveWindow {
    TempDir dir;
    PtyDevice device;
    QtSerialPort port;
    FakePortLister lister;
    SystemClock clock;
    RecordingDialogs dialogs;
    std::unique_ptr<TerminalWindow> window;

    explicit LiveWindow(int32_t timeoutMs)
    {
        lister.ports = {device.path};
        WindowEnvironment env;
        env.port = &port;
        env.lister = &lister;
        env.clock = &clock;
        env.dialogs = &dialogs;
        env.directory = dir.path();
        env.sleep = [](int) {};
        window = std::make_unique<TerminalWindow>(env);
        window->terminal().setRxTimeoutMs(timeoutMs);
        window->controls().ComPort->setCurrentIndex(0);
        window->controls().BaudRate->setCurrentIndex(7);
        window->toggleConnection();
        window->toggleLogFile();
    }

    std::string logFile() { return readFileBytes(dir.file(window->terminal().logFileName())); }

    // Waits (bounded) until the log file holds at least n bytes.
    std::string waitForLog(std::size_t n, int maxMs = 20000)
    {
        QElapsedTimer t;
        t.start();
        std::string log = logFile();
        while (log.size() < n && t.elapsed() < maxMs) {
            QTest::qWait(5);
            log = logFile();
        }
        return log;
    }
};

std::string withoutLineBreaks(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

}  // namespace

TEST(WindowOnAPty, EachBurstAfterSilenceIsOneLineOfTheLogFile)
{
    LiveWindow w(50);
    ASSERT_TRUE(w.window->terminal().portOpen());
    std::string expected;
    for (int i = 0; i < 5; ++i) {
        const std::string burst = "burst " + std::to_string(i) + " \x01\x7f end";
        w.device.send(burst);
        expected += burst + "\r\n";
        // Longer than the timeout: the burst must end as a packet of its own.
        QTest::qWait(150);
    }
    EXPECT_EQ(w.waitForLog(expected.size()), expected);

    // The window's echo of a sent line reaches the device byte for byte.
    w.window->terminal().send("AT+X");
    QTest::qWait(20);
    EXPECT_EQ(w.device.drain(), "AT+X\r");
}

TEST(WindowOnAPty, AContinuousStreamArrivesWholeInPacketsOfTheEarlyCut)
{
    LiveWindow w(1000);
    ASSERT_TRUE(w.window->terminal().portOpen());
    std::string stream;
    stream.reserve(2 << 20);
    for (std::size_t i = 0; stream.size() < (2u << 20); ++i)
        stream += static_cast<char>(' ' + (i * 7 + i / 95) % 95);  // printable, no line breaks
    w.device.send(stream);
    // After the stream the line falls silent and the last packet ends too.
    QElapsedTimer t;
    t.start();
    std::string got;
    while (t.elapsed() < 120000) {
        got = withoutLineBreaks(w.logFile());
        if (got.size() >= stream.size())
            break;
        QTest::qWait(20);
    }
    ASSERT_EQ(got.size(), stream.size());
    EXPECT_TRUE(got == stream);
    // Every line but the last was cut by the 1500-byte limit.
    const std::string log = w.logFile();
    std::size_t start = 0, longLines = 0;
    while (start < log.size()) {
        const std::size_t end = log.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::size_t len = end - start;
        EXPECT_LE(len, 2048u);
        if (len > 1500)
            ++longLines;
        start = end + 2;
    }
    EXPECT_GT(longLines, 100u);
}

// Lines that come faster than the display's frames are shown together; none
// may be lost or reordered on the way, and a sent line's echo keeps its place.
TEST(WindowOnAPty, LinesGatheredForTheDisplayAllArriveInOrder)
{
    LiveWindow w(5);
    ASSERT_TRUE(w.window->terminal().portOpen());
    std::string stream;
    for (std::size_t i = 0; stream.size() < (1u << 20); ++i)
        stream += static_cast<char>('A' + (i * 7 + i / 26) % 26);
    w.device.send(stream);
    QElapsedTimer t;
    t.start();
    while (uint64_t(w.window->terminal().rxBytes()) < stream.size() && t.elapsed() < 30000)
        QTest::qWait(10);
    QTest::qWait(100);  // the last packet's silence, then the last frame
    w.window->terminal().send("ECHO");
    QTest::qWait(100);
    const QString shown = w.window->controls().MainWindow->toPlainText();
    std::string text = withoutLineBreaks(shown.toStdString());
    ASSERT_GE(text.size(), 4u);
    EXPECT_EQ(text.substr(text.size() - 4), "ECHO");
    text.resize(text.size() - 4);
    // The window is emptied past 5000 lines; what it holds is the stream's tail.
    ASSERT_LE(text.size(), stream.size());
    EXPECT_TRUE(text == stream.substr(stream.size() - text.size()));
    EXPECT_GT(text.size(), 100000u);
}

// A device that answers every request, then sends one byte more after the
// run: the run has ended, and nothing more goes out (the file may hold writes).
TEST(WindowOnAPty, AfterTheEndOfAnAfterAnswerRunAStrayPacketSendsNothing)
{
    LiveWindow w(20);
    ASSERT_TRUE(w.window->terminal().portOpen());
    writeFileBytes(w.dir.file("requests.txt"), "READ 1\nREAD 2\nWRITE 3\n");
    w.dialogs.fileToOpen = QString::fromStdString(w.dir.file("requests.txt"));
    w.window->toggleFileView();
    w.window->controls().RBAfterAns->setChecked(true);
    w.window->startFileSending();

    // The scripted device: one answer per request line, until three came.
    std::string received;
    int answered = 0;
    QElapsedTimer t;
    t.start();
    while (answered < 3 && t.elapsed() < 10000) {
        QTest::qWait(5);
        received += w.device.drain();
        const auto requests = static_cast<int>(std::count(received.begin(), received.end(), '\r'));
        for (; answered < requests; ++answered)
            w.device.send("OK\r\n");
    }
    QTest::qWait(100);
    received += w.device.drain();
    ASSERT_EQ(received, "READ 1\rREAD 2\rWRITE 3\r");
    ASSERT_EQ(w.dialogs.messages, QStringList{"Все команды отправлены"});

    w.device.send("\x55");  // noise on the line after the run
    QTest::qWait(200);
    w.device.send("K\r\n");  // the tail of a split answer
    QTest::qWait(200);
    EXPECT_EQ(w.device.drain(), "");
    EXPECT_EQ(w.dialogs.messages.size(), 1);
}

// A device that stops reading while the period mode sends long lines as fast
// as it can: the window keeps answering, Disconnect included, and every line
// the log shows as sent reached the device whole; the others carry the mark.
TEST(WindowOnAPty, ADeviceThatStopsReadingNeverHoldsTheWindow)
{
    LiveWindow w(20);
    ASSERT_TRUE(w.window->terminal().portOpen());
    Controls& c = w.window->controls();
    const std::string line(250, 'Z');
    c.MainStrCmd->setText(QString::fromStdString(line));
    c.PeriodTX->setText("0");
    c.RBPeriod->setChecked(true);

    // The event loop's longest pause while the device reads nothing.
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestPause = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { longestPause = std::max(longestPause, sinceTick.restart()); });
    tick.start(5);
    QTest::qWait(1500);
    tick.stop();
    std::printf("longest event-loop pause with a device not reading: %lld ms\n",
                static_cast<long long>(longestPause));
    EXPECT_LT(longestPause, 900) << "the window waited for the device";
    EXPECT_TRUE(w.window->terminal().outputWaiting());

    // The device reads again; the period stops; what waited goes out.
    c.RBManual->setChecked(true);
    std::string arrived;
    QElapsedTimer t;
    t.start();
    while (w.window->terminal().outputWaiting() && t.elapsed() < 20000) {
        arrived += w.device.drain();
        QTest::qWait(2);
    }
    QTest::qWait(50);
    arrived += w.device.drain();
    ASSERT_FALSE(w.window->terminal().outputWaiting());

    QElapsedTimer disconnect;
    disconnect.start();
    w.window->toggleConnection();
    EXPECT_FALSE(w.window->terminal().portOpen());
    std::printf("Disconnect took %lld ms\n", static_cast<long long>(disconnect.elapsed()));

    int sent = 0;
    int marked = 0;
    const std::string log = w.logFile();
    for (std::size_t at = 0; at < log.size();) {
        const std::size_t end = log.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        const std::string shown = log.substr(at, end - at);
        if (shown == line)
            ++sent;
        else if (shown == line + Sender::NotSentMark)
            ++marked;
        else
            ADD_FAILURE() << "unexpected log line of " << shown.size() << " bytes";
        at = end + 2;
    }
    EXPECT_EQ(arrived.size(), static_cast<std::size_t>(sent) * (line.size() + 1));
    std::string expected;
    for (int i = 0; i < sent; ++i)
        expected += line + "\r";
    EXPECT_TRUE(arrived == expected) << "a line logged as sent did not arrive whole";
    const QString sentCount = QStringLiteral("Send: %1").arg(sent);
    EXPECT_EQ(c.LSend->text(), marked == 0 ? sentCount : sentCount + QStringLiteral(" (-%1)").arg(marked));
}

namespace {

// A Modbus RTU server, from the protocol's public definition: it answers a
// read-holding-registers request (function 3) whose CRC is right with the
// register values (register n holds 40 + n), and stays silent on anything else.
std::string modbusAnswer(const std::string& request)
{
    if (request.size() != 8 || !endsWithValidModbusCrc(request) || request[1] != '\x03')
        return {};
    const int start = (uint8_t(request[2]) << 8) | uint8_t(request[3]);
    const int count = (uint8_t(request[4]) << 8) | uint8_t(request[5]);
    std::string answer{request[0], '\x03', static_cast<char>(2 * count)};
    for (int r = start; r < start + count; ++r) {
        answer += static_cast<char>(((40 + r) >> 8) & 0xFF);
        answer += static_cast<char>((40 + r) & 0xFF);
    }
    const uint32_t c = crc(Crc16Modbus, answer);
    answer += static_cast<char>(c & 0xFF);
    answer += static_cast<char>(c >> 8);
    return answer;
}

}  // namespace

TEST(WindowOnAPty, AModbusServerAnswersARequestSentWithTheCrcTagAndTheAnswerIsMarkedGood)
{
    LiveWindow w(30);
    Controls& c = w.window->controls();
    c.RBHEX->setChecked(true);
    QAction* check = c.RBHEX->findChild<QAction*>(QStringLiteral("CrcCheck"));
    ASSERT_NE(check, nullptr);
    check->trigger();
    c.AddStrCmd->setText(QStringLiteral(" [CRC16_MODBUS LO-HI(0..n)]"));

    const auto exchange = [&](const QString& line) {
        c.MainStrCmd->setText(line);
        w.window->sendCommandLine();
        std::string request;
        QElapsedTimer t;
        t.start();
        while (request.size() < 8 && t.elapsed() < 5000) {
            QTest::qWait(5);
            request += w.device.drain();
        }
        const std::string answer = modbusAnswer(request);
        if (!answer.empty())
            w.device.send(answer);
        return request;
    };

    EXPECT_EQ(toHex(exchange(QStringLiteral("01 03 00 00 00 01"))), "01 03 00 00 00 01 84 0A");
    const std::string good = "01 03 00 00 00 01 84 0A\r\n01 03 02 00 28 B8 5A [CRC ok]\r\n";
    EXPECT_EQ(w.waitForLog(good.size()), good);
    w.window->housekeepingTick();
    ASSERT_EQ(c.MainWindow->lineCount(), 2);
    EXPECT_EQ(c.MainWindow->direction(0), LogDirection::Sent);
    EXPECT_EQ(c.MainWindow->direction(1), LogDirection::Received);

    // One corrupted byte after the CRC was made: the server does not answer.
    c.AddStrCmd->setText(QStringLiteral(" 84 0B"));
    EXPECT_EQ(toHex(exchange(QStringLiteral("01 03 00 00 00 01"))), "01 03 00 00 00 01 84 0B");
    QTest::qWait(200);
    EXPECT_EQ(w.logFile(), good + "01 03 00 00 00 01 84 0B\r\n");
}

namespace {

// The kernel's termios2 (its header clashes with <termios.h>).
struct KernelTermios {
    tcflag_t iflag, oflag, cflag, lflag;
    cc_t line;
    cc_t cc[19];
    speed_t ispeed, ospeed;
};

// The rate the pty runs at, as the kernel holds it (also rates without a Bxxx constant).
unsigned ptyBaud(int fd)
{
    KernelTermios t{};
    if (::ioctl(fd, _IOR('T', 0x2A, KernelTermios), &t) != 0)
        return 0;
    return t.ospeed;
}

}  // namespace

// A rate from the longer list and one typed into the box both reach the line;
// a typed rate used to be refused with a message about an empty text.
TEST(WindowOnPty, ListedAndTypedRatesReachTheLine)
{
    LiveWindow w(50);
    const struct {
        int index;
        QString typed;
        unsigned expected;
    } cases[] = {{12, {}, 921600}, {-1, QStringLiteral("250000"), 250000}, {16, {}, 3000000}};
    for (const auto& c : cases) {
        w.window->toggleConnection();  // off
        ASSERT_FALSE(w.window->terminal().portOpen());
        if (c.index >= 0)
            w.window->controls().BaudRate->setCurrentIndex(c.index);
        else
            w.window->controls().BaudRate->setEditText(c.typed);
        w.window->toggleConnection();
        ASSERT_TRUE(w.window->terminal().portOpen()) << c.expected;
        EXPECT_EQ(ptyBaud(w.device.slave), c.expected);
        EXPECT_TRUE(w.dialogs.errors.empty());
    }
}

// Parity and flow control chosen on the port box's menu reach the line, and
// are kept in CfgLine for the next start. (A pty always reads back with
// PARENB clear, whatever was set: the kind of parity is what it keeps.)
TEST(WindowOnPty, ParityAndFlowControlReachTheLine)
{
    LiveWindow w(50);
    LineOptionsMenu& menu = w.window->topBar().lineOptions();
    const struct {
        Parity parity;
        FlowControl flow;
        tcflag_t cflagSet, cflagClear, iflagSet;
    } cases[] = {
        {Parity::None, FlowControl::None, 0, CRTSCTS, 0},
        {Parity::Odd, FlowControl::None, PARODD, CMSPAR, 0},
        {Parity::Even, FlowControl::RtsCts, CRTSCTS, PARODD | CMSPAR, 0},
        {Parity::Mark, FlowControl::None, PARODD | CMSPAR, 0, 0},
        {Parity::Space, FlowControl::XonXoff, CMSPAR, PARODD | CRTSCTS, IXON | IXOFF},
    };
    for (const auto& c : cases) {
        w.window->toggleConnection();  // off
        ASSERT_FALSE(w.window->terminal().portOpen());
        menu.parityAction(c.parity)->trigger();
        menu.flowAction(c.flow)->trigger();
        w.window->toggleConnection();
        ASSERT_TRUE(w.window->terminal().portOpen());
        termios t{};
        ASSERT_EQ(::tcgetattr(w.device.slave, &t), 0);
        const int at = static_cast<int>(&c - cases);
        EXPECT_EQ(t.c_cflag & c.cflagSet, c.cflagSet) << at;
        EXPECT_EQ(t.c_cflag & c.cflagClear, 0u) << at;
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF), c.iflagSet) << at;
    }
    ASSERT_TRUE(w.window->close());
    std::string cfg;
    ASSERT_TRUE(readWholeFile(w.dir.file("CfgLine"), cfg));
    EXPECT_NE(cfg.find("parity=space\nflow=xonxoff\n"), std::string::npos) << cfg;
}

// A pty has no modem lines: the strip shows them as unknown, and toggles, a
// reset pulse and a break are refused by the system without a word to the
// user, the connection staying up and the bytes flowing.
TEST(WindowOnPty, ModemControlOnAPtyIsQuietAndTheConnectionStaysUp)
{
    LiveWindow w(50);
    ASSERT_TRUE(w.window->terminal().portOpen());
    w.window->show();
    PortControls& pc = w.window->portControls();
    LineStateStrip* strip = pc.strip();
    EXPECT_TRUE(strip->isVisible());
    QTest::qWait(2 * PortControls::PollMs);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(strip->lampText(i).endsWith(QChar(0x2014))) << i;
    w.window->checkConnection();
    EXPECT_FALSE(pc.polling()) << "a pty cannot tell its lines: they are not read again";

    QTest::mouseClick(strip->dtrToggle(), Qt::LeftButton);
    QTest::mouseClick(strip->rtsToggle(), Qt::LeftButton);
    EXPECT_TRUE(w.window->terminal().modem().pulseReset());
    EXPECT_TRUE(w.window->terminal().modem().sendBreak());
    QTRY_VERIFY_WITH_TIMEOUT(!w.window->terminal().modem().breaking(), 5000);
    EXPECT_FALSE(w.window->terminal().modem().pulsing());
    w.window->checkConnection();

    EXPECT_TRUE(w.dialogs.messages.isEmpty()) << w.dialogs.messages.join("|").toStdString();
    EXPECT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join("|").toStdString();
    EXPECT_TRUE(w.window->terminal().portOpen());
    EXPECT_TRUE(w.window->terminal().connected());
    w.window->terminal().send("still here");
    QElapsedTimer t;
    t.start();
    std::string got;
    while (got.find("still here\r") == std::string::npos && t.elapsed() < 5000) {
        QTest::qWait(5);
        got += w.device.drain();
    }
    EXPECT_NE(got.find("still here\r"), std::string::npos) << got;

    w.window->toggleConnection();
    EXPECT_FALSE(strip->isVisible());
    EXPECT_FALSE(pc.polling());
}
