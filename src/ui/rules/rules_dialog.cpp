#include "ui/rules/rules_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "automation/action_lines.h"
#include "ui/kit/text_codec.h"
#include "ui/kit/translation.h"

namespace comtrax {

namespace {

QSpinBox* spinBox(QWidget* parent, int max, const QString& suffix)
{
    auto* box = new QSpinBox(parent);
    box->setRange(0, max);
    box->setSuffix(suffix);
    return box;
}

int checksumIndex(const ChecksumCondition& c)
{
    switch (c.kind) {
    case ChecksumCondition::Kind::None:
        return 0;
    case ChecksumCondition::Kind::ModbusFrame:
        return 1;
    case ChecksumCondition::Kind::Tag:
        return 2 + c.tagIndex;
    }
    return 0;
}

ChecksumCondition checksumAt(int index)
{
    if (index <= 0)
        return {};
    if (index == 1)
        return {ChecksumCondition::Kind::ModbusFrame, 0};
    return {ChecksumCondition::Kind::Tag, index - 2};
}

// Why a rule cannot act, UTF-8; empty when it can.
std::string ruleError(const Rule& rule)
{
    std::string error;
    CompiledPattern::compile(rule.pattern, error);
    return error;
}

}  // namespace

QComboBox* RulesDialog::checksumBox(QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->addItem(uiText("не проверять"));
    box->addItem(uiText("кадр Modbus (CRC)"));
    for (const char* tag : ChecksumTags)
        box->addItem(QString::fromLatin1(tag));
    return box;
}

QComboBox* RulesDialog::kindBox(QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->addItem(uiText("текст ($XX — байт)"));
    box->addItem(uiText("HEX (?? — любой байт)"));
    box->addItem(uiText("регулярное выражение"));
    return box;
}

RulesDialog::RulesDialog(const RuleSet& set, QWidget* parent) : QDialog(parent), set_(set)
{
    setObjectName(QStringLiteral("RulesDialog"));
    setWindowTitle(uiText("Правила"));
    auto* top = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    top->addLayout(body);

    auto* left = new QVBoxLayout;
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("RuleList"));
    left->addWidget(list_);
    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(uiText("Добавить"), this);
    auto* remove = new QPushButton(uiText("Удалить"), this);
    auto* up = new QPushButton(QStringLiteral("▲"), this);
    auto* down = new QPushButton(QStringLiteral("▼"), this);
    add->setObjectName(QStringLiteral("AddRule"));
    remove->setObjectName(QStringLiteral("RemoveRule"));
    for (auto* b : {add, remove, up, down})
        buttons->addWidget(b);
    left->addLayout(buttons);
    body->addLayout(left, 1);

    editor_ = new QWidget(this);
    auto* form = new QFormLayout(editor_);
    name_ = new QLineEdit(editor_);
    name_->setObjectName(QStringLiteral("RuleName"));
    enabled_ = new QCheckBox(uiText("включено"), editor_);
    enabled_->setObjectName(QStringLiteral("RuleEnabled"));
    kind_ = kindBox(editor_);
    kind_->setObjectName(QStringLiteral("RuleKind"));
    pattern_ = new QLineEdit(editor_);
    pattern_->setObjectName(QStringLiteral("RulePattern"));
    across_ = new QCheckBox(uiText("искать и через границы пакетов"), editor_);
    checksum_ = checksumBox(editor_);
    actions_ = new QPlainTextEdit(editor_);
    actions_->setObjectName(QStringLiteral("RuleActions"));
    actions_->setPlaceholderText(QStringLiteral("send admin\nmacro Modbus 3\nnote ...\npulse-dtr"));
    actions_->setToolTip(
        uiText("По одному действию в строке: send ТЕКСТ, sendhex БАЙТЫ, macro СПИСОК НОМЕР, "
               "note ТЕКСТ, pulse-dtr, pulse-rts, break, log-start, log-stop, stop-sending. "
               "В отправке \\1 … \\9 и \\{имя} — захваченные группы регулярного выражения."));
    suffix_ = new QLineEdit(editor_);
    times_ = spinBox(editor_, 1000000, QString());
    times_->setSpecialValueText(uiText("каждый раз"));
    delay_ = spinBox(editor_, 3600000, uiText(" мс"));
    cooldown_ = spinBox(editor_, 3600000, uiText(" мс"));
    goOn_ = new QCheckBox(uiText("после срабатывания проверять и следующие правила"), editor_);
    error_ = new QLabel(editor_);
    error_->setObjectName(QStringLiteral("RuleError"));
    error_->setStyleSheet(QStringLiteral("color: #B00000"));
    error_->setWordWrap(true);
    form->addRow(uiText("Имя"), name_);
    form->addRow(QString(), enabled_);
    form->addRow(uiText("Шаблон"), kind_);
    form->addRow(QString(), pattern_);
    form->addRow(QString(), across_);
    form->addRow(uiText("Контрольная сумма"), checksum_);
    form->addRow(uiText("Действия"), actions_);
    form->addRow(uiText("Суффикс отправки"), suffix_);
    form->addRow(uiText("Сколько раз"), times_);
    form->addRow(uiText("Задержка"), delay_);
    form->addRow(uiText("Пауза после"), cooldown_);
    form->addRow(QString(), goOn_);
    form->addRow(error_);
    body->addWidget(editor_, 2);

