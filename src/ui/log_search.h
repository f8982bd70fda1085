#pragma once
// Finding a text in the log's lines.
#include <QString>

#include <deque>
#include <functional>
#include <optional>

#include "ui/log_line_store.h"

namespace comtrax {

// A place in the lines kept: line index and column.
struct LogPlace {
    int line = 0;
    int column = 0;
    bool operator==(const LogPlace&) const = default;
};

// The first match at or after start, or, going back, the last one that begins
// before start; the search goes round the end, so every match is reached.
std::optional<LogPlace> findInLines(int count, const std::function<QString(int)>& lineAt, const QString& text,
                                    Qt::CaseSensitivity sensitivity, LogPlace start, bool backward);
std::optional<LogPlace> findInLines(const std::deque<QString>& lines, const QString& text,
                                    Qt::CaseSensitivity sensitivity, LogPlace start, bool backward);
std::optional<LogPlace> findInLines(const LogLineStore& lines, const QString& text,
                                    Qt::CaseSensitivity sensitivity, LogPlace start, bool backward);

}  // namespace comtrax
