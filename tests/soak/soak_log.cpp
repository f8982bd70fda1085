#include "soak/soak_log.h"

#include <cctype>

namespace comtrax::soak {

namespace {

constexpr std::size_t StampSize = 15;  // " [ hh:mm:ss:zzz"
constexpr std::size_t MarkSize = 5;    // " > ] " or " < ] "

bool digits(const std::string& s, std::size_t at, std::size_t n)
{
    if (at + n > s.size())
        return false;
    for (std::size_t i = at; i < at + n; ++i)
        if (!std::isdigit(static_cast<unsigned char>(s[i])))
            return false;
    return true;
}

// " [ hh:mm:ss:zzz" followed by " > ] " or " < ] " at position at.
char recordAt(const std::string& s, std::size_t at)
{
    if (at + StampSize + MarkSize > s.size() || s.compare(at, 3, " [ ") != 0)
        return 0;
    if (!digits(s, at + 3, 2) || s[at + 5] != ':' || !digits(s, at + 6, 2) || s[at + 8] != ':'
        || !digits(s, at + 9, 2) || s[at + 11] != ':' || !digits(s, at + 12, 3))
        return 0;
    const std::size_t m = at + StampSize;
    if (s.compare(m, MarkSize, " > ] ") == 0)
        return '>';
    if (s.compare(m, MarkSize, " < ] ") == 0)
        return '<';
    return 0;
}

std::size_t nextRecord(const std::string& s, std::size_t from)
{
    for (std::size_t at = s.find(" [ ", from); at != std::string::npos; at = s.find(" [ ", at + 1))
        if (recordAt(s, at))
            return at;
    return s.size();
}

}  // namespace

LogRecords parseLog(const std::string& s)
{
    LogRecords out;
    std::size_t at = nextRecord(s, 0);
    out.junk += s.substr(0, at);
    long sentSinceAnswer = 0;
    while (at < s.size()) {
        const char kind = recordAt(s, at);
        const std::size_t body = at + StampSize + MarkSize;
        const std::size_t end = nextRecord(s, body);
        std::string text = s.substr(body, end - body);
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
            text.resize(text.size() - 2);
        else
            out.junk += "<record without CR LF>";
        if (kind == '>') {
            if (!text.empty() && text.back() == '\r')
                text.pop_back();
            out.sent.push_back(text);
            ++sentSinceAnswer;
        } else {
            ++out.packets;
            std::size_t i = 0;
            while (i < text.size()) {
                if (text[i] == '\r' || text[i] == '\n') {
                    ++i;
                } else if (text.compare(i, 4, "ANS ") == 0 && digits(text, i + 4, 6)) {
                    out.answers.push_back(std::stol(text.substr(i + 4, 6)));
                    if (sentSinceAnswer != 1)
                        ++out.answersNotAfterTheirLine;
                    sentSinceAnswer = 0;
                    i += 10;
                } else if (text.compare(i, 5, "TICK ") == 0 && digits(text, i + 5, 6)) {
                    out.ticks.push_back(std::stol(text.substr(i + 5, 6)));
                    i += 11;
                } else {
                    out.junk += text[i++];
                }
            }
        }
        at = end;
    }
    return out;
}

Verdict compare(const DeviceTranscript& device, const LogRecords& log)
{
    Verdict v;
    const auto n = [](auto x) { return std::to_string(x); };
    v.facts.push_back("device: saw " + n(device.seen.size()) + " lines, sent " + n(device.answers)
                      + " answers and " + n(device.ticks) + " ticks");

    // Sent lines: the same list on both sides.
    std::size_t same = 0;
    while (same < device.seen.size() && same < log.sent.size() && device.seen[same] == log.sent[same])
        ++same;
    if (same != device.seen.size() || same != log.sent.size())
        v.fail("sent lines differ from the " + n(same + 1) + "th on: the device saw " + n(device.seen.size())
               + ", the log holds " + n(log.sent.size()));

    // Answers: 1..answers, each once, in order.
    long expected = 1;
    for (long a : log.answers) {
        if (a != expected) {
            v.fail("answer " + n(a) + " where " + n(expected) + " was due");
            break;
        }
        ++expected;
    }
    if (expected - 1 != device.answers && v.ok)
        v.fail("the log holds " + n(log.answers.size()) + " answers of " + n(device.answers));

    // Ticks: rising, none twice; any missing one is reported as lost.
    long last = 0;
    for (long t : log.ticks) {
        if (t <= last || t > device.ticks) {
            v.fail("tick " + n(t) + " after tick " + n(last));
            break;
        }
        last = t;
    }
    const long lostTicks = device.ticks - static_cast<long>(log.ticks.size());
    if (!log.junk.empty())
        v.fail(n(log.junk.size()) + " bytes of the log belong to no line: \"" + log.junk.substr(0, 80)
               + "\"");

    v.facts.push_back("log:    " + n(log.sent.size()) + " sent lines, " + n(log.packets)
                      + " received packets with " + n(log.answers.size()) + " answers and "
                      + n(log.ticks.size()) + " ticks (" + n(lostTicks) + " ticks lost)");
    v.facts.push_back(
        "order:  " + n(log.answersNotAfterTheirLine)
        + " answers did not follow exactly one sent line (two lines in flight after a slow turn)");
    return v;
}

}  // namespace comtrax::soak
