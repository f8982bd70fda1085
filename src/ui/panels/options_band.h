#pragma once
// The options band: the clock, the input encoding, the four send modes with
// the period and the cyclic switch, time stamps, send-on-connect, and the
// statistics. It keeps the core's options in step with its controls, and
// shows the statistics read-outs once per display frame.
#include <QObject>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/line_settings.h"
#include "settings/window_settings.h"
#include "terminal/terminal.h"
#include "ui/panels/controls.h"

class QAction;
class QRadioButton;

namespace comtrax {

class DisplayFrame;

class OptionsBand : public QObject {
    Q_OBJECT
public:
    // The read-outs wait for frame's next display frame.
    OptionsBand(OptionsControls& c, Terminal& terminal, DisplayFrame& frame, QObject* parent = nullptr);

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

    // The cyclic switch is there only while a command file is listed.
    void showCyclicSwitch(bool fileViewOpen);
    // A cyclic periodic send is chosen: housekeeping keeps watching.
    bool cyclicPeriodChosen() const;
    // The wall clock's read-out, rewritten only when it changes.
    void showClock(const QString& now);

    // The statistics: each read-out's latest text, shown with the next frame.
    void showByteTotals(const std::string& text);
    void showSentCount(const std::string& text);
    void showReadCount(const std::string& text);
    void showGaps(const std::string& minText, const std::string& maxText);

    // Its part of CfgTerminal and CfgLine.
    void load(const WindowSettings& s);
    void store(WindowSettings& s) const;
    void load(const LineSettings& s);
    void store(LineSettings& s) const;

signals:
    // The mode, the period or the cyclic switch changed: the window reschedules
    // the period and housekeeping timers.
    void scheduleChanged();
    // A send mode was chosen (the file view's Send button follows it).
    void modeChosen();
    // ASCII or HEX was chosen (the suffix follows it).
    void encodingChosen(bool hex);

private:
    void showReadout(QLabel* label, const std::string& text);
    void showPendingReadouts();
    void makePacketTimeActions();
    void packetTimesChosen();

    OptionsControls& c_;
    Terminal& terminal_;
    DisplayFrame& frame_;
    QAction* crcCheck_;
    // VisTime's context menu: the packet times beside the moment of display.
    QAction* timeArrival_ = nullptr;
    QAction* timeSilence_ = nullptr;
    QAction* timeSinceSent_ = nullptr;
    std::vector<std::pair<QLabel*, std::string>> pendingReadouts_;
};

}  // namespace comtrax
