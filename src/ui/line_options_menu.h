#pragma once
// Parity and flow control, chosen from the port box's context menu (a right
// click on ComPort): no control of the window moves for them.
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

private:
    void showOptions();

    QWidget* portBox_;
    LineOptions options_;
    QAction* parity_[5]{};
    QAction* flow_[3]{};
};

}  // namespace comtrax
