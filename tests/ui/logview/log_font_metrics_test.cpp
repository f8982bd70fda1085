// The log view's font measures: what its tables give is what the font
// gives, before and after the font changes.
#include "ui/logview/log_font_metrics.h"

#include <QFontMetrics>
#include <QRawFont>

#include <gtest/gtest.h>

#include "ui/logview/log_line_store.h"

namespace comtrax {
namespace {

QFont fontOf(const char* family, int points)
{
    return QFont(QString::fromLatin1(family), points);
}

// What the font itself says, without kerning and without any table.
int fontWidth(const QFont& font, const QString& text)
{
    QFont unkerned = font;
    unkerned.setKerning(false);
    const QFontMetrics metrics(unkerned);
    int width = 0;
    for (const QChar c : text)
        width += metrics.horizontalAdvance(c);
    return width;
}

TEST(LogFontMetrics, EveryTableFollowsAFontChange)
{
    // Each table is filled in the first font, then asked again in the second.
    const QString latin1 = QStringLiteral("AT+GMR W_i é ÿ");
    const QString wide = QStringLiteral("Привет W");
    struct Case {
        QFont from;
        QFont to;
    };
    const Case cases[] = {
        {fontOf("DejaVu Sans Mono", 8), fontOf("DejaVu Sans Mono", 16)},
        {fontOf("DejaVu Sans Mono", 11), fontOf("DejaVu Sans", 11)},
        {fontOf("DejaVu Sans", 14), fontOf("DejaVu Sans Mono", 7)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from.toString().toStdString() + " to " + c.to.toString().toStdString());
        LogFontMetrics metrics(c.from);
        LogLineStore lines;
        lines.pushLine(latin1);
        lines.pushLine(wide);
        const QByteArray bytes = latin1.toLatin1();
        for (const QFont& font : {c.from, c.to}) {
            if (font != c.from)
                metrics.setFont(font);
            EXPECT_EQ(metrics.lineHeight(), QFontMetrics(font).lineSpacing());
            EXPECT_EQ(metrics.lineWidth(latin1), fontWidth(font, latin1));
            EXPECT_EQ(metrics.lineWidth(QByteArrayView(bytes)), fontWidth(font, latin1));
            EXPECT_EQ(metrics.latin1Advances()[0xE9], fontWidth(font, QStringLiteral("é")));
            EXPECT_EQ(metrics.lineWidth(lines, 0), fontWidth(font, latin1));
            EXPECT_EQ(metrics.lineWidth(lines, 1), fontWidth(font, wide));
            EXPECT_EQ(metrics.textWidth(wide, 3), fontWidth(font, wide.left(3)));
            EXPECT_EQ(metrics.rawFont().pixelSize(), QRawFont::fromFont(font).pixelSize());
            const QString glyphs = QStringLiteral("Wé€→ЖѬ");
            const QList<quint32> indexes = QRawFont::fromFont(font).glyphIndexesForString(glyphs);
            for (qsizetype k = 0; k < glyphs.size(); ++k)
                EXPECT_EQ(metrics.glyphFor(glyphs[k]), indexes.value(k)) << k;
        }
    }
}

TEST(LogFontMetrics, APointIsAtTheNearestBreakBetweenCharacters)
{
    const QFont font = fontOf("DejaVu Sans", 12);
    const LogFontMetrics metrics(font);
    const QString text = QStringLiteral("iWi");
    const int i = fontWidth(font, QStringLiteral("i"));
    const int w = fontWidth(font, QStringLiteral("W"));
    struct Case {
        int x;
        int column;
    };
    const Case cases[] = {
        {-10, 0},
        {0, 0},
        {(i + 1) / 2 - 1, 0},
        {(i + 1) / 2, 1},
        {i + (w + 1) / 2 - 1, 1},
        {i + (w + 1) / 2, 2},
        {i + w + i, 3},
        {1000, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(metrics.columnAt(text, c.x), c.column);
    }
    EXPECT_EQ(metrics.columnAt(QString(), 50), 0);
}

TEST(LogFontMetrics, GlyphRunsSitWhereTheAdvancesSayAndLeaveControlCharactersToTheShaper)
{
    const LogFontMetrics metrics(fontOf("DejaVu Sans", 12));
    const QString text = QStringLiteral("AT+W");
    const QGlyphRun run = metrics.glyphRun(text, 1, 4);
    ASSERT_EQ(run.glyphIndexes().size(), 3);
    EXPECT_EQ(run.positions().value(0), QPointF(0, 0));
    EXPECT_EQ(run.positions().value(2), QPointF(metrics.textWidth(QStringLiteral("T+"), 2), 0));
    EXPECT_TRUE(metrics.glyphRun(QStringLiteral("AT\tOK"), 0, 5).isEmpty());
    EXPECT_EQ(metrics.glyphFor(QChar(0x01)), 0u);
}

}  // namespace
}  // namespace comtrax
