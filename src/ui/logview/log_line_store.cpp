#include "ui/logview/log_line_store.h"

#include <algorithm>
#include <utility>

namespace comtrax {

void LogLineStore::pushLine(const QString& line, LogDirection direction)
{
    characters_ += line.size();
    const bool narrow = std::all_of(line.begin(), line.end(), [](QChar c) { return c.unicode() < 0x100; });
    if (narrow) {
        lines_.push_back(Line{line.toLatin1(), false, direction});
        return;
    }
    lines_.push_back(Line{QByteArray(reinterpret_cast<const char*>(line.utf16()),
                                     static_cast<qsizetype>(line.size() * sizeof(char16_t))),
                          true, direction});
}

void LogLineStore::append(LogLineStore&& more)
{
    for (Line& l : more.lines_)
        lines_.push_back(std::move(l));
    characters_ += more.characters_;
    more.clear();
}

QString LogLineStore::operator[](std::size_t i) const
{
    const Line& l = lines_[i];
    if (!l.wide)
        return QString::fromLatin1(l.bytes);
    return QString(reinterpret_cast<const QChar*>(l.bytes.constData()),
                   static_cast<qsizetype>(l.bytes.size() / sizeof(char16_t)));
}

}  // namespace comtrax
