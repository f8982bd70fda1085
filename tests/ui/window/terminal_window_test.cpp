// The main window as a user drives it: start-up and shut-down with its three
// files, the settings through a restart, sending and receiving through the
// fake port, and the controls that have no core of their own.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "settings/settings_record.h"
#include "macros/cmd_lists.h"
#include "ui/kit/click_label.h"
#include "ui/kit/colours.h"
#include "ui/panels/command_band.h"
#include "ui/panels/command_file_view.h"
#include "ui/panels/macro_panel.h"
#include "ui/panels/top_bar.h"
#include "ui/kit/up_down.h"
#include "ui/logview/log_text_view.h"
#include "wait_until.h"
#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

std::string fileOf(const WindowRig& r, const char* name)
{
    return readFileBytes(r.dir.file(name));
}

void connectPort(WindowRig& r)
{
    r.ui().BTConnect->click();
    ASSERT_TRUE(r.window->terminal().portOpen());
}

QStringList logLines(WindowRig& r)
{
    return r.ui().MainWindow->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace

TEST(WindowStartUp, FirstRunCreatesTheThreeFilesAndKeepsTheBuiltInValues)
{
    WindowRig r;
    r.open();
    // Nothing is wrong on a first start: the missing files are made silently.
    EXPECT_TRUE(r.dialogs.messages.isEmpty());
    EXPECT_TRUE(r.dialogs.errors.isEmpty());
    EXPECT_EQ(fileOf(r, "CmdConfig").size(), CmdLists::FileSize);
    EXPECT_EQ(fileOf(r, "OldCmd"), std::string(12800, '\0'));
    EXPECT_EQ(fileOf(r, "CfgTerminal"), std::string(788, '\0'));

    Controls& c = r.ui();
    EXPECT_EQ(r.window->windowTitle(), "Comtrax v1.06");
    EXPECT_EQ(c.TimeOutAns->text(), "TimeRX: 0");
    EXPECT_EQ(c.AddStrCmd->text(), "$0D");
    EXPECT_EQ(c.PeriodTX->text(), "1000");
    EXPECT_TRUE(c.RBManual->isChecked());
    EXPECT_TRUE(c.RBASCII->isChecked());
    EXPECT_TRUE(c.RBName->isChecked());
    EXPECT_EQ(c.ComPort->currentText(), "ttyUSB0");
    EXPECT_EQ(c.BaudRate->currentText(), "1200");
    EXPECT_EQ(c.LSend->text(), "Send: 0");
    EXPECT_EQ(c.MinTimeWait->text(), "MIN_T_W:  NA");
    EXPECT_EQ(c.STH[1]->text(), "Краткая справка по каждой команде");
    EXPECT_EQ(c.CBLists->currentText(), "List 1");

    // A second start finds all three files and says nothing.
    r.dialogs.messages.clear();
    r.restart();
    EXPECT_TRUE(r.dialogs.messages.isEmpty());
    EXPECT_TRUE(r.dialogs.errors.isEmpty());
}

TEST(WindowSettings, EverySettingComesBackAfterARestart)
{
    WindowRig r;
    r.open();
    Controls& c = r.ui();
    c.ComPort->setCurrentIndex(1);
    connectPort(r);  // the port of the latest open is what is kept
    r.ui().BTConnect->click();
    c.BaudRate->setCurrentIndex(3);
    c.ComBits->setCurrentIndex(2);
    c.ComStopBits->setCurrentIndex(2);
    c.AutoConnect->setChecked(true);
    for (int i = 0; i < 12; ++i)
        r.ui().TimeOutRx->upButton()->click();  // 1..10, 15, 20
    c.FiltrLog->setText("ERR");
    r.ui().Srift->upButton()->click();
    r.ui().BTPalitra->click();
    r.ui().BTPalitra->click();
    r.ui().BTPalitra->click();
    r.ui().BTPalitra->click();  // black on lime
    c.VisTime->setChecked(true);
    c.RBHEX->setChecked(true);
    c.RBPeriod->setChecked(true);
    c.PeriodTX->setText("250");
    c.SendAsReconn->setChecked(true);
    c.RbData->setChecked(true);
    c.MainStrCmd->setText(QString(300, QLatin1Char('x')));
    c.AddStrCmd->setText("$0D$0A");

    r.restart();
    Controls& d = r.ui();
    EXPECT_EQ(d.ComPort->currentText(), "ttyUSB1");
    EXPECT_EQ(d.ComPort->currentIndex(), 1);
    EXPECT_EQ(d.BaudRate->currentText(), "9600");
    EXPECT_EQ(d.ComBits->currentText(), "7");
    EXPECT_EQ(d.ComStopBits->currentText(), "2");
    EXPECT_TRUE(d.AutoConnect->isChecked());
    EXPECT_EQ(d.TimeOutAns->text(), "TimeRX: 20");
    EXPECT_EQ(backgroundColour(d.TimeOutAns), clYellow);
    EXPECT_EQ(d.FiltrLog->text(), "ERR");
    EXPECT_EQ(backgroundColour(d.FiltrLog), clWindow);
    EXPECT_EQ(r.panel<TopBar>().fontSize(), 9);
    EXPECT_EQ(d.MainWindow->font().pointSize(), 9);
    EXPECT_EQ(backgroundColour(d.MainStrCmd), clBlack);
    EXPECT_EQ(textColour(d.MainWindow), clLime);
    EXPECT_TRUE(d.VisTime->isChecked());
    EXPECT_TRUE(d.RBHEX->isChecked());
    EXPECT_TRUE(d.RBPeriod->isChecked());
    EXPECT_TRUE(r.terminal().periodTimerEnabled());
    EXPECT_EQ(d.PeriodTX->text(), "250");
    EXPECT_TRUE(d.SendAsReconn->isChecked());
    EXPECT_TRUE(d.RbData->isChecked());
    EXPECT_EQ(d.MainStrCmd->text(), QString(250, QLatin1Char('x')));
    // The saved suffix wins over the one the HEX selection clears.
    EXPECT_EQ(d.AddStrCmd->text(), "$0D$0A");
}

TEST(WindowSettings, HandTypedValuesAndEmptyPeriodAreStoredAsSpecified)
{
    WindowRig r;
    r.open();
    r.ui().BaudRate->setEditText("250000");
    r.ui().PeriodTX->setText("");
    r.restart();
    // The record keeps "no selection"; the typed rate comes back from CfgLine.
    EXPECT_EQ(r.ui().BaudRate->currentIndex(), -1);
    EXPECT_EQ(r.ui().BaudRate->currentText(), "250000");
    EXPECT_EQ(r.ui().PeriodTX->text(), "1000");
    const std::string rec = fileOf(r, "CfgTerminal");
    ASSERT_EQ(rec.size(), 788u);
    EXPECT_EQ(static_cast<unsigned char>(rec[4]), 255);

    // A listed rate chosen later is the record's again, and the typed one is forgotten.
    r.ui().BaudRate->setCurrentIndex(2);
    r.restart();
    EXPECT_EQ(r.ui().BaudRate->currentIndex(), 2);
    EXPECT_NE(fileOf(r, "CfgLine").find("typedBaud=0\n"), std::string::npos);
}

TEST(WindowSettings, AShortFileIsReportedAndNotApplied)
{
    WindowRig r;
    writeFileBytes(r.dir.file("CfgTerminal"), std::string(100, '\x07'));
    r.open();
    EXPECT_EQ(r.dialogs.errors.size(), 1);
    EXPECT_EQ(r.ui().AddStrCmd->text(), "$0D");
    EXPECT_EQ(r.ui().PeriodTX->text(), "1000");
    // The next close writes a whole record.
    r.close();
    EXPECT_EQ(fileOf(r, "CfgTerminal").size(), 788u);
}

TEST(WindowSettings, AnAllZeroRecordKeepsTheBuiltInValues)
{
    WindowRig r;
    writeFileBytes(r.dir.file("CfgTerminal"), std::string(788, '\0'));
    r.open();
    Controls& c = r.ui();
    EXPECT_EQ(c.AddStrCmd->text(), "$0D");
    EXPECT_EQ(c.PeriodTX->text(), "1000");
    EXPECT_TRUE(c.RBName->isChecked());
    EXPECT_EQ(r.panel<TopBar>().fontSize(), 8);
    EXPECT_NE(backgroundColour(c.MainStrCmd), clBlack);
}

TEST(WindowShutDown, StartUpCutShortDoesNotOverwriteWhatItNeverLoaded)
{
    WindowRig r;
    std::filesystem::create_directory(r.dir.file("CmdConfig"));  // unreadable as a file
    writeFileBytes(r.dir.file("CfgTerminal"), std::string(788, '\x01'));
    r.open();
    EXPECT_FALSE(r.dialogs.errors.isEmpty());
    EXPECT_TRUE(r.close());
    EXPECT_EQ(fileOf(r, "CfgTerminal"), std::string(788, '\x01'));
    EXPECT_FALSE(std::filesystem::exists(r.dir.file("OldCmd")));
}

TEST(WindowShutDown, ADeletedHistoryFileIsNotRecreatedAndTheLogFileIsClosed)
{
    WindowRig r;
    r.open();
    connectPort(r);
    r.ui().StartLog->click();
    r.ui().MainStrCmd->setText("AT");
    QTest::keyClick(r.ui().MainStrCmd, Qt::Key_Return);
    std::filesystem::remove(r.dir.file("OldCmd"));
    EXPECT_TRUE(r.close());
    EXPECT_FALSE(std::filesystem::exists(r.dir.file("OldCmd")));
    EXPECT_FALSE(r.window->terminal().logActive());
}

TEST(WindowShutDown, ClosingInEditorModeOffersToSaveAndCancelKeepsTheWindowOpen)
{
    WindowRig r;
    r.open();
    r.ui().EditAllCmd->click();
    ASSERT_TRUE(r.panel<MacroPanel>().editorMode());
    r.ui().Edit[1]->setText("Reset");
    r.dialogs.saveAnswer = SavePromptAnswer::Cancel;
    EXPECT_FALSE(r.close());
    EXPECT_EQ(r.dialogs.savePrompts, 1);

    r.dialogs.saveAnswer = SavePromptAnswer::Yes;
    EXPECT_TRUE(r.close());
    CmdLists lists;
    lists.loadLists(r.dir.file("CmdConfig"));
    EXPECT_EQ(lists.commandName(1, 1), "Reset");
}

TEST(WindowSend, EnterSendsTheLineEchoesItAndCountsIt)
{
    WindowRig r;
    r.open();
    connectPort(r);
    Controls& c = r.ui();
    c.MainStrCmd->setText("AT");
    QTest::keyClick(c.MainStrCmd, Qt::Key_Return);
    EXPECT_EQ(r.port.written, "AT\r");
    EXPECT_EQ(c.MainStrCmd->text(), "AT");
    EXPECT_EQ(logLines(r), QStringList{"AT"});
    EXPECT_EQ(c.LSend->text(), "Send: 1");
    EXPECT_EQ(c.StaticText3->text(), "TX: 3 RX: 0");

    // Escape empties the line; Enter in the suffix field never sends.
    QTest::keyClick(c.MainStrCmd, Qt::Key_Escape);
    EXPECT_EQ(c.MainStrCmd->text(), "");
    QTest::keyClick(c.AddStrCmd, Qt::Key_Return);
    EXPECT_EQ(r.port.written, "AT\r");
}

TEST(WindowSend, AClosedPortShowsTheNoPortWindowAndTouchesNothing)
{
    WindowRig r;
    r.open();
    r.ui().MainStrCmd->setText("AT");
    r.ui().ButtonSend->click();
    EXPECT_EQ(r.dialogs.noPortWindows, 1);
    EXPECT_EQ(r.ui().LSend->text(), "Send: 0");
    EXPECT_TRUE(r.window->terminal().historyLines().empty());
}

TEST(WindowSend, HistoryFileHoldsTheLinesMostRecentFirst)
{
    WindowRig r;
    r.open();
    connectPort(r);
    for (const char* line : {"A", "B", "A"}) {
        r.ui().MainStrCmd->setText(line);
        r.ui().ButtonSend->click();
    }
    r.panel<CommandBand>().refillHistory();
    ASSERT_EQ(r.ui().FastOldCmd->count(), 2);
    EXPECT_EQ(r.ui().FastOldCmd->item(0)->text(), "A");
    EXPECT_EQ(r.ui().FastOldCmd->item(1)->text(), "B");
    r.close();
    const std::string old = fileOf(r, "OldCmd");
    ASSERT_EQ(old.size(), 12800u);
    EXPECT_EQ(old.substr(0, 2),
              std::string("\x01"
                          "A",
                          2));
    EXPECT_EQ(old.substr(256, 2),
              std::string("\x01"
                          "B",
                          2));
}

TEST(WindowSend, TheTagListReplacesTheWholeSuffix)
{
    WindowRig r;
    r.open();
    r.window->show();
    Controls& c = r.ui();
    c.AddStrCmd->setFocus();
    QTest::keyRelease(c.AddStrCmd, Qt::Key_Down);
    ASSERT_TRUE(c.LBTail->isVisible());
    c.LBTail->setCurrentRow(0);
    QTest::keyClick(c.LBTail, Qt::Key_Return);
    EXPECT_EQ(c.AddStrCmd->text(), "[SUM_8(0..n)]");
    EXPECT_FALSE(c.LBTail->isVisible());
}

TEST(WindowReceive, APacketEndedBySilenceBecomesOneLine)
{
    WindowRig r;
    r.open();
    connectPort(r);
    r.port.feed("OK\r\n");
    r.timers().pollReceive();
    r.clock.advance(1);
    r.timers().pollReceive();
    EXPECT_EQ(logLines(r), QStringList{"OK"});
    EXPECT_EQ(r.ui().LRead->text(), "Read: 1");
    EXPECT_EQ(r.ui().StaticText3->text(), "TX: 0 RX: 4");
}

TEST(WindowConnection, ConnectDisablesTheParametersAndLossTurnsThePortRed)
{
    WindowRig r;
    r.open();
    Controls& c = r.ui();
    r.ui().BTConnect->click();
    EXPECT_EQ(c.BTConnect->text(), "Disconnect");
    EXPECT_FALSE(c.ComPort->isEnabled());
    EXPECT_FALSE(c.BaudRate->isEnabled());
    EXPECT_EQ(backgroundColour(c.ComPort), clLime);
    r.port.deviceGone = true;
    r.timers().runConnectionCheck();
    EXPECT_EQ(backgroundColour(c.ComPort), clRed);
    EXPECT_EQ(c.BTConnect->text(), "Disconnect");
    r.ui().BTConnect->click();
    EXPECT_EQ(c.BTConnect->text(), "Connect");
    EXPECT_TRUE(c.ComPort->isEnabled());
}

TEST(WindowAppearance, SixColourPressesReturnToWindowColoursAndFontStaysInItsLimits)
{
    WindowRig r;
    r.open();
    Controls& c = r.ui();
    const uint32_t startBack = backgroundColour(c.MainWindow);
    for (int i = 0; i < 6; ++i)
        r.ui().BTPalitra->click();
    EXPECT_EQ(backgroundColour(c.MainWindow), clWindow);
    EXPECT_EQ(textColour(c.LBTail), clWindowText);
    EXPECT_NE(startBack, clWindow);

    r.panel<TopBar>().setFontSize(100);
    r.ui().Srift->upButton()->click();
    EXPECT_EQ(r.panel<TopBar>().fontSize(), 100);
    r.panel<TopBar>().setFontSize(2);
    r.ui().Srift->downButton()->click();
    EXPECT_EQ(r.panel<TopBar>().fontSize(), 2);
    EXPECT_EQ(c.SecondWindow->font().pointSize(), 2);
}

TEST(WindowHousekeeping, TheLogIsEmptiedPastFiveThousandLines)
{
    WindowRig r;
    r.open();
    for (int i = 0; i < 5000; ++i)
        r.window->addLogLine("x");
    r.timers().runHousekeeping();
    EXPECT_EQ(r.ui().MainWindow->lineCount(), 5000);
    r.window->addLogLine("y");
    r.timers().runHousekeeping();
    EXPECT_TRUE(r.ui().MainWindow->toPlainText().isEmpty());
}

TEST(WindowLog, FreezingCopiesTheLogAndLeavesTheClipboardAlone)
{
    WindowRig r;
    r.open();
    for (const char* line : {"one", "two", "three"})
        r.window->addLogLine(line);
    r.ui().StartStop->click();
    Controls& c = r.ui();
    EXPECT_EQ(c.StartStop->text(), ">");
    EXPECT_EQ(c.SecondWindow->toPlainText(), "one\ntwo\nthree\n\n>>>>>>>>>> STOP <<<<<<<<<<");
    r.window->addLogLine("four");
    r.ui().StartStop->click();
    EXPECT_EQ(c.StartStop->text(), "||");
    EXPECT_TRUE(c.MainWindow->toPlainText().endsWith("four"));
}

TEST(WindowFileView, ACommandFileIsListedSentStepByStepAndLeftAgain)
{
    WindowRig r;
    r.open();
    writeFileBytes(r.dir.file("cmds.txt"), "one\r\ntwo\nthree");
    r.dialogs.fileToOpen = QString::fromStdString(r.dir.file("cmds.txt"));
    connectPort(r);
    Controls& c = r.ui();
    r.ui().ButtonReadFile->click();
    EXPECT_EQ(c.ButtonReadFile->text(), "Назад");
    EXPECT_FALSE(c.OldCmdList->isHidden());
    EXPECT_FALSE(c.SendStart->isHidden());
    EXPECT_FALSE(c.CiklSend->isHidden());
    EXPECT_TRUE(c.CBLists->isHidden());
    EXPECT_TRUE(c.RBName->isHidden());
    EXPECT_TRUE(c.EditAllCmd->isHidden());
    EXPECT_EQ(c.STListName->text(), r.dialogs.fileToOpen);
    ASSERT_EQ(c.OldCmdList->count(), 3);
    EXPECT_EQ(c.OldCmdList->item(2)->text(), "three");

    for (int i = 0; i < 4; ++i)
        r.ui().SendStart->click();
    EXPECT_EQ(r.port.takeWritten(), "one\rtwo\rthree\r");
    EXPECT_EQ(r.dialogs.messages.last(), "Все команды отправлены");

    // A click on a line copies it into the command line, or sends it on select.
    r.panel<CommandFileView>().lineClicked(1);
    EXPECT_EQ(c.MainStrCmd->text(), "two");
    EXPECT_EQ(r.port.takeWritten(), "");
    c.RBSel->setChecked(true);
    r.panel<CommandFileView>().lineClicked(0);
    EXPECT_EQ(r.port.takeWritten(), "one\r");

    r.ui().ButtonReadFile->click();
    EXPECT_EQ(c.ButtonReadFile->text(), "Из файла");
    EXPECT_TRUE(c.OldCmdList->isHidden());
    EXPECT_TRUE(c.CiklSend->isHidden());
    EXPECT_FALSE(c.CBLists->isHidden());
    EXPECT_FALSE(c.EditAllCmd->isHidden());
    EXPECT_FALSE(c.RBName->isHidden());
}

// What a press in one band does to another: the editor takes the place of the
// log file's status line and of "Из файла", Clear empties the log and Info
// opens the About window.
TEST(WindowControls, APressInOneBandReachesTheOthers)
{
    WindowRig r;
    r.open();
    Controls& c = r.ui();
    c.EditAllCmd->click();
    EXPECT_TRUE(c.STLog->isHidden());
    EXPECT_FALSE(c.StaticText1->isHidden());
    EXPECT_TRUE(c.ButtonReadFile->isHidden());
    c.EditAllCmd->click();
    EXPECT_FALSE(c.STLog->isHidden());
    EXPECT_TRUE(c.StaticText1->isHidden());
    EXPECT_FALSE(c.ButtonReadFile->isHidden());

    for (const char* line : {"one", "two"})
        r.window->addLogLine(line);
    r.timers().runHousekeeping();
    ASSERT_EQ(c.MainWindow->lineCount(), 2);
    c.BTLog->click();
    EXPECT_TRUE(c.MainWindow->toPlainText().isEmpty());

    c.BtInfo->click();
    EXPECT_EQ(r.dialogs.abouts, 1);
}

TEST(WindowControls, TheTimeoutArrowsPaintTheReadOutAndThePeriodTakesDigitsOnly)
{
    WindowRig r;
    r.open();
    Controls& c = r.ui();
    r.ui().TimeOutRx->upButton()->click();
    EXPECT_EQ(c.TimeOutAns->text(), "TimeRX: 1");
    EXPECT_EQ(backgroundColour(c.TimeOutAns), clYellow);
    r.ui().TimeOutRx->downButton()->click();
    EXPECT_EQ(c.TimeOutAns->text(), "TimeRX: 0");
    EXPECT_EQ(backgroundColour(c.TimeOutAns), clBtnFace);

    c.PeriodTX->clear();
    QTest::keyClicks(c.PeriodTX, "12a3x");
    EXPECT_EQ(c.PeriodTX->text(), "123");
    c.PeriodTX->clear();
    c.PeriodTX->insert("4x5");  // pasted text that is no number is refused
    EXPECT_EQ(c.PeriodTX->text(), "");
}

TEST(WindowControls, EncodingButtonsSetTheSuffix)
{
    WindowRig r;
    r.open();
    Controls& c = r.ui();
    c.RBHEX->setChecked(true);
    EXPECT_EQ(c.AddStrCmd->text(), "");
    c.AddStrCmd->setText(" [SUM_8(0..n)]");
    c.RBASCII->setChecked(true);
    EXPECT_EQ(c.AddStrCmd->text(), "$0D");
}

TEST(WindowSend, TheHistoryDropDownTakesAnEntryWithEnterAndSendsNothing)
{
    WindowRig r;
    r.open();
    r.window->show();
    connectPort(r);
    Controls& c = r.ui();
    for (const char* line : {"first", "second"}) {
        c.MainStrCmd->setText(line);
        r.ui().ButtonSend->click();
    }
    r.port.takeWritten();
    c.MainStrCmd->setFocus();
    QTest::keyRelease(c.MainStrCmd, Qt::Key_Down);
    ASSERT_TRUE(c.FastOldCmd->isVisible());
    ASSERT_EQ(c.FastOldCmd->count(), 2);
    EXPECT_EQ(c.FastOldCmd->item(0)->text(), "second");

    // Nothing selected yet: Enter does nothing.
    QTest::keyClick(c.FastOldCmd, Qt::Key_Return);
    EXPECT_TRUE(c.FastOldCmd->isVisible());
    c.FastOldCmd->setCurrentRow(1);
    QTest::keyClick(c.FastOldCmd, Qt::Key_Return);
    EXPECT_EQ(c.MainStrCmd->text(), "first");
    EXPECT_FALSE(c.FastOldCmd->isVisible());
    EXPECT_EQ(r.port.written, "");

    // Escape closes it again without touching the line.
    QTest::keyRelease(c.MainStrCmd, Qt::Key_Down);
    QTest::keyClick(c.FastOldCmd, Qt::Key_Escape);
    EXPECT_FALSE(c.FastOldCmd->isVisible());
    EXPECT_EQ(c.MainStrCmd->text(), "first");
}

// The first Down after a drop-down opens lands on its first entry (the most
// recent line, the first tag), however the list got the focus.
TEST(WindowSend, DownDownEnterInEitherDropDownTakesTheFirstEntry)
{
    WindowRig r;
    r.open();
    r.window->show();
    r.window->activateWindow();
    // The real window gets focus events: a list that gains the focus makes its
    // first entry current without selecting it.
    ASSERT_TRUE(QTest::qWaitForWindowActive(r.window.get(), GenerousMs));
    connectPort(r);
    Controls& c = r.ui();
    for (const char* line : {"AAA", "BBB", "CCC"}) {
        c.MainStrCmd->setText(line);
        r.ui().ButtonSend->click();
    }
    c.MainStrCmd->setText("");
    c.MainStrCmd->setFocus();
    QTest::keyRelease(c.MainStrCmd, Qt::Key_Down);
    ASSERT_TRUE(c.FastOldCmd->isVisible());
    ASSERT_TRUE(c.FastOldCmd->hasFocus());
    QTest::keyClick(c.FastOldCmd, Qt::Key_Down);
    QTest::keyClick(c.FastOldCmd, Qt::Key_Return);
    EXPECT_EQ(c.MainStrCmd->text(), "CCC");

    // Opened again after a refill, the selection starts empty once more.
    QTest::keyRelease(c.MainStrCmd, Qt::Key_Down);
    QTest::keyClick(c.FastOldCmd, Qt::Key_Return);
    EXPECT_TRUE(c.FastOldCmd->isVisible());
    QTest::keyClick(c.FastOldCmd, Qt::Key_Down);
    QTest::keyClick(c.FastOldCmd, Qt::Key_Down);
    QTest::keyClick(c.FastOldCmd, Qt::Key_Return);
    EXPECT_EQ(c.MainStrCmd->text(), "BBB");

    c.AddStrCmd->setText("");
    c.AddStrCmd->setFocus();
    QTest::keyRelease(c.AddStrCmd, Qt::Key_Down);
    ASSERT_TRUE(c.LBTail->isVisible());
    QTest::keyClick(c.LBTail, Qt::Key_Down);
    QTest::keyClick(c.LBTail, Qt::Key_Return);
    EXPECT_EQ(c.AddStrCmd->text(), "[SUM_8(0..n)]");
}

TEST(WindowLayout, TheWindowDoesNotGetSmallerThanItWasCreated)
{
    WindowRig r;
    r.open();
    r.window->show();
    const QSize created = r.window->size();
    r.window->resize(created.width() - 250, created.height() - 200);
    EXPECT_EQ(r.window->size(), created);
    // Larger stays allowed, and back again.
    r.window->resize(created.width() + 80, created.height() + 40);
    EXPECT_EQ(r.window->size(), created + QSize(80, 40));
    r.window->resize(created);
    EXPECT_EQ(r.window->size(), created);
}

// While connected the port box is disabled and lime (or yellow): its name is
// drawn dark, not in the style's pale disabled grey.
TEST(WindowConnection, ThePortNameStaysLegibleOnTheIndicatorColours)
{
    WindowRig r;
    r.open();
    connectPort(r);
    Controls& c = r.ui();
    ASSERT_FALSE(c.ComPort->isEnabled());
    const QColor text = c.ComPort->palette().color(QPalette::Disabled, QPalette::ButtonText);
    EXPECT_LT(text.lightness(), 80);
    EXPECT_EQ(backgroundColour(c.ComPort), clLime);
}

// A tool's command is reached by its shortcut and from the log's context
// menu, below the log's own entries, without any control of the window.
TEST(TerminalWindowTools, AToolActionRunsFromItsShortcutAndTheLogsContextMenu)
{
    WindowRig r;
    TerminalWindow& w = r.open();
    w.show();
    int runs = 0;
    QAction* action = w.addToolAction(QStringLiteral("Tool"), QKeySequence(QStringLiteral("Ctrl+Shift+T")),
                                      [&] { ++runs; });
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    QTest::keyClick(&w, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(runs, 1);

    QStringList entries;
    QTimer poll;  // reads the menu once it is up, then closes it
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            poll.stop();
            for (QAction* a : menu->actions())
                entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
            menu->close();
        }
    });
    poll.start(5);
    QWidget* log = r.ui().MainWindow->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), log->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(log, &event);
    // The log's two entries, a separator, then the tools' commands, the newest last.
    ASSERT_GE(entries.size(), 4);
    EXPECT_EQ(entries[2], QStringLiteral("-"));
    EXPECT_TRUE(entries.contains(QStringLiteral("График...")));
    EXPECT_EQ(entries.back(), action->text());
}
