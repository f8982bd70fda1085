#pragma once
// Parity and flow control, chosen from the port box's context menu (a right
// click on ComPort): no control of the window moves for them. The menu also
// opens the port-settings dialog, which holds the same choices and more.
#include <QObject>

#include "serial/serial_port.h"

class QAction;
class QActionGroup;
class QWidget;

namespace comtrax {

class LineOptionsMenu : public QObject {
    Q_OBJECT
public:
    explicit LineOptionsMenu(QWidget* portBox);

    LineOptions options() const { return options_; }
    void setOptions(const LineOptions& options);
    // The menu entries, for tests: parity None..Space, then flow None..XonXoff.
    QAction* parityAction(Parity p) const;
    QAction* flowAction(FlowControl f) const;
    QAction* settingsAction() const { return settings_; }
    // ComPort itself, whose menu this is.
    QWidget* portBox() const { return portBox_; }

signals:
    void optionsChosen();  // the user picked an entry
    void settingsRequested();

private:
    void showOptions();

    QWidget* portBox_;
    LineOptions options_;
    QAction* parity_[5]{};
    QAction* flow_[3]{};
    QAction* settings_ = nullptr;
};

}  // namespace comtrax
