#pragma once
// The log view's lines, kept compactly: a line whose characters are all
// Latin-1 (what a device's ASCII gives) takes one byte a character instead of
// a QString's two. Five thousand lines of 1500 characters are 7.5 MB less.
// Each line keeps the way it went (sent or received) beside its bytes, so the
// two can never drift apart when lines are added or fall off the top.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <deque>
#include <optional>

#include "common/terminal_view.h"

namespace comtrax {

class LogLineStore {
public:
    void pushLine(const QString& line, LogDirection direction = LogDirection::Other);
    // A line given as its Latin-1 bytes, kept as they are.
    void pushLatin1(QByteArray line, LogDirection direction = LogDirection::Other)
    {
        characters_ += line.size();
        lines_.push_back(Line{std::move(line), false, direction});
    }
    // Moves the lines of more to the end.
    void append(LogLineStore&& more);
    void dropFirst()
    {
        characters_ -= length(0);
        lines_.pop_front();
    }
    void clear()
    {
        lines_.clear();
        characters_ = 0;
    }
    std::size_t size() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    // Line i as text (made on each call: keep the result while it is used).
    QString operator[](std::size_t i) const;
    QString back() const { return (*this)[lines_.size() - 1]; }
    // Line i's length in characters.
    int length(std::size_t i) const
    {
        const Line& l = lines_[i];
        return static_cast<int>(l.wide ? l.bytes.size() / static_cast<qsizetype>(sizeof(char16_t))
                                       : l.bytes.size());
    }
    // The characters of all the lines, line breaks not counted.
    long long characters() const { return characters_; }
    LogDirection direction(std::size_t i) const { return lines_[i].direction; }
    // Line i's Latin-1 bytes, or nothing when it holds a wider character.
    std::optional<QByteArrayView> latin1(std::size_t i) const
    {
        const Line& l = lines_[i];
        if (l.wide)
            return std::nullopt;
        return QByteArrayView(l.bytes);
    }

private:
    struct Line {
        QByteArray bytes;  // Latin-1, or UTF-16 code units when wide
        bool wide = false;
        LogDirection direction = LogDirection::Other;
    };
    std::deque<Line> lines_;
    long long characters_ = 0;
};

}  // namespace comtrax
