#include "ui/panels/options_band.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <array>

#include "ui/kit/text_codec.h"
#include "ui/logview/display_frame.h"
#include "ui/kit/translation.h"

namespace comtrax {

namespace {

constexpr std::array<SendMode, 4> AllModes{SendMode::Manual, SendMode::OnSelect, SendMode::AfterAnswer,
                                           SendMode::Period};

}  // namespace

OptionsBand::OptionsBand(OptionsControls& c, Terminal& terminal, DisplayFrame& frame, QObject* parent)
    : QObject(parent), c_(c), terminal_(terminal), frame_(frame), crcCheck_(new QAction(c.RBHEX))
{
    frame_.addShower([this] { showPendingReadouts(); });
    c_.MinTimeWait->setText(QStringLiteral("MIN_T_W:  NA"));
    c_.MaxTimeWait->setText(QStringLiteral("MAX_T_W: NA"));
    c_.LRead->setText(QStringLiteral("Read: 0"));
    c_.LSend->setText(QStringLiteral("Send: 0"));

    terminal_.setPeriodText(toCp1251(c_.PeriodTX->text()));
    terminal_.setShowTime(c_.VisTime->isChecked());
    terminal_.setCyclic(c_.CiklSend->isChecked());
    terminal_.setSendOnConnect(c_.SendAsReconn->isChecked());
    terminal_.setHex(c_.RBHEX->isChecked());

    // Keep the core's view of the options in step with the controls.
    connect(c_.PeriodTX, &QLineEdit::textChanged, this, [this](const QString& t) {
        terminal_.setPeriodText(toCp1251(t));
        emit scheduleChanged();
    });
    connect(c_.VisTime, &QCheckBox::toggled, this, [this](bool on) { terminal_.setShowTime(on); });
    connect(c_.CiklSend, &QCheckBox::toggled, this, [this](bool on) {
        terminal_.setCyclic(on);
        emit scheduleChanged();
    });
    connect(c_.SendAsReconn, &QCheckBox::toggled, this, [this](bool on) { terminal_.setSendOnConnect(on); });

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
    makePacketTimeActions();
}

// Chosen in VisTime's context menu, so no control moves: each adds its field
// to the braced group of times after the moment of display.
void OptionsBand::makePacketTimeActions()
{
    const auto make = [this](const char* name, const char* text) {
        auto* action = new QAction(uiText(text), c_.VisTime);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        c_.VisTime->addAction(action);
        connect(action, &QAction::toggled, this, &OptionsBand::packetTimesChosen);
        return action;
    };
    c_.VisTime->setContextMenuPolicy(Qt::ActionsContextMenu);
    c_.VisTime->setToolTip(uiText(
        "Время в строках лога. Правая кнопка мыши добавляет к принятым строкам, в окне и в файле лога: "
        "@ - время прихода первого байта пакета с миллисекундами, gap - тишину после конца "
        "предыдущего пакета, ans - время от ухода последнего байта отправленной строки до "
        "первого байта ответа (\"-\", если отсчитывать не от чего)."));
    timeArrival_ = make("TimeArrival", "Время прихода первого байта пакета (мс)");
    timeSilence_ = make("TimeSilenceBefore", "Тишина перед пакетом");
    timeSinceSent_ = make("TimeSinceSent", "Время ответа после отправленной строки");
}

void OptionsBand::packetTimesChosen()
{
    terminal_.setPacketTimes(
        {timeArrival_->isChecked(), timeSilence_->isChecked(), timeSinceSent_->isChecked()});
}

void OptionsBand::setModbusCrcCheck(bool on)
{
    terminal_.setModbusCrcCheck(on);
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
    terminal_.setHex(hex);
    emit encodingChosen(hex);
}

void OptionsBand::modeSelected(SendMode mode)
{
    terminal_.selectMode(mode);
    c_.CiklSend->setEnabled(terminal_.cyclicEnabled());
    emit modeChosen();
    emit scheduleChanged();
}

void OptionsBand::resetStatistics()
{
    terminal_.resetStatistics();
}

void OptionsBand::showCyclicSwitch(bool fileViewOpen)
{
    c_.CiklSend->setVisible(fileViewOpen);
    if (fileViewOpen) {
        const SendMode mode = terminal_.sendMode();
        c_.CiklSend->setEnabled(mode == SendMode::AfterAnswer || mode == SendMode::Period);
    }
}

bool OptionsBand::cyclicPeriodChosen() const
{
    return c_.CiklSend->isChecked() && c_.RBPeriod->isChecked();
}

void OptionsBand::showClock(const QString& now)
{
    if (c_.TextTime->text() != now)
        c_.TextTime->setText(now);
}

// ---- The statistics ------------------------------------------------------------

// The statistics change with every packet; each new text of a label costs a
// layout and a repaint, so they are shown once per display frame, the latest
// text of each label.
void OptionsBand::showReadout(QLabel* label, const std::string& text)
{
    // Kept as given and made a QString once a frame, not once a poll.
    auto it = std::find_if(pendingReadouts_.begin(), pendingReadouts_.end(),
                           [label](const auto& p) { return p.first == label; });
    if (it != pendingReadouts_.end())
        it->second = text;
    else
        pendingReadouts_.emplace_back(label, text);
    frame_.request();
}

void OptionsBand::showPendingReadouts()
{
    for (const auto& [label, text] : pendingReadouts_)
        label->setText(fromUtf8(text));
    pendingReadouts_.clear();
}

void OptionsBand::showByteTotals(const std::string& text)
{
    showReadout(c_.StaticText3, text);
}

void OptionsBand::showSentCount(const std::string& text)
{
    showReadout(c_.LSend, text);
}

void OptionsBand::showReadCount(const std::string& text)
{
    showReadout(c_.LRead, text);
}

void OptionsBand::showGaps(const std::string& minText, const std::string& maxText)
{
    showReadout(c_.MinTimeWait, minText);
    showReadout(c_.MaxTimeWait, maxText);
}

// ---- Settings -------------------------------------------------------------------

void OptionsBand::load(const WindowSettings& s)
{
    c_.VisTime->setChecked(s.showTime);
    // A radio button checked from code runs its action as a click does.
    if (s.sendMode)
        modeButton(*s.sendMode)->setChecked(true);
    if (s.hex)
        (*s.hex ? c_.RBHEX : c_.RBASCII)->setChecked(true);
    c_.PeriodTX->setText(QString::number(s.periodMs));
    c_.SendAsReconn->setChecked(s.sendOnConnect);
}

void OptionsBand::store(WindowSettings& s) const
{
    s.showTime = c_.VisTime->isChecked();
    s.sendMode = checkedMode();
    if (c_.RBASCII->isChecked() || c_.RBHEX->isChecked())
        s.hex = c_.RBHEX->isChecked();
    s.periodMs = periodFromText(toCp1251(c_.PeriodTX->text()));
    s.sendOnConnect = c_.SendAsReconn->isChecked();
}

void OptionsBand::load(const LineSettings& s)
{
    setModbusCrcCheck(s.checkModbusCrc);
    timeArrival_->setChecked(s.packetTimes.arrival);
    timeSilence_->setChecked(s.packetTimes.silenceBefore);
    timeSinceSent_->setChecked(s.packetTimes.sinceSent);
    packetTimesChosen();
}

void OptionsBand::store(LineSettings& s) const
{
    s.checkModbusCrc = modbusCrcCheck();
    s.packetTimes = terminal_.options().packetTimes;
}

}  // namespace comtrax
