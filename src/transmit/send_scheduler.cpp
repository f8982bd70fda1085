#include "transmit/send_scheduler.h"

#include <charconv>
#include <utility>

#include "common/terminal_view.h"
#include "common/texts.h"

namespace comtrax {

const char* const AllSentText = "Все команды отправлены";
const char* const BigFileText = "Большой файл";

namespace {
constexpr int64_t DayMs = 86400000;
}

bool parsePeriod(const std::string& text, int64_t& periodMs)
{
    // Only plain decimal digits: the field refuses everything else when typed,
    // and pasted text that is no number must not send on every tick.
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    int64_t value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size())
        return false;
    periodMs = value;
    return true;
}

SendScheduler::SendScheduler(const TerminalOptions& options, const Clock& clock, TerminalView& view,
                             Hooks hooks)
    : options_(options), clock_(clock), view_(view), hooks_(std::move(hooks))
{}

void SendScheduler::setPeriodTimerEnabled(bool on)
{
    if (periodTimer_ == on)
        return;
    periodTimer_ = on;
    view_.setPeriodTimerEnabled(on);
}

void SendScheduler::stopSending()
{
    stopped_ = true;
    setPeriodTimerEnabled(false);
}

void SendScheduler::modeSelected(SendMode mode)
{
    if (mode == selectedMode_)
        return;
    selectedMode_ = mode;
    stopped_ = false;
    switch (mode) {
    case SendMode::Manual:
        sendStartEnabled_ = true;
        cyclicEnabled_ = false;
        break;
    case SendMode::OnSelect:
        sendStartEnabled_ = false;
        cyclicEnabled_ = false;
        break;
    case SendMode::AfterAnswer:
        sendStartEnabled_ = true;
        cyclicEnabled_ = true;
        break;
    case SendMode::Period:
        sendStartEnabled_ = true;
        cyclicEnabled_ = true;
        // No mode switches the timer off again: it idles while another mode is selected.
        setPeriodTimerEnabled(true);
        break;
    }
}

// The index moves on before the send: a nested event loop inside the send (an
// error box) may step the list too, and must find the next line, not this one.
// The line is copied because such a nested event may also replace the list.
void SendScheduler::sendFileLine()
{
    const std::string line = fileLines_[fileLineIndex_];
    ++fileLineIndex_;
    if (hooks_.send)
        hooks_.send(line);
}

void SendScheduler::periodTick()
{
    if (options_.sendMode != SendMode::Period || stopped_)
        return;
    const int32_t t = timeOfDayMs(clock_.now());
    int64_t period = 0;
    if (!parsePeriod(options_.periodText, period))
        return;
    if (t < lastPeriodSend_)  // past midnight: the period starts again from now
        lastPeriodSend_ = t;
    if (!(period < int64_t(t) - lastPeriodSend_))
        return;
    if (!hooks_.portOpen || !hooks_.portOpen())
        return;
    lastPeriodSend_ = t;
    if (!fileMode_) {
        if (hooks_.send)
            hooks_.send(options_.commandText);
        return;
    }
    if (fileLineIndex_ < fileLines_.size()) {
        sendFileLine();
        return;
    }
    fileLineIndex_ = 0;
    if (options_.cyclic)
        return;  // this period passes without a send; line 1 follows in the next
    // The timer is off before the modal box opens, so a nested tick cannot show it twice.
    setPeriodTimerEnabled(false);
    announceEnd();
}

int64_t SendScheduler::msUntilNextPeriodSend() const
{
    if (!periodTimer_ || options_.sendMode != SendMode::Period)
        return -1;
    int64_t period = 0;
    if (!parsePeriod(options_.periodText, period))
        return -1;
    if (!hooks_.portOpen || !hooks_.portOpen())
        return -1;
    const int64_t t = timeOfDayMs(clock_.now());
    if (t < lastPeriodSend_)
        return 0;
    const int64_t due = lastPeriodSend_ + period + 1;  // first t with period < t - last
    if (due <= t)
        return 0;
    if (due >= DayMs)
        return DayMs - t;  // wake at midnight, where the period restarts
    return due - t;
}

void SendScheduler::startSending()
{
    stopped_ = false;
    switch (options_.sendMode) {
    case SendMode::Manual:
    case SendMode::AfterAnswer:
        if (fileLineIndex_ >= fileLines_.size()) {
            fileLineIndex_ = 0;
            runEnded_ = true;
            announceEnd();
        } else {
            runEnded_ = false;
            sendFileLine();
        }
        break;
    case SendMode::Period:
        setPeriodTimerEnabled(true);
        break;
    case SendMode::OnSelect:
        break;
    }
}

void SendScheduler::sendNextAfterAnswer()
{
    if (stopped_)
        return;
    if (!fileMode_) {
        if (hooks_.send)
            hooks_.send(options_.commandText);
        return;
    }
    // A run that has ended stays ended: a stray byte after it, the tail of a
    // split answer, or what arrived while the notice was open would otherwise
    // send the whole file again, writes included. Only a start begins it anew.
    if (runEnded_)
        return;
    if (fileLineIndex_ >= fileLines_.size()) {
        fileLineIndex_ = 0;
        if (!options_.cyclic) {
            // The answer to the last line ends the run: say so once. An empty
            // list has no run to end, so every answer stays quiet.
            runEnded_ = !fileLines_.empty();
            if (!fileLines_.empty())
                announceEnd();
            return;
        }
    }
    if (fileLineIndex_ < fileLines_.size())
        sendFileLine();
}

void SendScheduler::announceEnd()
{
    if (hooks_.runEnded && hooks_.runEnded())
        return;
    view_.showMessage(trText(AllSentText));
}

void SendScheduler::sendNextFileLine()
{
    if (!fileMode_ || stopped_ || runEnded_)
        return;
    if (fileLineIndex_ < fileLines_.size()) {
        sendFileLine();
        return;
    }
    fileLineIndex_ = 0;
    if (options_.cyclic && options_.sendMode == SendMode::AfterAnswer) {
        if (!fileLines_.empty())
            sendFileLine();
        return;
    }
    runEnded_ = true;
    announceEnd();
}

void SendScheduler::sendAfterConnect()
{
    if (fileMode_)
        startSending();
    else if (hooks_.send)
        hooks_.send(options_.commandText);
}

void SendScheduler::housekeepingTick()
{
    if (options_.cyclic && options_.sendMode == SendMode::Period && !stopped_)
        setPeriodTimerEnabled(true);
}

void SendScheduler::applyLoadedFile(CommandFile file)
{
    fileLines_ = std::move(file.lines);
    runEnded_ = false;
    if (file.bigFile)
        view_.showMessage(trText(BigFileText));
}

void SendScheduler::loadFile(const std::string& bytes)
{
    fileMode_ = true;
    fileLineIndex_ = 0;
    applyLoadedFile(parseCommandFile(bytes));
}

FileResult SendScheduler::loadFileFromPath(const std::string& path)
{
    fileMode_ = true;
    fileLineIndex_ = 0;
    fileLines_.clear();
    CommandFile file;
    FileResult r = readCommandFile(path, file);
    if (!r) {
        fileLines_ = std::move(file.lines);
        view_.showError(r.error);
        return r;
    }
    applyLoadedFile(std::move(file));
    return r;
}

void SendScheduler::leaveFile()
{
    fileMode_ = false;
    fileLines_.clear();
}

}  // namespace comtrax
