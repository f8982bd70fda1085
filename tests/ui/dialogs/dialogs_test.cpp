#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/macro_help_editor.h"
#include "ui/dialogs/no_port_dialog.h"
#include "ui/dialogs/save_macros_prompt.h"

namespace comtrax {
namespace {

// The main window as the help editor sees it: one macro store and the 12 help captions.
using Key = std::pair<int, int>;

class FakeHost : public MacroEditorHost {
public:
    int list = 7;
    int cmd = 12;
    std::map<std::pair<int, int>, QString> names, lines;
    QString help[13];
    int helpWrites = 0;

    int currentList() override { return list; }
    int editedCmd() override { return cmd; }
    QString commandName(int l, int k) override { return names[{l, k}]; }
    QString commandLine(int l, int k) override { return lines[{l, k}]; }
    void setCommandName(int l, int k, const QString& t) override { names[{l, k}] = t; }
    void setCommandLine(int l, int k, const QString& t) override { lines[{l, k}] = t; }
    QString helpLine(int j) override { return help[j]; }
    void setHelpLine(int j, const QString& t) override
    {
        help[j] = t;
        ++helpWrites;
    }
};

class HelpEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.names[Key(7, 12)] = "Reset";
        host.lines[Key(7, 12)] = "AT+RST";
        for (int j = 1; j <= 12; ++j)
            host.help[j] = QString("help %1").arg(j);
    }
    void open()
    {
        dlg.show();
        dlg.activateWindow();
    }
    QWidget* focused() { return dlg.focusWidget(); }
    void press(Qt::Key key) { QTest::keyClick(focused(), key); }

    FakeHost host;
    MacroHelpEditor dlg{&host};
};

TEST_F(HelpEditorTest, OpeningLoadsTheEditedMacroAndFocusesItsName)
{
    open();
    EXPECT_EQ(dlg.cmdName()->text(), "Reset");
    EXPECT_EQ(dlg.cmdData()->text(), "AT+RST");
    for (int i = 1; i <= 12; ++i)
        EXPECT_EQ(dlg.helpEdit(i)->text(), QString("help %1").arg(i)) << i;
    EXPECT_EQ(focused(), dlg.cmdName());
    EXPECT_EQ(host.names[Key(7, 12)], "Reset");

    // Reopened for another macro, it shows that one.
    dlg.hide();
    host.cmd = 3;
    host.names[Key(7, 3)] = "Ping";
    host.help[1] = "other";
    focused()->setFocus();
    open();
    EXPECT_EQ(dlg.cmdName()->text(), "Ping");
    EXPECT_EQ(dlg.cmdData()->text(), "");
    EXPECT_EQ(dlg.helpEdit(1)->text(), "other");
    EXPECT_EQ(focused(), dlg.cmdName());
}

