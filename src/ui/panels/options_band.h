#pragma once
// The options band: the input encoding, the four send modes with the period and
// the cyclic switch, time stamps, send-on-connect, and the statistics. It also
// keeps the core's options in step with every control that feeds them.
#include <QObject>

#include "terminal/terminal.h"
#include "ui/panels/controls.h"

class QAction;
class QRadioButton;

namespace comtrax {

class OptionsBand : public QObject {
    Q_OBJECT
public:
    OptionsBand(Controls& c, Terminal& terminal, QObject* parent = nullptr);

    void modeSelected(SendMode mode);
    void encodingSelected(bool hex);
    QRadioButton* modeButton(SendMode mode) const;
    // The mode whose button is checked, if any.
    std::optional<SendMode> checkedMode() const;
    void resetStatistics();

    // The check of received HEX packets as Modbus RTU frames: a checkable
    // entry of HEX's context menu; HEX is bold while it is on.
    void setModbusCrcCheck(bool on);
    bool modbusCrcCheck() const { return terminal_.options().checkModbusCrc; }

signals:
    // The mode, the period or the cyclic switch changed: the window reschedules
    // the period and housekeeping timers.
    void scheduleChanged();

private:
    Controls& c_;
    Terminal& terminal_;
    QAction* crcCheck_;
};

}  // namespace comtrax
