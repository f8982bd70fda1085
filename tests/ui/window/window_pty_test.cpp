// The whole program on a real pseudo-terminal: the window's own timers and
// port wake-ups, the Qt port, the framer and the log file, against a "device"
// that is the other end of the pty.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include <QAction>

#include "common/checksums.h"
#include "common/file_io.h"
#include "ui/panels/line_options_menu.h"
#include "ui/panels/line_state_strip.h"
#include "ui/panels/port_controls.h"
#include "ui/panels/top_bar.h"
#include "ui/dialogs/port_settings_dialog.h"
#include "log/log_file.h"
#include "ui/logview/log_text_view.h"
#include "transmit/sender.h"
#include "qtserial/qt_serial_port.h"
#include "support/fake_serial_port.h"
#include "support/temp_dir.h"
#include "ui/window/terminal_window.h"
#include "live_window.h"

using namespace comtrax;
using namespace comtrax::testing;

TEST(WindowOnAPty, EachBurstAfterSilenceIsOneLineOfTheLogFile)
{
    LiveWindow w(50);
    ASSERT_TRUE(w.window->terminal().portOpen());
    std::string expected;
    for (int i = 0; i < 5; ++i) {
        const std::string burst = "burst " + std::to_string(i) + " \x01\x7f end";
        w.device.send(burst);
        expected += burst + "\r\n";
        // The silence after a burst ends it as a packet of its own: the next
        // one is sent only once this one is a line of the log, so the silence
        // is longer than the timeout however late the window gets to run.
        ASSERT_EQ(w.waitForLog(expected.size()), expected) << "burst " << i;
    }

    // The window's echo of a sent line reaches the device byte for byte.
    w.ui().MainStrCmd->setText("AT+X");
    w.ui().ButtonSend->click();
    EXPECT_EQ(w.drainAtLeast(5), "AT+X\r");
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
    std::string got;
    waitUntil([&] { return (got = withoutLineBreaks(w.logFile())).size() >= stream.size(); }, 120000);
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
    // Everything read and the last packet ended by its silence...
    const Terminal& terminal = w.terminal();
    ASSERT_TRUE(waitUntil(
        [&] { return uint64_t(terminal.rxBytes()) >= stream.size() && terminal.heldBytes() == 0; }, 120000));
    // ...then the echo, which shows after the stream's last line, a frame later.
    w.ui().MainStrCmd->setText("ECHO");
    w.ui().ButtonSend->click();
    const auto shownText = [&] {
        return withoutLineBreaks(w.window->controls().MainWindow->toPlainText().toStdString());
    };
    EXPECT_TRUE(waitUntil([&] { return shownText().ends_with("ECHO"); }));
    std::string text = shownText();
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
    w.ui().ButtonReadFile->click();
    w.window->controls().RBAfterAns->setChecked(true);
    w.ui().SendStart->click();

    // The scripted device: one answer per request line, until three came.
    std::string received;
    int answered = 0;
    waitUntil([&] {
        received += w.device.drain();
        const auto requests = static_cast<int>(std::count(received.begin(), received.end(), '\r'));
        for (; answered < requests; ++answered)
            w.device.send("OK\r\n");
        return answered >= 3;
    });
    // The run ends with the last answer's packet.
    ASSERT_TRUE(waitUntil([&] { return !w.dialogs.messages.isEmpty(); }));
    received += w.device.drain();
    ASSERT_EQ(received, "READ 1\rREAD 2\rWRITE 3\r");
    ASSERT_EQ(w.dialogs.messages, QStringList{"Все команды отправлены"});

    // Noise on the line after the run, then the tail of a split answer: each
    // is a packet of the log (so the window has had its chance to answer it)
    // and neither sends anything.
    std::string log;
    const auto answers = [&] {
        std::size_t n = 0;
        for (std::size_t at = log.find("OK"); at != std::string::npos; at = log.find("OK", at + 1))
            ++n;
        return n;
    };
    ASSERT_TRUE(waitUntil([&] { return log = w.logFile(), answers() == 3; })) << log;
    for (const std::string stray : {"\x55", "K\r\n"}) {
        const std::size_t before = log.size();
        w.device.send(stray);
        EXPECT_TRUE(waitUntil([&] {
            return log = w.logFile(), log.find(stray, before) != std::string::npos;
        })) << log;
    }
    QTest::qWait(100);  // time for a line sent by mistake to reach the device
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

    // The event loop's longest pause while the device reads nothing, less
    // the time the window's thread waited for a CPU (the scheduler counts it):
    // what is left is the time the window itself held the loop, which a busy
    // machine does not lengthen.
    QElapsedTimer sinceTick;
    sinceTick.start();
    int64_t waitedAtTick = waitedForCpuNs();
    qint64 longestPauseNs = 0, longestRawNs = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const int64_t waited = waitedForCpuNs();
        const qint64 raw = sinceTick.nsecsElapsed();
        sinceTick.restart();
        longestRawNs = std::max(longestRawNs, raw);
        longestPauseNs = std::max(longestPauseNs, raw - (waited - waitedAtTick));
        waitedAtTick = waited;
    });
    tick.start(5);
    // At least a second and a half, and until the device's buffers are full
    // (fewer lines go out in that time on a busy machine).
    QElapsedTimer sending;
    sending.start();
    EXPECT_TRUE(waitUntil([&] { return sending.elapsed() >= 1500 && w.window->terminal().outputWaiting(); }));
    tick.stop();
    std::printf(
        "longest event-loop pause with a device not reading: %lld ms (%lld ms with waits for a CPU)\n",
        static_cast<long long>(longestPauseNs / 1000000), static_cast<long long>(longestRawNs / 1000000));
    EXPECT_LT(longestPauseNs / 1000000, 900) << "the window waited for the device";

    // What the log shows: lines sent whole, and lines marked as not sent.
    int sent = 0;
    int marked = 0;
    const auto readLog = [&] {
        sent = marked = 0;
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
    };

    // The device reads again; the period stops; what waited goes out, and
    // reaches the device.
    c.RBManual->setChecked(true);
    std::string arrived;
    const auto lineBytes = [&] { return static_cast<std::size_t>(sent) * (line.size() + 1); };
    ASSERT_TRUE(waitUntil([&] {
        arrived += w.device.drain();
        return !w.window->terminal().outputWaiting();
    }));
    readLog();
    EXPECT_TRUE(waitUntil([&] {
        arrived += w.device.drain();
        return arrived.size() >= lineBytes();
    })) << arrived.size()
        << " bytes arrived for " << sent << " lines logged as sent";

    QElapsedTimer disconnect;
    disconnect.start();
    w.ui().BTConnect->click();
    EXPECT_FALSE(w.window->terminal().portOpen());
    std::printf("Disconnect took %lld ms\n", static_cast<long long>(disconnect.elapsed()));

    readLog();
    EXPECT_EQ(arrived.size(), lineBytes());
    std::string expected;
    for (int i = 0; i < sent; ++i)
        expected += line + "\r";
    EXPECT_TRUE(arrived == expected) << "a line logged as sent did not arrive whole";
    const QString sentCount = QStringLiteral("Send: %1").arg(sent);
    const QString readout = marked == 0 ? sentCount : sentCount + QStringLiteral(" (-%1)").arg(marked);
    EXPECT_TRUE(waitUntil([&] { return c.LSend->text() == readout; }))  // shown with the next frame
        << c.LSend->text().toStdString() << " for " << readout.toStdString();
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
        w.ui().ButtonSend->click();
        const std::string request = w.drainAtLeast(8);
        const std::string answer = modbusAnswer(request);
        if (!answer.empty())
            w.device.send(answer);
        return request;
    };

    EXPECT_EQ(toHex(exchange(QStringLiteral("01 03 00 00 00 01"))), "01 03 00 00 00 01 84 0A");
    const std::string good = "01 03 00 00 00 01 84 0A\r\n01 03 02 00 28 B8 5A [CRC ok]\r\n";
    EXPECT_EQ(w.waitForLog(good.size()), good);
    w.timers().runHousekeeping();
    ASSERT_EQ(c.MainWindow->lineCount(), 2);
    EXPECT_EQ(c.MainWindow->direction(0), LogDirection::Sent);
    EXPECT_EQ(c.MainWindow->direction(1), LogDirection::Received);

    // One corrupted byte after the CRC was made: the server does not answer.
    c.AddStrCmd->setText(QStringLiteral(" 84 0B"));
    EXPECT_EQ(toHex(exchange(QStringLiteral("01 03 00 00 00 01"))), "01 03 00 00 00 01 84 0B");
    const std::string unanswered = good + "01 03 00 00 00 01 84 0B\r\n";
    EXPECT_EQ(w.waitForLog(unanswered.size()), unanswered);
    QTest::qWait(200);  // time for an answer, were there one
    EXPECT_EQ(w.logFile(), unanswered);
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
        w.ui().BTConnect->click();  // off
        ASSERT_FALSE(w.window->terminal().portOpen());
        if (c.index >= 0)
            w.window->controls().BaudRate->setCurrentIndex(c.index);
        else
            w.window->controls().BaudRate->setEditText(c.typed);
        w.ui().BTConnect->click();
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
    LineOptionsMenu& menu = w.panel<TopBar>().lineOptions();
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
        w.ui().BTConnect->click();  // off
        ASSERT_FALSE(w.window->terminal().portOpen());
        menu.parityAction(c.parity)->trigger();
        menu.flowAction(c.flow)->trigger();
        w.ui().BTConnect->click();
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
    PortControls& pc = w.panel<PortControls>();
    LineStateStrip* strip = pc.strip();
    EXPECT_TRUE(strip->isVisible());
    QTest::qWait(2 * PortControls::PollMs);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(strip->lampText(i).endsWith(QChar(0x2014))) << i;
    w.timers().runConnectionCheck();
    EXPECT_FALSE(pc.polling()) << "a pty cannot tell its lines: they are not read again";

    QTest::mouseClick(strip->dtrToggle(), Qt::LeftButton);
    QTest::mouseClick(strip->rtsToggle(), Qt::LeftButton);
    pc.openDialog();
    QTest::mouseClick(pc.dialog()->findChild<QPushButton*>("ResetPulse"), Qt::LeftButton);
    EXPECT_TRUE(w.terminal().pulsing());
    QTest::mouseClick(pc.dialog()->findChild<QPushButton*>("SendBreak"), Qt::LeftButton);
    EXPECT_TRUE(w.terminal().breaking());
    EXPECT_TRUE(waitUntil([&] { return !w.terminal().breaking(); }));
    EXPECT_FALSE(w.terminal().pulsing());
    pc.dialog()->close();
    w.timers().runConnectionCheck();

    EXPECT_TRUE(w.dialogs.messages.isEmpty()) << w.dialogs.messages.join("|").toStdString();
    EXPECT_TRUE(w.dialogs.errors.isEmpty()) << w.dialogs.errors.join("|").toStdString();
    EXPECT_TRUE(w.window->terminal().portOpen());
    EXPECT_TRUE(w.window->terminal().connected());
    w.ui().MainStrCmd->setText("still here");
    w.ui().ButtonSend->click();
    std::string got;
    waitUntil([&] {
        got += w.device.drain();
        return got.find("still here\r") != std::string::npos;
    });
    EXPECT_NE(got.find("still here\r"), std::string::npos) << got;

    w.ui().BTConnect->click();
    EXPECT_FALSE(strip->isVisible());
    EXPECT_FALSE(pc.polling());
}
