#include "ui/dialogs/port_settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/kit/translation.h"

namespace comtrax {

namespace {

QSpinBox* msBox(QWidget* parent, const char* name)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(ModemSettings::MinPulseMs, ModemSettings::MaxPulseMs);
    box->setSingleStep(10);
    box->setSuffix(uiText(" мс"));
    // A typed value counts once confirmed (Enter, or leaving the box), not
    // digit by digit.
    box->setKeyboardTracking(false);
    return box;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& text)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

}  // namespace

PortSettingsDialog::PortSettingsDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("PortSettingsDialog"));
    setWindowTitle(uiText("Параметры порта"));

    auto* line = new QGroupBox(uiText("Линия (при следующем соединении)"), this);
    parity_ = new QComboBox(line);
    parity_->setObjectName(QStringLiteral("Parity"));
    for (const char* text : {"нет", "нечётная (odd)", "чётная (even)", "всегда 1 (mark)", "всегда 0 (space)"})
        parity_->addItem(uiText(text));
    flow_ = new QComboBox(line);
    flow_->setObjectName(QStringLiteral("Flow"));
    flow_->addItem(uiText("нет"));
    flow_->addItem(QStringLiteral("RTS/CTS"));
    flow_->addItem(QStringLiteral("XON/XOFF"));
    auto* lineForm = new QFormLayout(line);
    lineForm->addRow(uiText("Чётность:"), parity_);
    lineForm->addRow(uiText("Управление потоком:"), flow_);
    noWait_ = checkBox(line, "NoWait", uiText("Не ждать подтверждений сервера"));
    noWait_->setToolTip(uiText("Настройки линии и сигналы уходят на сервер RFC 2217 без ожидания ответа: "
                               "для серверов, которые не подтверждают команды"));
    noWait_->hide();
    lineForm->addRow(noWait_);

    auto* modem = new QGroupBox(uiText("DTR и RTS"), this);
    dtrOnConnect_ = checkBox(modem, "DtrOnConnect", uiText("DTR включён при соединении"));
    rtsOnConnect_ = checkBox(modem, "RtsOnConnect", uiText("RTS включён при соединении"));
    dtrOnConnect_->setToolTip(uiText("Снимите, если плата перезапускается по DTR"));
    pulseMs_ = msBox(modem, "ResetPulseMs");
    pulseDtr_ = checkBox(modem, "ResetPulseDtr", QStringLiteral("DTR"));
    pulseRts_ = checkBox(modem, "ResetPulseRts", QStringLiteral("RTS"));
    // The pulse row has one label for three inputs: each gets a name of its
    // own, or a screen reader would call them all by the group's title.
    pulseMs_->setAccessibleName(uiText("Длительность импульса сброса"));
    pulseDtr_->setAccessibleName(uiText("Импульс сброса: DTR"));
    pulseRts_->setAccessibleName(uiText("Импульс сброса: RTS"));
    breakMs_ = msBox(modem, "BreakMs");
    auto* pulseRow = new QHBoxLayout;
    pulseRow->addWidget(pulseMs_);
    pulseRow->addWidget(pulseDtr_);
    pulseRow->addWidget(pulseRts_);
    pulseRow->addStretch();
    auto* modemForm = new QFormLayout(modem);
    modemForm->addRow(dtrOnConnect_);
    modemForm->addRow(rtsOnConnect_);
    modemForm->addRow(uiText("Импульс сброса:"), pulseRow);
    modemForm->addRow(uiText("Длительность Break:"), breakMs_);

    pulse_ = new QPushButton(uiText("Сброс импульсом"), this);
    pulse_->setObjectName(QStringLiteral("ResetPulse"));
    pulse_->setToolTip(uiText("Выбранные линии выключаются на время импульса и включаются снова"));
    break_ = new QPushButton(QStringLiteral("Break"), this);
    break_->setObjectName(QStringLiteral("SendBreak"));
    auto* close = new QPushButton(uiText("Закрыть"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("Note"));
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    // Enter in a box confirms its value and nothing else: no button is the
    // default, least of all one that drops a line or closes the dialog.
    for (QPushButton* b : {pulse_, break_, close}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pulse_);
    buttons->addWidget(break_);
    buttons->addStretch();
    buttons->addWidget(close);

    usbLatency_ = new QLabel(line);
    usbLatency_->setObjectName(QStringLiteral("UsbLatencyTimer"));
    usbLatency_->setToolTip(
        uiText("Адаптер копит принятые байты до этого времени: паузы короче него теряются и пакеты "
               "сливаются. Для TimeRX меньше него уменьшите таймер (нужны права root, см. справку)."));
    lineForm->addRow(usbLatency_);
    setUsbLatencyTimer(std::nullopt);

    auto* all = new QVBoxLayout(this);
    all->addWidget(line);
    all->addWidget(modem);
    all->addWidget(note_);
    all->addLayout(buttons);
    all->setSizeConstraint(QLayout::SetFixedSize);

    auto lineChanged = [this] {
        if (!filling_)
            emit lineOptionsChanged();
    };
    connect(parity_, &QComboBox::currentIndexChanged, this, lineChanged);
    connect(flow_, &QComboBox::currentIndexChanged, this, lineChanged);
    connect(noWait_, &QCheckBox::toggled, this, [this] {
        if (!filling_)
            emit noWaitChanged();
    });
    auto modemChanged = [this] {
        if (!filling_)
            emit modemSettingsChanged();
    };
    for (QCheckBox* box : {dtrOnConnect_, rtsOnConnect_, pulseDtr_, pulseRts_})
        connect(box, &QCheckBox::toggled, this, modemChanged);
    for (QSpinBox* box : {pulseMs_, breakMs_})
        connect(box, &QSpinBox::valueChanged, this, modemChanged);
    connect(pulse_, &QPushButton::clicked, this, &PortSettingsDialog::resetPulseRequested);
    connect(break_, &QPushButton::clicked, this, &PortSettingsDialog::breakRequested);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    setModemSettings(ModemSettings{});
    setConnected(false);
}

