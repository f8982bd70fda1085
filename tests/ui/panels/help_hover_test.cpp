#include "ui/panels/help_hover.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <vector>

#include "built_form.h"
#include "ui/kit/click_label.h"
#include "ui/kit/up_down.h"

namespace comtrax {
namespace {

using test::BuiltForm;

QString line(const HelpText& t, int k)
{
    const std::string_view s = t[static_cast<std::size_t>(k - 1)];
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

struct HoverTest : ::testing::Test {
    BuiltForm f;
    std::vector<int> macros;  // every macroHelp call, in order
    HelpHover hover{f.c, [this](int k) { macros.push_back(k); }};

    HoverTest() { hover.install(); }

    bool shows(const HelpText& t) const
    {
        for (int k = 1; k <= HelpLineTotal; ++k)
            if (f.c.STH[k]->text() != line(t, k))
                return false;
        return true;
    }
};

TEST_F(HoverTest, ThirteenControlsShowTheirOwnText)
{
    Controls& c = f.c;
    c.CiklSend->show();  // shown only while a command file is loaded
    const struct {
        QWidget* control;
        const HelpText& text;
    } table[] = {
        {c.BTConnect, connectHelp()},       {c.BTRescan, rescanHelpForThisSystem()},
        {c.AutoConnect, autoConnectHelp()}, {c.TimeOutAns, timeRxHelp()},
        {c.FiltrLog, filterHelp()},         {c.RBManual, manualModeHelp()},
        {c.RBSel, onSelectModeHelp()},      {c.RBAfterAns, afterAnswerModeHelp()},
        {c.RBPeriod, periodModeHelp()},     {c.SendAsReconn, sendOnConnectHelp()},
        {c.CiklSend, cyclicSendHelp()},     {c.MainStrCmd, commandLineHelp()},
        {c.AddStrCmd, suffixHelp()},
    };
    for (const auto& row : table) {
        f.fillHelp("old");
        f.hover(row.control);
        EXPECT_TRUE(shows(row.text)) << row.control->objectName().toStdString();
    }
    EXPECT_TRUE(macros.empty());
}

TEST_F(HoverTest, ControlsWithoutHelpOfTheirOwnEmptyTheArea)
{
    Controls& c = f.c;
    // The hidden ones are shown as their modes show them; each lies on top
    // of what shares its place.
    for (QWidget* w : {static_cast<QWidget*>(c.DelList), static_cast<QWidget*>(c.ListDec)})
        w->show();
    const std::vector<QWidget*> plain = {c.EditAllCmd,     c.DelList,    c.ListDec,
                                         c.ButtonReadFile, c.ButtonSend, c.MainWindow->viewport()};
    for (QWidget* w : plain) {
        f.fillHelp("old");
        f.hover(w);
        EXPECT_TRUE(f.helpEmpty()) << w->objectName().toStdString();
    }
    // Controls that take the place of others.
    const struct {
        QWidget* shown;
        QWidget* hidden;
    } swaps[] = {{c.ListInc, c.ButtonReadFile}, {c.SendStart, c.RBName}, {c.SecondWindow, c.MainWindow}};
    for (const auto& s : swaps) {
        s.hidden->hide();
        s.shown->show();
        f.fillHelp("old");
        QWidget* target = s.shown == c.SecondWindow ? c.SecondWindow->viewport() : s.shown;
        f.hover(target);
        EXPECT_TRUE(f.helpEmpty()) << s.shown->objectName().toStdString();
    }
}

TEST_F(HoverTest, BareAreasOfTheThreeBandsEmptyTheArea)
{
    Controls& c = f.c;
    const struct {
        QWidget* panel;
        QPoint at;  // not over any control of the panel
    } bare[] = {
        {c.Panel1, {150, 23}},      // under ComPort, which is 21 high
        {c.LogPanel, {30, 6}},      // above TextTime
        {c.MainPanel, {658, 50}},   // between the list buttons and RBName
        {c.MainPanel, {658, 150}},  // between the macro grid and the help area
    };
    for (const auto& b : bare) {
        ASSERT_EQ(b.panel->childAt(b.at), nullptr) << b.at.x() << "," << b.at.y();
        f.fillHelp("old");
        f.hover(b.panel, b.at);
        EXPECT_TRUE(f.helpEmpty()) << b.panel->objectName().toStdString();
    }
}

// A control outside the table leaves the area alone, also when the control
// does not handle the move itself and it travels on to the panel below.
TEST_F(HoverTest, OtherControlsLeaveTheAreaAsItIs)
{
    Controls& c = f.c;
    const std::vector<QWidget*> others = {
        c.ComPort,     c.BaudRate,
        c.ComStopBits, c.TimeOutRx->upButton(),
        c.BTLog,       c.StartLog,
        c.BtInfo,      c.TextTime,
        c.OutMode,     c.VisTime,
        c.RBASCII,     c.RBHEX,
        c.InputMode,   c.Label1,
        c.PeriodTX,    c.PStats,
        c.LSend,       c.MaxTimeWait,
        c.BTClrStat,   c.Str1,
        c.LPlus,       c.Str2,
        c.CBLists,     c.RBName,
        c.RbData,      c.STH[1],
        c.STH[7],      c.STLog,
        c.StaticText3, c.MainWindow->verticalScrollBar(),
    };
    f.fillHelp("kept");
    for (QWidget* w : others) {
        f.hover(w, QPoint(2, 2));
        // The inner panels' middles are over their radio buttons.
        if (w != c.OutMode && w != c.InputMode && w != c.PStats)
            f.hover(w);
        EXPECT_TRUE(f.helpIs("kept")) << w->objectName().toStdString();
        f.fillHelp("kept");
    }
    EXPECT_TRUE(macros.empty());
}

TEST_F(HoverTest, FromConnectOverTheBarOntoComPortLeavesTheAreaEmpty)
{
    Controls& c = f.c;
    f.hover(c.BTConnect);
    EXPECT_TRUE(shows(connectHelp()));
    f.hover(c.Panel1, {150, 23});
    EXPECT_TRUE(f.helpEmpty());
    f.hover(c.ComPort);
    EXPECT_TRUE(f.helpEmpty());
}

TEST_F(HoverTest, MacroButtonsAndEditsAskForTheirMacrosHelp)
{
    Controls& c = f.c;
    f.hover(c.Button[1]);
    f.hover(c.Button[17]);
    f.hover(c.Button[48]);
    c.Button[5]->hide();
    c.Edit[5]->show();
    f.hover(c.Edit[5]);
    ASSERT_FALSE(macros.empty());
    // Every move runs again; only the order of the controls matters here.
    std::vector<int> distinct;
    for (int k : macros)
        if (distinct.empty() || distinct.back() != k)
            distinct.push_back(k);
    EXPECT_EQ(distinct, (std::vector<int>{1, 17, 48, 5}));
}

TEST_F(HoverTest, EveryMoveRewritesTheText)
{
    Controls& c = f.c;
    f.hover(c.FiltrLog, {5, 5});
    c.STH[4]->setText("typed over");
    f.hover(c.FiltrLog, {6, 5});
    EXPECT_TRUE(shows(filterHelp()));
}

TEST(HelpLines, SetAndClearWriteAllTwelveLines)
{
    BuiltForm f(false);
    setHelpLines(f.c, cyclicSendHelp());
    EXPECT_EQ(f.c.STH[1]->text(), QString::fromUtf8("Циклическая отправка"));
    EXPECT_EQ(f.c.STH[3]->text(), QString::fromUtf8("  Команды из файла отправляются  циклически,"));
    EXPECT_EQ(f.c.STH[12]->text(), QStringLiteral("  "));
    clearHelp(f.c);
    EXPECT_TRUE(f.helpEmpty());
}

}  // namespace
}  // namespace comtrax
