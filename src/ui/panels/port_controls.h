#pragma once
// DTR, RTS, the reset pulse and break in the window: the line-state strip in
// the margin under the bands (shown while the port is open, its lines read
// every PollMs), a small button there for the port-settings dialog, the
// dialog itself (also on ComPort's context menu and Ctrl+Shift+P), and the
// dialog's line options kept in step with ComPort's menu.
#include <QObject>

#include "settings/line_settings.h"

class QComboBox;
class QTimer;
class QToolButton;
class QWidget;

namespace comtrax {

class LineOptionsMenu;
class LineStateStrip;
class PortSettingsDialog;
class Terminal;

class PortControls : public QObject {
    Q_OBJECT
public:
    // The lines are read at least this often while the port is open.
    static constexpr int PollMs = 50;
    // The margin under the bands the strip and the button live in.
    static constexpr int MarginHeight = 14;

    // With startTimers false (widget tests) nothing polls by itself: tests call pollLines.
    PortControls(QWidget* form, Terminal& terminal, LineOptionsMenu& menu, bool startTimers);

    // Opened, closed or lost: the strip and the polling follow the port.
    void connectionChanged();
    void pollLines();
    // Into the margin under the bands, after a resize.
    void place();
    void openDialog();

    // Its part of CfgLine: DTR and RTS on connect, the pulse and break lengths.
    void load(const LineSettings& s);
    void store(LineSettings& s) const;

    LineStateStrip* strip() const { return strip_; }
    QToolButton* settingsButton() const { return button_; }
    // Made the first time it is opened.
    PortSettingsDialog* dialog() const { return dialog_; }
    bool polling() const;

private:
    void resetPulse();
    void sendBreak();
    void showDialogState();
    QComboBox* portBox() const;
    void showTelnetPort();
    void applyNoWait();

    QWidget* form_;
    Terminal& terminal_;
    LineOptionsMenu& menu_;
    bool startTimers_;
    LineStateStrip* strip_ = nullptr;
    QToolButton* button_ = nullptr;
    PortSettingsDialog* dialog_ = nullptr;
    QTimer* poll_ = nullptr;
    bool linesUnknown_ = false;  // the open port cannot tell its lines
};

}  // namespace comtrax
