#include "ui/window/window_layout_apply.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "built_form.h"
#include "ui/kit/click_label.h"

namespace comtrax {
namespace {

using test::BuiltForm;

TEST(WindowLayoutApply, ControlsFollowTheClientArea)
{
    BuiltForm f(false);
    Controls& c = f.c;
    const InitialLayout initial = captureInitialLayout(c);
    applyWindowLayout(c, initial, QSize(951 + 70, 763 + 100), false);

    EXPECT_EQ(c.MainWindow->geometry(), QRect(4, 28, 1007, 475));
    EXPECT_EQ(c.SecondWindow->geometry(), QRect(4, 28, 1007, 475));
    EXPECT_EQ(c.MainPanel->geometry(), QRect(4, 552, 1007, 297));
    EXPECT_EQ(c.LogPanel->geometry(), QRect(4, 507, 1007, 45));
    EXPECT_EQ(c.Panel1->geometry(), QRect(4, 0, 1007, 25));
    EXPECT_EQ(c.Button[1]->geometry(), QRect(8, 72, 99, 25));
    EXPECT_EQ(c.Button[9]->geometry(), QRect(106, 72, 99, 25));
    EXPECT_EQ(c.Button[48]->geometry(), QRect(498, 240, 221, 25));
    for (int k = 1; k <= MacroCount; ++k)
        EXPECT_EQ(c.Edit[k]->geometry(), c.Button[k]->geometry()) << k;
    EXPECT_EQ(c.AddStrCmd->x(), 738);
    EXPECT_EQ(c.LBTail->x(), 738);
    EXPECT_EQ(c.Str2->x(), 986);
    EXPECT_EQ(c.MainStrCmd->width(), 711);
    EXPECT_EQ(c.FastOldCmd->width(), 641);  // catches up on the next housekeeping tick
    EXPECT_EQ(c.OldCmdList->geometry(), QRect(4, 72, 999, 193));
    EXPECT_EQ(c.STH[12]->geometry(), QRect(738, 248, 261, 17));
    EXPECT_EQ(c.StaticText1->geometry().left(), 8);
    EXPECT_EQ(c.StaticText1->width(), 719);
    EXPECT_EQ(c.StaticText3->x(), 738);
    EXPECT_EQ(c.StaticText3->width(), 261);
    // PStats stays against LogPanel's right edge, inside its bevel.
    EXPECT_EQ(c.PStats->x() + c.PStats->width(), c.LogPanel->width() - 1);

    // A second pass brings FastOldCmd to the command line's width.
    applyWindowLayout(c, initial, QSize(951 + 70, 763 + 100), false);
    EXPECT_EQ(c.FastOldCmd->width(), 711);
}

TEST(WindowLayoutApply, FileViewAndBackToTheCreatedSize)
{
    BuiltForm f(false);
    Controls& c = f.c;
    const InitialLayout initial = captureInitialLayout(c);
    applyWindowLayout(c, initial, QSize(951, 763), true);
    EXPECT_EQ(c.STListName->width(), 552);
    applyWindowLayout(c, initial, QSize(700, 500), false);
    applyWindowLayout(c, initial, QSize(951, 763), false);
    EXPECT_EQ(c.STListName->width(), 289);
    EXPECT_EQ(c.MainWindow->geometry(), QRect(4, 28, 937, 375));
    EXPECT_EQ(c.LogPanel->y(), 407);
    EXPECT_EQ(c.MainPanel->y(), 452);
    EXPECT_EQ(c.Button[41]->geometry(), QRect(448, 72, 201, 25));
    EXPECT_EQ(c.FiltrLog->width(), 77);
    EXPECT_EQ(c.PStats->x(), 668);
}

TEST(WindowLayoutApply, NarrowingPastTheControlsNeverGivesNegativeSizes)
{
    BuiltForm f(false);
    Controls& c = f.c;
    applyWindowLayout(c, captureInitialLayout(c), QSize(200, 300), false);
    EXPECT_EQ(c.FiltrLog->width(), 0);
    EXPECT_EQ(c.MainWindow->height(), 0);
    EXPECT_GE(c.STLog->width(), 0);
}

}  // namespace
}  // namespace comtrax
