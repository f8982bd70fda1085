#include "ui/logview/log_row_cells.h"

#include <QGlyphRun>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <utility>

namespace comtrax {

namespace {
// Colour pairs kept at once: the schemes' received and sent rows, with room
// for a scheme change without making every cell again each frame.
constexpr std::size_t MaxSets = 8;
}  // namespace

void LogRowCells::clear()
{
    sets_.clear();
}

LogRowCells::Set& LogRowCells::setFor(const QColor& pen, const QColor& back)
{
    const QRgb p = pen.rgb();
    const QRgb b = back.rgb();
    for (Set& s : sets_)
        if (s.pen == p && s.back == b)
            return s;
    if (sets_.size() >= MaxSets)
        sets_.erase(sets_.begin());
    Set& s = sets_.emplace_back();
    s.pen = p;
    s.back = b;
    return s;
}

void LogRowCells::makeCell(Set& set, uchar c, const Font& font)
{
    set.state[c] = State::NoGlyph;
    const int advance = font.advances[c];
    const quint32 glyph = font.glyph(c);
    if (glyph == 0 || advance < 0 || font.height <= 0)
        return;
    // A glyph that reaches outside its cell is drawn as a glyph, over the
    // cells, or a copy would cut off what it draws over its neighbours.
    const QRectF box = font.raw.boundingRect(glyph);
    if (!box.isEmpty()
        && (box.left() < 0 || box.right() > advance || box.top() < -font.ascent
            || box.bottom() > font.height - font.ascent)) {
        set.state[c] = State::Overhang;
        return;
    }
    QImage cell(std::max(advance, 1), font.height, QImage::Format_RGB32);
    cell.fill(QColor::fromRgb(set.back));
    {
        QPainter painter(&cell);
        painter.setPen(QColor::fromRgb(set.pen));
        QGlyphRun run;
        run.setRawFont(font.raw);
        run.setGlyphIndexes({glyph});
        run.setPositions({QPointF(0, 0)});
        painter.drawGlyphRun(QPointF(0, font.ascent), run);
    }
    set.cells[c] = std::move(cell);
    set.bits[c] = reinterpret_cast<const quint32*>(std::as_const(set.cells[c]).constBits());
    set.state[c] = State::Cell;
}

bool LogRowCells::draw(QPainter& painter, int top, int width, QByteArrayView text, int x, const QColor& pen,
                       const QColor& back, const Font& font)
{
    if (width <= 0 || font.height <= 0)
        return true;
    Set& set = setFor(pen, back);
    for (const char ch : text) {
        const uchar c = static_cast<uchar>(ch);
        if (set.state[c] == State::Unknown)
            makeCell(set, c, font);
        if (set.state[c] == State::NoGlyph)
            return false;
    }
    if (row_.width() != width || row_.height() != font.height)
        row_ = QImage(width, font.height, QImage::Format_RGB32);
    overhangGlyphs_.clear();
    overhangPlaces_.clear();
    auto* rowBits = reinterpret_cast<quint32*>(row_.bits());
    const qsizetype rowStride = row_.bytesPerLine() / 4;
    const quint32 backPixel = back.rgb();
    // Only what no cell covers gets the background: the ends of the row and
    // the places of glyphs drawn over it.
    const auto fill = [&](int from, int to) {
        for (int y = 0; y < font.height; ++y)
            std::fill(rowBits + y * rowStride + from, rowBits + y * rowStride + to, backPixel);
    };
    int covered = 0;
    for (const char ch : text) {
        const uchar c = static_cast<uchar>(ch);
        const int advance = font.advances[c];
        if (set.state[c] == State::Overhang) {
            overhangGlyphs_.append(font.glyph(c));
            overhangPlaces_.append(QPointF(x, 0));
            x += advance;
            continue;
        }
        const int from = std::max(x, 0);
        const int to = std::min(x + advance, width);
        if (to > from) {
            if (from > covered)
                fill(covered, from);
            covered = std::max(covered, to);
            const quint32* cellBits = set.bits[c] + (from - x);
            const int cellStride = advance > 0 ? advance : 1;
            const auto n = std::size_t(to - from);
            for (int y = 0; y < font.height; ++y)
                std::memcpy(rowBits + y * rowStride + from, cellBits + y * cellStride, n * sizeof(quint32));
        }
        x += advance;
    }
    if (covered < width)
        fill(covered, width);
    painter.drawImage(0, top, row_);
    if (!overhangGlyphs_.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(font.raw);
        run.setGlyphIndexes(overhangGlyphs_);
        run.setPositions(overhangPlaces_);
        painter.setPen(pen);
        painter.drawGlyphRun(QPointF(0, top + font.ascent), run);
    }
    return true;
}

}  // namespace comtrax
