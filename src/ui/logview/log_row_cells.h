#pragma once
// Rows of plain Latin-1 text drawn as copies of ready-made character cells.
// A log that scrolls by is row after row of the same hundred characters in
// two colour pairs (received and sent); drawing each glyph anew blends its
// mask into the picture every time, while a cell is blended once, when first
// needed, and then only copied. A glyph that reaches outside its cell (a
// proportional font's K, j or _) is drawn over the copied cells instead, as a
// glyph; a character the font has no glyph for sends its row the glyph-by-
// glyph way, so what is shown stays what the glyphs draw.
#include <QByteArrayView>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRawFont>

#include <array>
#include <functional>
#include <vector>

class QPainter;

namespace comtrax {

class LogRowCells {
public:
    struct Font {
        QRawFont raw;
        int ascent = 0;
        int height = 0;
        const int* advances = nullptr;        // of the 256 Latin-1 characters
        std::function<quint32(uchar)> glyph;  // 0: the font has none
    };

    // The font changed: every cell is made again.
    void clear();
    // Draws a row: the background over the whole width, and the text, whose
    // first character's cell starts at x (which may be left of the row).
    // Returns false, having drawn nothing, when a character has no glyph.
    bool draw(QPainter& painter, int top, int width, QByteArrayView text, int x, const QColor& pen,
              const QColor& back, const Font& font);

private:
    enum class State : signed char { Unknown, Cell, Overhang, NoGlyph };
    struct Set {
        QRgb pen = 0;
        QRgb back = 0;
        std::array<QImage, 256> cells;
        // Each cell's first pixel row, kept beside it: a row copies a cell
        // line by line for every character it shows.
        std::array<const quint32*, 256> bits{};
        std::array<State, 256> state{};
    };
    Set& setFor(const QColor& pen, const QColor& back);
    static void makeCell(Set& set, uchar c, const Font& font);

    std::vector<Set> sets_;
    QImage row_;
    QList<quint32> overhangGlyphs_;
    QList<QPointF> overhangPlaces_;
};

}  // namespace comtrax
