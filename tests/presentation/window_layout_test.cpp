#include "presentation/window_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace comtrax {
namespace {

using Fields = std::vector<std::pair<std::string, int>>;

// Every value of a pass by name, so a mismatch names the control.
Fields fields(const WindowLayout& l)
{
    Fields f = {
        {"mainWindowTop", l.mainWindowTop},
        {"mainWindowHeight", l.mainWindowHeight},
        {"logPanelTop", l.logPanelTop},
        {"mainPanelTop", l.mainPanelTop},
        {"bandWidth", l.bandWidth},
        {"stLogWidth", l.stLogWidth},
        {"filtrLogWidth", l.filtrLogWidth},
        {"sendStartLeft", l.sendStartLeft},
        {"lPlusLeft", l.lPlusLeft},
        {"saveFLeft", l.saveFLeft},
        {"fastOldCmdWidth", l.fastOldCmdWidth},
        {"str1Left", l.str1Left},
        {"str2Left", l.str2Left},
        {"sriftLeft", l.sriftLeft},
        {"startStopLeft", l.startStopLeft},
        {"startLogLeft", l.startLogLeft},
        {"btLogLeft", l.btLogLeft},
        {"mainStrCmdWidth", l.mainStrCmdWidth},
        {"addStrCmdLeft", l.addStrCmdLeft},
        {"btPalitraLeft", l.btPalitraLeft},
        {"listIncLeft", l.listIncLeft},
        {"listDecLeft", l.listDecLeft},
        {"delListLeft", l.delListLeft},
        {"editAllCmdLeft", l.editAllCmdLeft},
        {"buttonReadFileLeft", l.buttonReadFileLeft},
        {"buttonSendLeft", l.buttonSendLeft},
        {"oldCmdList.left", l.oldCmdList.left},
        {"oldCmdList.width", l.oldCmdList.width},
        {"stListNameWidth", l.stListNameWidth},
        {"listNameEdtWidth", l.listNameEdtWidth},
        {"rbNameLeft", l.rbNameLeft},
        {"rbDataLeft", l.rbDataLeft},
        {"btInfoLeft", l.btInfoLeft},
        {"cbListsWidth", l.cbListsWidth},
        {"lbTailLeft", l.lbTailLeft},
        {"staticText1.left", l.staticText1.left},
        {"staticText1.width", l.staticText1.width},
        {"staticText3Left", l.staticText3Left},
    };
    for (int k = 1; k <= 12; ++k)
        f.emplace_back("STH" + std::to_string(k) + ".left", l.sthLeft[k]);
    for (int k = 1; k <= 48; ++k) {
        f.emplace_back("Button" + std::to_string(k) + ".left", l.buttons[k].left);
        f.emplace_back("Button" + std::to_string(k) + ".width", l.buttons[k].width);
    }
    return f;
}

void expectSame(const WindowLayout& actual, const WindowLayout& expected)
{
    const Fields a = fields(actual);
    const Fields e = fields(expected);
    ASSERT_EQ(a.size(), e.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(a[i].second, e[i].second) << a[i].first;
}

// The window exactly as built, before any pass.
WindowLayout asBuilt()
{
    WindowLayout l;
    l.mainWindowTop = 28;
    l.mainWindowHeight = 375;
    l.logPanelTop = 406;
    l.mainPanelTop = 452;
    l.bandWidth = 937;
    l.stLogWidth = 641;
    l.filtrLogWidth = 77;
    l.sendStartLeft = 668;
    l.lPlusLeft = 652;
    l.saveFLeft = 388;
    l.fastOldCmdWidth = 641;
    l.str1Left = 636;
    l.str2Left = 916;
    l.sriftLeft = 604;
    l.startStopLeft = 756;
    l.startLogLeft = 696;
    l.btLogLeft = 636;
    l.mainStrCmdWidth = 641;
    l.addStrCmdLeft = 668;
    l.btPalitraLeft = 816;
    l.listIncLeft = 564;
    l.listDecLeft = 480;
    l.delListLeft = 388;
    l.editAllCmdLeft = 302;
    l.buttonReadFileLeft = 564;
    l.buttonSendLeft = 800;
    l.oldCmdList = {8, 877};
    l.stListNameWidth = 289;
    l.listNameEdtWidth = 289;
    l.rbNameLeft = 668;
    l.rbDataLeft = 668;
    l.btInfoLeft = 876;
    l.cbListsWidth = 289;
    l.lbTailLeft = 668;
    l.staticText1 = {8, 641};
    l.staticText3Left = 668;
    for (int k = 1; k <= 12; ++k)
        l.sthLeft[k] = 668;
    const int columnLeft[6] = {8, 96, 184, 272, 360, 448};
    for (int k = 1; k <= 48; ++k) {
        const int c = (k - 1) / 8;
        l.buttons[k] = {columnLeft[c], c == 5 ? 201 : 89};
    }
    return l;
}

WindowLayout pass(int clientWidth, int clientHeight = DesignClientHeight, bool fileView = false,
                  int mainStrCmdBefore = 641)
{
    return layoutWidth(designInitialLayout(), clientWidth, clientHeight, fileView, mainStrCmdBefore);
}

TEST(WindowLayout, AtTheCreatedSizeOnlyThreeControlsMove)
{
    WindowLayout expected = asBuilt();
    expected.logPanelTop = 407;        // directly above MainPanel, not 406
    expected.oldCmdList = {4, 929};    // MainWindow's left; AddStrCmd's right edge
    expected.staticText1.width = 649;  // Button41's right edge
    const WindowLayout l = pass(DesignClientWidth);
    EXPECT_EQ(l.dw, 0);
    EXPECT_EQ(l.columnStep, 0);
    expectSame(l, expected);
}

TEST(WindowLayout, ColumnStepTruncatesTowardZero)
{
    const struct {
        int dw;
        int step;
    } cases[] = {{0, 0},  {6, 0},   {7, 1},    {13, 1},   {70, 10},
                 {-6, 0}, {-7, -1}, {-10, -1}, {-13, -1}, {-14, -2}};
    for (const auto& c : cases)
        EXPECT_EQ(pass(DesignClientWidth + c.dw).columnStep, c.step) << "dw " << c.dw;
}

TEST(WindowLayout, WideningBySeventyPixels)
{
    const WindowLayout l = pass(DesignClientWidth + 70);
    EXPECT_EQ(l.columnStep, 10);
    EXPECT_EQ(l.buttons[1], (HSpan{8, 99}));
    EXPECT_EQ(l.buttons[9], (HSpan{106, 99}));
    EXPECT_EQ(l.buttons[33], (HSpan{400, 99}));
    EXPECT_EQ(l.buttons[41], (HSpan{498, 221}));
    EXPECT_EQ(l.buttons[48], (HSpan{498, 221}));
    EXPECT_EQ(l.addStrCmdLeft, 738);
    EXPECT_EQ(l.lbTailLeft, 738);
    EXPECT_EQ(l.staticText3Left, 738);
    EXPECT_EQ(l.bandWidth, 1007);
    EXPECT_EQ(l.mainStrCmdWidth, 711);
    EXPECT_EQ(l.filtrLogWidth, 147);
    EXPECT_EQ(l.btInfoLeft, 946);
    EXPECT_EQ(l.sthLeft[12], 738);
    EXPECT_EQ(l.oldCmdList, (HSpan{4, 999}));
    EXPECT_EQ(l.staticText1, (HSpan{8, 719}));
    EXPECT_EQ(l.fastOldCmdWidth, 641);  // still the width before the pass
}

TEST(WindowLayout, NarrowingByTenPixelsMovesEverythingLeft)
{
    const WindowLayout l = pass(DesignClientWidth - 10);
    EXPECT_EQ(l.columnStep, -1);
    EXPECT_EQ(l.buttons[1], (HSpan{8, 88}));
    EXPECT_EQ(l.buttons[9], (HSpan{95, 88}));
    EXPECT_EQ(l.buttons[41], (HSpan{443, 199}));
    EXPECT_EQ(l.addStrCmdLeft, 658);
    EXPECT_EQ(l.buttonSendLeft, 790);
    EXPECT_EQ(l.bandWidth, 927);
    EXPECT_EQ(l.stLogWidth, 631);
    EXPECT_EQ(l.str1Left, 626);
    EXPECT_EQ(l.staticText1, (HSpan{8, 642}));
}

// Adjacent macro columns keep their one-pixel overlap at every width, and the
// grid's right edge moves by exactly seven column steps.
TEST(WindowLayout, MacroGridStaysContiguousAtEveryWidth)
{
    for (int dw = -300; dw <= 600; ++dw) {
        const WindowLayout l = pass(DesignClientWidth + dw);
        const int s = l.columnStep;
        for (int c = 0; c < 5; ++c) {
            const HSpan a = l.buttons[8 * c + 1];
            const HSpan b = l.buttons[8 * c + 9];
            ASSERT_EQ(a.left + a.width, b.left + 1) << "dw " << dw << " column " << c;
        }
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 6; ++c)
                ASSERT_EQ(l.buttons[8 * c + 1 + r], l.buttons[8 * c + 1]) << "dw " << dw;
        ASSERT_EQ(l.buttons[41].left + l.buttons[41].width, 649 + 7 * s) << "dw " << dw;
    }
}

// Each pass starts from the captured values, so a resize sequence ends where
// a single pass to the final width would, whatever the path.
TEST(WindowLayout, ResizeSequencesDoNotDrift)
{
    const std::vector<std::vector<int>> sequences = {
        {951, 940, 930, 900, 851, 700, 941},      // narrowing
        {951, 952, 958, 1021, 1300, 1600, 1021},  // widening
        {951, 600, 1400, 951},                    // back to the start
    };
    for (const auto& widths : sequences) {
        int mainStrCmdWidth = 641;
        WindowLayout last;
        for (int w : widths) {
            const int before = mainStrCmdWidth;
            last = pass(w, DesignClientHeight, false, mainStrCmdWidth);
            EXPECT_EQ(last.fastOldCmdWidth, before) << "width " << w;
            mainStrCmdWidth = last.mainStrCmdWidth;
        }
        WindowLayout fresh = pass(widths.back(), DesignClientHeight, false, last.fastOldCmdWidth);
        expectSame(last, fresh);
    }
    // Back at the created width, only the three first-pass differences remain.
    WindowLayout atStart = pass(1400);
    atStart = pass(951, DesignClientHeight, false, atStart.mainStrCmdWidth);
    EXPECT_EQ(atStart.fastOldCmdWidth, 641 + 449);
    atStart.fastOldCmdWidth = 641;
    WindowLayout expected = asBuilt();
    expected.logPanelTop = 407;
    expected.oldCmdList = {4, 929};
    expected.staticText1.width = 649;
    expectSame(atStart, expected);
}

TEST(WindowLayout, BandsFollowTheBottomAndTheLogStretches)
{
    const struct {
        int height;
        int mainWindowHeight;
        int logPanelTop;
        int mainPanelTop;
    } cases[] = {
        {763, 375, 407, 452}, {900, 512, 544, 589}, {700, 312, 344, 389},
        {388, 0, 32, 77},     {300, 0, -56, -11},  // too short for the log: it vanishes, never a negative
                                                   // height
    };
    for (const auto& c : cases) {
        const WindowLayout l = pass(DesignClientWidth, c.height);
        EXPECT_EQ(l.mainWindowTop, 28) << c.height;
        EXPECT_EQ(l.mainWindowHeight, c.mainWindowHeight) << c.height;
        EXPECT_EQ(l.logPanelTop, c.logPanelTop) << c.height;
        EXPECT_EQ(l.mainPanelTop, c.mainPanelTop) << c.height;
    }
}

TEST(WindowLayout, OpenFileViewStretchesTheFileNameUpToButtonReadFile)
{
    const struct {
        int dw;
        bool fileView;
        int stListNameWidth;
    } cases[] = {{0, false, 289}, {0, true, 552}, {70, false, 359}, {70, true, 622}, {-100, true, 452}};
    for (const auto& c : cases) {
        const WindowLayout l = pass(DesignClientWidth + c.dw, DesignClientHeight, c.fileView);
        EXPECT_EQ(l.stListNameWidth, c.stListNameWidth) << c.dw << " " << c.fileView;
        EXPECT_EQ(l.listNameEdtWidth, 289 + c.dw);
    }
}

}  // namespace
}  // namespace comtrax
