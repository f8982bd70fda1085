#pragma once
// Finding a text in the log's lines.
#include <QString>

#include <optional>

#include "ui/logview/log_line_store.h"

namespace comtrax {

// A place in the lines kept: line index and column.
struct LogPlace {
    int line = 0;
    int column = 0;
    bool operator==(const LogPlace&) const = default;
};

// The first match at or after start, or, going back, the last one that begins
// before start; the search goes round the end, so every match is reached.
std::optional<LogPlace> findInLines(const LogLineStore& lines, const QString& text,
                                    Qt::CaseSensitivity sensitivity, LogPlace start, bool backward);

}  // namespace comtrax
