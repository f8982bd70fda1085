// The facade's automation: rules acting on received packets, and the answer
// timeout of after-answer sending, carried out through the one send path.
#include <algorithm>
#include <utility>

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
        if (directives_.waiting()) {
            const DirectiveRun::Event event = directives_.packet(packet.bytes);
            packetTakenByWait_ = event != DirectiveRun::Event::None;
            directiveEvent(event);
        }
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
    const bool fileLine = scheduler_.fileMode();
    if (fileLine && scheduler_.fileLineIndex() == 1) {
        // A run begins: its summary counts from here.
        directives_.cancel();
        directives_.resetSummary();
        waitsInRun_ = 0;
        runHasDirectives_ = false;
        for (const std::string& l : scheduler_.fileLines())
            runHasDirectives_ = runHasDirectives_ || isDirectiveLine(l);
    }
    if (fileLine && isDirectiveLine(line)) {
        carryOutDirective(line);
        tellAutomationChanged();
        return;
    }
    fileContinuing_ = false;
    sender_.send(line);
    if (fileLine) {
        ++directives_.summary.linesSent;
        lastFileLine_ = line;
    }
    if (options_.sendMode == SendMode::AfterAnswer) {
        answerLine_ = line;
        answerWatch_.lineSent(false);
    }
    // A wait or a pause right after the line starts as the line goes out.
    if (fileLine && options_.sendMode != SendMode::Period)
        stepFileAfterLine();
    tellAutomationChanged();
}

void Terminal::stepFileAfterLine()
{
    const auto& lines = scheduler_.fileLines();
    const uint32_t next = scheduler_.fileLineIndex();
    if (next < lines.size() && isDirectiveLine(lines[next]))
        scheduler_.sendNextFileLine();
}

bool Terminal::carryOutDirective(const std::string& line)
{
    std::string error;
    const auto d = parseDirective(line, error);
    if (!d || d->kind == Directive::Kind::Note) {
        // A malformed directive is said in the log, never sent.
        addAutomationNote("file", d ? d->text : utf8ToCp1251(error));
        if (options_.sendMode == SendMode::Period)
            return true;
        if (directives_.summary.linesSent == 0 || fileContinuing_)
            scheduler_.sendNextFileLine();  // on to the next line, as the run was going
        else
            stepFileAfterLine();
        return true;
    }
    if (options_.sendMode == SendMode::Period) {
        // The period paces periodic sending; a wait or pause there holds nothing.
        addAutomationNote("file", "skipped in periodic sending: " + line);
        return true;
    }
    if (d->kind == Directive::Kind::Wait)
        ++waitsInRun_;
    answerWatch_.cancel();  // the wait decides now
    directives_.start(*d, waitsInRun_);
    return true;
}

void Terminal::directiveEvent(DirectiveRun::Event event)
{
    switch (event) {
    case DirectiveRun::Event::None:
        return;
    case DirectiveRun::Event::Continue:
        fileContinuing_ = true;
        scheduler_.sendNextFileLine();
        break;
    case DirectiveRun::Event::Resend:
        addAutomationNote("file",
                          "wait " + std::to_string(waitsInRun_) + ": " + utf8ToCp1251(trText("нет ответа"))
                              + ", again: " + lastFileLine_);
        sender_.send(lastFileLine_);
        ++directives_.summary.linesSent;
        break;
    case DirectiveRun::Event::Stop:
        scheduler_.stopSending();
        fileRunEnded(true);
        break;
    }
    tellAutomationChanged();
}

bool Terminal::fileRunEnded(bool stopped)
{
    if (!runHasDirectives_)
        return false;
    runHasDirectives_ = false;  // said once per run
    const auto& s = directives_.summary;
    std::string timedOut;
    for (const int n : s.timedOut)
        timedOut += (timedOut.empty() ? "" : ", ") + std::to_string(n);
    const std::string text =
        trFormat(stopped ? "Файл остановлен. Отправлено строк: %1, ожиданий выполнено: %2, не дождались: %3"
                         : "Файл отправлен. Отправлено строк: %1, ожиданий выполнено: %2, не дождались: %3",
                 {std::to_string(s.linesSent), std::to_string(s.waitsMatched),
                  timedOut.empty() ? trText("нет") : timedOut});
    addAutomationNote("file", utf8ToCp1251(text));
    view_.showMessage(text);
    return true;
}

void Terminal::afterAnswer()
{
    // A wait or a pause of the file decides when it goes on, not the answer.
    if (std::exchange(packetTakenByWait_, false) || directives_.busy())
        return;
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
    int64_t due = -1;
    for (const int64_t t : {rules_.msUntilDue(), answerWatch_.msUntilDue(), directives_.msUntilDue()})
        if (t >= 0 && (due < 0 || t < due))
            due = t;
    return due;
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
    directiveEvent(directives_.tick());
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
    // The note goes before what it tells of, except a log's start, which it
    // follows so that the new file holds it.
    if (a.kind != RuleAction::Kind::StartLog)
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
        addAutomationNote(f.ruleName, describeAction(a));
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
