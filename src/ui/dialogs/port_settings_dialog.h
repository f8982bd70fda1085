#pragma once
// "Параметры порта": parity and flow control (the same choices as ComPort's
// context menu), DTR and RTS on connect, the reset pulse and break, with the
// pulse and break themselves while connected. Changes take effect at once;
// the line parameters reach the port at the next connect.
#include <QDialog>

#include <optional>

#include "serial/modem_control.h"
#include "serial/serial_port.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace comtrax {

class PortSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortSettingsDialog(QWidget* parent);

    void setLineOptions(const LineOptions& options);
    LineOptions lineOptions() const;
    void setModemSettings(const ModemSettings& settings);
    ModemSettings modemSettings() const;
    // Parity and flow control are fixed while connected, as the port's other
    // parameters are; the pulse and break work only then.
    void setConnected(bool connected);
    // The port's USB latency timer, read-only; hidden for ports without one.
    void setUsbLatencyTimer(std::optional<int> ms);
    // An rfc2217:// port shows whether the line settings' acknowledgements
    // are waited for; other ports hide the choice.
    void setTelnetPort(bool rfc2217, bool noWait);
    bool noWait() const;

signals:
    void lineOptionsChanged();
    void modemSettingsChanged();
    void resetPulseRequested();
    void breakRequested();
    void noWaitChanged();

private:
    QComboBox* parity_ = nullptr;
    QComboBox* flow_ = nullptr;
    QCheckBox* noWait_ = nullptr;
    QCheckBox* dtrOnConnect_ = nullptr;
    QCheckBox* rtsOnConnect_ = nullptr;
    QSpinBox* pulseMs_ = nullptr;
    QCheckBox* pulseDtr_ = nullptr;
    QCheckBox* pulseRts_ = nullptr;
    QSpinBox* breakMs_ = nullptr;
    QPushButton* pulse_ = nullptr;
    QPushButton* break_ = nullptr;
    QLabel* note_ = nullptr;
    QLabel* usbLatency_ = nullptr;
    bool filling_ = false;  // the values are being set from outside: no change signals
};

}  // namespace comtrax
