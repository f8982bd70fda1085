#pragma once
// The line-state strip, shown while a port is open: DTR and RTS as toggles,
// CTS, DSR, DCD and RI as lamps ("—" when the device cannot tell, as a pty).
// It only shows; the window reads the lines and acts on the clicks.
#include <QWidget>

#include "serial/serial_port.h"

class QLabel;
class QToolButton;

namespace comtrax {

class LineStateStrip : public QWidget {
    Q_OBJECT
public:
    explicit LineStateStrip(QWidget* parent);

    // dtr and rts: as the user set them; lines: as the port reports them.
    void showLines(bool dtr, bool rts, bool rtsOwnedByDriver, const ModemLines& lines);
    QToolButton* dtrToggle() const { return dtr_; }
    QToolButton* rtsToggle() const { return rts_; }
    // The lamp's text: "CTS" with a dot when on, a circle when off, a dash when unknown.
    QString lampText(int index) const;
    // The baud a device server reports when it is not the one asked, or empty.
    QString baudText() const;

signals:
    void dtrClicked(bool on);
    void rtsClicked(bool on);
    void resetPulseRequested();
    void breakRequested();
    void settingsRequested();

private:
    void showBaud(uint32_t asked, uint32_t reported);

    QToolButton* dtr_ = nullptr;
    QToolButton* rts_ = nullptr;
    QLabel* lamps_[4]{};
    QLabel* baud_ = nullptr;
    // What is shown: polled twenty times a second, the strip redraws only a change.
    struct Shown {
        bool dtr, rts, rtsOwnedByDriver;
        ModemLines lines;
        bool operator==(const Shown&) const = default;
    };
    Shown shown_{};
    bool anyShown_ = false;
};

}  // namespace comtrax
