#pragma once
// The top bar: the port and its parameters with Connect and ReScan, the
// receive timeout and its read-out, the filter field, the log file with its
// status line, the font size, the colour scheme, Clear and Info. What these
// do to the rest of the window (the log's font and colours, clearing it,
// the About window) it asks for by its signals; the window wires them.
#include <QObject>

#include <cstdint>
#include <optional>
#include <string>

#include "settings/line_settings.h"
#include "settings/window_settings.h"
#include "terminal/terminal.h"
#include "ui/panels/controls.h"

class QAction;

namespace comtrax {

class LineOptionsMenu;

// The command line's choices of the port for this run, over the stored settings.
struct PortStartChoice {
    std::optional<std::string> port;  // a listed name or a path to a device
    std::optional<int> baud;
    std::optional<int> dataBits;
    std::optional<int> stopBitsIndex;
    std::optional<Parity> parity;
    std::optional<FlowControl> flow;
};

class TopBar : public QObject {
    Q_OBJECT
public:
    TopBar(TopBarControls& c, Terminal& terminal, QObject* parent = nullptr);

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
    // Applied once the stored settings are, so that they win for this run.
    void applyStartChoice(const PortStartChoice& choice);

    void toggleConnection();
    void rescanPorts();
    // Connect's caption, the parameters' enabled state and the indicator colour.
    void refreshConnection();
    // Start-up leaves the focus on Connect.
    void focusConnect();

    void toggleLogFile();
    void showLogState();
    // The log file's status line gives way to the editor's hint in editor mode.
    void setLogStatusShown(bool shown);

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

    // Its part of CfgTerminal and CfgLine.
    void load(const WindowSettings& s);
    void store(WindowSettings& s) const;
    void load(const LineSettings& s);
    void store(LineSettings& s) const;

signals:
    void connectionChanged();  // opened, closed or lost: the window reschedules its timers
    void timeoutChanged();
    // The log's font size to draw (the stored size brought within what can be drawn).
    void fontSizeChosen(int points);
    // The colour scheme of the log, the command fields and the file's lines.
    void coloursChosen(uint32_t back, uint32_t text);
    void clearLogRequested();
    void aboutRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TopBarControls& c_;
    Terminal& terminal_;
    int colourScheme_ = 0;  // BTPalitra's tag
    int32_t fontSize_ = 8;
    // The colours last chosen; until then those the fields start with.
    uint32_t schemeBack_;
    uint32_t schemeText_;
    LineOptionsMenu* lineOptions_ = nullptr;  // parity and flow control, on ComPort's menu
    QAction* characters_ = nullptr;           // TimeRX "3.5 characters"
    QString msToolTip_;                       // the read-out's hint for a timeout in ms
};

}  // namespace comtrax
