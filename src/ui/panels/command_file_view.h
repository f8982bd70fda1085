#pragma once
// The command-file view: "Из файла" swaps the list chooser and the name/line
// switch for the lines of a command file (OldCmdList), which a click loads
// into the command line or, in on-select mode, sends; "Назад" swaps back.
// "Отправить из файла" sends the file's lines in the chosen mode.
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

#include "terminal/terminal.h"
#include "ui/panels/controls.h"

namespace comtrax {

class CommandBand;
class MacroPanel;

class CommandFileView : public QObject {
    Q_OBJECT
public:
    // askFileName: the file chosen in the open dialog, "" when cancelled.
    CommandFileView(FileViewControls& c, Terminal& terminal, MacroPanel& macros, CommandBand& command,
                    std::function<QString()> askFileName, QObject* parent = nullptr);

    void toggle();
    bool isOpen() const { return open_; }
    void lineClicked(int row);
    void startSending();
    // A send mode was chosen: the Send button follows it.
    void modeChanged();
    // "Из файла" gives way to the editor in editor mode.
    void setButtonShown(bool shown);
    void setColours(uint32_t back, uint32_t text);

signals:
    // The period timer's schedule depends on the file mode and its sending.
    void shownOrHidden();
    void sendingStarted();

private:
    void open(const QString& name);
    void close();

    FileViewControls& c_;
    Terminal& terminal_;
    MacroPanel& macros_;
    CommandBand& command_;
    std::function<QString()> askFileName_;
    bool open_ = false;  // ButtonReadFile's tag
};

}  // namespace comtrax
