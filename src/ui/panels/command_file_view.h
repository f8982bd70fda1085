#pragma once
// The command-file view: "Из файла" swaps the list chooser and the name/line
// switch for the lines of a command file (OldCmdList), which a click loads
// into the command line or, in on-select mode, sends; "Назад" swaps back.
#include <QObject>
#include <QString>

#include <functional>

#include "terminal/terminal.h"
#include "ui/panels/controls.h"

namespace comtrax {

class CmdLists;
class MacroPanel;

class CommandFileView : public QObject {
    Q_OBJECT
public:
    // askFileName: the file chosen in the open dialog, "" when cancelled.
    CommandFileView(Controls& c, Terminal& terminal, CmdLists& lists, MacroPanel& macros,
                    std::function<QString()> askFileName, QObject* parent = nullptr);

    void toggle();
    bool isOpen() const { return open_; }
    void lineClicked(int row);

signals:
    void shownOrHidden();  // the period timer's schedule depends on the file mode

private:
    void open(const QString& name);
    void close();

    Controls& c_;
    Terminal& terminal_;
    CmdLists& lists_;
    MacroPanel& macros_;
    std::function<QString()> askFileName_;
    bool open_ = false;  // ButtonReadFile's tag
};

}  // namespace comtrax
