// The rules in the window: read at start, applied, edited in the dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include "automation/rules_file.h"
#include "support/temp_dir.h"
#include "ui/rules/rules_dialog.h"
#include "ui/window/rules_tool.h"
#include "window_rig.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

RuleSet loginSet()
{
    RuleSet s;
    Rule r;
    r.name = "login";
    r.pattern = {PatternKind::Text, "login:"};
    r.actions = {{RuleAction::Kind::Send, "admin", false, "$0D", 1}};
    s.rules = {r};
    s.answer.timeoutMs = 250;
    return s;
}

}  // namespace

TEST(RulesTool, TheRuleFileIsReadAtStartAndActsOnTheWindowsPackets)
{
    WindowRig r;
    ASSERT_TRUE(saveRuleSetFile(r.dir.file("CfgRules"), loginSet()));
    TerminalWindow& w = r.open();
    auto* tool = w.findChild<RulesTool*>(QStringLiteral("RulesTool"));
    ASSERT_NE(tool, nullptr);
    EXPECT_FALSE(tool->unreadable());
    EXPECT_EQ(w.terminal().rules().rules().size(), 1u);
    EXPECT_EQ(w.terminal().answerTimeout().timeoutMs, 250);
    EXPECT_TRUE(r.dialogs.errors.isEmpty());
}

TEST(RulesTool, AnUnreadableRuleFileIsReportedAndNeverOverwritten)
{
    WindowRig r;
    const std::string path = r.dir.file("CfgRules");
    writeFileBytes(path, std::string(RuleSet::MaxFileBytes + 10, '#'));
    TerminalWindow& w = r.open();
    auto* tool = w.findChild<RulesTool*>(QStringLiteral("RulesTool"));
    ASSERT_NE(tool, nullptr);
    EXPECT_TRUE(tool->unreadable());
    EXPECT_EQ(r.dialogs.errors.size(), 1);
    tool->apply(loginSet(), true);  // acts for the session...
    EXPECT_EQ(w.terminal().rules().rules().size(), 1u);
    EXPECT_EQ(readFileBytes(path).size(), RuleSet::MaxFileBytes + 10);  // ...and the file stays
    EXPECT_EQ(r.dialogs.errors.size(), 2);
}

TEST(RulesDialog, BadPatternsAreSaidInTheDialogAndTheRuleIsKeptSwitchedOff)
{
    struct Case {
        const char* what;
        int kind;
        QString pattern;
        QString actions;
    };
    const std::vector<Case> cases = {
        {"odd hex digits", 1, QStringLiteral("01 0"), QStringLiteral("send x")},
        {"?? in text", 0, QStringLiteral("a??"), QStringLiteral("send x")},
        {"bad expression", 2, QStringLiteral("(open"), QStringLiteral("send x")},
        {"bad action", 0, QStringLiteral("ok"), QStringLiteral("teleport home")},
    };
    for (const Case& c : cases) {
        RulesDialog d(loginSet());
        d.findChild<QComboBox*>(QStringLiteral("RuleKind"))->setCurrentIndex(c.kind);
        auto* pattern = d.findChild<QLineEdit*>(QStringLiteral("RulePattern"));
        pattern->setText(c.pattern);
        emit pattern->textEdited(c.pattern);
        d.findChild<QPlainTextEdit*>(QStringLiteral("RuleActions"))->setPlainText(c.actions);
        EXPECT_FALSE(d.currentError().isEmpty()) << c.what;
        d.findChild<QCheckBox*>(QStringLiteral("RuleEnabled"))->setChecked(true);
        d.accept();
        ASSERT_EQ(d.ruleSet().rules.size(), 1u) << c.what;
        EXPECT_FALSE(d.ruleSet().rules[0].enabled) << c.what;
        EXPECT_EQ(d.ruleSet().rules[0].name, "login") << c.what;
    }
}

TEST(RulesDialog, ARuleTypedInTheDialogComesBackWhole)
{
    RuleSet empty;
    RulesDialog d(empty);
    d.findChild<QPushButton*>(QStringLiteral("AddRule"))->click();
    ASSERT_EQ(d.ruleCount(), 1);
    d.findChild<QLineEdit*>(QStringLiteral("RuleName"))->setText(QStringLiteral("ack"));
    d.findChild<QComboBox*>(QStringLiteral("RuleKind"))->setCurrentIndex(2);
    d.findChild<QLineEdit*>(QStringLiteral("RulePattern"))->setText(QStringLiteral("REQ (\\d+)"));
    d.findChild<QPlainTextEdit*>(QStringLiteral("RuleActions"))->setPlainText(QStringLiteral("send ACK \\1"));
    d.findChild<QCheckBox*>(QStringLiteral("RuleEnabled"))->setChecked(true);
    d.findChild<QSpinBox*>(QStringLiteral("AnswerTimeout"))->setValue(500);
    EXPECT_TRUE(d.currentError().isEmpty()) << d.currentError().toStdString();
    d.accept();
    ASSERT_EQ(d.ruleSet().rules.size(), 1u);
    const Rule& r = d.ruleSet().rules[0];
    EXPECT_EQ(r.name, "ack");
    EXPECT_TRUE(r.enabled);
    EXPECT_EQ(r.pattern, (PatternSource{PatternKind::Regex, "REQ (\\d+)"}));
    ASSERT_EQ(r.actions.size(), 1u);
    EXPECT_EQ(r.actions[0].text, "ACK \\1");
    EXPECT_EQ(d.ruleSet().answer.timeoutMs, 500);
}
