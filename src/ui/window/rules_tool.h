#pragma once
// The window's side of the rules: CfgRules read at start and applied to the
// facade, the one timer that wakes the automation when something is due, the
// macro lists the rules may send from, and the dialog opened by its command.
#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "automation/rules_file.h"

class QTimer;
class QWidget;

namespace comtrax {

class CmdLists;
class Terminal;

class RulesTool : public QObject {
    Q_OBJECT
public:
    struct Setup {
        QWidget& window;
        Terminal& terminal;
        const CmdLists& lists;
        std::string path;                           // CfgRules
        std::function<void(const QString&)> error;  // the window's error box
        bool startTimers = true;                    // tests tick by hand
    };
    explicit RulesTool(const Setup& setup);

    void openDialog();
    // Replaces the rules (the dialog's OK) and stores them, unless the file
    // could not be read at start: then it is left as it is and that is said.
    void apply(const RuleSet& set, bool save);
    const RuleSet& ruleSet() const { return set_; }
    bool unreadable() const { return unreadable_; }
    // The timer's handler; tests call it.
    void tick();

private:
    void arm();

    QWidget& window_;
    Terminal& terminal_;
    const CmdLists& lists_;
    std::string path_;
    std::function<void(const QString&)> error_;
    bool startTimers_ = true;
    RuleSet set_;
    bool unreadable_ = false;
    QTimer* timer_ = nullptr;
};

}  // namespace comtrax
