// Texts from outside the program (the lists file, a command file, the user)
// as the window shows them: literally, with nothing hidden, and still stored
// and sent byte for byte.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolTip>

#include "macros/cmd_lists.h"
#include "ui/panels/command_file_view.h"
#include "ui/panels/macro_panel.h"
#include "ui/dialogs/qt_dialog_service.h"
#include "ui/kit/shown_text.h"
#include "ui/kit/text_codec.h"
#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

// What a label showing t draws, by the rule Qt's tool tips and automatic
// labels follow.
QString drawn(const QString& t)
{
    return Qt::mightBeRichText(t) ? QTextDocumentFragment::fromHtml(t).toPlainText() : t;
}

// The tool tip that appears when the pointer rests on w.
QString toolTipShownOver(QWidget* w)
{
    QToolTip::hideText();
    QHelpEvent rest(QEvent::ToolTip, w->rect().center(), w->mapToGlobal(w->rect().center()));
    QApplication::sendEvent(w, &rest);
    return QToolTip::isVisible() ? drawn(QToolTip::text()) : QString();
}

// A button's caption as the user reads it (without mnemonic marks).
QString readOn(QPushButton* b)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
    return a ? a->text(QAccessible::Name) : QString();
}

}  // namespace

TEST(ShownText, CharactersWithoutAGlyphShowTheirCode)
{
    const struct {
        std::string bytes;
        QString shown;
    } cases[] = {
        {std::string("AB\0CD", 5), "AB<00>CD"},
        {"\x98", "<98>"},
        {"a\r\nb\t", "a<0D><0A>b<09>"},
        {"soft\xADhyphen\x7F", "soft<AD>hyphen<7F>"},
        {"\xCF\xF0\xE8\xE2\xE5\xF2 $0D <b>&amp;", QString::fromUtf8("Привет $0D <b>&amp;")},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shownText(fromCp1251(c.bytes)), c.shown) << c.bytes;
        // What is shown in a caption is not what it carries on.
        QLabel l;
        showText(&l, fromCp1251(c.bytes));
        EXPECT_EQ(l.text(), c.shown);
        EXPECT_EQ(toCp1251(textOf(&l)), c.bytes);
    }
    // A file name is Unicode: a direction override would disguise it.
    EXPECT_EQ(shownText(QString::fromUtf8("evil\u202Etxt.exe")), "evil<202E>txt.exe");

    // A caption set since by other means is its own text.
    QLabel l;
    showText(&l, QString(QChar(0)));
    l.setText("typed over");
    EXPECT_EQ(textOf(&l), "typed over");
    l.clear();
    EXPECT_EQ(textOf(&l), "");
}

TEST(WindowOutsideTexts, MarkupInEveryStoredTextShowsLiterally)
{
    WindowRig r;
    // An image would be loaded as soon as the markup were taken for rich text.
    const std::string markup = "<b>bold</b> &amp; <img src=\"nowhere.png\">";
    CmdLists lists;
    lists.setDefaults();
    lists.setCommandName(1, 1, markup);
    lists.setCommandLine(1, 1, markup + " line");
    lists.setCommandHelp(1, 1, 1, markup + " help");
    ASSERT_TRUE(lists.saveLists(r.dir.file("CmdConfig")));
    r.open();
    Controls& c = r.ui();

    const QString shown = QString::fromStdString(markup);
    EXPECT_EQ(readOn(c.Button[1]), shown);
    EXPECT_EQ(toolTipShownOver(c.Button[1]), shown + " line");
    EXPECT_EQ(toolTipShownOver(c.Edit[1]), shown + " line");
    c.RbData->setChecked(true);
    EXPECT_EQ(readOn(c.Button[1]), shown + " line");
    EXPECT_EQ(toolTipShownOver(c.Button[1]), shown);
    QToolTip::hideText();
    // The help of the macro under the pointer.
    r.panel<MacroPanel>().showMacroHelp(1);
    EXPECT_EQ(c.STH[1]->text(), shown + " help");

    // The program's own hints still show, as plain text too.
    EXPECT_EQ(toolTipShownOver(c.BTLog), QString::fromUtf8("Очистить окно лога"));
    QToolTip::hideText();
}

