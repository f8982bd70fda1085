#pragma once
// Every control of the main window, by the name it is known by, in one struct
// per band. The panels own the behaviour; this is only the arrangement they
// are built from. Each control's objectName equals its member name
// ("BTConnect", "Button17", "STH3"), so tests and people can find it.
#include <array>

#include "macros/cmd_lists.h"

#include "ui/logview/log_text_view.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace comtrax {

class ClickLabel;
class UpDown;

// One constant per fact; the command lists hold the facts.
inline constexpr int MacroCount = CmdLists::Macros;
inline constexpr int HelpLineTotal = CmdLists::HelpLinesPerMacro;
// What a macro's name and command line may hold (their fields' capacities).
inline constexpr int NameMaxLength = static_cast<int>(CmdLists::CmdNameCapacity) - 1;
inline constexpr int LineMaxLength = static_cast<int>(CmdLists::CmdLineCapacity) - 1;

// The controls of each band, owned by the panel of that band: a panel is
// given its own struct and no other. Each control's objectName equals its
// member name, so the members keep the controls' established names rather
// than the naming rule of the rest of the code.
// NOLINTBEGIN(readability-identifier-naming)

// TopBar: the port and its parameters, the receive timeout, the filter, the
// log file (StartLog, and its status line STLog under the macro grid), the
// font size, the colours, Clear and Info.
struct TopBarControls {
    QFrame* Panel1 = nullptr;
    QPushButton* BTConnect = nullptr;
    QPushButton* BTRescan = nullptr;
    QComboBox* ComPort = nullptr;      // editable
    QComboBox* BaudRate = nullptr;     // editable
    QComboBox* ComBits = nullptr;      // editable
    QComboBox* ComStopBits = nullptr;  // editable
    QCheckBox* AutoConnect = nullptr;
    UpDown* TimeOutRx = nullptr;
    QLabel* TimeOutAns = nullptr;
    QLineEdit* FiltrLog = nullptr;
    UpDown* Srift = nullptr;
    QPushButton* BTLog = nullptr;
    QPushButton* StartLog = nullptr;
    QPushButton* BTPalitra = nullptr;
    QPushButton* BtInfo = nullptr;
    QLabel* STLog = nullptr;
};

// LogView: the log and its frozen copy, in the same place, and StartStop,
// which swaps them.
struct LogControls {
    LogTextView* MainWindow = nullptr;
    // The frozen copy is filled once per pause and stays editable, so it keeps the text edit.
    QPlainTextEdit* SecondWindow = nullptr;
    QPushButton* StartStop = nullptr;
};

// OptionsBand: the clock, the encoding, the send modes with the period and
// the cyclic switch, time stamps, send-on-connect, and the statistics with
// the byte totals under the help area.
struct OptionsControls {
    QFrame* LogPanel = nullptr;
    QLabel* TextTime = nullptr;
    QFrame* OutMode = nullptr;
    QCheckBox* VisTime = nullptr;
    QRadioButton* RBASCII = nullptr;
    QRadioButton* RBHEX = nullptr;
    QFrame* InputMode = nullptr;
    QLabel* Label1 = nullptr;
    QRadioButton* RBManual = nullptr;
    QRadioButton* RBAfterAns = nullptr;
    QRadioButton* RBSel = nullptr;
    QRadioButton* RBPeriod = nullptr;
    QLineEdit* PeriodTX = nullptr;
    QCheckBox* SendAsReconn = nullptr;
    QCheckBox* CiklSend = nullptr;
    QFrame* PStats = nullptr;
    QLabel* LSend = nullptr;
    QLabel* LRead = nullptr;
    QLabel* MinTimeWait = nullptr;
    QLabel* MaxTimeWait = nullptr;
    QPushButton* BTClrStat = nullptr;
    QLabel* StaticText3 = nullptr;
    // Button ids: encoding 1 ASCII, 2 HEX; send mode as the settings store it
    // (1 RBManual, 2 RBSel, 3 RBAfterAns, 4 RBPeriod).
    QButtonGroup* EncodingGroup = nullptr;
    QButtonGroup* SendModeGroup = nullptr;
};

// CommandBand: the command line and the suffix with their drop-downs, and
// the send button.
struct CommandControls {
    QLineEdit* MainStrCmd = nullptr;
    ClickLabel* Str1 = nullptr;
    QLabel* LPlus = nullptr;
    QLineEdit* AddStrCmd = nullptr;
    ClickLabel* Str2 = nullptr;
    QListWidget* FastOldCmd = nullptr;
    QListWidget* LBTail = nullptr;
    QPushButton* ButtonSend = nullptr;
};

// MacroPanel: the list chooser and its caption, the editor's controls, the
// name/line switch, the 48 buttons and their edit fields, and the help area.
struct MacroControls {
    QFrame* MainPanel = nullptr;
    QComboBox* CBLists = nullptr;  // editable; typed text inserts nothing
    ClickLabel* STListName = nullptr;
    QLineEdit* ListNameEDT = nullptr;
    QPushButton* EditAllCmd = nullptr;
    QPushButton* DelList = nullptr;
    QPushButton* SaveF = nullptr;
    QPushButton* ListDec = nullptr;
    QPushButton* ListInc = nullptr;
    QRadioButton* RBName = nullptr;
    QRadioButton* RbData = nullptr;
    std::array<QPushButton*, MacroCount + 1> Button{};  // Button[1..48]; [0] unused
    std::array<QLineEdit*, MacroCount + 1> Edit{};      // Edit[1..48]; [0] unused
    std::array<QLabel*, HelpLineTotal + 1> STH{};       // STH[1..12]; [0] unused
    QLabel* StaticText1 = nullptr;
    // Button ids: 1 RBName, 2 RbData.
    QButtonGroup* DisplayGroup = nullptr;
};

// CommandFileView: "Из файла", the file's lines and "Отправить из файла".
struct FileViewControls {
    QPushButton* ButtonReadFile = nullptr;
    QListWidget* OldCmdList = nullptr;
    QPushButton* SendStart = nullptr;
};

// Every control of the main window: the bands' structs together, built in
// one go. Each radio choice has its own group, so the three never interfere.
struct Controls : TopBarControls,
                  LogControls,
                  OptionsControls,
                  CommandControls,
                  MacroControls,
                  FileViewControls {
    QWidget* form = nullptr;
};

// NOLINTEND(readability-identifier-naming)

}  // namespace comtrax
