#include "ui/panels/options_band.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include <array>

#include "ui/kit/text_codec.h"
#include "ui/kit/translation.h"

namespace comtrax {

namespace {

constexpr std::array<SendMode, 4> AllModes{SendMode::Manual, SendMode::OnSelect, SendMode::AfterAnswer,
                                           SendMode::Period};

}  // namespace

OptionsBand::OptionsBand(Controls& c, Terminal& terminal, QObject* parent)
    : QObject(parent), c_(c), terminal_(terminal), crcCheck_(new QAction(c.RBHEX))
{
    TerminalOptions& o = terminal_.options();
    o.commandText = toCp1251(c_.MainStrCmd->text());
    o.suffix = toCp1251(c_.AddStrCmd->text());
    o.filter = toCp1251(c_.FiltrLog->text());
    o.periodText = toCp1251(c_.PeriodTX->text());
    o.showTime = c_.VisTime->isChecked();
    o.cyclic = c_.CiklSend->isChecked();
    o.sendOnConnect = c_.SendAsReconn->isChecked();
    o.autoConnect = c_.AutoConnect->isChecked();
    o.hex = c_.RBHEX->isChecked();

    // Keep the core's view of the options in step with the controls.
    connect(c_.MainStrCmd, &QLineEdit::textChanged, this,
            [this](const QString& t) { terminal_.options().commandText = toCp1251(t); });
    connect(c_.AddStrCmd, &QLineEdit::textChanged, this,
            [this](const QString& t) { terminal_.options().suffix = toCp1251(t); });
    connect(c_.FiltrLog, &QLineEdit::textChanged, this,
            [this](const QString& t) { terminal_.options().filter = toCp1251(t); });
    connect(c_.PeriodTX, &QLineEdit::textChanged, this, [this](const QString& t) {
        terminal_.options().periodText = toCp1251(t);
        emit scheduleChanged();
    });
    connect(c_.VisTime, &QCheckBox::toggled, this, [this](bool on) { terminal_.options().showTime = on; });
    connect(c_.CiklSend, &QCheckBox::toggled, this, [this](bool on) {
        terminal_.options().cyclic = on;
        emit scheduleChanged();
    });
    connect(c_.SendAsReconn, &QCheckBox::toggled, this,
            [this](bool on) { terminal_.options().sendOnConnect = on; });
    connect(c_.AutoConnect, &QCheckBox::toggled, this,
            [this](bool on) { terminal_.options().autoConnect = on; });

    // The period accepts digits only, typed or pasted.
    c_.PeriodTX->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), c_.PeriodTX));

    // Selecting a radio button, by the user or from code, runs its action.
    connect(c_.RBASCII, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            encodingSelected(false);
    });
    connect(c_.RBHEX, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            encodingSelected(true);
    });
    for (const SendMode mode : AllModes)
        connect(modeButton(mode), &QRadioButton::toggled, this, [this, mode](bool on) {
            if (on)
                modeSelected(mode);
        });
    connect(c_.BTClrStat, &QPushButton::clicked, this, &OptionsBand::resetStatistics);

    crcCheck_->setObjectName(QStringLiteral("CrcCheck"));
    crcCheck_->setText(uiText("Проверять CRC-16/MODBUS принятых пакетов"));
    crcCheck_->setCheckable(true);
    c_.RBHEX->setContextMenuPolicy(Qt::ActionsContextMenu);
    c_.RBHEX->addAction(crcCheck_);
    connect(crcCheck_, &QAction::toggled, this, &OptionsBand::setModbusCrcCheck);
}

void OptionsBand::setModbusCrcCheck(bool on)
{
    terminal_.options().checkModbusCrc = on;
    if (crcCheck_->isChecked() != on)
        crcCheck_->setChecked(on);
    QFont f = c_.RBHEX->font();
    f.setBold(on);
    c_.RBHEX->setFont(f);
}

QRadioButton* OptionsBand::modeButton(SendMode mode) const
{
    switch (mode) {
    case SendMode::OnSelect:
        return c_.RBSel;
    case SendMode::AfterAnswer:
        return c_.RBAfterAns;
    case SendMode::Period:
        return c_.RBPeriod;
    case SendMode::Manual:
        break;
    }
    return c_.RBManual;
}

std::optional<SendMode> OptionsBand::checkedMode() const
{
    for (const SendMode mode : AllModes)
        if (modeButton(mode)->isChecked())
            return mode;
    return std::nullopt;
}

void OptionsBand::encodingSelected(bool hex)
{
    terminal_.options().hex = hex;
    if (hex)
        c_.AddStrCmd->clear();
    else
        c_.AddStrCmd->setText(QStringLiteral("$0D"));
}

void OptionsBand::modeSelected(SendMode mode)
{
    terminal_.selectMode(mode);
    c_.SendStart->setEnabled(terminal_.sendStartEnabled());
    c_.CiklSend->setEnabled(terminal_.cyclicEnabled());
    c_.OldCmdList->setEnabled(true);
    emit scheduleChanged();
}

void OptionsBand::resetStatistics()
{
    terminal_.resetStatistics();
}

}  // namespace comtrax
