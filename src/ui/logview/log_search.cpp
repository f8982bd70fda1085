#include "ui/logview/log_search.h"

namespace comtrax {

std::optional<LogPlace> findInLines(const LogLineStore& lines, const QString& text,
                                    Qt::CaseSensitivity sensitivity, LogPlace start, bool backward)
{
    const int count = static_cast<int>(lines.size());
    if (text.isEmpty() || count == 0 || start.line < 0 || start.line >= count)
        return std::nullopt;
    // Every line once, and the starting line a second time for the part
    // before (or after) the start, which the search reaches round the end.
    for (int step = 0; step <= count; ++step) {
        const int index = backward ? (start.line - step + count) % count : (start.line + step) % count;
        const QString line = lines[static_cast<std::size_t>(index)];
        qsizetype at = -1;
        if (!backward)
            at = line.indexOf(text, step == 0 ? start.column : 0, sensitivity);
        else if (step > 0)
            at = line.lastIndexOf(text, -1, sensitivity);
        else if (start.column > 0)  // lastIndexOf takes -1 for the whole line
            at = line.lastIndexOf(text, start.column - 1, sensitivity);
        if (at >= 0)
            return LogPlace{index, static_cast<int>(at)};
    }
    return std::nullopt;
}

}  // namespace comtrax
