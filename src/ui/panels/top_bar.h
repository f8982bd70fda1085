#pragma once
// The top bar: the port and its parameters with Connect and ReScan, the
// receive timeout and its read-out, the filter field, the log file, the font
// size and the colour scheme. Clear, freeze and About are wired by the window.
#include <QObject>

#include <cstdint>
#include <string>

#include "terminal/terminal.h"
#include "ui/panels/controls.h"

namespace comtrax {

class LogView;
class LineOptionsMenu;

class TopBar : public QObject {
    Q_OBJECT
public:
    TopBar(Controls& c, Terminal& terminal, LogView& log, QObject* parent = nullptr);

    // The port parameters as chosen: a value typed by hand is not a choice.
    PortParameters portParameters() const;
    LineOptionsMenu& lineOptions() { return *lineOptions_; }
    void applyPortChoice(const PortChoice& choice);
    // Selects the port of that name, adding it to the list when it is not there.
    void selectPort(const QString& name);
    // A port's name or path as the core holds it (the system's file-name
    // bytes) and as the box shows it.
    static std::string portBytes(const QString& name);
    static QString portText(const std::string& name);
    // The stored port becomes the selection when it is in the list.
    void selectPortByHash(uint32_t hash);

    void toggleConnection();
    void rescanPorts();
    // Connect's caption, the parameters' enabled state and the indicator colour.
    void refreshConnection();

    void toggleLogFile();
    void showLogState();

    void stepTimeout(bool up);
    // The read-out of the receive timeout; after an arrow any value but 0 is
    // yellow, while a restored value turns it yellow only when positive.
    void showTimeout(bool fromArrows);

    // FiltrLog is pale while empty and unfocused.
    void updateFilterColour(bool clicked);

    // The log's font size in points, as stored (DisplayFontSize).
    int32_t fontSize() const { return fontSize_; }
    void setFontSize(int32_t points);
    void changeFontSize(bool up);

    void nextColourScheme();
    void setSchemeColours(uint32_t back, uint32_t text);

signals:
    void connectionChanged();  // opened, closed or lost: the window reschedules its timers
    void timeoutChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Controls& c_;
    Terminal& terminal_;
    LogView& log_;
    int colourScheme_ = 0;  // BTPalitra's tag
    int32_t fontSize_ = 8;
    LineOptionsMenu* lineOptions_ = nullptr;  // parity and flow control, on ComPort's menu
};

}  // namespace comtrax
