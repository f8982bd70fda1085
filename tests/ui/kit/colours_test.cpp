#include "ui/kit/colours.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <memory>

namespace comtrax {
namespace {

TEST(Colours, RgbValuesAreStoredBlueGreenRed)
{
    EXPECT_EQ(colourToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(colourToQColor(clBlue), QColor(0, 0, 255));
    EXPECT_EQ(colourToQColor(clLime), QColor(0, 255, 0));
    EXPECT_EQ(colourToQColor(clYellow), QColor(255, 255, 0));
    EXPECT_EQ(colourToQColor(clAqua), QColor(0, 255, 255));
    EXPECT_EQ(colourToQColor(clCream), QColor(0xFF, 0xFB, 0xF0));
    EXPECT_EQ(colourToQColor(0x00123456), QColor(0x56, 0x34, 0x12));
}

TEST(Colours, SystemColoursFollowThePlatformPalette)
{
    const QPalette p = QApplication::palette();
    const struct {
        uint32_t value;
        QColor colour;
    } cases[] = {
        {clWindow, p.color(QPalette::Base)},    {clWindowText, p.color(QPalette::Text)},
        {clBtnFace, p.color(QPalette::Button)}, {clInfoBk, p.color(QPalette::ToolTipBase)},
        {clMenuBar, p.color(QPalette::Window)}, {clInactiveBorder, p.color(QPalette::Midlight)},
        {0xFF0000FF, QColor(0, 0, 0)},  // no such system colour
    };
    for (const auto& c : cases)
        EXPECT_EQ(colourToQColor(c.value), c.colour) << std::hex << c.value;
}

template <class W> void checkWidget(QPalette::ColorRole paints, uint32_t designBackground)
{
    W w;
    SCOPED_TRACE(w.metaObject()->className());
    EXPECT_EQ(backgroundColour(&w), designBackground);
    EXPECT_EQ(textColour(&w), clWindowText);
    for (uint32_t v : {clAqua, clBlack, clWindow, clMenuBar}) {
        setBackgroundColour(&w, v);
        EXPECT_EQ(backgroundColour(&w), v);
        EXPECT_EQ(w.palette().color(paints), colourToQColor(v));
    }
    setTextColour(&w, clLime);
    EXPECT_EQ(textColour(&w), clLime);
    EXPECT_EQ(w.palette().color(QPalette::Text), QColor(0, 255, 0));
    EXPECT_EQ(w.palette().color(QPalette::WindowText), QColor(0, 255, 0));
    // A disabled control shows the same colour: ComPort stays green while
    // it is disabled by the connection.
    EXPECT_EQ(w.palette().color(QPalette::Disabled, paints), colourToQColor(clMenuBar));
}

TEST(Colours, EveryKindOfControlKeepsAndShowsItsValue)
{
    checkWidget<QLineEdit>(QPalette::Base, clWindow);
    checkWidget<QPlainTextEdit>(QPalette::Base, clWindow);
    checkWidget<QListWidget>(QPalette::Base, clWindow);
    checkWidget<QComboBox>(QPalette::Button, clWindow);
    checkWidget<QLabel>(QPalette::Window, clBtnFace);
}

TEST(Colours, LabelsPaintTheirOwnBackground)
{
    QLabel l;
    setBackgroundColour(&l, clYellow);
    EXPECT_TRUE(l.autoFillBackground());
}

}  // namespace
}  // namespace comtrax
