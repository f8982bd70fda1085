#pragma once
// The command band: the command line MainStrCmd with its history drop-down
// FastOldCmd, and the suffix field AddStrCmd with its checksum-tag pop-up
// LBTail. Enter in the command line sends it; Down opens the drop-downs, whose
// Enter takes an entry into the field (sending nothing) and Escape closes them.
#include <QObject>

#include <functional>
#include <string>
#include <vector>

#include "ui/panels/controls.h"

class QListWidget;

namespace comtrax {

class CommandBand : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(const std::string& cp1251Line)> send;
        std::function<std::vector<std::string>()> history;  // the sent lines, most recent first
    };
    CommandBand(Controls& c, Hooks hooks, QObject* parent = nullptr);

    // The history drop-down refilled from the sent lines, nothing selected.
    void refillHistory();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showDropDown(QListWidget* list);
    void toggleDropDown(QListWidget* list);

    Controls& c_;
    Hooks hooks_;
};

}  // namespace comtrax
