#include "ui/logview/log_font_metrics.h"

#include <algorithm>

#include "ui/logview/log_line_store.h"

namespace comtrax {

namespace {

QFont unkerned(QFont f)
{
    f.setKerning(false);
    return f;
}

constexpr quint32 NoGlyph = 0xFFFFFFFF;

}  // namespace

LogFontMetrics::LogFontMetrics(const QFont& font)
    : font_(unkerned(font)), metrics_(font), advanceMetrics_(font_)
{
    lineHeight_ = std::max(1, metrics_.lineSpacing());
}

void LogFontMetrics::setFont(const QFont& font)
{
    font_ = unkerned(font);
    metrics_ = QFontMetrics(font);
    advanceMetrics_ = QFontMetrics(font_);
    lineHeight_ = std::max(1, metrics_.lineSpacing());
    advances_.clear();
    latin1Advances_.clear();
    glyphs_.clear();
    rawFont_ = QRawFont();
}

int LogFontMetrics::advance(QChar c) const
{
    if (advances_.empty())
        advances_.assign(0x10000, -1);
    short& a = advances_[c.unicode()];
    if (a < 0)
        a = static_cast<short>(std::clamp(advanceMetrics_.horizontalAdvance(c), 0, SHRT_MAX));
    return a;
}

int LogFontMetrics::textWidth(const QString& text, int columns) const
{
    columns = std::min(columns, static_cast<int>(text.size()));
    if (advances_.empty())
        advances_.assign(0x10000, -1);
    const short* advances = advances_.data();
    const ushort* units = text.utf16();
    int width = 0;
    for (int i = 0; i < columns; ++i) {
        const short a = advances[units[i]];
        width += a >= 0 ? a : advance(QChar(units[i]));
    }
    return width;
}

const int* LogFontMetrics::latin1Advances() const
{
    if (latin1Advances_.empty())
        for (int c = 0; c < 0x100; ++c)
            latin1Advances_.push_back(advance(QChar(c)));
    return latin1Advances_.data();
}

int LogFontMetrics::lineWidth(QByteArrayView latin1) const
{
    const int* advances = latin1Advances();
    int width = 0;
    for (const char c : latin1)
        width += advances[static_cast<uchar>(c)];
    return width;
}

int LogFontMetrics::lineWidth(const LogLineStore& lines, std::size_t i) const
{
    const std::optional<QByteArrayView> bytes = lines.latin1(i);
    return bytes ? lineWidth(*bytes) : lineWidth(lines[i]);
}

int LogFontMetrics::columnAt(const QString& text, int x) const
{
    int column = 0;
    int left = 0;
    const int size = static_cast<int>(text.size());
    while (column < size) {
        const int a = advance(text[column]);
        if (x < left + (a + 1) / 2)
            break;
        left += a;
        ++column;
    }
    return column;
}

const QRawFont& LogFontMetrics::rawFont() const
{
    if (!rawFont_.isValid())
        rawFont_ = QRawFont::fromFont(font_);
    return rawFont_;
}

quint32 LogFontMetrics::glyphFor(QChar c) const
{
    rawFont();
    if (glyphs_.empty())
        glyphs_.assign(0x10000, NoGlyph);
    quint32& g = glyphs_[c.unicode()];
    if (g == NoGlyph) {
        int found = 1;
        // Control characters and surrogates are left to the shaper.
        if (c.unicode() < 0x20 || c.isSurrogate() || !rawFont_.isValid()
            || !rawFont_.glyphIndexesForChars(&c, 1, &g, &found) || found != 1)
            g = 0;
    }
    return g;
}

QGlyphRun LogFontMetrics::glyphRun(const QString& text, int begin, int end) const
{
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(end - begin);
    positions.reserve(end - begin);
    int x = 0;
    for (int i = begin; i < end; ++i) {
        const QChar c = text[i];
        const quint32 g = glyphFor(c);
        if (g == 0)
            return {};
        indexes.append(g);
        positions.append(QPointF(x, 0));
        x += advance(c);
    }
    QGlyphRun run;
    run.setRawFont(rawFont_);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    return run;
}

}  // namespace comtrax
