#pragma once
// The rules dialog: the list of trigger rules on the left, the chosen rule's
// pattern, condition, actions and control on the right, the global limit and
// the answer timeout below. It edits a copy of the set; a rule whose pattern
// or actions do not parse is kept, switched off, with the reason shown.
#include <QDialog>

#include "automation/rules_file.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QSpinBox;

namespace comtrax {

class RulesDialog : public QDialog {
    Q_OBJECT
public:
    RulesDialog(const RuleSet& set, QWidget* parent = nullptr);
    // The set as edited (valid after accept).
    const RuleSet& ruleSet() const { return set_; }

    // What the editor says about the rule shown: empty when it is valid.
    QString currentError() const;
    void selectRule(int index);
    int ruleCount() const { return static_cast<int>(set_.rules.size()); }

    void accept() override;

private:
    void addRule();
    void removeRule();
    void moveRule(int by);
    void showRule(int index);
    void storeRule();  // the editor's fields into the rule shown
    void refreshList();
    void checkRule();  // the error label of the rule shown
    static QComboBox* checksumBox(QWidget* parent);
    static QComboBox* kindBox(QWidget* parent);

    RuleSet set_;
    int current_ = -1;
    bool loading_ = false;
    QListWidget* list_ = nullptr;
    QLineEdit* name_ = nullptr;
    QCheckBox* enabled_ = nullptr;
    QComboBox* kind_ = nullptr;
    QLineEdit* pattern_ = nullptr;
    QCheckBox* across_ = nullptr;
    QComboBox* checksum_ = nullptr;
    QPlainTextEdit* actions_ = nullptr;
    QLineEdit* suffix_ = nullptr;
    QSpinBox* times_ = nullptr;
    QSpinBox* delay_ = nullptr;
    QSpinBox* cooldown_ = nullptr;
    QCheckBox* goOn_ = nullptr;
    QLabel* error_ = nullptr;
    QWidget* editor_ = nullptr;
    QCheckBox* limitOn_ = nullptr;
    QSpinBox* limit_ = nullptr;
    QSpinBox* answerTimeout_ = nullptr;
    QSpinBox* answerRetries_ = nullptr;
    QComboBox* answerGiveUp_ = nullptr;
    QCheckBox* answerPatternOn_ = nullptr;
    QComboBox* answerKind_ = nullptr;
    QLineEdit* answerPattern_ = nullptr;
    QComboBox* answerChecksum_ = nullptr;
};

}  // namespace comtrax
