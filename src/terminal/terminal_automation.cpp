// The facade's automation: rules acting on received packets, and the answer
// timeout of after-answer sending, carried out through the one send path.
#include <algorithm>

#include "automation/note_line.h"
#include "common/terminal_view.h"
#include "common/texts.h"
#include "terminal/terminal.h"

namespace comtrax {

void Terminal::wireAutomation()
{
    rules_.setActor([this](const Firing& f) { carryOut(f); });
    rules_.setReporter([this](const RuleEngine::Report& r) { ruleReport(r); });
    // Told before the after-answer step, so that it knows whether this packet is the answer.
    addPacketObserver([this](const ReceivedPacket& packet) {
        rules_.packetReceived(packet.bytes);
        lastPacketAnswers_ = answerWatch_.answerCame(packet.bytes);
        tellAutomationChanged();
    });
}

void Terminal::send(const std::string& line)
{
    sender_.send(line);
    if (options_.sendMode != SendMode::AfterAnswer)
        return;
    // A line typed in after-answer mode starts the exchange again, watched like any other.
    scheduler_.resumeSending();
    answerLine_ = line;
    answerWatch_.lineSent(false);
    tellAutomationChanged();
}

void Terminal::scheduledSend(const std::string& line)
{
    sender_.send(line);
    if (options_.sendMode != SendMode::AfterAnswer)
        return;
    answerLine_ = line;
    answerWatch_.lineSent(false);
    tellAutomationChanged();
}

void Terminal::afterAnswer()
{
    // Only the answer steps the run: with an answer pattern or checksum, a
    // stray byte or an error frame leaves the line waiting for its answer.
    if (lastPacketAnswers_)
        scheduler_.sendNextAfterAnswer();
}

void Terminal::setRules(std::vector<Rule> rules, RuleLimit limit, std::size_t windowBytes)
{
    rules_.setRules(std::move(rules), limit, windowBytes);
    tellAutomationChanged();
}

std::string Terminal::setAnswerTimeout(const AnswerTimeoutSettings& settings)
{
    std::string error;
    answerWatch_.setSettings(settings, error);
    tellAutomationChanged();
    return error;
}

int64_t Terminal::msUntilAutomationDue() const
{
    const int64_t a = rules_.msUntilDue();
    const int64_t b = answerWatch_.msUntilDue();
    if (a < 0)
        return b;
    if (b < 0)
        return a;
    return std::min(a, b);
}

void Terminal::addAutomationNote(const std::string& name, const std::string& what)
{
    logOutput_.addLine(noteLine(clock_.now(), name, what), std::string());
}

void Terminal::automationTick()
{
    rules_.tick();
    const AnswerWatch::Verdict verdict = answerWatch_.tick();
    if (verdict != AnswerWatch::Verdict::Nothing)
        answerTimedOut(verdict);
    tellAutomationChanged();
}

void Terminal::answerTimedOut(AnswerWatch::Verdict verdict)
{
    // "нет ответа" in the interface's language: the mark a reader of the log looks for.
    std::string what = utf8ToCp1251(trText("нет ответа"));
    switch (verdict) {
    case AnswerWatch::Verdict::Resend:
        addAutomationNote("after-answer", what + " (" + std::to_string(answerWatch_.attempt() + 1) + ")");
        sender_.send(answerLine_);
        answerWatch_.lineSent(true);
        break;
    case AnswerWatch::Verdict::GoOn:
        addAutomationNote("after-answer", what);
        scheduler_.sendNextAfterAnswer();
        break;
    case AnswerWatch::Verdict::Stop:
        addAutomationNote("after-answer", what + ", stop");
        scheduler_.stopSending();
        break;
    case AnswerWatch::Verdict::Nothing:
        break;
    }
}

void Terminal::carryOut(const Firing& f)
{
    const RuleAction& a = f.action;
    addAutomationNote(f.ruleName, describeAction(a));
    switch (a.kind) {
    case RuleAction::Kind::Send:
        sender_.sendAutomatic(a.text, a.hex, a.suffix);
        break;
    case RuleAction::Kind::SendMacro: {
        const auto line = macroLookup_ ? macroLookup_(a.text, a.macro) : std::nullopt;
        if (line)
            sender_.sendAutomatic(*line, options_.hex, options_.suffix);
        else
            addAutomationNote(f.ruleName, "macro not found");
        break;
    }
    case RuleAction::Kind::Note:
        break;
    case RuleAction::Kind::PulseDtr:
        modem_.pulseLines(true, false);
        break;
    case RuleAction::Kind::PulseRts:
        modem_.pulseLines(false, true);
        break;
    case RuleAction::Kind::Break:
        modem_.sendBreak();
        break;
    case RuleAction::Kind::StartLog:
        if (!logFile_.logging())
            logFile_.toggleLogFile(clock_.now());
        view_.logStateChanged();
        break;
    case RuleAction::Kind::StopLog:
        if (logFile_.logging())
            logFile_.toggleLogFile(clock_.now());
        view_.logStateChanged();
        break;
    case RuleAction::Kind::StopSending:
        scheduler_.stopSending();
        answerWatch_.cancel();
        break;
    }
}

void Terminal::ruleReport(const RuleEngine::Report& r)
{
    if (r.kind == RuleEngine::Report::Kind::RuleDisabled) {
        addAutomationNote(r.ruleName, "match limit reached, rule off");
        view_.showError(trFormat("Правило «%1» отключено: регулярное выражение требует слишком много работы",
                                 {cp1251ToUtf8(r.ruleName)}));
        return;
    }
    addAutomationNote(r.ruleName,
                      "automation stopped: over " + std::to_string(rules_.limit().actionsPerSecond)
                          + " actions a second");
    view_.showMessage(
        trFormat("Автоматика остановлена: больше %1 действий в секунду. Последнее правило: «%2». "
                 "Чтобы включить её снова, сохраните правила.",
                 {std::to_string(rules_.limit().actionsPerSecond), cp1251ToUtf8(r.ruleName)}));
}

}  // namespace comtrax