    auto* limitRow = new QHBoxLayout;
    limitOn_ = new QCheckBox(uiText("Останавливать автоматику, если действий в секунду больше"), this);
    limit_ = spinBox(this, 100000, QString());
    limit_->setMinimum(1);
    limitRow->addWidget(limitOn_);
    limitRow->addWidget(limit_);
    limitRow->addStretch();
    top->addLayout(limitRow);

    auto* answer = new QGroupBox(uiText("Ожидание ответа (режим «после ответа»)"), this);
    auto* answerForm = new QFormLayout(answer);
    answerTimeout_ = spinBox(answer, static_cast<int>(AnswerTimeoutSettings::MaxTimeoutMs), uiText(" мс"));
    answerTimeout_->setObjectName(QStringLiteral("AnswerTimeout"));
    answerTimeout_->setSpecialValueText(uiText("ждать без конца"));
    answerRetries_ = spinBox(answer, AnswerTimeoutSettings::MaxRetries, QString());
    answerGiveUp_ = new QComboBox(answer);
    answerGiveUp_->addItems({uiText("перейти к следующей строке"), uiText("остановить отправку")});
    answerPatternOn_ = new QCheckBox(uiText("ответом считать только пакет с шаблоном"), answer);
    answerKind_ = kindBox(answer);
    answerPattern_ = new QLineEdit(answer);
    answerChecksum_ = checksumBox(answer);
    answerForm->addRow(uiText("Нет ответа через"), answerTimeout_);
    answerForm->addRow(uiText("Повторить строку"), answerRetries_);
    answerForm->addRow(uiText("Затем"), answerGiveUp_);
    answerForm->addRow(answerPatternOn_);
    answerForm->addRow(answerKind_, answerPattern_);
    answerForm->addRow(uiText("Контрольная сумма ответа"), answerChecksum_);
    top->addWidget(answer);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &RulesDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &RulesDialog::reject);
    top->addWidget(box);

    limitOn_->setChecked(set_.limit.on);
    limit_->setValue(set_.limit.actionsPerSecond);
    const AnswerTimeoutSettings& a = set_.answer;
    answerTimeout_->setValue(static_cast<int>(a.timeoutMs));
    answerRetries_->setValue(a.retries);
    answerGiveUp_->setCurrentIndex(a.stopOnGiveUp ? 1 : 0);
    answerPatternOn_->setChecked(a.patternOn);
    answerKind_->setCurrentIndex(static_cast<int>(a.pattern.kind));
    answerPattern_->setText(fromCp1251(a.pattern.text));
    answerChecksum_->setCurrentIndex(checksumIndex(a.checksum));

    connect(add, &QPushButton::clicked, this, &RulesDialog::addRule);
    connect(remove, &QPushButton::clicked, this, &RulesDialog::removeRule);
    connect(up, &QPushButton::clicked, this, [this] { moveRule(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveRule(1); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (loading_)
            return;
        storeRule();
        showRule(row);
    });
    for (auto* edit : {name_, pattern_, suffix_})
        connect(edit, &QLineEdit::textEdited, this, [this] { checkRule(); });
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { checkRule(); });
    connect(actions_, &QPlainTextEdit::textChanged, this, [this] { checkRule(); });

    refreshList();
    showRule(set_.rules.empty() ? -1 : 0);
}

void RulesDialog::refreshList()
{
    loading_ = true;
    list_->clear();
    for (const Rule& r : set_.rules) {
        auto* item = new QListWidgetItem(r.name.empty() ? uiText("(без имени)") : fromCp1251(r.name), list_);
        if (!r.enabled)
            item->setForeground(Qt::gray);
    }
    list_->setCurrentRow(current_);
    loading_ = false;
}

