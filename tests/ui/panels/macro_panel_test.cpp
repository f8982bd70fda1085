#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "macros/cmd_lists.h"
#include "support/temp_dir.h"
#include "ui/kit/click_label.h"
#include "ui/kit/colours.h"
#include "ui/window/build_controls.h"
#include "ui/dialogs/macro_help_editor.h"
#include "ui/panels/macro_panel.h"
#include "ui/kit/text_codec.h"
#include "window_rig.h"

namespace comtrax {
namespace {

std::string cp(const char* utf8)
{
    return toCp1251(QString::fromUtf8(utf8));
}

// Length byte and characters of a string[N] field of the file image.
std::string fieldAt(const std::string& image, std::size_t offset)
{
    const auto length = static_cast<unsigned char>(image.at(offset));
    return image.substr(offset + 1, length);
}

std::size_t nameOffset(int list, int k)
{
    return std::size_t(list - 1) * CmdLists::RecordSize + CmdLists::CmdNamesOffset
        + std::size_t(k - 1) * CmdLists::CmdNameStride;
}

class MacroPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.resize(951, 763);
        buildMainWindowControls(&form, c);
        lists.setDefaults();
        MacroPanelHooks hooks;
        hooks.send = [this](const std::string& line) { sent.push_back(line); };
        hooks.onSelectMode = [this] { return onSelect; };
        hooks.fileMode = [this] { return fileMode; };
        hooks.editHelpModal = [this] {
            ++modalCalls;
            if (modal)
                modal();
        };
        hooks.error = [this](const QString& e) { errors.push_back(e); };
        hooks.cmdConfigPath = configPath();
        panel = std::make_unique<MacroPanel>(c, lists, hooks);
        panel->showFirstList();
        panel->wire();
        form.show();
        form.activateWindow();
    }

