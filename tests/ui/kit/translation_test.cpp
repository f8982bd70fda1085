// The interface's language: Russian texts as written, English through the
// built-in translation, and nothing of the files or the wire changing with it.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/texts.h"
#include "presentation/help_texts.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/dialogs/macro_help_editor.h"
#include "ui/panels/macro_panel.h"
#include "ui/dialogs/save_macros_prompt.h"
#include "ui/kit/translation.h"
#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

// Every text a user can read on a widget and its children: captions, hints,
// titles, list entries, menu entries.
QStringList visibleTexts(QWidget* root)
{
    QStringList texts;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        texts << w->toolTip() << w->windowTitle();
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            texts << b->text();
        if (auto* l = qobject_cast<QLabel*>(w))
            texts << l->text();
        if (auto* g = qobject_cast<QGroupBox*>(w))
            texts << g->title();
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                texts << c->itemText(i);
        for (QAction* a : w->actions())
            texts << a->text() << a->toolTip();
    }
    texts.removeAll(QString());
    return texts;
}

QStringList cyrillic(const QStringList& texts)
{
    static const QRegularExpression cyr(QStringLiteral("[\u0400-\u04FF]"));
    return texts.filter(cyr);
}

// The language of one test, back to Russian afterwards for every other test.
struct InEnglish {
    InEnglish() { EXPECT_TRUE(installLanguage(Language::English)); }
    ~InEnglish() { installLanguage(Language::Russian); }
};

}  // namespace

TEST(Language, FollowsTheSystemsListAndFallsBackToRussian)
{
    const struct {
        QStringList ui;
        Language expected;
    } cases[] = {
        {{"en-US"}, Language::English},
        {{"en_GB.UTF-8"}, Language::English},
        {{"ru-RU"}, Language::Russian},
        {{"de-DE"}, Language::Russian},           // no translation: the program's own
        {{"de-DE", "en-US"}, Language::English},  // the first one we have
        {{"ru-RU", "en-US"}, Language::Russian},
        {{"C"}, Language::Russian},
        {{}, Language::Russian},
    };
    for (const auto& c : cases)
        EXPECT_EQ(languageFor(c.ui), c.expected) << c.ui.join(',').toStdString();
    EXPECT_EQ(parseLanguage("en"), Language::English);
    EXPECT_EQ(parseLanguage("RU"), Language::Russian);
    EXPECT_EQ(parseLanguage("fr"), std::nullopt);
    EXPECT_EQ(parseLanguage(""), std::nullopt);
}

// The window in English: no caption, hint or entry is left in Russian, and
// going back to Russian gives exactly the texts as written.
TEST(Language, EveryTextOfTheWindowAndItsDialogsIsEnglish)
{
    QStringList russian;
    {
        WindowRig r;
        r.open();
        russian = visibleTexts(r.window.get());
        EXPECT_TRUE(russian.contains(QStringLiteral("Отправить из файла")));
    }
    {
        InEnglish english;
        WindowRig r;
        r.open();
        const QStringList texts = visibleTexts(r.window.get());
        EXPECT_EQ(cyrillic(texts), QStringList());
        EXPECT_TRUE(texts.contains(QStringLiteral("Send from file")));
        EXPECT_EQ(r.ui().STLog->text(), QStringLiteral("Not logging to a file"));
        EXPECT_EQ(r.ui().STH[1]->text(), QStringLiteral("Short help for each command"));

        AboutDialog about;
        SaveMacrosPrompt prompt;
        MacroHelpEditor editor(&r.panel<MacroPanel>().editorHost());
        for (QWidget* dialog :
             {static_cast<QWidget*>(&about), static_cast<QWidget*>(&prompt), static_cast<QWidget*>(&editor)})
            EXPECT_EQ(cyrillic(visibleTexts(dialog)), QStringList()) << dialog->metaObject()->className();
    }
    WindowRig r;
    r.open();
    EXPECT_EQ(visibleTexts(r.window.get()), russian);
}

// Messages built in the core (a file error with the system's reason) come in
// the interface's language as a whole, not half in each.
TEST(Language, AFileErrorSpeaksTheInterfacesLanguage)
{
    for (const Language language : {Language::Russian, Language::English}) {
        installLanguage(language);
        WindowRig r;
        std::filesystem::create_directory(r.dir.file("CfgLine"));
        r.open();
        ASSERT_EQ(r.dialogs.errors.size(), 1);
        const QString error = r.dialogs.errors[0];
        if (language == Language::English) {
            EXPECT_EQ(cyrillic({error}), QStringList());
            EXPECT_TRUE(error.startsWith("Cannot read the file ")) << error.toStdString();
            EXPECT_TRUE(error.endsWith(": it is a directory")) << error.toStdString();
        } else {
            EXPECT_TRUE(error.startsWith(QStringLiteral("Не удалось прочитать файл ")))
                << error.toStdString();
            EXPECT_TRUE(error.endsWith(QStringLiteral(": это каталог"))) << error.toStdString();
        }
    }
    installLanguage(Language::Russian);
}

TEST(Language, HelpTextsKeepTwelveLinesInEachLanguage)
{
    const HelpText* all[] = {
        &generalHelp(),         &connectHelp(),    &rescanHelp(),        &autoConnectHelp(),
        &timeRxHelp(),          &filterHelp(),     &manualModeHelp(),    &onSelectModeHelp(),
        &afterAnswerModeHelp(), &periodModeHelp(), &sendOnConnectHelp(), &commandLineHelp(),
        &suffixHelp(),          &cyclicSendHelp(), &lineStateHelp(),     &portSettingsHelp()};
    for (const HelpText* text : all) {
        const auto ru = helpLines(*text);
        for (std::size_t i = 0; i < HelpLineCount; ++i)
            EXPECT_EQ(ru[i], QString::fromUtf8((*text)[i].data(), qsizetype((*text)[i].size())));
    }
    InEnglish english;
    for (const HelpText* text : all) {
        const auto en = helpLines(*text);
        EXPECT_FALSE(en[0].isEmpty());
        for (const QString& line : en)
            EXPECT_EQ(cyrillic({line}), QStringList()) << en[0].toStdString();
    }
    EXPECT_EQ(helpLines(filterHelp())[0], QStringLiteral("Filtering the log"));
}

// Nothing that goes into a file or onto the wire depends on the language:
// the same line sends the same bytes and logs the same line.
TEST(Language, TheLogFileAndTheWireDoNotChange)
{
    std::string wire[2], log[2];
    for (const Language language : {Language::Russian, Language::English}) {
        const int i = language == Language::English;
        installLanguage(language);
        WindowRig r;
        r.open();
        r.ui().BTConnect->click();
        ASSERT_TRUE(r.window->terminal().portOpen());
        r.ui().StartLog->click();
        r.ui().MainStrCmd->setText(QStringLiteral("AT Привет"));
        r.ui().ButtonSend->click();
        wire[i] = r.port.written;
        const std::string name = r.window->terminal().logFileName();
        ASSERT_TRUE(r.close());
        log[i] = readFileBytes(r.dir.file(name));
    }
    installLanguage(Language::Russian);
    EXPECT_EQ(wire[1], wire[0]);
    EXPECT_EQ(log[1], log[0]);
    EXPECT_NE(log[0].find("AT \xcf\xf0\xe8\xe2\xe5\xf2"), std::string::npos);  // Windows-1251
}

TEST(Language, ArgumentsGoInOnePass)
{
    EXPECT_EQ(trFormat("%1 и %2", {"a%2", "b"}), "a%2 и b");
    EXPECT_EQ(trFormat("%1 %3", {"x"}), "x %3");  // a missing argument leaves its mark
}
