#include "ui/window/rules_tool.h"

#include <QTimer>
#include <QWidget>

#include "macros/cmd_lists.h"
#include "terminal/terminal.h"
#include "ui/kit/text_codec.h"
#include "ui/kit/translation.h"
#include "ui/rules/rules_dialog.h"

namespace comtrax {

RulesTool::RulesTool(const Setup& s)
    : QObject(&s.window),
      window_(s.window),
      terminal_(s.terminal),
      lists_(s.lists),
      path_(s.path),
      error_(s.error),
      startTimers_(s.startTimers)
{
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &RulesTool::tick);
    terminal_.setAutomationListener([this] { arm(); });
    terminal_.setMacroLookup([this](const std::string& list, int macro) -> std::optional<std::string> {
        for (int n = 0; n < CmdLists::Lists; ++n) {
            if (lists_.listName(n) != list)
                continue;
            if (macro < 1 || macro > CmdLists::Macros)
                return std::nullopt;
            const std::string line = lists_.commandLine(n, macro - 1);
            if (line.empty())
                return std::nullopt;
            return line;
        }
        return std::nullopt;
    });

    const RuleSetLoad load = loadRuleSetFile(path_);
    if (!load.io) {
        // Damaged, huge, a link, unreadable: said once, and never written over.
        unreadable_ = true;
        if (error_)
            error_(uiText("Файл правил %1 не прочитан, правила выключены и он не будет перезаписан: %2")
                       .arg(QString::fromLocal8Bit(path_.c_str()), fromUtf8(load.io.error)));
        return;
    }
    apply(load.set, false);
}

void RulesTool::apply(const RuleSet& set, bool save)
{
    set_ = set;
    terminal_.setRules(set_.rules, set_.limit, set_.windowBytes);
    const std::string answerError = terminal_.setAnswerTimeout(set_.answer);
    if (!answerError.empty() && error_)
        error_(
            uiText("Шаблон ответа не принят, ответом считается любой пакет: %1").arg(fromUtf8(answerError)));
    if (!save)
        return;
    if (unreadable_) {
        if (error_)
            error_(uiText("Правила действуют, но не сохранены: файл %1 не был прочитан")
                       .arg(QString::fromLocal8Bit(path_.c_str())));
        return;
    }
    const FileResult r = saveRuleSetFile(path_, set_);
    if (!r && error_)
        error_(uiText("Правила не сохранены: %1").arg(fromUtf8(r.error)));
}

void RulesTool::openDialog()
{
    RulesDialog dialog(set_, &window_);
    if (dialog.exec() == QDialog::Accepted)
        apply(dialog.ruleSet(), true);
}

void RulesTool::tick()
{
    terminal_.automationTick();
}

void RulesTool::arm()
{
    if (!startTimers_)
        return;
    const int64_t ms = terminal_.msUntilAutomationDue();
    if (ms < 0) {
        timer_->stop();
        return;
    }
    timer_->start(static_cast<int>(std::min<int64_t>(ms, 24 * 3600 * 1000)));
}

}  // namespace comtrax