    std::string configPath() const { return dir.file("CmdConfig"); }
    std::string image() const { return testing::readFileBytes(configPath()); }
    QWidget* focused() const { return form.focusWidget(); }
    void enterEditor()
    {
        QTest::mouseClick(c.EditAllCmd, Qt::LeftButton);
        ASSERT_TRUE(panel->editorMode());
    }
    void leaveEditor()
    {
        QTest::mouseClick(c.EditAllCmd, Qt::LeftButton);
        ASSERT_FALSE(panel->editorMode());
    }
    void retype(QLineEdit* field, const QString& text)
    {
        field->setFocus(Qt::MouseFocusReason);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        type(field, text);
    }
    // Key by key, Cyrillic too (QTest::keyClicks takes Latin-1 only).
    static void type(QWidget* field, const QString& text)
    {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    // What a user's pick of item `index` in the list chooser does.
    void pick(int index)
    {
        c.CBLists->setCurrentIndex(index);
        emit c.CBLists->activated(index);
    }

    testing::TempDir dir;
    QWidget form;
    Controls c;
    CmdLists lists;
    std::unique_ptr<MacroPanel> panel;
    std::vector<std::string> sent;
    std::vector<QString> errors;
    bool onSelect = false;
    bool fileMode = false;
    int modalCalls = 0;
    std::function<void()> modal;
};

TEST_F(MacroPanelTest, DisplaySwitchShowsNamesBoldOrLinesRegularWithTheOtherAsHint)
{
    lists.setCommandName(1, 3, cp("Сброс"));
    lists.setCommandLine(1, 3, "AT+RST");
    panel->showList(1);

    struct Case {
        QRadioButton* choice;
        QString text, hint;
        bool bold;
        int maxLength;
    };
    for (const Case& t :
         {Case{c.RbData, "AT+RST", "Сброс", false, 250}, Case{c.RBName, "Сброс", "AT+RST", true, 50}}) {
        SCOPED_TRACE(t.choice->objectName().toStdString());
        t.choice->setChecked(true);  // from code, as the settings restore does
        for (QWidget* w : {static_cast<QWidget*>(c.Button[3]), static_cast<QWidget*>(c.Edit[3])}) {
            EXPECT_EQ(w->font().bold(), t.bold);
            EXPECT_EQ(w->toolTip(), t.hint);
        }
        EXPECT_EQ(c.Button[3]->text(), t.text);
        EXPECT_EQ(c.Edit[3]->text(), t.text);
        EXPECT_EQ(c.Edit[3]->maxLength(), t.maxLength);
    }
}

TEST_F(MacroPanelTest, StepButtonsStopAtTheEndsWithoutWrapping)
{
    panel->previousList();
    EXPECT_EQ(panel->currentList(), 1);
    EXPECT_EQ(c.CBLists->currentIndex(), 0);

    pick(98);
    panel->nextList();
    EXPECT_EQ(panel->currentList(), 100);
    EXPECT_FALSE(c.ListInc->isEnabled());
    EXPECT_EQ(c.CBLists->currentText(), "List 100");

    panel->nextList();
    EXPECT_EQ(panel->currentList(), 100);
    EXPECT_EQ(c.CBLists->currentIndex(), 99);

    pick(1);
    panel->previousList();
    EXPECT_EQ(panel->currentList(), 1);
    EXPECT_FALSE(c.ListDec->isEnabled());
    EXPECT_TRUE(c.ListInc->isEnabled());
}

TEST_F(MacroPanelTest, PickingAListEnablesTheStepsThatLeadSomewhere)
{
    struct Case {
        int index;
        bool decEnabled, incEnabled;
    };
    for (const Case& t : {Case{99, true, false}, Case{0, false, true}, Case{49, true, true}}) {
        SCOPED_TRACE(t.index);
        pick(t.index);
        EXPECT_EQ(panel->currentList(), t.index + 1);
        EXPECT_EQ(c.STListName->text(), QString("List %1").arg(t.index + 1));
        EXPECT_EQ(c.ListDec->isEnabled(), t.decEnabled);
        EXPECT_EQ(c.ListInc->isEnabled(), t.incEnabled);
    }
    // The arrow key is a pick too.
    c.CBLists->setFocus();
    QTest::keyClick(c.CBLists, Qt::Key_Down);
    EXPECT_EQ(panel->currentList(), 51);
}

TEST_F(MacroPanelTest, TypingAListNameInTheChooserSwitchesNothing)
{
    QLineEdit* typed = c.CBLists->lineEdit();
    ASSERT_NE(typed, nullptr);
    retype(typed, "List 5");
    QTest::keyClick(typed, Qt::Key_Return);
    c.MainStrCmd->setFocus();  // the edit part loses the focus
    EXPECT_EQ(panel->currentList(), 1);
    EXPECT_EQ(c.CBLists->currentIndex(), 0);
}

TEST_F(MacroPanelTest, AnErasedListNameIsAnEmptyItemUntilTheListIsShown)
{
    lists.setListName(7, "");
    pick(1);
    EXPECT_EQ(c.CBLists->itemText(6), "");
    EXPECT_EQ(lists.listName(7), "");

    pick(6);
    EXPECT_EQ(c.CBLists->itemText(6), "[7]");
    EXPECT_EQ(c.STListName->text(), "[7]");
    EXPECT_EQ(c.ListNameEDT->text(), "[7]");
    EXPECT_EQ(lists.listName(7), "[7]");
}

TEST_F(MacroPanelTest, ClearingAListEmptiesItInMemoryOnly)
{
    lists.setCommandName(1, 1, "One");
    lists.setCommandHelp(1, 1, 4, "help");
    enterEditor();
    QTest::mouseClick(c.DelList, Qt::LeftButton);
    EXPECT_EQ(lists.commandName(1, 1), "");
    EXPECT_EQ(lists.commandHelp(1, 1, 4), "");
    EXPECT_EQ(c.Edit[1]->text(), "");
    EXPECT_EQ(c.ListNameEDT->text(), "[1]");
    EXPECT_TRUE(image().empty());
}

TEST_F(MacroPanelTest, TypingInAFieldStoresAtOnceInTheShownMode)
{
    lists.setCommandLine(1, 5, "AT");
    enterEditor();
    retype(c.Edit[5], "Сброс");
    EXPECT_EQ(lists.commandName(1, 5), "\xD1\xE1\xF0\xEE\xF1");
    EXPECT_EQ(lists.commandLine(1, 5), "AT");
    EXPECT_EQ(panel->editedCmd(), 5);

    c.RbData->setChecked(true);
    EXPECT_EQ(c.Edit[5]->text(), "AT");
    retype(c.Edit[5], "AT+X");
    c.RBName->setChecked(true);
    EXPECT_EQ(c.Edit[5]->text(), "Сброс");
    EXPECT_EQ(lists.commandLine(1, 5), "AT+X");
}

// The lists hold one character more than the fields accept; neither showing a
// list nor switching the display may cut a stored text or store it in the
// wrong field.
TEST_F(MacroPanelTest, LongStoredTextsSurviveDisplaySwitchesAndEditorRoundTrips)
{
    const std::string line(251, 'L');
    const std::string name(51, 'N');
    const std::string listName(151, 'S');
    lists.setCommandLine(1, 2, line);
    lists.setCommandName(1, 2, name);
    lists.setListName(1, listName);
    c.RbData->setChecked(true);

    enterEditor();
    c.RBName->setChecked(true);
    c.RbData->setChecked(true);
    c.RBName->setChecked(true);
    panel->nextList();
    panel->previousList();
    leaveEditor();

    EXPECT_EQ(lists.commandLine(1, 2), line);
    EXPECT_EQ(lists.commandName(1, 2), name);
    EXPECT_EQ(lists.listName(1), listName);
    EXPECT_EQ(fieldAt(image(), nameOffset(1, 2)), name);
}

TEST_F(MacroPanelTest, StepsInEditorModeKeepTheEditedListName)
{
    enterEditor();
    EXPECT_TRUE(c.ListNameEDT->isVisible());
    EXPECT_FALSE(c.CBLists->isVisible());
    retype(c.ListNameEDT, "Мотор");
    QTest::mouseClick(c.ListInc, Qt::LeftButton);
    EXPECT_EQ(panel->currentList(), 2);
    EXPECT_EQ(c.ListNameEDT->text(), "List 2");
    EXPECT_EQ(lists.listName(1), cp("Мотор"));
    EXPECT_TRUE(image().empty());  // memory only until saved
}

TEST_F(MacroPanelTest, SwitchingTheDisplayInEditorModeKeepsTheTypedListName)
{
    enterEditor();
    retype(c.ListNameEDT, "Pump tests");
    QTest::mouseClick(c.RbData, Qt::LeftButton);
    ASSERT_TRUE(c.RbData->isChecked());
    EXPECT_EQ(c.ListNameEDT->text(), "Pump tests");
    QTest::mouseClick(c.RBName, Qt::LeftButton);
    ASSERT_TRUE(c.RBName->isChecked());
    EXPECT_EQ(c.ListNameEDT->text(), "Pump tests");
    leaveEditor();
    EXPECT_EQ(fieldAt(image(), 0), "Pump tests");
}

TEST_F(MacroPanelTest, LeavingEditorModeStoresTheNameAndWritesTheFile)
{
    struct Case {
        QString typed;
        std::string stored;
    };
    for (const Case& t : {Case{"Мотор", cp("Мотор")}, Case{"", "[1]"}}) {
        SCOPED_TRACE(t.stored);
        enterEditor();
        EXPECT_EQ(c.EditAllCmd->text(), "Назад");
        EXPECT_TRUE(c.Edit[2]->isVisible());
        EXPECT_FALSE(c.Button[2]->isVisible());
        retype(c.ListNameEDT, t.typed);
        retype(c.Edit[2], "Пуск");
        leaveEditor();

        EXPECT_EQ(c.EditAllCmd->text(), "Редактор");
        EXPECT_TRUE(c.Button[2]->isVisible());
        EXPECT_FALSE(c.Edit[2]->isVisible());
        EXPECT_TRUE(c.CBLists->isVisible());
        EXPECT_FALSE(c.STListName->isVisible());
        EXPECT_EQ(c.Button[2]->text(), "Пуск");
        EXPECT_EQ(c.CBLists->itemText(0), fromCp1251(t.stored));

        const std::string bytes = image();
        ASSERT_EQ(bytes.size(), CmdLists::FileSize);
        EXPECT_EQ(fieldAt(bytes, 0), t.stored);
        EXPECT_EQ(fieldAt(bytes, nameOffset(1, 2)), cp("Пуск"));
        EXPECT_EQ(fieldAt(bytes, CmdLists::RecordSize), "List 2");
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(MacroPanelTest, SaveWritesTheFileAndStaysInEditorMode)
{
    enterEditor();
    retype(c.Edit[48], "Last");
    QTest::mouseClick(c.SaveF, Qt::LeftButton);
    EXPECT_TRUE(panel->editorMode());
    EXPECT_TRUE(c.SaveF->isEnabled());
    EXPECT_TRUE(c.Edit[48]->isVisible());
    EXPECT_EQ(fieldAt(image(), nameOffset(1, 48)), "Last");
}

TEST_F(MacroPanelTest, AFailedSaveIsReportedAndKeepsTheWindowOpen)
{
    MacroPanelHooks hooks;
    hooks.error = [this](const QString& e) { errors.push_back(e); };
    hooks.cmdConfigPath = dir.file("missing/CmdConfig");
    MacroPanel failing(c, lists, hooks);

    EXPECT_FALSE(failing.saveLists());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_FALSE(errors[0].isEmpty());
    EXPECT_FALSE(failing.confirmClose(SavePromptAnswer::Yes));
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(MacroPanelTest, ClosingAsksOnlyInEditorModeAndFollowsTheAnswer)
{
    int asked = 0;
    auto answer = [&](SavePromptAnswer a) {
        return [&asked, a] {
            ++asked;
            return a;
        };
    };
    EXPECT_TRUE(panel->offerSaveOnClose(answer(SavePromptAnswer::Cancel)));
    EXPECT_EQ(asked, 0);

    enterEditor();
    retype(c.Edit[1], "Kept");
    EXPECT_FALSE(panel->offerSaveOnClose(answer(SavePromptAnswer::Cancel)));
    EXPECT_TRUE(panel->offerSaveOnClose(answer(SavePromptAnswer::No)));
    EXPECT_TRUE(image().empty());
    EXPECT_TRUE(panel->offerSaveOnClose(answer(SavePromptAnswer::Yes)));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(fieldAt(image(), nameOffset(1, 1)), "Kept");
}

TEST_F(MacroPanelTest, HelpAreaShowsTheMacroOfTheCurrentList)
{
    for (int j = 1; j <= 12; ++j) {
        lists.setCommandHelp(1, 7, j, "one " + std::to_string(j));
        lists.setCommandHelp(2, 7, j, cp("два ") + std::to_string(j));
    }
    lists.setCommandHelp(1, 8, 1, "eight");

    panel->showMacroHelp(7);
    EXPECT_EQ(c.STH[1]->text(), "one 1");
    EXPECT_EQ(c.STH[12]->text(), "one 12");

    pick(1);
    panel->showMacroHelp(7);
    EXPECT_EQ(c.STH[1]->text(), "два 1");
    EXPECT_EQ(c.STH[12]->text(), "два 12");

    pick(0);
    panel->showMacroHelp(8);  // a macro with less help blanks the other lines
    EXPECT_EQ(c.STH[1]->text(), "eight");
    EXPECT_EQ(c.STH[2]->text(), "");
}

TEST_F(MacroPanelTest, EnteringAFieldShowsItsHelpButTheWindowsReturnDoesNot)
{
    lists.setCommandHelp(1, 3, 1, "three");
    lists.setCommandHelp(1, 4, 1, "four");
    enterEditor();

    auto focusIn = [](QWidget* w, Qt::FocusReason reason) {
        QFocusEvent e(QEvent::FocusIn, reason);
        QApplication::sendEvent(w, &e);
    };
    focusIn(c.Edit[4], Qt::TabFocusReason);
    EXPECT_EQ(c.STH[1]->text(), "four");

    c.STH[1]->setText("typed in the editor");
    focusIn(c.Edit[3], Qt::ActiveWindowFocusReason);
    EXPECT_EQ(c.STH[1]->text(), "typed in the editor");
    focusIn(c.Edit[3], Qt::MouseFocusReason);
    EXPECT_EQ(c.STH[1]->text(), "three");
}

TEST_F(MacroPanelTest, DoubleClickOpensTheEditorOnThatMacroAndCollectsItsHelp)
{
    for (int j = 1; j <= 12; ++j)
        lists.setCommandHelp(1, 12, j, "old " + std::to_string(j));
    lists.setCommandHelp(1, 7, 1, "seven");
    lists.setCommandLine(1, 12, "OLD");
    c.RbData->setChecked(true);
    enterEditor();
    panel->showMacroHelp(7);  // the area shows another macro's help

    QString limeDuring, helpSeenFirst;
    modal = [&] {
        limeDuring = QString::number(backgroundColour(c.Edit[12]), 16);
        MacroEditorHost& host = panel->editorHost();
        helpSeenFirst = host.helpLine(1);
        host.setCommandLine(host.currentList(), host.editedCmd(), "NEW LINE");
        for (int j = 1; j <= 12; ++j)
            host.setHelpLine(j, QString("new %1").arg(j));
    };
    QTest::mouseDClick(c.Edit[12], Qt::LeftButton);

    EXPECT_EQ(modalCalls, 1);
    EXPECT_EQ(panel->editedCmd(), 12);
    EXPECT_EQ(limeDuring, QString::number(clLime, 16));
    EXPECT_EQ(helpSeenFirst, "old 1");
    EXPECT_EQ(c.Edit[12]->text(), "NEW LINE");
    EXPECT_EQ(backgroundColour(c.Edit[12]), clWindow);
    EXPECT_EQ(lists.commandLine(1, 12), "NEW LINE");
    for (int j = 1; j <= 12; ++j)
        EXPECT_EQ(lists.commandHelp(1, 12, j), "new " + std::to_string(j));
    EXPECT_EQ(lists.commandHelp(1, 7, 1), "seven");
}

TEST_F(MacroPanelTest, TheRealHelpEditorChangesTheMacroInPlace)
{
    MacroHelpEditor editor(&panel->editorHost(), &form);
    modal = [&] {
        QTimer::singleShot(0, &editor, [&] {
            QTest::keyClicks(editor.cmdName(), "Reset");
            QTest::keyClicks(editor.cmdData(), "AT+RST");
            type(editor.helpEdit(2), "Перезапуск");
            editor.accept();
        });
        editor.exec();
    };
    enterEditor();
    QTest::mouseDClick(c.Edit[6], Qt::LeftButton);

    EXPECT_EQ(c.Edit[6]->text(), "Reset");
    EXPECT_EQ(lists.commandName(1, 6), "Reset");
    EXPECT_EQ(lists.commandLine(1, 6), "AT+RST");
    EXPECT_EQ(lists.commandHelp(1, 6, 2), cp("Перезапуск"));
    EXPECT_EQ(c.STH[2]->text(), "Перезапуск");
}

TEST_F(MacroPanelTest, ListChooserAndCaptionSwapByDoubleClickExceptInFileMode)
{
    QTest::mouseDClick(c.CBLists->lineEdit(), Qt::LeftButton);
    EXPECT_FALSE(c.CBLists->isVisible());
    EXPECT_TRUE(c.STListName->isVisible());
    EXPECT_EQ(c.STListName->text(), "List 1");

    fileMode = true;
    QTest::mouseDClick(c.STListName, Qt::LeftButton);
    EXPECT_TRUE(c.STListName->isVisible());
    EXPECT_FALSE(c.CBLists->isVisible());

    fileMode = false;
    QTest::mouseDClick(c.STListName, Qt::LeftButton);
    EXPECT_TRUE(c.CBLists->isVisible());
    EXPECT_FALSE(c.STListName->isVisible());
}

// A macro click hands its line to the command band, through the window: in
// the manual modes into the command line, which takes the focus; in on-select
// mode out of the port, the command line untouched and the focus waiting on
// the send button.
class MacroClicks : public ::testing::Test {
protected:
    void SetUp() override
    {
        r.open();
        r.window->show();
        r.window->activateWindow();
    }
    MacroPanel& panel() { return r.panel<MacroPanel>(); }
    QWidget* focused() const { return r.window->focusWidget(); }

    testing::WindowRig r;
};

TEST_F(MacroClicks, ClickInManualModeLoadsTheLineEvenFromAnUnnamedButton)
{
    struct Case {
        const char* line;
        const char* before;
    };
    Controls& c = r.ui();
    // The name is empty in both cases; the caption is never what is loaded.
    for (const Case& t : {Case{"PING$0D", "typed"}, Case{"", "typed"}}) {
        SCOPED_TRACE(t.line);
        panel().editorHost().setCommandLine(1, 5, QString::fromLatin1(t.line));
        panel().showList(1);
        EXPECT_TRUE(c.Button[5]->text().isEmpty());
        c.MainStrCmd->setText(t.before);
        c.BTConnect->setFocus();
        QTest::mouseClick(c.Button[5], Qt::LeftButton);
        EXPECT_EQ(c.MainStrCmd->text(), QString(t.line));
        EXPECT_EQ(panel().selectedCommand(), t.line);
        EXPECT_EQ(focused(), c.MainStrCmd);
    }
    EXPECT_EQ(r.port.written, "");
}

TEST_F(MacroClicks, ClickInOnSelectModeSendsTheBytesAndFocusesButtonSend)
{
    Controls& c = r.ui();
    c.BTConnect->click();
    c.RBSel->setChecked(true);
    panel().editorHost().setCommandName(1, 9, QStringLiteral("Stop"));
    panel().editorHost().setCommandLine(1, 9, QString::fromUtf8("СТОП 1"));
    panel().showList(1);
    c.MainStrCmd->setText("typed");

    QTest::mouseClick(c.Button[9], Qt::LeftButton);

    EXPECT_EQ(r.port.takeWritten(), "\xD1\xD2\xCE\xCF 1\r");
    EXPECT_EQ(c.MainStrCmd->text(), "typed");
    EXPECT_EQ(focused(), c.ButtonSend);
}

}  // namespace
}  // namespace comtrax