TEST(WindowOutsideTexts, MessageBoxesShowFileNamesAsPlainText)
{
    QWidget owner;
    QtDialogService dialogs(&owner, nullptr);
    const QString text = QStringLiteral("Cannot open '<img src=\"x.png\">&amp;.txt': No such file");
    for (const bool error : {false, true}) {
        QString format = "no box";
        QString boxText;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                format = box->textFormat() == Qt::PlainText ? "plain" : "not plain";
                boxText = box->text();
                box->accept();
            }
        });
        if (error)
            dialogs.error(text);
        else
            dialogs.message(text);
        EXPECT_EQ(format, "plain") << error;
        EXPECT_EQ(boxText, text);
    }
}

TEST(WindowOutsideTexts, OddTextsShowWhatIsSentAndStayAsStored)
{
    WindowRig r;
    CmdLists stored;
    stored.setDefaults();
    stored.setCommandName(1, 1, "A&B&&C");
    stored.setCommandName(1, 2, "\x98");
    stored.setCommandLine(1, 2, "AT\r");
    stored.setCommandHelp(1, 2, 1, std::string("X\0Y", 3));
    stored.setListName(1, "two\nlines");
    ASSERT_TRUE(stored.saveLists(r.dir.file("CmdConfig")));
    r.open();
    Controls& c = r.ui();

    // '&' is no mnemonic: the caption reads as stored and Alt+B clicks nothing.
    EXPECT_EQ(readOn(c.Button[1]), "A&B&&C");
    EXPECT_TRUE(QKeySequence::mnemonic(c.Button[1]->text()).isEmpty());
    // A byte without a glyph no longer leaves the button looking empty.
    EXPECT_EQ(readOn(c.Button[2]), "<98>");
    EXPECT_EQ(toolTipShownOver(c.Button[2]), "AT<0D>");
    QToolTip::hideText();
    EXPECT_EQ(c.CBLists->itemText(0), "two<0A>lines");
    r.panel<MacroPanel>().showMacroHelp(2);
    EXPECT_EQ(c.STH[1]->text(), "X<00>Y");

    // The editing fields hold the stored texts themselves, and the help
    // editor hands the help lines back unchanged.
    QTest::mouseClick(c.EditAllCmd, Qt::LeftButton);
    EXPECT_EQ(c.Edit[1]->text(), "A&B&&C");
    EXPECT_EQ(toCp1251(c.Edit[2]->text()), "\x98");
    r.panel<MacroPanel>().openHelpEditor(2);
    // Leaving the editor writes the lists: they come back as they were stored.
    QTest::mouseClick(c.EditAllCmd, Qt::LeftButton);
    CmdLists lists;
    ASSERT_FALSE(lists.loadLists(r.dir.file("CmdConfig")).rebuilt);
    EXPECT_EQ(lists.commandName(1, 1), "A&B&&C");
    EXPECT_EQ(lists.commandName(1, 2), "\x98");
    EXPECT_EQ(lists.commandHelp(1, 2, 1), std::string("X\0Y", 3));
    EXPECT_EQ(lists.listName(1), "two\nlines");

    // A command file's line shows every byte it sends.
    writeFileBytes(r.dir.file("cmds.txt"), std::string("AB\0CD\r\n", 7));
    r.dialogs.fileToOpen = QString::fromStdString(r.dir.file("cmds.txt"));
    c.BTConnect->click();
    c.ButtonReadFile->click();
    ASSERT_EQ(c.OldCmdList->count(), 1);
    EXPECT_EQ(c.OldCmdList->item(0)->text(), "AB<00>CD");
    c.RBSel->setChecked(true);
    r.panel<CommandFileView>().lineClicked(0);
    EXPECT_EQ(toHex(r.port.takeWritten()), "41 42 00 43 44 0D");
}
