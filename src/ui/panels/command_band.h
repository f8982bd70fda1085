#pragma once
// The command band: the command line MainStrCmd with its history drop-down
// FastOldCmd, the suffix field AddStrCmd with its checksum-tag pop-up LBTail,
// and the send button. Enter in the command line and the button send it; Down
// opens the drop-downs, whose Enter takes an entry into the field (sending
// nothing) and Escape closes them. It keeps the core's command line and
// suffix in step with the fields.
#include <QObject>

#include <cstdint>
#include <string>

#include "settings/window_settings.h"
#include "terminal/terminal.h"
#include "ui/panels/controls.h"

class QListWidget;

namespace comtrax {

class CommandBand : public QObject {
    Q_OBJECT
public:
    CommandBand(CommandControls& c, Terminal& terminal, QObject* parent = nullptr);

    // The command line as it stands, sent.
    void sendCommandLine();
    // A line (Windows-1251) into the command line.
    void setCommandLine(const std::string& line);
    void focusCommandLine();
    // After a line went out by other means, the focus waits on the send button.
    void focusSendButton();
    // HEX takes no suffix; ASCII ends a line with CR.
    void encodingChanged(bool hex);
    void setColours(uint32_t back, uint32_t text);

    // The history drop-down refilled from the sent lines, nothing selected.
    void refillHistory();
    // The history drop-down is as wide as the command line; false when a
    // resize has left it otherwise.
    bool historyFitsLine() const;
    void fitHistoryToLine();

    // Its part of CfgTerminal.
    void load(const WindowSettings& s);
    void store(WindowSettings& s) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showDropDown(QListWidget* list);
    void toggleDropDown(QListWidget* list);

    CommandControls& c_;
    Terminal& terminal_;
};

}  // namespace comtrax
