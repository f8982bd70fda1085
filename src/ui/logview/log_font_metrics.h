#pragma once
// The log view's font as its lines are measured and drawn. A line is measured
// and placed by the advances of its characters, looked up once per font:
// shaping every line that arrives, and every whole line on screen at every
// frame, is what made a text document slow. Lines are drawn without kerning,
// so that the drawn text sits where the sums of the advances say. Every table
// here is made for one font and dropped when the font changes.
#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>

#include <climits>
#include <cstddef>
#include <vector>

namespace comtrax {

class LogLineStore;

class LogFontMetrics {
public:
    explicit LogFontMetrics(const QFont& font = QFont());

    // A new font: every table is made again as characters come.
    void setFont(const QFont& font);
    // The font lines are drawn in: the one given, without kerning.
    const QFont& font() const { return font_; }

    // A row's height in pixels (at least 1), and the baseline's distance
    // from the row's top.
    int lineHeight() const { return lineHeight_; }
    int ascent() const { return metrics_.ascent(); }
    int averageCharWidth() const { return metrics_.averageCharWidth(); }

    int advance(QChar c) const;
    // The width of the first columns characters of a text.
    int textWidth(const QString& text, int columns) const;
    int lineWidth(const QString& text) const { return textWidth(text, INT_MAX); }
    int lineWidth(QByteArrayView latin1) const;
    // Line i's width, measured without making it a QString when it is Latin-1.
    int lineWidth(const LogLineStore& lines, std::size_t i) const;
    // The break between characters nearest to x (pixels from the text's start).
    int columnAt(const QString& text, int x) const;
    // The advances of the 256 Latin-1 characters.
    const int* latin1Advances() const;

    // The font as glyphs are drawn from it.
    const QRawFont& rawFont() const;
    // The font's glyph for a character (0: none, or left to the shaper).
    quint32 glyphFor(QChar c) const;
    // The glyphs of text[begin, end) placed by the advances above, as a run
    // the painter draws without shaping; an empty run when the font lacks a
    // glyph (the painter then finds one in another font).
    QGlyphRun glyphRun(const QString& text, int begin, int end) const;

private:
    QFont font_;
    QFontMetrics metrics_;         // of the font as given
    QFontMetrics advanceMetrics_;  // of font_, for the advances
    int lineHeight_ = 1;
    mutable std::vector<short> advances_;      // by UTF-16 code unit; -1 until looked up
    mutable std::vector<int> latin1Advances_;  // empty until looked up
    // The font's glyph of each code unit (NoGlyph until looked up, 0 when the
    // font has none), so that drawing a line needs no text shaping.
    mutable std::vector<quint32> glyphs_;
    mutable QRawFont rawFont_;
};

}  // namespace comtrax