void RulesDialog::showRule(int index)
{
    current_ = index >= 0 && index < ruleCount() ? index : -1;
    editor_->setEnabled(current_ >= 0);
    if (current_ < 0) {
        error_->clear();
        return;
    }
    loading_ = true;
    const Rule& r = set_.rules[static_cast<std::size_t>(current_)];
    name_->setText(fromCp1251(r.name));
    enabled_->setChecked(r.enabled);
    kind_->setCurrentIndex(static_cast<int>(r.pattern.kind));
    pattern_->setText(fromCp1251(r.pattern.text));
    across_->setChecked(r.acrossPackets);
    checksum_->setCurrentIndex(checksumIndex(r.checksum));
    actions_->setPlainText(fromCp1251(formatActionLines(r.actions)));
    QString suffix = QStringLiteral("$0D");
    for (const RuleAction& a : r.actions)
        if (a.kind == RuleAction::Kind::Send) {
            suffix = fromCp1251(a.suffix);
            break;
        }
    suffix_->setText(suffix);
    times_->setValue(r.times);
    delay_->setValue(static_cast<int>(r.delayMs));
    cooldown_->setValue(static_cast<int>(r.cooldownMs));
    goOn_->setChecked(r.goOn);
    loading_ = false;
    checkRule();
}

QString RulesDialog::currentError() const
{
    return error_->text();
}

void RulesDialog::checkRule()
{
    if (loading_ || current_ < 0)
        return;
    Rule probe;
    probe.pattern = {static_cast<PatternKind>(kind_->currentIndex()), toCp1251(pattern_->text())};
    std::string error = ruleError(probe);
    if (error.empty())
        error = parseActionLines(toCp1251(actions_->toPlainText()), toCp1251(suffix_->text())).error;
    error_->setText(fromUtf8(error));
}

void RulesDialog::storeRule()
{
    if (current_ < 0 || current_ >= ruleCount())
        return;
    Rule& r = set_.rules[static_cast<std::size_t>(current_)];
    r.name = toCp1251(name_->text());
    r.enabled = enabled_->isChecked();
    r.pattern = {static_cast<PatternKind>(kind_->currentIndex()), toCp1251(pattern_->text())};
    r.acrossPackets = across_->isChecked();
    r.checksum = checksumAt(checksum_->currentIndex());
    const ActionLinesResult actions =
        parseActionLines(toCp1251(actions_->toPlainText()), toCp1251(suffix_->text()));
    // A rule that cannot act is kept as typed as far as it can be, and off.
    if (actions.error.empty())
        r.actions = actions.actions;
    if (!actions.error.empty() || !ruleError(r).empty())
        r.enabled = false;
    r.times = times_->value();
    r.delayMs = delay_->value();
    r.cooldownMs = cooldown_->value();
    r.goOn = goOn_->isChecked();
}

void RulesDialog::selectRule(int index)
{
    list_->setCurrentRow(index);
}

void RulesDialog::addRule()
{
    if (ruleCount() >= RuleSet::MaxRules)
        return;
    storeRule();
    Rule r;
    r.name = toCp1251(uiText("Правило %1").arg(ruleCount() + 1));
    r.enabled = false;  // on once it has a pattern
    set_.rules.push_back(r);
    current_ = ruleCount() - 1;
    refreshList();
    showRule(current_);
}

void RulesDialog::removeRule()
{
    if (current_ < 0)
        return;
    set_.rules.erase(set_.rules.begin() + current_);
    current_ = std::min(current_, ruleCount() - 1);
    refreshList();
    showRule(current_);
}

void RulesDialog::moveRule(int by)
{
    const int to = current_ + by;
    if (current_ < 0 || to < 0 || to >= ruleCount())
        return;
    storeRule();
    std::swap(set_.rules[static_cast<std::size_t>(current_)], set_.rules[static_cast<std::size_t>(to)]);
    current_ = to;
    refreshList();
    showRule(current_);
}

void RulesDialog::accept()
{
    storeRule();
    set_.limit = {limitOn_->isChecked(), limit_->value()};
    AnswerTimeoutSettings& a = set_.answer;
    a.timeoutMs = answerTimeout_->value();
    a.retries = answerRetries_->value();
    a.stopOnGiveUp = answerGiveUp_->currentIndex() == 1;
    a.patternOn = answerPatternOn_->isChecked();
    a.pattern = {static_cast<PatternKind>(answerKind_->currentIndex()), toCp1251(answerPattern_->text())};
    a.checksum = checksumAt(answerChecksum_->currentIndex());
    QDialog::accept();
}

}  // namespace comtrax
