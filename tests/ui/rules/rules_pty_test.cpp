// Rules and the answer timeout in the whole program on real ptys: a scripted
// device that asks for a login, and a libmodbus RTU server stopped and started
// again while the terminal polls it after each answer.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "automation/rules_file.h"
#include "live_window.h"
#include "ui/window/rules_tool.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

Rule loginRule(const std::string& name, const std::string& pattern, const std::string& reply)
{
    Rule r;
    r.name = name;
    r.pattern = {PatternKind::Text, pattern};
    r.acrossPackets = true;
    r.actions = {{RuleAction::Kind::Send, reply, false, "$0D", 1}};
    return r;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            break;
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

// A process the test starts and always stops.
struct Child {
    QProcess process;
    ~Child() { stop(); }
    void stop()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

}  // namespace

TEST(RulesOnAPty, ALoginDialogueIsDoneByRulesAlone)
{
    LiveWindow w(20);
    ASSERT_TRUE(w.window->terminal().portOpen());
    auto* tool = w.window->findChild<RulesTool*>(QStringLiteral("RulesTool"));
    ASSERT_NE(tool, nullptr);
    RuleSet set;
    set.rules = {loginRule("user", "login:", "admin"), loginRule("password", "Password:", "secret"),
                 loginRule("command", "$ ", "uptime")};
    set.rules[2].times = 1;
    tool->apply(set, false);

    w.device.send("\r\nrouter lo");
    QTest::qWait(60);  // the prompt in two packets
    w.device.send("gin: ");
    EXPECT_EQ(w.drainAtLeast(6), "admin\r");
    w.device.send("Password: ");
    EXPECT_EQ(w.drainAtLeast(7), "secret\r");
    w.device.send("\r\nwelcome\r\n$ ");
    EXPECT_EQ(w.drainAtLeast(7), "uptime\r");
    w.device.send("12:00 up 3 days\r\n$ ");  // "once": the second prompt gets nothing
    ASSERT_TRUE(waitUntil([&] { return w.logFile().find("up 3 days") != std::string::npos; }));
    QTest::qWait(100);
    EXPECT_EQ(w.device.drain(), "");
    const std::string file = w.logFile();
    for (const char* note : {" * ] user: > admin", " * ] password: > secret", " * ] command: > uptime"})
        EXPECT_NE(file.find(note), std::string::npos) << note << "\n" << file;
}

TEST(RulesOnAPty, AfterAnswerReSendsWhatADeviceDropsEveryThirdTime)
{
    LiveWindow w(20);
    ASSERT_TRUE(w.window->terminal().portOpen());
    auto* tool = w.window->findChild<RulesTool*>(QStringLiteral("RulesTool"));
    ASSERT_NE(tool, nullptr);
    RuleSet set;
    set.answer.timeoutMs = 200;
    set.answer.retries = 1;
    tool->apply(set, false);
    Controls& c = w.ui();
    c.MainStrCmd->setText(QStringLiteral("READ"));
    c.RBAfterAns->setChecked(true);
    w.ui().ButtonSend->click();

    // The scripted device answers each request but every third one.
    std::string received;
    int requests = 0;
    ASSERT_TRUE(waitUntil([&] {
        received += w.device.drain();
        const auto seen = static_cast<int>(std::count(received.begin(), received.end(), '\r'));
        for (; requests < seen; ++requests)
            if ((requests + 1) % 3 != 0)
                w.device.send("OK\r\n");
        return requests >= 12;
    }));
    c.RBManual->setChecked(true);
    // Nothing but the request went out, the re-sends included.
    std::string expected;
    for (int i = 0; i < requests; ++i)
        expected += "READ\r";
    EXPECT_EQ(received, expected);
    // Each dropped request is marked in the log before it goes out again.
    const std::string noAnswer = "\xED\xE5\xF2 \xEE\xF2\xE2\xE5\xF2\xE0";
    ASSERT_TRUE(waitUntil([&] {
        const std::string log = w.logFile();
        int marks = 0;
        for (std::size_t at = log.find(noAnswer); at != std::string::npos; at = log.find(noAnswer, at + 1))
            ++marks;
        return marks >= 3;  // the 3rd, 6th and 9th request
    })) << w.logFile();
}

#ifdef COMTRAX_MODBUS_SERVER
TEST(RulesOnAPty, AModbusServerStoppedMidRunIsPolledAgainAfterMarkedTimeouts)
{
    TempDir links;
    const std::string ours = links.file("terminal");
    const std::string theirs = links.file("server");
    Child socat;
    socat.process.start(QStringLiteral("socat"),
                        {QStringLiteral("pty,raw,echo=0,link=") + QString::fromStdString(ours),
                         QStringLiteral("pty,raw,echo=0,link=") + QString::fromStdString(theirs)});
    if (!socat.process.waitForStarted(5000))
        GTEST_SKIP() << "socat is not installed";
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(ours) && std::filesystem::exists(theirs); }));
    Child server;
    const auto startServer = [&] {
        server.process.start(QStringLiteral(COMTRAX_MODBUS_SERVER), {QString::fromStdString(theirs)});
        ASSERT_TRUE(server.process.waitForStarted(5000));
        ASSERT_TRUE(waitUntil([&] {
            server.process.waitForReadyRead(10);
            return server.process.readAllStandardOutput().contains("ready");
        }));
    };
    startServer();

    BasicWindowRig<QtSerialPort, SystemClock> w;
    w.lister.ports = {ours};
    w.startTimers = true;
    w.open();
    Controls& c = w.ui();
    while (w.terminal().rxTimeoutMs() < 20)
        c.TimeOutRx->upButton()->click();
    auto* tool = w.window->findChild<RulesTool*>(QStringLiteral("RulesTool"));
    ASSERT_NE(tool, nullptr);
    RuleSet set;
    set.answer.timeoutMs = 300;
    set.answer.retries = 1;  // once more, then on with the next poll
    set.answer.checksum = {ChecksumCondition::Kind::ModbusFrame, 0};
    tool->apply(set, false);
    c.ComPort->setCurrentIndex(0);
    c.BaudRate->setCurrentIndex(7);
    c.BTConnect->click();
    ASSERT_TRUE(w.terminal().portOpen());
    c.StartLog->click();
    c.RBHEX->setChecked(true);
    c.AddStrCmd->setText(QStringLiteral(" [CRC16_MODBUS LO-HI(0..n)]"));
    c.MainStrCmd->setText(QStringLiteral("01 03 00 00 00 01"));
    c.RBAfterAns->setChecked(true);
    w.ui().ButtonSend->click();

    const std::string request = "01 03 00 00 00 01 84 0A";
    const std::string answer = "01 03 02 00 28 B8 5A";
    const std::string noAnswer = "\xED\xE5\xF2 \xEE\xF2\xE2\xE5\xF2\xE0";  // "нет ответа" in Windows-1251
    const auto logFile = [&] { return readFileBytes(w.dir.file(w.terminal().logFileName())); };
    const auto count = [&](const std::string& what) {
        int n = 0;
        for (const std::string& l : lines(logFile()))
            n += l.find(what) != std::string::npos ? 1 : 0;
        return n;
    };
    ASSERT_TRUE(waitUntil([&] { return count(answer) >= 5; })) << logFile();
    server.stop();  // the server goes away mid-run
    ASSERT_TRUE(waitUntil([&] { return count(noAnswer) >= 3; })) << logFile();
    const int answersBefore = count(answer);
    startServer();
    ASSERT_TRUE(waitUntil([&] { return count(answer) >= answersBefore + 5; })) << logFile();
    c.RBManual->setChecked(true);  // polling ends
    c.BTConnect->click();

    // Nothing but the request went out; every request that followed another
    // without an answer between them was a re-send after a marked timeout.
    bool answered = true;
    bool marked = false;
    int sent = 0;
    for (const std::string& l : lines(logFile())) {
        if (l == request) {
            ++sent;
            EXPECT_TRUE(answered || marked) << "a request without an answer or a mark before it";
            answered = marked = false;
        } else if (l.find(noAnswer) != std::string::npos) {
            EXPECT_NE(l.find(" * ] "), std::string::npos) << l;
            marked = true;
        } else if (l.find(" * ] ") == std::string::npos) {
            answered = true;  // an answer (or what the server said as it came back)
        }
    }
    EXPECT_GT(sent, 10);
}
#endif