void PortSettingsDialog::setLineOptions(const LineOptions& options)
{
    filling_ = true;
    parity_->setCurrentIndex(static_cast<int>(options.parity));
    flow_->setCurrentIndex(static_cast<int>(options.flow));
    filling_ = false;
}

LineOptions PortSettingsDialog::lineOptions() const
{
    return {static_cast<Parity>(parity_->currentIndex()), static_cast<FlowControl>(flow_->currentIndex())};
}

void PortSettingsDialog::setModemSettings(const ModemSettings& s)
{
    filling_ = true;
    dtrOnConnect_->setChecked(s.dtrOnConnect);
    rtsOnConnect_->setChecked(s.rtsOnConnect);
    pulseMs_->setValue(s.resetPulseMs);
    pulseDtr_->setChecked(s.resetPulseDtr);
    pulseRts_->setChecked(s.resetPulseRts);
    breakMs_->setValue(s.breakMs);
    filling_ = false;
}

ModemSettings PortSettingsDialog::modemSettings() const
{
    ModemSettings s;
    s.dtrOnConnect = dtrOnConnect_->isChecked();
    s.rtsOnConnect = rtsOnConnect_->isChecked();
    s.resetPulseMs = pulseMs_->value();
    s.resetPulseDtr = pulseDtr_->isChecked();
    s.resetPulseRts = pulseRts_->isChecked();
    s.breakMs = breakMs_->value();
    return s;
}

void PortSettingsDialog::setConnected(bool connected)
{
    parity_->setEnabled(!connected);
    flow_->setEnabled(!connected);
    noWait_->setEnabled(!connected);
    pulse_->setEnabled(connected);
    break_->setEnabled(connected);
    note_->setText(connected ? uiText("Под управлением потоком RTS/CTS линией RTS управляет драйвер.")
                             : uiText("Сброс импульсом и Break доступны при соединении."));
    note_->setVisible(!connected || flow_->currentIndex() == static_cast<int>(FlowControl::RtsCts));
}

void PortSettingsDialog::setUsbLatencyTimer(std::optional<int> ms)
{
    if (ms)
        usbLatency_->setText(uiText("Таймер задержки USB: %1 мс").arg(*ms));
    usbLatency_->setVisible(ms.has_value());
}

void PortSettingsDialog::setTelnetPort(bool rfc2217, bool noWait)
{
    filling_ = true;
    noWait_->setVisible(rfc2217);
    noWait_->setChecked(rfc2217 && noWait);
    filling_ = false;
}

bool PortSettingsDialog::noWait() const
{
    return !noWait_->isHidden() && noWait_->isChecked();
}

}  // namespace comtrax
