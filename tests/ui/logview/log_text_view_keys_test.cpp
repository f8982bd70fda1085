// The log view's keyboard selection and the primary selection.
#include "ui/logview/log_text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace comtrax {
namespace {

struct KeyedView {
    LogTextView view;
    KeyedView()
    {
        view.resize(400, 200);
        view.show();
        QApplication::setActiveWindow(&view);
        view.setFocus();
    }
    QPoint pointOf(int line, int column) const
    {
        const QFontMetrics metrics = view.fontMetrics();
        const int row = line - view.firstVisibleLine();
        return {4 + metrics.horizontalAdvance(view.line(line).left(column)),
                row * metrics.lineSpacing() + metrics.lineSpacing() / 2};
    }
    void clickAt(int line, int column)
    {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, pointOf(line, column));
    }
};

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};
constexpr Qt::KeyboardModifiers Shift = Qt::ShiftModifier;
const Qt::KeyboardModifiers CtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

TEST(LogTextViewKeys, HomeEndAndTheirCtrlFormsExtendASelectionWithShift)
{
    struct Case {
        const char* name;
        std::vector<Key> keys;
        QString selected;
    };
    // The caret is put between "be" and "ta two" by a click.
    const Case cases[] = {
        {"Shift+End to the line's end", {{Qt::Key_End, Shift}}, "ta two"},
        {"Shift+Home to the line's start", {{Qt::Key_Home, Shift}}, "be"},
        {"Ctrl+Shift+End to the log's end", {{Qt::Key_End, CtrlShift}}, "ta two\ngamma three"},
        {"Ctrl+Shift+Home to the log's start", {{Qt::Key_Home, CtrlShift}}, "alpha one\nbe"},
        {"a line down, then to its end",
         {{Qt::Key_Down, Shift}, {Qt::Key_End, Shift}},
         "ta two\ngamma three"},
        {"to the end and back past the start",
         {{Qt::Key_End, Shift}, {Qt::Key_Home, CtrlShift}},
         "alpha one\nbe"},
        {"Shift+PageDown: a page on, at most the end", {{Qt::Key_PageDown, Shift}}, "ta two\nga"},
        {"Shift+PageUp: a page back, at least the start", {{Qt::Key_PageUp, Shift}}, "pha one\nbe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeyedView k;
        k.view.appendLines({"alpha one", "beta two", "gamma three"});
        k.clickAt(1, 2);
        ASSERT_FALSE(k.view.hasSelection());
        for (const Key& key : c.keys)
            QTest::keyClick(&k.view, key.key, key.modifiers);
        EXPECT_EQ(k.view.selectedText(), c.selected);
    }
}

TEST(LogTextViewKeys, PlainKeysMoveTheCaretAndDropTheSelection)
{
    KeyedView k;
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("line %1").arg(i, 3, 10, QLatin1Char('0'));
    k.view.appendLines(lines);
    QScrollBar* bar = k.view.verticalScrollBar();
    const int page = k.view.pageLines();
    ASSERT_GT(page, 2);

    // Ctrl+Home: the top, the caret at the log's start; a selection from
    // there takes the first line.
    k.clickAt(bar->value(), 2);
    QTest::keyClick(&k.view, Qt::Key_Right, Shift);
    ASSERT_TRUE(k.view.hasSelection());
    QTest::keyClick(&k.view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_FALSE(k.view.hasSelection());
    EXPECT_EQ(bar->value(), 0);
    QTest::keyClick(&k.view, Qt::Key_End, Shift);
    EXPECT_EQ(k.view.selectedText(), QString("line 000"));

    // PageDown moves the view a page and the caret with it.
    QTest::keyClick(&k.view, Qt::Key_PageDown);
    EXPECT_FALSE(k.view.hasSelection());
    EXPECT_EQ(bar->value(), page);
    QTest::keyClick(&k.view, Qt::Key_Home, Shift);
    EXPECT_EQ(k.view.selectedText(), QStringLiteral("line %1").arg(page, 3, 10, QLatin1Char('0')));

    // End (and Ctrl+End): the log's end, following again.
    QTest::keyClick(&k.view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_FALSE(k.view.hasSelection());
    EXPECT_TRUE(k.view.following());
    QTest::keyClick(&k.view, Qt::Key_Home, Shift);
    EXPECT_EQ(k.view.selectedText(), QString("line 299"));

    // A caret the lines scrolled away from: a new selection starts on the
    // page in view, not back there; going up, from the newest line's end.
    k.clickAt(bar->value(), 0);
    k.view.appendLines(lines);
    ASSERT_TRUE(k.view.following());
    QTest::keyClick(&k.view, Qt::Key_Up, Shift);
    EXPECT_EQ(k.view.selectedText().count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(k.view.following()) << "the view stayed where it was";

    // Ctrl+A selects everything, whatever was selected.
    QTest::keyClick(&k.view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(k.view.selectedText(), k.view.toPlainText());
}

// The primary selection needs a platform that has one (X11); under the
// offscreen platform these skip, and a test run on a virtual X server runs them.
class LogTextViewPrimary : public ::testing::Test {
protected:
    void SetUp() override
    {
        clipboard = QApplication::clipboard();
        if (!clipboard->supportsSelection())
            GTEST_SKIP() << "the platform has no primary selection";
        clipboard->setText(QStringLiteral("before"), QClipboard::Selection);
        clipboard->setText(QStringLiteral("clipboard"));
    }
    QClipboard* clipboard = nullptr;
};

TEST_F(LogTextViewPrimary, AMouseOrKeyboardSelectionGoesToThePrimarySelectionAndCtrlCToTheClipboard)
{
    KeyedView k;
    k.view.appendLines({"alpha one", "beta two", "gamma three"});
    QTest::mousePress(k.view.viewport(), Qt::LeftButton, {}, k.pointOf(0, 6));
    QTest::mouseMove(k.view.viewport(), k.pointOf(1, 4));
    QTest::mouseRelease(k.view.viewport(), Qt::LeftButton, {}, k.pointOf(1, 4));
    EXPECT_EQ(clipboard->text(QClipboard::Selection), QString("one\nbeta"));
    EXPECT_EQ(clipboard->text(), QString("clipboard")) << "the clipboard is Ctrl+C's";

    QTest::keyClick(&k.view, Qt::Key_End, Shift);
    EXPECT_EQ(clipboard->text(QClipboard::Selection), QString("one\nbeta two"));
    QTest::mouseDClick(k.view.viewport(), Qt::LeftButton, {}, k.pointOf(2, 1));
    EXPECT_EQ(clipboard->text(QClipboard::Selection), QString("gamma three"));

    // A click that selects nothing leaves the primary selection as it was.
    k.clickAt(0, 1);
    EXPECT_EQ(clipboard->text(QClipboard::Selection), QString("gamma three"));
    QTest::keyClick(&k.view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(QClipboard::Selection), k.view.toPlainText());
    EXPECT_EQ(clipboard->text(), QString("clipboard"));
    QTest::keyClick(&k.view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), k.view.toPlainText());
}

}  // namespace
}  // namespace comtrax