TEST_F(HelpEditorTest, EnterWalksEveryFieldAndClosesOnTheLastLine)
{
    open();
    std::vector<QLineEdit*> chain{dlg.cmdName(), dlg.cmdData()};
    for (int i = 1; i <= 12; ++i)
        chain.push_back(dlg.helpEdit(i));
    for (size_t n = 0; n + 1 < chain.size(); ++n) {
        ASSERT_EQ(focused(), chain[n]) << n;
        press(n % 2 ? Qt::Key_Enter : Qt::Key_Return);
        EXPECT_TRUE(dlg.isVisible());
    }
    ASSERT_EQ(focused(), dlg.helpEdit(12));
    press(Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    // Enter is swallowed: nothing was typed anywhere.
    EXPECT_EQ(host.names[Key(7, 12)], "Reset");
    EXPECT_EQ(host.lines[Key(7, 12)], "AT+RST");
    EXPECT_EQ(host.help[12], "help 12");
}

TEST_F(HelpEditorTest, BackspaceInAnEmptyFieldGoesBackWithoutDeleting)
{
    struct Case {
        const char* from;
        const char* to;  // nullptr: the focus stays
    };
    const Case cases[] = {
        {"CmdData", "CmdName"}, {"Edit1", "CmdData"}, {"Edit7", "Edit6"},
        {"Edit12", "Edit11"},   {"CmdName", nullptr},
    };
    open();
    for (const Case& c : cases) {
        auto* from = dlg.findChild<QLineEdit*>(c.from);
        ASSERT_NE(from, nullptr) << c.from;
        for (auto* field : dlg.findChildren<QLineEdit*>())
            field->setText("abc");
        from->clear();
        from->setFocus();
        const QString fromHost = host.help[1];
        press(Qt::Key_Backspace);
        if (!c.to) {
            EXPECT_EQ(focused(), from) << c.from;
            continue;
        }
        auto* to = dlg.findChild<QLineEdit*>(c.to);
        EXPECT_EQ(focused(), to) << c.from;
        EXPECT_FALSE(to->text().isEmpty()) << c.to << " lost its text";
        EXPECT_EQ(host.help[1], fromHost);
        // The next Backspace does work on the field it landed in.
        to->deselect();
        to->end(false);
        const QString before = to->text();
        press(Qt::Key_Backspace);
        EXPECT_EQ(to->text(), before.chopped(1)) << c.to;
    }
    // A field with text simply loses its last character.
    dlg.helpEdit(4)->setFocus();
    dlg.helpEdit(4)->end(false);
    press(Qt::Key_Backspace);
    EXPECT_EQ(focused(), dlg.helpEdit(4));
    EXPECT_EQ(dlg.helpEdit(4)->text(), "ab");
}

TEST_F(HelpEditorTest, TypingReachesTheMacroAndTheHelpArea)
{
    open();
    dlg.cmdName()->selectAll();
    QTest::keyClicks(dlg.cmdName(), "Stop");
    EXPECT_EQ(host.names[Key(7, 12)], "Stop");
    dlg.cmdData()->setFocus();
    dlg.cmdData()->end(false);
    QTest::keyClicks(dlg.cmdData(), "=1");
    EXPECT_EQ(host.lines[Key(7, 12)], "AT+RST=1");
    dlg.helpEdit(5)->end(false);
    QTest::keyClicks(dlg.helpEdit(5), "!");
    EXPECT_EQ(host.help[5], "help 5!");
    EXPECT_EQ(host.help[6], "help 6");
    // Other macros of the list are untouched.
    EXPECT_EQ(host.names.count(Key(7, 11)), 0u);
}

TEST_F(HelpEditorTest, TypingStopsAtTheFieldLimits)
{
    open();
    const QString many(300, 'x');
    dlg.cmdName()->selectAll();
    QTest::keyClicks(dlg.cmdName(), many.left(60));
    EXPECT_EQ(host.names[Key(7, 12)].size(), 50);
    dlg.cmdData()->selectAll();
    QTest::keyClicks(dlg.cmdData(), many);
    EXPECT_EQ(host.lines[Key(7, 12)].size(), 250);
    dlg.helpEdit(2)->selectAll();
    QTest::keyClicks(dlg.helpEdit(2), many.left(60));
    EXPECT_EQ(host.help[2].size(), 50);
}

TEST_F(HelpEditorTest, OpeningDoesNotCutTextsLongerThanTheirFields)
{
    // Stored texts may exceed the typing limits (a help line holds 151).
    const QString name(51, 'n'), line(251, 'c'), help(151, 'h');
    host.names[Key(7, 12)] = name;
    host.lines[Key(7, 12)] = line;
    host.help[3] = help;
    open();
    EXPECT_EQ(dlg.cmdName()->text(), name);
    EXPECT_EQ(dlg.cmdData()->text(), line);
    EXPECT_EQ(dlg.helpEdit(3)->text(), help);
    dlg.close();
    EXPECT_EQ(host.names[Key(7, 12)], name);
    EXPECT_EQ(host.lines[Key(7, 12)], line);
    EXPECT_EQ(host.help[3], help);

    // The next macro, with short texts, is not cut to the previous one either.
    host.cmd = 1;
    host.help[3] = "short";
    open();
    EXPECT_EQ(dlg.helpEdit(3)->text(), "short");
    EXPECT_EQ(host.help[3], "short");
}

TEST_F(HelpEditorTest, FieldsFollowTheWindowWidth)
{
    const int designName = dlg.cmdName()->width();
    const int designLine = dlg.helpEdit(12)->width();
    dlg.fitFieldsToWidth(MacroHelpEditor::DesignWidth + 100);
    EXPECT_EQ(dlg.cmdName()->width(), designName + 100);
    EXPECT_EQ(dlg.cmdData()->width(), designName + 100);
    EXPECT_EQ(dlg.helpEdit(12)->width(), designLine + 100);
    dlg.fitFieldsToWidth(MacroHelpEditor::DesignWidth - 30);
    EXPECT_EQ(dlg.helpEdit(1)->width(), designLine - 30);
    dlg.fitFieldsToWidth(-1000);  // never a negative width
    EXPECT_EQ(dlg.helpEdit(1)->width(), 0);

    // Resized by the user, the fields take the width being applied, not the
    // one the window had before.
    open();
    dlg.resize(MacroHelpEditor::DesignWidth, dlg.height());
    dlg.resize(MacroHelpEditor::DesignWidth + 100, dlg.height());
    EXPECT_EQ(dlg.helpEdit(12)->width(), designLine + 100);
    dlg.resize(MacroHelpEditor::DesignWidth, dlg.height());
    EXPECT_EQ(dlg.helpEdit(12)->width(), designLine);
    EXPECT_LE(dlg.helpEdit(12)->geometry().right(), dlg.width());
}

TEST_F(HelpEditorTest, OnlyActivationFromAnotherWindowOfTheProgramReloads)
{
    open();
    QApplication::processEvents();
    dlg.helpEdit(5)->setFocus();
    host.help[5] = "changed behind the editor";

    // Coming back from another program: the caret stays where the user left it.
    QEvent back(QEvent::WindowActivate);
    QApplication::sendEvent(&dlg, &back);
    EXPECT_EQ(focused(), dlg.helpEdit(5));
    EXPECT_EQ(dlg.helpEdit(5)->text(), "help 5");

    // Coming back from another window of the program is a new activation.
    QWidget other;
    other.show();
    other.activateWindow();
    QApplication::processEvents();
    dlg.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(focused(), dlg.cmdName());
    EXPECT_EQ(dlg.helpEdit(5)->text(), "changed behind the editor");
}

TEST_F(HelpEditorTest, EscapeDoesNotClose)
{
    open();
    press(Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());
}

TEST(SavePromptTest, EachButtonGivesItsAnswer)
{
    SaveMacrosPrompt prompt;
    struct Case {
        QPushButton* button;
        SaveMacrosPrompt::Result expected;
    };
    const Case cases[] = {
        {prompt.yesButton(), SaveMacrosPrompt::Result::Yes},
        {prompt.noButton(), SaveMacrosPrompt::Result::No},
        {prompt.cancelButton(), SaveMacrosPrompt::Result::Cancel},
        {nullptr, SaveMacrosPrompt::Result::Cancel},  // the close box
    };
    EXPECT_EQ(prompt.yesButton()->text(), "Да");
    EXPECT_EQ(prompt.noButton()->text(), "Нет");
    EXPECT_EQ(prompt.cancelButton()->text(), "Отмена");
    for (const Case& c : cases) {
        bool yesFocused = false;
        QTimer::singleShot(0, &prompt, [&] {
            yesFocused = prompt.focusWidget() == prompt.yesButton();
            if (c.button)
                QTest::mouseClick(c.button, Qt::LeftButton);
            else
                prompt.close();
        });
        EXPECT_EQ(prompt.ask(), c.expected);
        EXPECT_TRUE(yesFocused);
    }
    // Enter on the opened prompt answers "Да".
    QTimer::singleShot(0, &prompt, [&] { QTest::keyClick(prompt.focusWidget(), Qt::Key_Return); });
    EXPECT_EQ(prompt.ask(), SaveMacrosPrompt::Result::Yes);
}

TEST(AboutWindowTest, FixedSizeAndNoFocusInTheContactLines)
{
    AboutDialog info;
    EXPECT_EQ(info.windowTitle(), "Info");
    info.show();
    info.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(info.size(), QSize(335, 225));
    // Parked on the hidden button; Qt must not pass it on to a contact line.
    EXPECT_EQ(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);
    EXPECT_EQ(info.minimumSize(), info.maximumSize());
    for (auto* line : info.findChildren<QLineEdit*>()) {
        EXPECT_TRUE(line->isReadOnly());
        EXPECT_FALSE(line->hasFocus()) << line->objectName().toStdString();
        EXPECT_FALSE(line->hasSelectedText());
    }
    auto* picture = info.findChild<QLabel*>("Image1");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), QSize(111, 75));
}

TEST(NoPortWindowTest, OnePictureFillsTheWindow)
{
    NoPortDialog window;
    EXPECT_EQ(window.windowTitle(), "OpenPortError");
    EXPECT_EQ(window.size(), QSize(600, 500));
    auto* picture = window.findChild<QLabel*>("Image1");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->geometry(), QRect(0, 0, 600, 500));
    EXPECT_EQ(picture->pixmap().size(), QSize(600, 500));
}

}  // namespace
}  // namespace comtrax
